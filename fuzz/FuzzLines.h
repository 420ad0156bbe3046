// Turns a fuzzer's bytes into the lines that the stand-in host hands a module.
#pragma once

#include "standin_host/text/SourceLines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzing {

// Splits `data` into lines the way the host's text file reader does: a line ends at "\n", every
// '\r' before it is dropped, and a last line without an ending counts too. False for data holding a
// NUL byte, which the host refuses as not text, so no module ever sees it.
bool SplitLines(const std::uint8_t *data, std::size_t size, std::vector<std::string> &lines);

// The lines as a file's, numbered from 1, the way a module is handed them.
standin::SourceLines Numbered(const std::vector<std::string> &lines);

} // namespace fuzzing
