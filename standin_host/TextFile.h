// Reading the stand-in host's text files and writing its saved scenarios.
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
// dropped). A file that cannot be read, is larger than the host accepts, or holds a NUL byte is
// refused with a message naming the file (and the line, for a NUL byte).
bool ReadTextFile(const std::string &path, TextFile &file, std::string &error);

// Replaces the file at `path` with `content` through a temporary file in the same folder and a
// rename, so that a failed or interrupted write never leaves a truncated or half-written file.
bool WriteFileAtomically(const std::string &path, const std::string &content, std::string &error);

} // namespace standin
