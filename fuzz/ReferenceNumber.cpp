#include "fuzz/ReferenceNumber.h"

#include <cstdlib>
#include <string>

namespace fuzzing {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipDigits(const char *text, std::size_t at) {
    while (IsDigit(text[at])) {
        ++at;
    }
    return at;
}

} // namespace

std::optional<ReferenceNumber> ReadReferenceNumber(const char *text) {
    std::size_t at = 0;
    while (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')) {
        ++at;
    }
    const std::size_t numberStart = at;
    if (text[at] == '+' || text[at] == '-') {
        ++at;
    }
    const std::size_t integerStart = at;
    at = SkipDigits(text, at);
    std::size_t digits = at - integerStart;
    if (text[at] == '.') {
        const std::size_t fractionStart = at + 1;
        at = SkipDigits(text, fractionStart);
        digits += at - fractionStart;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (text[at] == 'e' || text[at] == 'E') {
        std::size_t exponent = at + 1;
        if (text[exponent] == '+' || text[exponent] == '-') {
            ++exponent;
        }
        if (IsDigit(text[exponent])) {
            at = SkipDigits(text, exponent);
        }
    }

    // strtod sees only the accepted part, so it cannot go on into a hexadecimal or other form.
    const std::string accepted(text + numberStart, at - numberStart);
    char *end = nullptr;
    const double value = std::strtod(accepted.c_str(), &end);
    if (end != accepted.c_str() + accepted.size()) {
        std::abort(); // the grammar above and strtod disagree: a fault of this reference
    }
    return ReferenceNumber{value, at};
}

} // namespace fuzzing
