// The stand-in host's own number text: strict parsing of scenario values and exact formatting,
// both independent of the process locale.
#pragma once

#include "host/HostTypes.h"

#include <string>
#include <string_view>

namespace standin {

// Parses a whole token as a finite decimal number ("12", "-0.5", "+3e2"). False for anything
// else, including trailing characters, "inf", "nan" and hexadecimal forms.
bool ParseFiniteNumber(std::string_view token, double &value);

// Why ParseFiniteNumber refused `token`, to end a message: "is too small, reads as 0" ("1e-400"),
// "is too large for a number" ("1e400"), or "is not a finite number".
const char *WhyNotAFiniteNumber(std::string_view token);

// The shortest text that reads back as exactly `value`. Infinities are written as "1e999" and
// "-1e999", which read back as infinities through any decimal reader.
std::string FormatExact(double value);
// The same, appended to `text`, for output written in bulk.
void AppendExact(std::string &text, double value);

// A vector as the host writes it in its files and its log: "x y z", each coordinate exact.
std::string VectorText(const VECTOR3 &v);

// Fixed notation with `decimals` decimals, for the run log and messages; a value of 10^15 or more
// (or not finite) as FormatExact gives it, in a few characters ("1e+300") rather than hundreds.
std::string FormatFixed(double value, int decimals);

// A count with its thousands set apart by commas, whatever the locale: "9,999,990".
std::string GroupedDigits(unsigned long long count);

// The decimals that times on a grid of `step` need to tell its points apart: at least `fewest`
// (the run log's 3, the picture's 0), at most 9.
int DecimalsToTellApart(double step, int fewest);

} // namespace standin
