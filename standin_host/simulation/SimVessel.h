// One vessel as the host keeps it. Its address is the vessel's ObjectHandle.
#pragma once

#include "host/Vessel.h"

#include <string>

namespace standin {

struct VesselClass;

struct SimVessel {
    std::string name;
    const VesselClass *vesselClass = nullptr;
    // The module's instance, seen as the callback class that every vessel class derives from;
    // null once the module has destroyed it.
    VESSEL2 *instance = nullptr;
    VECTOR3 position{};
    VECTOR3 velocity{};
    bool focusEnabled = true;
    bool deletionRequested = false;
};

} // namespace standin
