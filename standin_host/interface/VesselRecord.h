// One vessel as the host interface sees it: what a module's services read and what those who watch
// the run read. Its address is the vessel's ObjectHandle. The simulation keeps the module's
// instance beside it, out of reach of both.
#pragma once

#include "host/HostTypes.h"

#include <string>

namespace standin {

struct VesselClass;

struct VesselRecord {
    std::string name;
    const VesselClass *vesselClass = nullptr;
    VECTOR3 position{};
    VECTOR3 velocity{};
    bool focusEnabled = true;
    bool deletionRequested = false;
};

// The record behind a handle that the host gave out.
inline VesselRecord &RecordOf(ObjectHandle handle) {
    return *static_cast<VesselRecord *>(handle);
}

inline ObjectHandle HandleOf(const VesselRecord &record) {
    return const_cast<VesselRecord *>(&record);
}

} // namespace standin
