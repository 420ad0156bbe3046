#include "MessageText.h"

namespace standin {

std::string Quoted(std::string_view text) {
    constexpr std::size_t longest = 60;
    const std::string_view shown = text.substr(0, longest);
    std::string quoted = "'";
    // Control characters are written as \xNN, so that a file cannot steer the user's terminal.
    for (const char c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            constexpr char hex[] = "0123456789abcdef";
            quoted += "\\x";
            quoted += hex[byte >> 4];
            quoted += hex[byte & 0xf];
        } else {
            quoted += c;
        }
    }
    quoted += text.size() > longest ? "...'" : "'";
    if (text.size() > longest) {
        quoted += " (" + std::to_string(text.size()) + " characters)";
    }
    return quoted;
}

} // namespace standin
