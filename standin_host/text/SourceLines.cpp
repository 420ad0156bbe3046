#include "standin_host/text/SourceLines.h"

#include <cstring>

namespace standin {

void SourceLines::Add(std::string_view line, int number) {
    if (blank == Blank::LeftOut) {
        if (line.empty()) {
            return;
        }
        if (!text.empty() && number > nextNumber) {
            text.append(static_cast<std::size_t>(number - nextNumber), '\n');
        }
    }
    if (text.empty()) {
        firstNumber = number;
    }
    text.append(line.data(), line.size()).push_back('\n');
    nextNumber = number + 1;
}

bool SourceLines::Cursor::Next(std::string_view &line, int &lineNumber) {
    const std::string &text = lines->text;
    while (position < text.size()) {
        const char *const start = text.data() + position;
        const auto *const end =
            static_cast<const char *>(std::memchr(start, '\n', text.size() - position));
        const auto length = static_cast<std::size_t>(end - start);
        position += length + 1;
        ++number;
        if (length > 0 || lines->blank == Blank::HandedOut) {
            line = std::string_view(start, length);
            lineNumber = number;
            return true;
        }
    }
    return false;
}

} // namespace standin
