// Reading the stand-in host's text files: scenarios and class configurations.
#pragma once

#include "standin_host/text/TextLines.h"

#include <functional>
#include <string>

namespace standin {

// A text file as it was read, lines and line ends included; TextLines splits it into lines. Only
// the text is kept, with no record per line, so that blank lines and comments cost no more than
// their bytes.
struct TextFile {
    std::string name;
    std::string text; // without a byte-order mark
};

// Reads a text file whose lines end as TextLines says; a UTF-8 byte-order mark at its start is
// skipped. A file that cannot be read, is larger than 1 GiB, or holds a NUL byte is refused with
// a message naming the file (and the line, for a NUL byte).
// `progress`, if given, is told the share of the file read so far, now and then.
using ReadProgress = std::function<void(double share)>;
bool ReadTextFile(const std::string &path, TextFile &file, std::string &error,
                  const ReadProgress &progress = {});

} // namespace standin
