// The host's shared text routines, which several of its outputs rely on to read and write alike:
// the decimals of a time grid, UTF-8 decoding and ASCII case folding.
#include "standin_host/text/AsciiCase.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Grid {
    double step;
    int fewest;
    int decimals;
};

TEST(DecimalsToTellApart, TakesTheFewestThatShowEveryPointOfTheGrid) {
    const Grid grids[] = {
        {1.0, 0, 0},
        {10.0, 0, 0},
        {0.5, 0, 1},
        {0.1, 0, 1},
        {0.25, 0, 2},
        {0.02, 0, 2},
        {1e-3, 0, 3},
        {1.0, 3, 3},
        {0.02, 3, 3},
        {1e-4, 3, 4},
        {0.0625, 3, 4},
        {1e-9, 3, 9},
        {1.0 / 3, 3, 9},
        {1e-12, 3, 9},
        // A step far below a second still gets every decimal there is to give.
        {1e-10, 0, 9},
        {1e6 + 0.5, 0, 1},
    };
    for (const Grid &grid : grids) {
        EXPECT_EQ(standin::DecimalsToTellApart(grid.step, grid.fewest), grid.decimals)
            << grid.step << " at least " << grid.fewest;
    }
}

struct Sequence {
    const char *bytes;
    std::size_t length;
    unsigned codePoint;
};

TEST(DecodeUtf8, TakesWellFormedCharactersOnly) {
    const Sequence sequences[] = {
        {"A", 1, 'A'},
        {"\x7f", 1, 0x7f},
        {"\xc2\x80", 2, 0x80},
        {"\xdf\xbf", 2, 0x7ff},
        {"\xe0\xa0\x80", 3, 0x800},
        {"\xed\x9f\xbf", 3, 0xd7ff},
        {"\xef\xbf\xbf", 3, 0xffff},
        {"\xf0\x90\x80\x80", 4, 0x10000},
        {"\xf4\x8f\xbf\xbf", 4, 0x10ffff},
        {"\xc0\x80", 0, 0},         // overlong NUL
        {"\xc1\xbf", 0, 0},         // overlong
        {"\xe0\x9f\xbf", 0, 0},     // overlong
        {"\xf0\x8f\xbf\xbf", 0, 0}, // overlong
        {"\xed\xa0\x80", 0, 0},     // surrogate
        {"\xf4\x90\x80\x80", 0, 0}, // beyond U+10FFFF
        {"\xf5\x80\x80\x80", 0, 0},
        {"\x80", 0, 0},     // a continuation byte alone
        {"\xe2\x80", 0, 0}, // cut short
        {"\xe2\x41\x80", 0, 0},
    };
    for (const Sequence &s : sequences) {
        const standin::Utf8Character c = standin::DecodeUtf8(s.bytes);
        EXPECT_EQ(c.length, s.length) << s.bytes;
        if (s.length != 0) {
            EXPECT_EQ(c.codePoint, s.codePoint) << s.bytes;
        }
    }
    EXPECT_EQ(standin::DecodeUtf8("").length, 0u);
    // Only the first character counts.
    EXPECT_EQ(standin::DecodeUtf8("\xc3\xa9tude").length, 2u);
}

TEST(EqualsIgnoringAsciiCase, FoldsAsciiLettersOnly) {
    using standin::EqualsIgnoringAsciiCase;
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Module", "mODULE"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase("", ""));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Module", "Modules"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Modul", "Module"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("@", "`")); // 0x40 and 0x60: not letters
    EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xc3\x89", "\xc3\xa9")); // É and é stay apart
}

} // namespace
