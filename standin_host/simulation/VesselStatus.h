// The stand-in host's vessel status record: what its default handling reads from a scenario
// block and applies to a vessel.
#pragma once

#include "host/HostTypes.h"

namespace standin {

struct VesselStatus {
    VECTOR3 position{};
    VECTOR3 velocity{};
};

} // namespace standin
