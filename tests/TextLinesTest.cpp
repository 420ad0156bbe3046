// Splitting a text file into lines: every line end that editors write, and the line numbers that
// messages name.
#include "standin_host/text/TextLines.h"
#include "standin_host/interface/LineReader.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/scenario/TextFile.h"
#include "standin_host/text/SourceLines.h"
#include "tests/AllocationCounter.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string &text) {
    std::vector<std::string> lines;
    standin::TextLines reader(text);
    for (std::string_view line; reader.Next(line);) {
        EXPECT_EQ(reader.Number(), static_cast<int>(lines.size()) + 1);
        lines.emplace_back(line);
    }
    return lines;
}

TEST(TextLines, EveryLineEndEndsALine) {
    struct Case {
        const char *name;
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CRLF", "a\r\nb\r\n", {"a", "b"}},
        {"CR only", "a\rb\r", {"a", "b"}},
        {"no end on the last line", "a\nb", {"a", "b"}},
        {"CR only, no end on the last line", "a\rb", {"a", "b"}},
        {"blank lines of each kind", "a\n\nb\r\n\r\nc\r\rd", {"a", "", "b", "", "c", "", "d"}},
        // A file converted to CRLF twice: the carriage returns before "\n" all belong to it.
        {"CR CR LF", "a\r\r\nb\r\r\n", {"a", "b"}},
        {"mixed", "a\rb\nc\r\nd\r\r\ne\r", {"a", "b", "c", "d", "e"}},
        {"a lone CR at the end", "a\nb\r", {"a", "b"}},
        {"only CRs", "\r\r\r", {"", "", ""}},
        {"CRs, then CR LF", "a\r\r\r\n", {"a"}},
        {"LF CR", "a\n\rb", {"a", "", "b"}},
        {"CR runs, then text", "a\r\r\rb\r\r\nc", {"a", "", "", "b", "c"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Split(c.text), c.lines);
    }
}

// A long run of blank lines, however they end, is read in one pass: a file of a million carriage
// returns is a million empty lines, read as quickly as a million "\n".
TEST(TextLines, LongRunsOfCarriageReturnsAreReadOnce) {
    for (const char *end : {"\r", "\n", "\r\n"}) {
        std::string text;
        for (int i = 0; i < 1000000; ++i) {
            text += end;
        }
        text += "x";
        standin::TextLines reader(text);
        std::string_view line;
        std::size_t blank = 0;
        while (reader.Next(line) && line.empty()) {
            ++blank;
        }
        EXPECT_EQ(blank, 1000000u);
        EXPECT_EQ(line, "x");
        EXPECT_EQ(reader.Number(), 1000001);
    }
}

// A class name that is no file name is refused before any file is looked for, and a message never
// carries its control characters to the terminal.
TEST(VesselClasses, RefusesAClassNameThatIsNoFileName) {
    standin::VesselClasses classes(".", BREVLET_MODULE_FOLDER);
    const std::pair<const char *, const char *> refusals[] = {
        {"../Brevlet", "'../Brevlet' is not a valid class name"},
        {"a\x1b[2Jb", "'a\\x1b[2Jb' is not a valid class name"},
    };
    for (const auto &[name, message] : refusals) {
        std::string error;
        EXPECT_EQ(classes.Find(name, error), nullptr);
        EXPECT_EQ(error, message);
    }
}

// A class's configuration is split into lines once, by the same rule; the module reads them
// through a file handle, each line it is handed its own copy, with the number that a warning
// would name.
TEST(LineReader, HandsOutTheLinesOfAClassConfiguration) {
    brevlet_test::TempFolder folder;
    folder.Write("Brevlet.cfg", "Module = Brevlet\r; note\rLifeTime = 4\r\n\nMaxCamDistance = 9");
    standin::VesselClasses classes(folder.Path().string(), BREVLET_MODULE_FOLDER);
    std::string error;
    const standin::VesselClass *vesselClass = classes.Find("Brevlet", error);
    ASSERT_NE(vesselClass, nullptr) << error;
    std::string buffer;
    standin::LineReader reader(vesselClass->config.name, vesselClass->configLines, buffer);
    std::vector<std::string> lines;
    std::vector<int> numbers;
    char *line = nullptr;
    while (reader.Next(line)) {
        lines.emplace_back(line);
        numbers.push_back(reader.CurrentLineNumber());
        line[0] = '#'; // the module may write into its copy
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"Module = Brevlet", "; note", "LifeTime = 4", "",
                                               "MaxCamDistance = 9"}));
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 5}));
    standin::LineReader again(vesselClass->config.name, vesselClass->configLines, buffer);
    ASSERT_TRUE(again.Next(line));
    EXPECT_STREQ(line, "Module = Brevlet");
}

