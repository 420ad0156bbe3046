#include "TextScan.h"

#include <charconv>
#include <cmath>
#include <system_error>

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

// Decimal exponent of the leading non-zero digit of digits[intBegin,intEnd).digits[fracBegin,
// fracEnd); only called for a non-zero mantissa. It tells an overflow from an underflow.
long long LeadingDigitExponent(const char *intBegin, const char *intEnd, const char *fracBegin,
                               const char *fracEnd) {
    for (const char *p = intBegin; p != intEnd; ++p) {
        if (*p != '0') {
            return static_cast<long long>(intEnd - p) - 1;
        }
    }
    for (const char *p = fracBegin; p != fracEnd; ++p) {
        if (*p != '0') {
            return -static_cast<long long>(p - fracBegin) - 1;
        }
    }
    return 0;
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
    long long exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char *q = p + 1;
        const bool negativeExponent = *q == '-';
        if (*q == '-' || *q == '+') {
            ++q;
        }
        if (IsDigit(*q)) {
            constexpr long long exponentCap = 1000000000; // far beyond any double's range
            for (; IsDigit(*q); ++q) {
                if (exponent < exponentCap) {
                    exponent = exponent * 10 + (*q - '0');
                }
            }
            end = q;
            exponent = negativeExponent ? -exponent : exponent;
        }
    }

    // The grammar is checked above; from_chars converts the accepted text, correctly rounded
    // and without regard to the locale.
    double magnitude = 0.0;
    const std::from_chars_result result =
        std::from_chars(mantissa, end, magnitude, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        const long long scale =
            LeadingDigitExponent(intBegin, intEnd, fracBegin, fracEnd) + exponent;
        magnitude = scale >= 0 ? HUGE_VAL : 0.0;
    }
    value = negative ? -magnitude : magnitude;
    return end;
}

} // namespace brevlet
