// Counts the heap allocations of the test program. The program replaces the global allocation
// functions, and a module loaded into it takes them from the program, so the module's own
// allocations and releases are seen as well.
#pragma once

#include <cstddef>

namespace brevlet_test {

struct AllocationCounts {
    std::size_t allocations = 0;
    std::size_t releases = 0;
    const void *lastAllocated = nullptr;
    const void *lastReleased = nullptr;
};

// The counts since the program started.
AllocationCounts CurrentAllocationCounts();

} // namespace brevlet_test
