// Counts the heap allocations of the whole process, modules included: this program replaces the
// global operator new, and the modules it loads bind to its replacement.
#pragma once

#include <cstddef>

namespace bench {

// The number of calls of any form of operator new so far.
std::size_t AllocationCount();

} // namespace bench
