// Bit-for-bit comparison of doubles: tells 0 from -0 and compares the values that a fuzzer's
// checks must find identical, not merely equal.
#pragma once

#include "host/HostTypes.h"

#include <cstdint>
#include <cstring>

namespace fuzzing {

inline std::uint64_t BitsOf(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline bool SameBits(double a, double b) {
    return BitsOf(a) == BitsOf(b);
}

inline bool SameBits(const VECTOR3 &a, const VECTOR3 &b) {
    return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z);
}

} // namespace fuzzing
