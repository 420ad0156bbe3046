// The host's shared text routines, which several of its outputs rely on to read and write alike:
// the text of numbers, the decimals of a time grid, numbers and counts in messages, the run log's
// warnings, UTF-8 decoding and ASCII case folding.
#include "standin_host/outputs/RunLog.h"
#include "standin_host/platform/Process.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/TextLines.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Written {
    double value;
    const char *exact;
};

// Saved scenarios and logs keep the text that the host has always written: the shorter of the
// fixed and the scientific notation of the shortest digits, fixed on a tie, whole numbers in full.
TEST(FormatExact, WritesTheShortestTextThatReadsBackInTheShorterNotation) {
    const Written cases[] = {
        {0.0, "0"},
        {-0.0, "-0"},
        {0.1, "0.1"},
        {-0.30000000000000004, "-0.30000000000000004"},
        {0.001, "0.001"},
        {1e-4, "1e-04"}, // "0.0001" is one character longer
        {123456.0, "123456"},
        {1e5, "1e+05"},
        {577.3502691896258, "577.3502691896258"},
        {1e22, "1e+22"},
        {1e300, "1e+300"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
        {9007199254740993.0, "9007199254740992"},
        // Shortest digits "18446744073709552" and zeros would read back too; the number is whole.
        {18446744073709551616.0, "18446744073709551616"},
        {std::numeric_limits<double>::infinity(), "1e999"},
        {-std::numeric_limits<double>::infinity(), "-1e999"},
    };
    for (const Written &c : cases) {
        EXPECT_EQ(standin::FormatExact(c.value), c.exact);
    }
    std::string text = "POS ";
    standin::AppendExact(text, 0.1);
    EXPECT_EQ(text, "POS 0.1");
}

TEST(FormatFixed, RoundsTheExactValueToTheDecimals) {
    EXPECT_EQ(standin::FormatFixed(0.0005, 3), "0.001"); // a little above the halfway point
    EXPECT_EQ(standin::FormatFixed(2.675, 2), "2.67");   // a little below it
    EXPECT_EQ(standin::FormatFixed(0.125, 2), "0.12");   // exactly on it: to even
    EXPECT_EQ(standin::FormatFixed(-0.0, 3), "-0.000");
    EXPECT_EQ(standin::FormatFixed(10.0, 0), "10");
    EXPECT_EQ(standin::FormatFixed(999999999999999.9, 1), "999999999999999.9");
}

// The same text as the standard library's to_chars, which the host wrote with before, on doubles
// of every magnitude: a fixed series of bit patterns, and decimal fractions and whole numbers.
// (FormatFixed writes numbers from 10^15 on as FormatExact does.)
TEST(FormatExact, MatchesTheLayoutItReplacesOnDoublesOfEveryMagnitude) {
    std::uint64_t state = 0x9e3779b97f4a7c15;
    const auto next = [&state] { // xorshift64: the same series on every build
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    const auto standard = [](double value, int decimals) {
        char text[400];
        const std::to_chars_result result = decimals < 0
                                                ? std::to_chars(text, text + sizeof text, value)
                                                : std::to_chars(text, text + sizeof text, value,
                                                                std::chars_format::fixed, decimals);
        return std::string(text, result.ptr);
    };
    int differences = 0;
    for (int i = 0; i < 100000 && differences < 10; ++i) {
        const std::uint64_t bits = next();
        double values[3];
        std::memcpy(&values[0], &bits, sizeof values[0]);
        values[1] = static_cast<double>(bits % 10000000) / 1000.0;
        values[2] = static_cast<double>(static_cast<std::int64_t>(bits) >> (bits % 40));
        for (const double value : values) {
            if (value != value || value - value != 0.0) {
                continue; // not a finite number
            }
            const int decimals = static_cast<int>(bits % 10);
            const bool same = standin::FormatExact(value) == standard(value, -1) &&
                              (!(std::fabs(value) < 1e15) ||
                               standin::FormatFixed(value, decimals) == standard(value, decimals));
            if (!same) {
                ++differences;
                ADD_FAILURE() << standard(value, -1) << " written as "
                              << standin::FormatExact(value) << ", or with " << decimals
                              << " decimals as " << standin::FormatFixed(value, decimals);
            }
        }
    }
}

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

// Numbers in the log and in messages stay a few characters long, however large.
TEST(FormatFixed, WritesFixedUpTo10To15AndShortestBeyond) {
    const struct {
        double value;
        int decimals;
        const char *text;
    } cases[] = {
        {2.5, 3, "2.500"},
        {-999999999999999.0, 0, "-999999999999999"},
        {1e15, 3, "1e+15"},
        {1e300, 3, "1e+300"},
        {-1.7976931348623157e308, 0, "-1.7976931348623157e+308"},
        {std::numeric_limits<double>::infinity(), 3, "1e999"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(standin::FormatFixed(c.value, c.decimals), c.text) << c.value;
    }
    EXPECT_EQ(standin::GroupedDigits(0), "0");
    EXPECT_EQ(standin::GroupedDigits(999), "999");
    EXPECT_EQ(standin::GroupedDigits(1000), "1,000");
    EXPECT_EQ(standin::GroupedDigits(9999990), "9,999,990");
}

// Of each kind of warning the first ten are written, and the rest summed up in one line before
// the next line of the log, and at the end; each kind is counted by itself.
TEST(RunLog, SumsUpTheWarningsOfAKindAfterTheFirstTen) {
    std::ostringstream log;
    std::ostringstream warnings;
    {
        standin::RunLog run(log, 1.0, warnings);
        for (int i = 1; i <= 25; ++i) {
            run.Warning("a.scn", i, "scenario line not understood: 'x'");
        }
        run.Warning("a.scn", 26, "other: y");
        run.Line(0.0, "created A");
        run.Warning("b.scn", 27, "scenario line not understood: 'z'");
    }
    std::string expected;
    for (int i = 1; i <= 10; ++i) {
        expected += "a.scn:" + std::to_string(i) + ": warning: scenario line not understood: 'x'\n";
    }
    expected += "a.scn:26: warning: other: y\n"
                "a.scn: warning: ... and 15 more of these: scenario line not understood\n"
                "b.scn: warning: ... and 1 more of these: scenario line not understood\n";
    EXPECT_EQ(warnings.str(), expected);
    EXPECT_EQ(log.str(), "[t=0.000] created A\n");
}

// What a stream is given between its flushes.
class Pieces : public std::stringbuf {
public:
    std::vector<std::size_t> sizes;
    std::string written;

protected:
    int sync() override {
        if (!str().empty()) {
            sizes.push_back(str().size());
            written += str();
            str("");
        }
        return 0;
    }
};

// The lines that the log on the standard output holds go out in pieces of whole lines of at most
// 4096 bytes, which a pipe takes whole or not at all; a longer line goes out by itself.
TEST(RunLog, HeldLinesGoOutInPiecesOfWholeLines) {
    if (standin::OutputStreamIsTerminal()) {
        GTEST_SKIP() << "a log on a terminal holds no lines";
    }
    Pieces pieces;
    std::streambuf *const standardOutput = std::cout.rdbuf(&pieces);
    std::ostringstream warnings;
    std::string expected;
    {
        standin::RunLog run(std::cout, 1.0, warnings);
        // Each line is 11 bytes longer: "[t=0.000] " and its end.
        for (const std::size_t length : {100, 3000, 5000, 10, 4086, 20}) {
            const std::string text(length, 'x');
            run.Line(0.0, text);
            expected += "[t=0.000] " + text + "\n";
        }
        EXPECT_TRUE(pieces.written.empty());
        run.Flush();
    }
    std::cout.rdbuf(standardOutput);
    EXPECT_EQ(pieces.sizes, (std::vector<std::size_t>{111 + 3011, 5011, 21, 4097, 31}));
    EXPECT_EQ(pieces.written, expected);
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
