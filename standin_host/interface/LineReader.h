// The host's side of oapiReadScenario_nextline: a file handle that hands out lines.
#pragma once

#include "standin_host/text/TextLines.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin {

// A file handle for reading: the lines of a class configuration file or of one vessel's scenario
// block. Each line is handed out in a private copy, so a module that writes into the line it was
// given cannot change the host's data.
class LineReader {
public:
    // The prepared lines of a vessel's scenario block.
    LineReader(std::string fileName, const std::vector<SourceLine> &lines);
    // Every line of a whole text, such as a class configuration file; `text` must outlive the
    // reader.
    LineReader(std::string fileName, std::string_view text);

    bool Next(char *&line);

    // Where the line most recently handed out came from.
    const std::string &FileName() const { return fileName; }
    int CurrentLineNumber() const { return currentNumber; }

private:
    std::string fileName;
    const std::vector<SourceLine> *lines = nullptr; // null: the lines of `textLines`
    TextLines textLines;
    std::size_t next = 0;
    std::string current;
    int currentNumber = 0;
};

} // namespace standin
