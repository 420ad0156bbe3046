// The host's side of oapiReadScenario_nextline: a file handle that hands out lines.
#pragma once

#include "standin_host/text/TextLines.h"

#include <string>
#include <vector>

namespace standin {

// A file handle for reading: the lines of a class configuration file or of one vessel's scenario
// block. Each line is handed out in a private copy, so a module that writes into the line it was
// given cannot change the host's data.
class LineReader {
public:
    // The prepared lines of a class configuration or of a vessel's scenario block, read from
    // `fileName`. Each line handed out is copied into `buffer`, which a host may keep from reader
    // to reader so that its storage is reused. All three must outlive the reader.
    LineReader(const std::string &fileName, const std::vector<SourceLine> &lines,
               std::string &buffer)
        : fileName(fileName), lines(lines), current(buffer) {}
    LineReader(std::string &&, const std::vector<SourceLine> &, std::string &) = delete;

    bool Next(char *&line);

    // Where the line most recently handed out came from.
    const std::string &FileName() const { return fileName; }
    int CurrentLineNumber() const { return currentNumber; }

private:
    const std::string &fileName;
    const std::vector<SourceLine> &lines;
    std::string &current;
    std::size_t next = 0;
    int currentNumber = 0;
};

} // namespace standin
