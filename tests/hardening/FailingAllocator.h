// Replaces the program's allocation functions, which a module loaded into the program takes as
// well, so that a test can make one nothrow allocation fail on purpose.
#pragma once

#include <cstddef>

namespace hardening {

// Makes the `n`-th nothrow allocation from now on (1: the next one) yield null; 0 disarms.
// Throwing allocations are never failed.
void FailNthNothrowAllocation(std::size_t n);

// How many nothrow allocations have been failed since the program started.
std::size_t FailedNothrowAllocations();

} // namespace hardening
