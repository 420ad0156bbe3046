#include "DebugLine.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace brevlet {
namespace {

static_assert(std::numeric_limits<double>::is_iec559, "doubles must be IEEE 754 binary64");

// The longest fixed-notation double: a sign, 309 integer digits, the point and six decimals.
constexpr std::size_t maxFixedLength = 1 + 309 + 1 + 6;
constexpr char separator[] = " Dmax=";

constexpr int fractionBits = 52;
constexpr int exponentBias = 1023;
constexpr std::uint64_t fractionMask = (std::uint64_t{1} << fractionBits) - 1;
constexpr std::uint64_t signBit = std::uint64_t{1} << 63;
constexpr std::uint64_t fiveToTheSixth = 15625; // 10^6 = 5^6 * 2^6
constexpr std::uint64_t million = 1000000;

// Magnitudes below 2^-21 (about 4.77e-7) are nearer to 0 than to 0.000001.
constexpr int smallestRoundedUpExponent = -21;
// Magnitudes below 2^43 (about 8.8e12) have at most 2^63 millionths, which fit in 64 bits; larger
// ones, infinities and NaN take the general path.
constexpr int fastPathExponentLimit = 43;
constexpr std::uint64_t fastPathBiasedExponentLimit = exponentBias + fastPathExponentLimit;

// The magnitude (sign bit clear) of a double, times one million, rounded to the nearest integer
// and on an exact tie to the even one: what "%.6f" prints, without the point. Only for
// magnitudes below 2^fastPathExponentLimit.
std::uint64_t RoundedMillionths(std::uint64_t magnitudeBits) {
    const int biasedExponent = static_cast<int>(magnitudeBits >> fractionBits);
    if (biasedExponent < exponentBias + smallestRoundedUpExponent) {
        return 0; // zero and subnormals included
    }
    // The value is mantissa * 2^exponent, and times a million mantissa * 5^6 * 2^(exponent + 6).
    // Within the fast path the exponent is at most -10, so the product is shifted right by
    // `shift` bits, 4 to 67 of them.
    const std::uint64_t mantissa = (magnitudeBits & fractionMask) | (fractionMask + 1);
    const int shift = -(biasedExponent - exponentBias - fractionBits + 6);

    // The product, below 2^67, as two 64-bit words, from the mantissa's 32-bit halves.
    const std::uint64_t lowPart = (mantissa & 0xFFFFFFFFu) * fiveToTheSixth;
    const std::uint64_t highPart = (mantissa >> 32) * fiveToTheSixth;
    const std::uint64_t low = lowPart + (highPart << 32);
    const std::uint64_t high = (highPart >> 32) + (low < lowPart ? 1 : 0);

    std::uint64_t quotient;
    bool aboveHalf;
    bool exactlyHalf;
    if (shift < 64) {
        quotient = (low >> shift) | (high << (64 - shift));
        const std::uint64_t remainder = low & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        aboveHalf = remainder > half;
        exactlyHalf = remainder == half;
    } else if (shift == 64) {
        quotient = high;
        aboveHalf = low > signBit;
        exactlyHalf = low == signBit;
    } else {
        quotient = high >> (shift - 64);
        const std::uint64_t remainderHigh = high & ((std::uint64_t{1} << (shift - 64)) - 1);
        const std::uint64_t halfHigh = std::uint64_t{1} << (shift - 65);
        aboveHalf = remainderHigh > halfHigh || (remainderHigh == halfHigh && low != 0);
        exactlyHalf = remainderHigh == halfHigh && low == 0;
    }
    if (aboveHalf || (exactlyHalf && (quotient & 1) != 0)) {
        ++quotient;
    }
    return quotient;
}

// Appends `value` as "%lf" prints it. Ordinary magnitudes are converted exactly with integer
// arithmetic; the rest goes to the standard library's general conversion.
char *AppendFixed(char *out, char *limit, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint64_t magnitudeBits = bits & ~signBit;
    if ((magnitudeBits >> fractionBits) >= fastPathBiasedExponentLimit) {
        return std::to_chars(out, limit, value, std::chars_format::fixed, 6).ptr;
    }
    std::uint64_t millionths = RoundedMillionths(magnitudeBits);
    std::uint64_t integerPart = millionths / million;
    std::uint64_t fraction = millionths % million;

    // Written backwards: six decimals, the point, the integer digits, the sign. A negative value
    // keeps its sign even when it rounds to zero, as printf's does.
    char text[32];
    char *p = text + sizeof text;
    for (int i = 0; i < 6; ++i) {
        *--p = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    *--p = '.';
    do {
        *--p = static_cast<char>('0' + integerPart % 10);
        integerPart /= 10;
    } while (integerPart != 0);
    if ((bits & signBit) != 0) {
        *--p = '-';
    }
    const auto length = static_cast<std::size_t>(text + sizeof text - p);
    std::memcpy(out, p, length);
    return out + length;
}

} // namespace

void WriteDebugLine(char *buffer, std::size_t capacity, double lifetime, double maxCamDistance) {
    if (capacity == 0) {
        return;
    }
    char text[2 * maxFixedLength + sizeof separator + 1];
    char *const limit = text + sizeof text;
    char *p = AppendFixed(text, limit, lifetime);
    std::memcpy(p, separator, sizeof separator - 1);
    p += sizeof separator - 1;
    p = AppendFixed(p, limit, maxCamDistance);
    *p++ = 'm';

    std::size_t length = static_cast<std::size_t>(p - text);
    if (length > capacity - 1) {
        length = capacity - 1;
    }
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

} // namespace brevlet
