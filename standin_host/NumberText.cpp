#include "NumberText.h"

#include <fast_float/fast_float.h>

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
    // fast_float, compiled with the host's own flags, reads the same on every build whatever the
    // x87 unit's precision; the standard library's prebuilt from_chars does not on 32-bit x86.
    double parsed = 0.0;
    const fast_float::from_chars_result result =
        fast_float::from_chars(first, last, parsed, fast_float::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
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
