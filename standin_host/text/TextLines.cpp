#include "standin_host/text/TextLines.h"

#include <cstring>

namespace standin {

bool TextLines::Next(std::string_view &line) {
    if (position >= text.size()) {
        return false;
    }
    ++number;
    if (position < loneReturnsEnd) {
        line = text.substr(position, 0);
        ++position;
        return true;
    }
    // The line ends at its first '\r' or '\n': the '\n' is looked for first, then a '\r' in the
    // line before it, each with one search through memory.
    const char *const start = text.data() + position;
    const std::size_t rest = text.size() - position;
    const auto *const newline = static_cast<const char *>(std::memchr(start, '\n', rest));
    const std::size_t length =
        newline != nullptr ? static_cast<std::size_t>(newline - start) : rest;
    const auto *const ret = static_cast<const char *>(std::memchr(start, '\r', length));
    if (ret == nullptr && newline == nullptr) {
        line = text.substr(position);
        position = text.size();
        return true;
    }
    const std::size_t end =
        position + (ret != nullptr ? static_cast<std::size_t>(ret - start) : length);
    line = text.substr(position, end - position);
    position = end + 1;
    if (text[end] == '\r') {
        const std::size_t afterReturns = text.find_first_not_of('\r', end);
        if (afterReturns != std::string_view::npos && text[afterReturns] == '\n') {
            position = afterReturns + 1;
        } else {
            loneReturnsEnd = afterReturns == std::string_view::npos ? text.size() : afterReturns;
        }
    }
    return true;
}

} // namespace standin
