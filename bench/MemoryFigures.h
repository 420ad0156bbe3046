// What one vessel occupies: the module's instance and the host's record of the vessel.
#pragma once

#include <cstddef>

namespace bench {

struct MemoryFigures {
    std::size_t brevletSize = 0;            // sizeof(Brevlet), the module's one heap object
    std::size_t allocationsPerInstance = 0; // heap allocations of one ovcInit
    std::size_t hostRecordSize = 0;         // sizeof(standin::SimVessel)
    std::size_t fleetSize = 0;
    double heapBytesPerVessel = -1.0; // heap in use per vessel, host and module; < 0: unknown
};

MemoryFigures MeasureMemory();

} // namespace bench
