// Reading the stand-in host's text files: scenarios and class configurations.
#pragma once

#include "LineReader.h"

#include <string>
#include <vector>

namespace standin {

struct TextFile {
    std::string name;
    std::vector<SourceLine> lines;
};

// Reads a text file into lines, with "\n" or "\r\n" line ends (every '\r' at a line's end is
// dropped); a UTF-8 byte-order mark at its start is skipped. A file that cannot be read, is larger
// than 1 GiB, or holds a NUL byte is refused with a message naming the file (and the line, for a
// NUL byte).
bool ReadTextFile(const std::string &path, TextFile &file, std::string &error);

} // namespace standin