// The module reads its lines without the host allocating, so that memory that runs out is never
// an exception thrown through the module's code; a buffer kept from a shorter block grows first.
TEST(LineReader, HandsOutEveryLineWithoutAllocating) {
    standin::SourceLines lines;
    lines.Add("POS 1 2 3", 1);
    lines.Add(std::string(5000, 'x'), 2);
    lines.Add("", 4);
    const std::string fileName = "run.scn";
    std::string buffer(10, '\0');
    standin::LineReader reader(fileName, lines, buffer);
    const std::size_t before = brevlet_test::CurrentAllocationCounts().allocations;
    std::size_t lengths[4] = {};
    std::size_t count = 0;
    for (char *line = nullptr; count < 4 && reader.Next(line); ++count) {
        lengths[count] = std::strlen(line);
    }
    EXPECT_EQ(brevlet_test::CurrentAllocationCounts().allocations, before);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(lengths[0], 9u);
    EXPECT_EQ(lengths[1], 5000u);
    EXPECT_EQ(lengths[2], 0u);
}

// Lines keep their numbers in the file, whether they follow one another (a class configuration,
// blank lines included) or not (a scenario block, whose blank lines and comments are left out);
// lines of any length come back whole.
TEST(SourceLines, KeepEachLineWithItsNumber) {
    const std::string longLine(300000, 'x');
    const struct {
        const char *what;
        std::vector<std::pair<std::string, int>> added;
    } cases[] = {
        {"block with lines left out", {{"POS 1 2 3", 7}, {"LIFETIME 4", 10}, {"X", 1000000}}},
        {"configuration", {{"Module = Brevlet", 1}, {"", 2}, {" ", 3}, {"", 4}}},
        {"lines of 126, 127 and 300,000 bytes",
         {{std::string(126, 'a'), 1}, {std::string(127, 'b'), 2}, {longLine, 4}, {"", 5}}},
        {"nothing", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        standin::SourceLines lines;
        for (const auto &[text, number] : c.added) {
            lines.Add(text, number);
        }
        std::vector<std::pair<std::string, int>> handedOut;
        standin::SourceLines::Cursor cursor(lines);
        std::string_view line;
        for (int number = 0; cursor.Next(line, number);) {
            handedOut.emplace_back(line, number);
        }
        EXPECT_EQ(handedOut, c.added);
        EXPECT_EQ(lines.Empty(), c.added.empty());
        lines.Release();
        EXPECT_TRUE(lines.Empty());
    }
}

TEST(TextFile, NulByteIsNamedWithItsLineWhateverTheLineEnds) {
    brevlet_test::TempFolder folder;
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE("line end " + std::to_string(end.size()) + " bytes");
        std::string text = "STEP 1";
        text.append(end).append(end).append("END 5").append(end).append("AT 1 SAVE a");
        text += '\0';
        const std::string path = folder.Write("nul.scn", text);
        standin::TextFile file;
        std::string error;
        EXPECT_FALSE(standin::ReadTextFile(path, file, error));
        EXPECT_EQ(error, path + ":4: holds a NUL byte; not a text file");
    }
}

// The byte-order mark goes; the rest of the file is kept byte for byte, line ends included.
TEST(TextFile, KeepsTheTextWithoutItsByteOrderMark) {
    brevlet_test::TempFolder folder;
    standin::TextFile file;
    std::string error;
    ASSERT_TRUE(standin::ReadTextFile(folder.Write("bom.scn", "\xef\xbb\xbfSTEP 1\r\n\rEND 2"),
                                      file, error))
        << error;
    EXPECT_EQ(file.text, "STEP 1\r\n\rEND 2");
}

} // namespace
