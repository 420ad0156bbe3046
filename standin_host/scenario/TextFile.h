// Reading the stand-in host's text files: scenarios and class configurations.
#pragma once

#include "standin_host/text/TextLines.h"

#include <cstddef>
#include <functional>
#include <string>

namespace standin {

// A text file as it was read, line ends included; TextLines splits it into lines. No record is
// kept per line, so that blank lines and comments cost no more than their bytes.
struct TextFile {
    std::string name;
    std::string text; // without a byte-order mark
};

// Reads a text file whose lines end as TextLines says; a UTF-8 byte-order mark at its start is
// skipped. A file that cannot be read, is larger than `most` bytes, or holds a NUL byte is
// refused with a message naming the file (and the line, for a NUL byte), as soon as the block
// that shows it is read. `progress`, if given, is told the share of the file read so far.
using ReadProgress = std::function<void(double share)>;
// Far above the largest scenario the host writes (a million vessels take about 72 MB), to keep an
// endless file such as /dev/zero from filling the memory.
constexpr std::size_t mostScenarioBytes = std::size_t{1} << 30;
// A class configuration is a few lines: two megabytes still take a line of a megabyte.
constexpr std::size_t mostConfigurationBytes = std::size_t{2} << 20;
bool ReadTextFile(const std::string &path, TextFile &file, std::string &error,
                  const ReadProgress &progress = {}, std::size_t most = mostScenarioBytes);

// "file:line: ", where a message about a line of a text file begins.
inline std::string LinePlace(const std::string &file, int line) {
    return file + ":" + std::to_string(line) + ": ";
}

} // namespace standin
