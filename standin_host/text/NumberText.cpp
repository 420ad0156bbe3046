#include "standin_host/text/NumberText.h"

#include <fast_float/fast_float.h>
#include <fmt/format.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <system_error>

namespace standin {
namespace {

// Why `token` is no finite decimal number, or nullptr with `value` set to the number it is.
const char *Read(std::string_view token, double &value) {
    constexpr const char *notANumber = "is not a finite number";
    if (!token.empty() && token[0] == '+') {
        token.remove_prefix(1);
        if (!token.empty() && (token[0] == '-' || token[0] == '+')) {
            return notANumber;
        }
    }
    // fast_float, compiled with the host's own flags, reads the same on every build whatever the
    // x87 unit's precision; the standard library's prebuilt from_chars does not on 32-bit x86.
    double parsed = 0.0;
    const char *const last = token.data() + token.size();
    const fast_float::from_chars_result result =
        fast_float::from_chars(token.data(), last, parsed, fast_float::chars_format::general);
    const std::string_view digits = token.substr(!token.empty() && token[0] == '-' ? 1 : 0);
    // "inf" and "nan" are read, and refused as words, not as numbers out of range.
    const bool decimal =
        !digits.empty() && ((digits[0] >= '0' && digits[0] <= '9') || digits[0] == '.');
    if (result.ptr != last || !decimal ||
        (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)) {
        return notANumber;
    }
    if (std::isinf(parsed)) {
        return "is too large for a number";
    }
    // Digits that are not all 0 but read as 0 lie below the smallest double: refused, rather than
    // read as 0 without a word.
    const std::string_view mantissa = token.substr(0, token.find_first_of("eE"));
    if (parsed == 0.0 && mantissa.find_first_of("123456789") != std::string_view::npos) {
        return "is too small, reads as 0";
    }
    if (result.ec != std::errc()) {
        return notANumber;
    }
    value = parsed;
    return nullptr;
}

} // namespace

bool ParseFiniteNumber(std::string_view token, double &value) {
    return Read(token, value) == nullptr;
}

const char *WhyNotAFiniteNumber(std::string_view token) {
    double ignored = 0.0;
    const char *why = Read(token, ignored);
    return why != nullptr ? why : "is not a finite number";
}

constexpr double readableLimit = 1e15;

std::string FormatExact(double value) {
    std::string text;
    AppendExact(text, value);
    return text;
}

// The numbers are written by {fmt}, compiled into the host with its own flags, as they are read
// by fast_float: no precompiled library code handles the doubles, whatever the x87 unit's state.
// The layout is that of std::to_chars(first, last, value), which the host used before and which
// saved scenarios and logs keep: of the fixed and the scientific notation of the shortest digits
// that read back as the value, the shorter one, fixed on a tie.
void AppendExact(std::string &text, double value) {
    if (std::isinf(value)) {
        text.append(value > 0 ? "1e999" : "-1e999");
        return;
    }
    if (value == 0.0) {
        text.append(std::signbit(value) ? "-0" : "0"); // the usual coordinate, without a format
        return;
    }
    if (std::isnan(value)) {
        fmt::format_to(std::back_inserter(text), "{}", value); // "nan"
        return;
    }
    if (std::signbit(value)) {
        text.push_back('-');
    }
    // Dragonbox's shortest digits (fmt's own detail: the one way {fmt} offers them undecorated).
    const auto shortest = fmt::detail::dragonbox::to_decimal(std::fabs(value));
    // format_int writes the digits without parsing a format string, for every number saved.
    const fmt::format_int significand(shortest.significand);
    const char *const digits = significand.data();
    const int count = static_cast<int>(significand.size());
    const int exponent = shortest.exponent + count - 1; // of the first digit
    const int exponentDigits = std::abs(exponent) >= 100 ? 3 : 2;
    const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + exponentDigits;
    const int fixedLength = exponent >= count - 1 ? exponent + 1
                            : exponent >= 0       ? count + 1
                                                  : count + 1 - exponent;
    if (fixedLength > scientificLength) {
        text.push_back(digits[0]);
        if (count > 1) {
            text.push_back('.');
            text.append(digits + 1, digits + count);
        }
        fmt::format_to(std::back_inserter(text), "e{}{:0{}}", exponent < 0 ? '-' : '+',
                       std::abs(exponent), exponentDigits);
    } else if (exponent >= count - 1 && std::fabs(value) < 9007199254740992.0) {
        // A whole number below 2^53: neighbouring doubles are at most 1 apart, so its shortest
        // digits and zeros are all its digits, exactly.
        const int zeros = exponent - count + 1;
        text.append(digits, digits + count);
        text.append(static_cast<std::size_t>(zeros), '0');
    } else if (exponent >= count - 1) {
        // A whole number: all its digits, exactly, rather than its shortest ones and zeros.
        fmt::format_to(std::back_inserter(text), "{:.0f}", std::fabs(value));
    } else if (exponent >= 0) {
        text.append(digits, digits + exponent + 1);
        text.push_back('.');
        text.append(digits + exponent + 1, digits + count);
    } else {
        text.append("0.");
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text.append(digits, digits + count);
    }
}

std::string FormatFixed(double value, int decimals) {
    // Beyond 10^15 a double holds no fraction, and its digits only fill the line: 1e+300 says it.
    if (!(std::fabs(value) < readableLimit)) {
        return FormatExact(value);
    }
    return fmt::format("{:.{}f}", value, decimals);
}

std::string GroupedDigits(unsigned long long count) {
    std::string digits = std::to_string(count);
    for (std::size_t end = digits.size(); end > 3; end -= 3) {
        digits.insert(end - 3, 1, ',');
    }
    return digits;
}

int DecimalsToTellApart(double step, int fewest) {
    constexpr int most = 9;
    int decimals = fewest;
    double scaled = step * std::pow(10.0, fewest);
    // The tolerance is relative, so that a step far below a second still gets its decimals.
    while (decimals < most && std::fabs(scaled - std::round(scaled)) > 1e-9 * scaled) {
        scaled *= 10.0;
        ++decimals;
    }
    return decimals;
}

std::string VectorText(const VECTOR3 &v) {
    std::string text;
    AppendExact(text, v.x);
    for (const double coordinate : {v.y, v.z}) {
        text += ' ';
        AppendExact(text, coordinate);
    }
    return text;
}

} // namespace standin
