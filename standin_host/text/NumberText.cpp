#include "standin_host/text/NumberText.h"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>
#include <system_error>

namespace standin {
namespace {

// A number whose digits are not all 0 that reads as 0: below the smallest double.
bool IsUnderflow(const char *first, const char *last, double parsed) {
    if (parsed != 0.0) {
        return false;
    }
    for (const char *p = first; p != last && *p != 'e' && *p != 'E'; ++p) {
        if (*p >= '1' && *p <= '9') {
            return true;
        }
    }
    return false;
}

} // namespace

bool ParseFiniteNumber(std::string_view token, double &value) {
    const char *first = token.data();
    const char *last = token.data() + token.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && (*first == '-' || *first == '+')) {
            return false;
        }
    }
    // fast_float, compiled with the host's own flags, reads the same on every build whatever the
    // x87 unit's precision; the standard library's prebuilt from_chars does not on 32-bit x86.
    double parsed = 0.0;
    const fast_float::from_chars_result result =
        fast_float::from_chars(first, last, parsed, fast_float::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed) ||
        IsUnderflow(first, last, parsed)) {
        return false; // 1e-400 would read as 0 without a word
    }
    value = parsed;
    return true;
}

const char *WhyNotAFiniteNumber(std::string_view token) {
    const char *first = token.data();
    const char *last = token.data() + token.size();
    if (first != last && (*first == '+' || *first == '-')) {
        ++first;
    }
    double parsed = 0.0;
    const fast_float::from_chars_result result =
        fast_float::from_chars(first, last, parsed, fast_float::chars_format::general);
    const bool readWhole =
        (result.ec == std::errc() || result.ec == std::errc::result_out_of_range) &&
        result.ptr == last;
    const bool decimal = first != last && ((*first >= '0' && *first <= '9') || *first == '.');
    if (readWhole && decimal && std::isinf(parsed)) {
        return "is too large for a number";
    }
    if (readWhole && decimal && IsUnderflow(first, last, parsed)) {
        return "is too small, reads as 0";
    }
    return "is not a finite number";
}

constexpr double readableLimit = 1e15;

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
    // Beyond 10^15 a double holds no fraction, and its digits only fill the line: 1e+300 says it.
    if (!(std::fabs(value) < readableLimit)) {
        return FormatExact(value);
    }
    char text[400];
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

std::string GroupedDigits(unsigned long long count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

int DecimalsToTellApart(double step, int fewest) {
    constexpr int most = 9;
    int decimals = fewest;
    double scaled = step * std::pow(10.0, fewest);
    // The tolerance is relative, so that a step far below a second still gets its decimals.
    while (decimals < most && std::fabs(scaled - std::round(scaled)) > 1e-9 * scaled) {
        scaled *= 10.0;
        ++decimals;
    }
    return decimals;
}

} // namespace standin
