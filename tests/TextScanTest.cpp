// The module's key match and number reader, which must behave the same under every locale.
#include "vessel/TextScan.h"
#include "tests/ClassicLocale.h"
#include "tests/ExtremeDoubles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using brevlet::ScanNumber;
using brevlet::StartsWithKey;
using brevlet_test::ClassicLocale;

using brevlet_test::denormMin;
using brevlet_test::inf;

// Equal as values and in the sign of zero.
bool SameDouble(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

// The exact decimal expansion of 2^-n, "0.000...", from 5^n / 10^n.
std::string ExactPowerOfTwo(int n) {
    std::vector<int> digits{1}; // 5^k, least significant digit first
    for (int k = 0; k < n; ++k) {
        int carry = 0;
        for (int &digit : digits) {
            const int product = digit * 5 + carry;
            digit = product % 10;
            carry = product / 10;
        }
        for (; carry > 0; carry /= 10) {
            digits.push_back(carry % 10);
        }
    }
    std::string text = "0." + std::string(static_cast<std::size_t>(n) - digits.size(), '0');
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        text += static_cast<char>('0' + *it);
    }
    return text;
}

TEST(StartsWithKey, ComparesTheKeysLengthFoldingAsciiLettersOnly) {
    struct Case {
        const char *line;
        const char *key;
        bool matches;
    };
    const Case cases[] = {
        {"LifeTime = 30", "LifeTime", true},
        {"lifetime=30", "LifeTime", true},
        {"LIFETIME", "LifeTime", true},
        {"LifeTimeScale = 2", "LifeTime", true},
        {"maxcamdistance = 1", "MaxCamDistance", true},
        {"LifeTim", "LifeTime", false},     // the line ends before the key does
        {"", "LifeTime", false},            // an empty line
        {"Life", "LifeTimeAndMore", false}, // a key longer than the line
        {" LifeTime = 30", "LifeTime", false},
        {"LifeTume = 30", "LifeTime", false},
        // Only A-Z and a-z fold: characters 32 apart that are no letters stay different.
        {"@", "`", false},
        {"[", "{", false},
        {"^", "~", false},
        // Latin-1 upper and lower case differ by 32 as well, yet are not ASCII letters.
        {"LIFETIM\xC9", "lifetim\xE9", false},
        {"LIFETIM\xC9", "LIFETIM\xC9", true},
        {"\xE9", "\xC9", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("line \"") + c.line + "\", key \"" + c.key + "\"");
        EXPECT_EQ(StartsWithKey(c.line, c.key), c.matches);
    }
}

struct ScanCase {
    std::string text;
    bool found;
    double value;          // when found
    std::size_t end;       // offset of the returned end, when found
    bool agreesWithStrtod; // strtod takes words, hexadecimal and more; where it does not
};

std::vector<ScanCase> ScanCases() {
    const std::string thousandZeros(999, '0');
    const std::string halfDenormMin = ExactPowerOfTwo(1075);
    return {
        {"30", true, 30, 2, true},
        {"  \t30", true, 30, 5, true},
        {"\n\v\f\r 7", true, 7, 6, true},
        {"-2.5", true, -2.5, 4, true},
        {"+3", true, 3, 2, true},
        {"-0", true, -0.0, 2, true},
        {".5", true, 0.5, 2, true},
        {"5.", true, 5, 2, true},
        {"-.5e1", true, -5, 5, true},
        {"1E3", true, 1000, 3, true},
        {"1e+3", true, 1000, 4, true},
        {"25e-1", true, 2.5, 5, true},
        // An exponent mark without digits ends the number before it.
        {"2e", true, 2, 1, true},
        {"5e+", true, 5, 1, true},
        {"5e-x", true, 5, 1, true},
        {"7.e", true, 7, 2, true},
        // Reading stops at the first character that cannot continue the number.
        {"30 s", true, 30, 2, true},
        {"3,5", true, 3, 1, true},
        {"1.5.2", true, 1.5, 3, true},
        {"12abc", true, 12, 2, true},
        {"--1", false, 0, 0, true},
        {"+-1", false, 0, 0, true},
        // No number at all.
        {"", false, 0, 0, true},
        {"   ", false, 0, 0, true},
        {"+", false, 0, 0, true},
        {"-", false, 0, 0, true},
        {".", false, 0, 0, true},
        {"-.e5", false, 0, 0, true},
        {"e5", false, 0, 0, true},
        {"abc", false, 0, 0, true},
        {"= 5", false, 0, 0, true},
        // Words and hexadecimal are no number form here, although strtod takes them.
        {"inf", false, 0, 0, false},
        {"-infinity", false, 0, 0, false},
        {"nan", false, 0, 0, false},
        {"NAN(1)", false, 0, 0, false},
        {"0x10", true, 0, 1, false},
        {"-0X1p3", true, -0.0, 2, false},
        // Overflow reads as infinity with its sign, underflow as zero with its sign.
        {"1e400", true, inf, 5, true},
        {"-1e999", true, -inf, 6, true},
        {"1e-400", true, 0.0, 6, true},
        {"-1e-400", true, -0.0, 7, true},
        {"1e99999999999999999999", true, inf, 22, true},
        {"1e-99999999999999999999", true, 0.0, 23, true},
        {"0e99999999999999999999", true, 0.0, 22, true},
        {"0.001e310", true, 1e307, 9, true},
        {"1" + thousandZeros, true, inf, 1000, true},
        {"0." + thousandZeros + "1", true, 0.0, 1002, true},
        // The largest and smallest values, and subnormals.
        {"1.7976931348623157e308", true, DBL_MAX, 22, true},
        {"1.7976931348623159e308", true, inf, 22, true}, // past the halfway point to 2^1024
        {"2.2250738585072014e-308", true, DBL_MIN, 23, true},
        {"1e-310", true, 1e-310, 6, true},
        {"5e-324", true, denormMin, 6, true},
        {"-4.9406564584124654e-324", true, -denormMin, 24, true},
        // Correct rounding: exact halfway cases go to the even neighbour, and one more digit
        // anywhere behind them tips the result up.
        {"9007199254740993", true, 9007199254740992.0, 16, true},
        {"9007199254740993." + thousandZeros + "1", true, 9007199254740994.0, 1017, true},
        {"1.00000000000000011102230246251565404236316680908203125", true, 1.0, 55, true},
        {"1.000000000000000111022302462515654042363166809082031251", true, 1.0000000000000002, 56,
         true},
        {"1.00000000000000033306690738754696212708950042724609375", true, 1.0000000000000004, 55,
         true},
        {halfDenormMin, true, 0.0, halfDenormMin.size(), true},
        {halfDenormMin + "1", true, denormMin, halfDenormMin.size() + 1, true},
    };
}

