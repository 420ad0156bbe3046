// The host's side of oapiReadScenario_nextline: a file handle that hands out lines.
#pragma once

#include "standin_host/text/SourceLines.h"

#include <cstring>
#include <string>
#include <string_view>

namespace standin {

// A file handle for reading: the lines of a class configuration file or of one vessel's scenario
// block. Each line is handed out in a private copy, so a module that writes into the line it was
// given cannot change the host's data.
class LineReader {
public:
    // `lines` were read from `fileName`; each is handed out as a C string at the start of `buffer`,
    // which a host may keep from reader to reader. All three must outlive the reader. Room for the
    // longest line is taken here, before the module is called, so that memory runs out in the
    // host's own code, never as an exception thrown through the module's.
    LineReader(const std::string &fileName, const SourceLines &lines, std::string &buffer)
        : fileName(fileName), lines(lines), current(buffer) {
        if (const std::size_t longest = lines.Longest(); current.size() <= longest) {
            current.resize(longest + 1);
        }
    }
    LineReader(std::string &&, const SourceLines &, std::string &) = delete;

    bool Next(char *&line) {
        std::string_view text;
        if (!lines.Next(text, currentNumber)) {
            return false;
        }
        // The module is handed a C string, so what stands past its NUL (the end of a longer line
        // handed out before, to this vessel or another) is no part of it.
        std::memcpy(&current[0], text.data(), text.size());
        current[text.size()] = '\0';
        line = current.data();
        return true;
    }

    // Where the line most recently handed out came from.
    const std::string &FileName() const { return fileName; }
    int CurrentLineNumber() const { return currentNumber; }

private:
    const std::string &fileName;
    SourceLines::Cursor lines;
    std::string &current;
    int currentNumber = 0;
};

} // namespace standin
