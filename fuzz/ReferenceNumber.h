// An independent reading of a number for the fuzzers to compare the module's reader against: the
// C library's strtod, given only the part of the text that the module's number grammar accepts.
#pragma once

#include <cstddef>
#include <optional>

namespace fuzzing {

struct ReferenceNumber {
    double value;
    std::size_t length; // characters read from the start of the text, white space included
};

// The grammar: white space as the "C" locale has it, an optional sign, digits with an optional
// '.', at least one digit in all, then an optional exponent ('e' or 'E', an optional sign, at
// least one digit). No "inf", "nan" or hexadecimal form. Nothing when the text holds no number.
// strtod reads with the process locale, which the fuzzers leave at "C".
std::optional<ReferenceNumber> ReadReferenceNumber(const char *text);

} // namespace fuzzing
