#include "standin_host/text/SourceLines.h"

namespace standin {

void SourceLines::Add(std::string_view line, int number) {
    if (blank == Blank::LeftOut) {
        if (line.empty()) {
            return;
        }
        if (!text.empty() && number > nextNumber) {
            text.append(static_cast<std::size_t>(number - nextNumber), '\0'); // empty lines
        }
    }
    if (text.empty()) {
        firstNumber = number;
    }
    // The length goes first, seven bits to a byte, low bits first, the high bit set on all but
    // the last: one byte for a line shorter than 128.
    std::size_t length = line.size();
    for (; length >= 0x80; length >>= 7) {
        text.push_back(static_cast<char>((length & 0x7f) | 0x80));
    }
    text.push_back(static_cast<char>(length));
    text.append(line.data(), line.size());
    nextNumber = number + 1;
}

bool SourceLines::Cursor::Next(std::string_view &line, int &lineNumber) {
    const std::string &text = lines->text;
    while (position < text.size()) {
        std::size_t length = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = static_cast<unsigned char>(text[position++]);
            length |= static_cast<std::size_t>(byte & 0x7f) << shift;
            if ((byte & 0x80) == 0) {
                break;
            }
        }
        const std::size_t start = position;
        position += length;
        ++number;
        if (length > 0 || lines->blank == Blank::HandedOut) {
            line = std::string_view(text.data() + start, length);
            lineNumber = number;
            return true;
        }
    }
    return false;
}

} // namespace standin
