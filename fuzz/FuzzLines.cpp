#include "fuzz/FuzzLines.h"

#include <cstring>

namespace fuzzing {

bool SplitLines(const std::uint8_t *data, std::size_t size, std::vector<std::string> &lines) {
    const char *text = reinterpret_cast<const char *>(data);
    if (size > 0 && std::memchr(text, '\0', size) != nullptr) {
        return false;
    }
    lines.clear();
    std::size_t start = 0;
    while (start < size) {
        const char *newline =
            static_cast<const char *>(std::memchr(text + start, '\n', size - start));
        const std::size_t end =
            newline != nullptr ? static_cast<std::size_t>(newline - text) : size;
        std::size_t length = end - start;
        while (length > 0 && text[start + length - 1] == '\r') {
            --length;
        }
        lines.emplace_back(text + start, length);
        start = end + 1;
    }
    return true;
}

standin::SourceLines Numbered(const std::vector<std::string> &lines) {
    standin::SourceLines numbered;
    int number = 0;
    for (const std::string &line : lines) {
        numbered.Add(line, ++number);
    }
    return numbered;
}

} // namespace fuzzing
