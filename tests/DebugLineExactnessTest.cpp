// The debug line's own conversion of ordinary magnitudes: it must round exactly as printf's
// "%.6f" does from the exact binary value, across every binary exponent that it handles, at the
// edges where it hands over to the general conversion, and on exact ties.
#include "tests/ClassicLocale.h"
#include "vessel/TextScan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Ours(double value) {
    char text[512];
    brevlet::WriteDebugLine(text, sizeof text, value, -value);
    return text;
}

// Our text for every value, made under the process locale, against printf's in the "C" locale.
void ExpectSameAsPrintf(const std::vector<double> &values) {
    std::vector<std::string> ours;
    ours.reserve(values.size());
    for (const double value : values) {
        ours.push_back(Ours(value));
    }
    const brevlet_test::ClassicLocale classic;
    for (std::size_t i = 0; i < values.size(); ++i) {
        char reference[512];
        std::snprintf(reference, sizeof reference, "%lf Dmax=%lfm", values[i], -values[i]);
        ASSERT_EQ(ours[i], reference) << "value " << std::hexfloat << values[i];
    }
}

TEST(DebugLineExactness, MatchesPrintfAcrossEveryBinaryExponent) {
    std::mt19937_64 random(20240611);
    std::vector<double> values;
    // 2^-25 lies below everything that rounds up to 0.000001; from 2^43 on, values are converted
    // in parts, with binary fraction digits up to 2^53 and as integers beyond.
    for (int exponent = -25; exponent <= 1023; ++exponent) {
        const double power = std::ldexp(1.0, exponent);
        values.push_back(power);
        values.push_back(std::nextafter(power, 0.0));
        values.push_back(std::nextafter(power, HUGE_VAL));
        for (int i = 0; i < (exponent <= 55 ? 400 : 4); ++i) {
            const auto mantissa = static_cast<double>(random() >> 11); // 53 random bits
            values.push_back(std::ldexp(mantissa, exponent - 53) + power);
        }
    }
    const std::size_t positives = values.size();
    for (std::size_t i = 0; i < positives; ++i) {
        values.push_back(-values[i]);
    }
    ExpectSameAsPrintf(values);
}

TEST(DebugLineExactness, RoundsByTheTrueValueNextToHalfAMillionth) {
    std::vector<double> values;
    for (const double millionths : {0.0, 1.0, 7.0, 999999.0, 12345678.0, 3599999999.0}) {
        const double half = (millionths + 0.5) * 1e-6; // never exactly a tie in binary
        double below = half;
        double above = half;
        for (int step = 0; step < 4; ++step) {
            values.push_back(below);
            values.push_back(above);
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, HUGE_VAL);
        }
    }
    ExpectSameAsPrintf(values);
}

TEST(DebugLineExactness, ExactTiesRoundToTheEvenDigit) {
    // A tie at the sixth decimal is exact in binary only for odd multiples of 1/128.
    struct Case {
        double value;
        const char *expected;
    };
    const Case cases[] = {
        {0.0078125, "0.007812 Dmax=-0.007812m"},
        {0.0234375, "0.023438 Dmax=-0.023438m"},
        {2.5078125, "2.507812 Dmax=-2.507812m"},
        {1023.9921875, "1023.992188 Dmax=-1023.992188m"},
        // The largest odd multiple of 1/128 below 2^43, the own conversion's limit.
        {std::ldexp(static_cast<double>((std::uint64_t{1} << 50) - 1), -7),
         "8796093022207.992188 Dmax=-8796093022207.992188m"},
        {std::ldexp(static_cast<double>((std::uint64_t{1} << 50) - 3), -7),
         "8796093022207.976562 Dmax=-8796093022207.976562m"},
    };
    std::vector<double> values;
    for (const Case &c : cases) {
        EXPECT_EQ(Ours(c.value), c.expected) << std::hexfloat << c.value;
        values.push_back(c.value);
    }
    for (std::uint64_t odd = 1; odd < 4096; odd += 2) {
        values.push_back(static_cast<double>(odd) / 128.0);
        values.push_back(static_cast<double>((std::uint64_t{1} << 49) + odd) / 128.0);
    }
    ExpectSameAsPrintf(values);
}

TEST(DebugLineExactness, NegativesThatRoundToZeroKeepTheirSign) {
    for (const double value : {-0.0, -1e-300, -4.9e-324, -4.999999e-7, -std::ldexp(1.0, -21)}) {
        EXPECT_EQ(Ours(value).substr(0, 10), "-0.000000 ") << std::hexfloat << value;
    }
    EXPECT_EQ(Ours(-5.000001e-7).substr(0, 10), "-0.000001 ");
}

} // namespace