TEST(ScanNumber, ReadsAsPercentLfDoesInTheCLocale) {
    for (const ScanCase &c : ScanCases()) {
        SCOPED_TRACE("text \"" + c.text.substr(0, 60) + "\" (" + std::to_string(c.text.size()) +
                     " characters)");
        constexpr double untouched = 42.0;
        double value = untouched;
        const char *end = ScanNumber(c.text.c_str(), value);
        if (!c.found) {
            EXPECT_EQ(end, nullptr);
            EXPECT_EQ(value, untouched) << "a failed read must leave the value alone";
        } else {
            ASSERT_NE(end, nullptr);
            EXPECT_EQ(static_cast<std::size_t>(end - c.text.c_str()), c.end);
            EXPECT_TRUE(SameDouble(value, c.value)) << value << " instead of " << c.value;
        }

        if (c.agreesWithStrtod) {
            ClassicLocale classic;
            char *strtodEnd = nullptr;
            errno = 0;
            const double reference = std::strtod(c.text.c_str(), &strtodEnd);
            if (strtodEnd == c.text.c_str()) {
                EXPECT_EQ(end, nullptr) << "strtod reads no number here";
            } else {
                EXPECT_EQ(end, strtodEnd) << "strtod ends elsewhere";
                EXPECT_TRUE(SameDouble(value, reference)) << "strtod reads " << reference;
            }
        }
    }
}

// Every double written in its shortest form and in seventeen significant digits reads back as
// itself: the host writes scenario values this way, and the module reads them.
TEST(ScanNumber, ReadsBackWhatPrintfWrites) {
    const double values[] = {0.1,
                             1.0 / 3,
                             1e-9,
                             1e300,
                             5e-324,
                             2.2250738585072009e-308,
                             12.5,
                             -7.25,
                             DBL_MAX,
                             DBL_MIN,
                             123456789.123456789,
                             1e23,
                             8.98846567431158e307,
                             0.3,
                             2.0 / 3};
    for (const double original : values) {
        for (const char *format : {"%.17g", "%.17e", "%a"}) {
            char text[64];
            {
                ClassicLocale classic;
                std::snprintf(text, sizeof text, format, original);
            }
            SCOPED_TRACE(text);
            double value = 0.0;
            const char *end = ScanNumber(text, value);
            if (std::string(format) == "%a") {
                // Hexadecimal is no number form: "0x..." reads as the 0 in front.
                ASSERT_NE(end, nullptr);
                EXPECT_EQ(end - text, original < 0 ? 2 : 1);
                EXPECT_EQ(value, 0.0);
            } else {
                ASSERT_NE(end, nullptr);
                EXPECT_EQ(*end, '\0');
                EXPECT_TRUE(SameDouble(value, original));
            }
        }
    }
}

} // namespace
