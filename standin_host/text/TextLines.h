// The lines of a text, handed out one at a time without copying them, with their numbers, and
// the words and keys of a line.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace standin {

// A line ends at "\n", at "\r\n", or at a "\r" that no "\n" follows (a file from an old Mac
// editor). Carriage returns that stand right before a line end belong to it, so that "\r\r\n" (a
// file converted to CRLF twice) ends one line as "\r\n" does. The last line needs no line end.
class TextLines {
public:
    explicit TextLines(std::string_view text) : text(text) {}

    // The next line, without its line end; false at the end of the text.
    bool Next(std::string_view &line);
    // The number of the line last handed out, counted from 1; 0 before the first.
    int Number() const { return number; }

private:
    std::string_view text;
    std::size_t position = 0;
    // The positions before this one hold carriage returns that each end an empty line: a long run
    // of them is looked at once, not again for every line.
    std::size_t loneReturnsEnd = 0;
    int number = 0;
};

// The blanks between the words of the host's own lines. A carriage return is none: no line that
// TextLines hands out holds one.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next word of `rest`, which keeps what follows it; empty when only blanks remain.
inline std::string_view NextWord(std::string_view &rest) {
    std::size_t start = 0;
    while (start < rest.size() && IsBlank(rest[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < rest.size() && !IsBlank(rest[end])) {
        ++end;
    }
    const std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
}

// Keys that fold case for ASCII letters only: the user's locale, and any letter beyond ASCII,
// play no part, so that a key reads the same on every system. The module folds its keys with a
// copy of its own (vessel/TextScan.cpp), since it is built alone and takes nothing of the host.
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

inline std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Calls `take(value, lineNumber)` for each line of a class configuration that reads
// "key = value", in order: the key in any case, a ';' starting a comment, blanks around the value
// trimmed. Stops, and returns false, where `take` returns false.
template <typename Take>
bool ForEachConfigValue(std::string_view text, std::string_view key, Take take) {
    TextLines lines(text);
    for (std::string_view line; lines.Next(line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos &&
            EqualsIgnoringAsciiCase(TrimBlanks(line.substr(0, equals)), key)) {
            const std::string_view value = line.substr(equals + 1);
            if (!take(TrimBlanks(value.substr(0, value.find(';'))), lines.Number())) {
                return false;
            }
        }
    }
    return true;
}

} // namespace standin
