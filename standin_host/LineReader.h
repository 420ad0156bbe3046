// The host's side of oapiReadScenario_nextline: a file handle that hands out prepared lines.
#pragma once

#include <string>
#include <vector>

namespace standin {

// One line of a text file, with where it came from, for messages.
struct SourceLine {
    std::string text;
    int number = 0;
};

// A file handle for reading: the lines of a class configuration file or of one vessel's scenario
// block. Each line is handed out in a private copy, so a module that writes into the line it was
// given cannot change the host's data.
class LineReader {
public:
    LineReader(std::string fileName, const std::vector<SourceLine> &lines);

    bool Next(char *&line);

    // Where the line most recently handed out came from.
    const std::string &FileName() const { return fileName; }
    int CurrentLineNumber() const;

private:
    std::string fileName;
    const std::vector<SourceLine> &lines;
    std::size_t next = 0;
    std::string current;
};

} // namespace standin
