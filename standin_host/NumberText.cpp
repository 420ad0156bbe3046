#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace standin {

bool ParseFiniteNumber(std::string_view token, double &value) {
    const char *first = token.data();
    const char *last = token.data() + token.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && (*first == '-' || *first == '+')) {
            return false;
        }
    }
    double parsed = 0.0;
    const std::from_chars_result result =
        std::from_chars(first, last, parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

const char *WhyNotAFiniteNumber(std::string_view token) {
    const char *first = token.data();
    const char *last = token.data() + token.size();
    double parsed = 0.0;
    if (first != last && *first == '+') {
        ++first;
    }
    const std::from_chars_result result =
        std::from_chars(first, last, parsed, std::chars_format::general);
    if (result.ec != std::errc::result_out_of_range || result.ptr != last) {
        return "is not a finite number";
    }
    // Out of range: the decimal exponent of the first significant digit tells which way.
    const char *p = first;
    if (p != last && *p == '-') {
        ++p;
    }
    long long integerDigits = 0;
    long long fractionDigits = 0;
    long long firstSignificant = 0; // decimal exponent of the first digit that is not 0
    bool found = false;
    bool foundBeforePoint = false;
    bool afterPoint = false;
    for (; p != last && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            afterPoint = true;
        } else if (afterPoint) {
            ++fractionDigits;
            if (!found && *p != '0') {
                found = true;
                firstSignificant = -fractionDigits;
            }
        } else {
            ++integerDigits;
            if (!found && *p != '0') {
                found = true;
                foundBeforePoint = true;
                firstSignificant = -integerDigits; // made relative to the point below
            }
        }
    }
    if (foundBeforePoint) {
        firstSignificant += integerDigits;
    }
    long long exponent = 0;
    if (p != last) {
        ++p;
        const bool negative = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+')) {
            ++p;
        }
        for (; p != last; ++p) {
            exponent = std::min(exponent * 10 + (*p - '0'), 1000000000LL);
        }
        exponent = negative ? -exponent : exponent;
    }
    return firstSignificant + exponent < 0 ? "is too small, reads as 0"
                                           : "is too large for a number";
}

std::string FormatExact(double value) {
    std::string text;
    AppendExact(text, value);
    return text;
}

void AppendExact(std::string &text, double value) {
    if (std::isinf(value)) {
        text.append(value > 0 ? "1e999" : "-1e999");
        return;
    }
    char digits[32];
    const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

std::string FormatFixed(double value, int decimals) {
    char text[400];
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

} // namespace standin
