#include "standin_host/text/TextLines.h"

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
    const std::size_t end = text.find_first_of("\r\n", position);
    if (end == std::string_view::npos) {
        line = text.substr(position);
        position = text.size();
        return true;
    }
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
