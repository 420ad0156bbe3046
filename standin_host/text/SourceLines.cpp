#include "standin_host/text/SourceLines.h"

#include <algorithm>

namespace standin {

// Each line is its length plus one, seven bits to a byte, low bits first, the high bit set on all
// but the last (one byte for a line shorter than 127), then its text. A line of the file that was
// not added is a 0.
void SourceLines::Add(std::string_view line, int number) {
    if (text.empty()) {
        firstNumber = number;
    } else if (number > nextNumber) {
        text.append(static_cast<std::size_t>(number - nextNumber), '\0');
    }
    std::size_t length = line.size() + 1;
    for (; length >= 0x80; length >>= 7) {
        text.push_back(static_cast<char>((length & 0x7f) | 0x80));
    }
    text.push_back(static_cast<char>(length));
    text.append(line.data(), line.size());
    nextNumber = number + 1;
}

std::size_t SourceLines::Longest() const {
    std::size_t longest = 0;
    Cursor cursor(*this);
    std::string_view line;
    for (int number = 0; cursor.Next(line, number);) {
        longest = std::max(longest, line.size());
    }
    return longest;
}

bool SourceLines::Cursor::Next(std::string_view &line, int &lineNumber) {
    const std::string &bytes = lines->text;
    while (position < bytes.size()) {
        std::size_t length = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = static_cast<unsigned char>(bytes[position++]);
            length |= static_cast<std::size_t>(byte & 0x7f) << shift;
            if ((byte & 0x80) == 0) {
                break;
            }
        }
        ++number;
        if (length > 0) {
            line = std::string_view(bytes.data() + position, length - 1);
            position += length - 1;
            lineNumber = number;
            return true;
        }
    }
    return false;
}

} // namespace standin
