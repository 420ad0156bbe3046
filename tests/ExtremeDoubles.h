// The doubles at the ends of the range, which the module's number readers and writers are fed.
#pragma once

#include <limits>

namespace brevlet_test {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double denormMin = std::numeric_limits<double>::denorm_min();

} // namespace brevlet_test
