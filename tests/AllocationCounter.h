// Replaces the program's global allocation functions, to count heap allocations and to make one
// nothrow allocation fail on purpose. A module loaded into the program takes these functions from
// the program, so the module's own allocations and releases are seen (and failed) as well.
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

// Makes the `n`-th nothrow allocation from now on (1: the next one) yield null; 0 disarms.
void FailNthNothrowAllocation(std::size_t n);

// Makes the `n`-th throwing allocation from now on (1: the next one) throw std::bad_alloc, as
// when the memory runs out; 0 disarms.
void FailNthAllocation(std::size_t n);

// How many nothrow allocations have been failed since the program started.
std::size_t FailedNothrowAllocations();

} // namespace brevlet_test
