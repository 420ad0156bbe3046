// The text that a targeted Brevlet shows on the host's debug line.
#pragma once

#include <cstddef>

namespace brevlet {

// Writes "<lifetime> Dmax=<maxCamDistance>m" into `buffer`, exactly as "%lf Dmax=%lfm" prints in
// the "C" locale (fixed notation, six decimals, '.' as the decimal point). At most `capacity`
// bytes are written: a longer text is cut, and the buffer is always NUL-terminated.
void WriteDebugLine(char *buffer, std::size_t capacity, double lifetime, double maxCamDistance);

} // namespace brevlet
