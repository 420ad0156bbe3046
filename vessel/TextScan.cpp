#include "vessel/TextScan.h"

// {fmt}'s own checks are off in every build, as in a release one: a failed one would use fprintf.
#define FMT_ASSERT(condition, message) (static_cast<void>(condition), static_cast<void>(message))

#include <fast_float/fast_float.h>
#include <fmt/compile.h>

// {fmt} prints the hexadecimal form ("{:a}") with the C library's snprintf, a conversion that the
// module never asks for and must not take from the library: this one writes nothing.
FMT_BEGIN_NAMESPACE
namespace detail {
template <> auto snprintf_float<double>(double, int, float_specs, buffer<char> &) -> int {
    return 0;
}
} // namespace detail
FMT_END_NAMESPACE

namespace brevlet {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// White space as the "C" locale's isspace has it; the process locale plays no part.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char FoldAsciiCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool StartsWithKey(const char *line, const char *key) {
    for (; *key != '\0'; ++line, ++key) {
        // A line that ends before the key does fails here, at its terminating NUL.
        if (FoldAsciiCase(*line) != FoldAsciiCase(*key)) {
            return false;
        }
    }
    return true;
}

const char *ScanNumber(const char *text, double &value) {
    const char *p = text;
    while (IsSpace(*p)) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    const char *mantissa = p;
    const char *intBegin = p;
    while (IsDigit(*p)) {
        ++p;
    }
    const char *intEnd = p;
    const char *fracBegin = p;
    const char *fracEnd = p;
    if (*p == '.') {
        fracBegin = ++p;
        while (IsDigit(*p)) {
            ++p;
        }
        fracEnd = p;
    }
    if (intBegin == intEnd && fracBegin == fracEnd) {
        return nullptr;
    }
    const char *end = p;

    // An exponent counts only with at least one digit; "2e" and "5e+" end before the 'e'.
    if (*p == 'e' || *p == 'E') {
        const char *q = p + 1;
        if (*q == '-' || *q == '+') {
            ++q;
        }
        if (IsDigit(*q)) {
            while (IsDigit(*q)) {
                ++q;
            }
            end = q;
        }
    }

    // The grammar is checked above; fast_float converts the accepted text, correctly rounded,
    // without regard to the locale, and compiled with the module's own flags: the standard
    // library's prebuilt conversion rounds differently where it computes in x87 registers. An
    // overflow gives infinity and an underflow zero; exponents of any length saturate.
    double magnitude = 0.0;
    fast_float::from_chars(mantissa, end, magnitude, fast_float::chars_format::general);
    value = negative ? -magnitude : magnitude;
    return end;
}

// {fmt} converts exactly, from the headers with the module's own flags (no precompiled code whose
// arithmetic the x87 unit's precision would round), without the locale, a lock or an allocation:
// the longest double, 309 digits and six decimals, fits its buffer on the stack.
void WriteDebugLine(char *buffer, std::size_t capacity, double lifetime, double maxCamDistance) {
    if (capacity == 0) {
        return;
    }
    *fmt::format_to_n(buffer, capacity - 1, FMT_COMPILE("{:.6f} Dmax={:.6f}m"), lifetime,
                      maxCamDistance)
         .out = '\0';
}

} // namespace brevlet
