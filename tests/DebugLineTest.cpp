// The debug line: the text of "%lf Dmax=%lfm" in the "C" locale, whatever the process locale,
// and never more than the buffer holds.
#include "host/HostServices.h"
#include "tests/ClassicLocale.h"
#include "tests/ExtremeDoubles.h"
#include "vessel/TextScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using brevlet::WriteDebugLine;
using brevlet_test::ClassicLocale;

using brevlet_test::denormMin;
using brevlet_test::inf;

// Room for two of the longest fixed-notation doubles and the rest of the text.
constexpr std::size_t roomForAnyText = 800;

std::string Reference(double lifetime, double maxCamDistance) {
    ClassicLocale classic;
    std::vector<char> text(roomForAnyText);
    std::snprintf(text.data(), text.size(), "%lf Dmax=%lfm", lifetime, maxCamDistance);
    return text.data();
}

TEST(WriteDebugLine, PrintsLikePercentLfInTheCLocale) {
    struct Case {
        double lifetime;
        double maxCamDistance;
    };
    const Case cases[] = {
        {12.5, 1000},
        {-1, 0},
        {-0.0, 0.0},
        {0.0, -0.0},
        {29.999999, 5e3},
        // Ties at the sixth decimal, exactly representable: they round to the even digit.
        {0.0078125, 0.0234375},
        {-0.0078125, 2.5078125},
        {1.0234375, 3.9921875},
        // Near ties that are not exact in binary round by their true value.
        {0.5e-6, 1.5e-6},
        {2.5e-6, 0.0000045},
        {0.9999995, 9.9999995},
        // Large values print every integer digit.
        {1e15, 1e300},
        {123456789012345678.0, -1e22},
        {DBL_MAX, -DBL_MAX},
        {inf, -inf},
        // Subnormals and tiny values print as zeros with their sign.
        {denormMin, -denormMin},
        {DBL_MIN, -1e-310},
    };
    for (const Case &c : cases) {
        const std::string expected = Reference(c.lifetime, c.maxCamDistance);
        SCOPED_TRACE(expected.substr(0, 80));
        std::vector<char> buffer(roomForAnyText, '#');
        WriteDebugLine(buffer.data(), buffer.size(), c.lifetime, c.maxCamDistance);
        EXPECT_EQ(std::string(buffer.data()), expected);
    }
}

TEST(WriteDebugLine, ShowsTheExampleLine) {
    char buffer[DebugStringCapacity];
    WriteDebugLine(buffer, sizeof buffer, 12.5, 1000);
    EXPECT_STREQ(buffer, "12.500000 Dmax=1000.000000m");
}

// A text longer than the buffer is cut to what fits before the terminating NUL; nothing is
// written past the capacity.
TEST(WriteDebugLine, CutsAndTerminatesAtTheCapacity) {
    const std::string shortText = Reference(12.5, 1000);
    const std::string hugeText = Reference(DBL_MAX, DBL_MAX);
    ASSERT_GT(hugeText.size(), DebugStringCapacity);

    struct Case {
        double lifetime;
        double maxCamDistance;
        std::size_t capacity;
    };
    const Case cases[] = {
        {12.5, 1000, 1},
        {12.5, 1000, 5},
        {12.5, 1000, shortText.size()},     // one byte short: the last character goes
        {12.5, 1000, shortText.size() + 1}, // exactly enough
        {12.5, 1000, shortText.size() + 2},
        {DBL_MAX, DBL_MAX, DebugStringCapacity},
        {-DBL_MAX, inf, 330},
    };
    constexpr std::size_t guard = 16;
    for (const Case &c : cases) {
        const std::string full = Reference(c.lifetime, c.maxCamDistance);
        SCOPED_TRACE("capacity " + std::to_string(c.capacity) + " for " + full.substr(0, 40));
        std::vector<char> buffer(c.capacity + guard, '#');
        WriteDebugLine(buffer.data(), c.capacity, c.lifetime, c.maxCamDistance);

        const std::size_t kept = std::min(full.size(), c.capacity - 1);
        EXPECT_EQ(buffer[kept], '\0');
        EXPECT_EQ(std::string(buffer.data()), full.substr(0, kept));
        for (std::size_t i = c.capacity; i < buffer.size(); ++i) {
            ASSERT_EQ(buffer[i], '#') << "written past the capacity at " << i;
        }
    }
}

TEST(WriteDebugLine, WritesNothingIntoABufferOfNoCapacity) {
    char buffer[4] = {'#', '#', '#', '#'};
    WriteDebugLine(buffer, 0, 12.5, 1000);
    EXPECT_EQ(std::string(buffer, sizeof buffer), "####");
}

} // namespace
