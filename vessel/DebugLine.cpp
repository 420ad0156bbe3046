#include "DebugLine.h"

#include <charconv>
#include <cstring>

namespace brevlet {
namespace {

// The longest fixed-notation double: a sign, 309 integer digits, the point and six decimals.
constexpr std::size_t maxFixedLength = 1 + 309 + 1 + 6;
constexpr char separator[] = " Dmax=";

char *AppendFixed(char *out, char *limit, double value) {
    return std::to_chars(out, limit, value, std::chars_format::fixed, 6).ptr;
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
