// The module's own small text routines: matching a key at the start of a line and reading a
// number, both independent of the process locale.
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

} // namespace brevlet
