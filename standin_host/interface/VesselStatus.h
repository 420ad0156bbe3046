// The stand-in host's vessel status record: what its default handling reads from a scenario
// block and applies to a vessel.
#pragma once

#include "host/HostTypes.h"

namespace standin {

class LineReader;

struct VesselStatus {
    VECTOR3 position{};
    VECTOR3 velocity{};
    // While a scenario block is loaded, the reader of its lines: a line that the default handling
    // does not understand is reported where it stands. Null for a record that no lines fill.
    const LineReader *source = nullptr;
};

} // namespace standin
