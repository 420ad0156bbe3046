// The debug line's numbers are converted here, with integer arithmetic of the module's own,
// rather than by the C library's printf or std::to_chars, for three reasons:
// - every build must print the same digits: a library's conversion is precompiled code whose
//   arithmetic (the x87 unit's precision on 32-bit x86, its rounding) the module does not control;
// - the step callback writes this line and must not allocate or take a lock, as printf may;
// - printf's decimal point follows the process locale, and the host may have set one with ','.
// The output is exactly that of "%lf" in the "C" locale; the tests compare it with printf.
#include "vessel/DebugLine.h"

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
// ones have at most 9 binary fraction digits, or none, and are converted in parts.
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

// Writes `value` backwards, as decimal digits ending at `end`; returns where they begin.
// At least `minimumDigits` of them (1 or more), with leading zeros.
char *DigitsBefore(char *end, std::uint64_t value, int minimumDigits) {
    for (int written = 0; value != 0 || written < minimumDigits; ++written) {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return end;
}

// An integer below 2^1024 in base 10^9, least significant limb first: room for every integer
// that a double holds, whose 309 digits take 35 limbs.
constexpr std::uint32_t limbBase = 1000000000;
constexpr int limbDigits = 9;
constexpr int maxLimbs = 35;

// Appends the integer mantissa * 2^shift (shift 0 to 971) and six zero decimals. Shifting by at
// most 29 bits at a time keeps every limb's product below 2^64.
char *AppendLargeInteger(char *out, std::uint64_t mantissa, int shift) {
    std::uint32_t limbs[maxLimbs];
    int count = 0;
    do {
        limbs[count++] = static_cast<std::uint32_t>(mantissa % limbBase);
        mantissa /= limbBase;
    } while (mantissa != 0);
    while (shift > 0) {
        const int step = shift < 29 ? shift : 29;
        std::uint64_t carry = 0;
        for (int i = 0; i < count; ++i) {
            const std::uint64_t product = (std::uint64_t{limbs[i]} << step) + carry;
            limbs[i] = static_cast<std::uint32_t>(product % limbBase);
            carry = product / limbBase;
        }
        if (carry != 0) {
            limbs[count++] = static_cast<std::uint32_t>(carry);
        }
        shift -= step;
    }
    char text[maxLimbs * limbDigits];
    char *const end = text + sizeof text;
    char *p = end;
    for (int i = 0; i < count; ++i) {
        p = DigitsBefore(p, limbs[i], i + 1 < count ? limbDigits : 1);
    }
    const auto length = static_cast<std::size_t>(end - p);
    std::memcpy(out, p, length);
    out += length;
    *out++ = '.';
    for (int i = 0; i < 6; ++i) {
        *out++ = '0';
    }
    return out;
}

// Appends `value` as "%lf" prints it in the "C" locale, converted exactly with integer arithmetic.
char *AppendFixed(char *out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint64_t magnitudeBits = bits & ~signBit;
    const std::uint64_t biasedExponent = magnitudeBits >> fractionBits;
    // A negative value keeps its sign even when it rounds to zero, as printf's does.
    if ((bits & signBit) != 0) {
        *out++ = '-';
    }
    if (biasedExponent == 2 * exponentBias + 1) {
        const char *word = (magnitudeBits & fractionMask) == 0 ? "inf" : "nan";
        std::memcpy(out, word, 3);
        return out + 3;
    }
    std::uint64_t integerPart;
    std::uint64_t fraction;
    if (biasedExponent < fastPathBiasedExponentLimit) {
        const std::uint64_t millionths = RoundedMillionths(magnitudeBits);
        integerPart = millionths / million;
        fraction = millionths % million;
    } else {
        // At least 2^43: an integer times 2^shift, where shift is -9 or more.
        const std::uint64_t mantissa = (magnitudeBits & fractionMask) | (fractionMask + 1);
        const int shift = static_cast<int>(biasedExponent) - exponentBias - fractionBits;
        if (shift >= 0) {
            return AppendLargeInteger(out, mantissa, shift);
        }
        // Up to 9 binary fraction digits: their millionths, rounded to the nearest and on an
        // exact tie to the even one, fit in 64 bits.
        const int fractionShift = -shift;
        integerPart = mantissa >> fractionShift;
        const std::uint64_t scaled =
            (mantissa & ((std::uint64_t{1} << fractionShift) - 1)) * million;
        fraction = scaled >> fractionShift;
        const std::uint64_t remainder = scaled & ((std::uint64_t{1} << fractionShift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (fractionShift - 1);
        if (remainder > half || (remainder == half && (fraction & 1) != 0)) {
            ++fraction;
        }
        if (fraction == million) {
            fraction = 0;
            ++integerPart;
        }
    }

    // Written backwards: six decimals, the point, the integer digits. Loops of their own rather
    // than DigitsBefore: with their counts fixed, the compiler unrolls them (a targeted step
    // costs about 110 instructions less).
    char text[32];
    char *const end = text + sizeof text;
    char *p = end;
    for (int i = 0; i < 6; ++i) {
        *--p = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    *--p = '.';
    do {
        *--p = static_cast<char>('0' + integerPart % 10);
        integerPart /= 10;
    } while (integerPart != 0);
    const auto length = static_cast<std::size_t>(end - p);
    std::memcpy(out, p, length);
    return out + length;
}

} // namespace

void WriteDebugLine(char *buffer, std::size_t capacity, double lifetime, double maxCamDistance) {
    if (capacity == 0) {
        return;
    }
    char text[2 * maxFixedLength + sizeof separator + 1];
    char *p = AppendFixed(text, lifetime);
    std::memcpy(p, separator, sizeof separator - 1);
    p += sizeof separator - 1;
    p = AppendFixed(p, maxCamDistance);
    *p++ = 'm';

    std::size_t length = static_cast<std::size_t>(p - text);
    if (length > capacity - 1) {
        length = capacity - 1;
    }
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

} // namespace brevlet
