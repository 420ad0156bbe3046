// The module's text: matching a key at the start of a line, reading a number and writing the
// debug line, all independent of the process locale.
#pragma once

#include <cstddef>

namespace brevlet {

// True when the first characters of `line`, as many as `key` has, equal `key` with ASCII letters
// compared without regard to case. A line shorter than the key does not match.
bool StartsWithKey(const char *line, const char *key);

// Reads a decimal number as "%lf" scanning does in the "C" locale: white space is skipped, then
// an optional sign, digits with an optional '.', at least one digit in all, and an optional
// exponent. "inf", "nan" and hexadecimal forms are no number. The result is correctly rounded;
// an overflow reads as infinity with its sign, an underflow as zero.
// Returns the end of the number and sets `value`, or returns null and leaves `value` as it was.
const char *ScanNumber(const char *text, double &value);

// Writes "<lifetime> Dmax=<maxCamDistance>m" as "%lf Dmax=%lfm" prints in the "C" locale (six
// decimals, '.' as the point) into `buffer`: at most `capacity` bytes, cut and NUL-terminated.
void WriteDebugLine(char *buffer, std::size_t capacity, double lifetime, double maxCamDistance);

} // namespace brevlet
