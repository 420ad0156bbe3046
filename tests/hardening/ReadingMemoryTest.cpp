// Reading a scenario takes memory in proportion to what it says, not to its blank lines and
// comments: the real host runs a large scenario that is nearly all of them in a small fraction of
// the file's size over its own needs, and one of hundreds of thousands of events in well under
// ten times its size.
#include "tests/hardening/HostProcess.h"
#include "tests/hardening/InProcessHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using hardening::TempFolder;

TEST(ReadingMemory, BlankLinesAndCommentsCostOnlyTheirBytes) {
    struct Case {
        const char *name;
        const char *line;
    };
    // Each a quarter of the file, so that every kind of line and line end is there in bulk.
    const Case fillers[] = {
        {"blank lines", "\n"},
        {"blank lines with CR LF", "\r\n"},
        {"blank lines with CR", "\r"},
        {"comments", "# a comment line, longer than a short string's own storage\n"},
    };
    constexpr std::size_t quarter = std::size_t{4} * 1024 * 1024;
    std::string text = "STEP 1\nEND 2\nVESSEL A Brevlet\n  POS 0 0 10\nEND_VESSEL\n";
    for (const Case &filler : fillers) {
        const std::string line = filler.line;
        for (std::size_t written = 0; written < quarter; written += line.size()) {
            text += line;
        }
    }
    text += "AT 1 CAMERA TARGET A\n";

    TempFolder folder;
    folder.Write("config/Brevlet.cfg", "Module = Brevlet\nLifeTime = 5\n");
    const std::vector<std::string> arguments = {
        folder.Write("large.scn", text), "--config", folder / "config", "--modules",
        hardening::ModuleFolder(),       "--output", folder / "out.scn"};
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string());
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("camera targets A"), std::string::npos) << outcome.out;
    // The text itself is held while it is parsed; a record per line would take many times more.
    const long fileKib = static_cast<long>(text.size() / 1024);
    EXPECT_GT(outcome.peakResidentKib, 0);
    EXPECT_LT(outcome.peakResidentKib, 5 * fileKib)
        << "peak " << outcome.peakResidentKib << " KiB for a file of " << fileKib << " KiB";
}

// A scenario that is nearly all events, each line short: the events, in order or not, cameras or
// spawns, take less than ten times the file's bytes. A vessel of an unknown class ends the run
// once the scenario is read and its classes are looked for. (A sanitizer's allocator pads every
// allocation, and an event is one or two of them.)
TEST(ReadingMemory, EventsCostLessThanTenTimesTheirBytes) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer pads every allocation";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer pads every allocation";
#endif
#endif
    struct Case {
        const char *name;
        std::string (*line)(int i);
    };
    const Case cases[] = {
        {"camera events", [](int) { return std::string("AT 1 CAMERA POS 1 2 3\n"); }},
        {"camera events out of order",
         [](int i) { return "AT " + std::to_string(2 - i % 2) + " CAMERA POS 1 2 3\n"; }},
        {"spawns",
         [](int i) { return "AT 1 SPAWN V" + std::to_string(i) + " Brevlet POS 1 2 3\n"; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = "STEP 1\nEND 2\nVESSEL X Nonesuch\nEND_VESSEL\n";
        for (int i = 0; i < 250000; ++i) {
            text += c.line(i);
        }
        TempFolder folder;
        folder.Write("config/Brevlet.cfg", "Module = Brevlet\nLifeTime = 5\n");
        const hardening::HostOutcome outcome = hardening::RunHostProcess(
            {folder.Write("events.scn", text), "--config", folder / "config", "--modules",
             hardening::ModuleFolder(), "--output", folder / "out.scn"},
            folder.Path().string());
        ASSERT_EQ(outcome.exitCode, 1);
        EXPECT_NE(outcome.err.find("class Nonesuch"), std::string::npos) << outcome.err;
        const long fileKib = static_cast<long>(text.size() / 1024);
        EXPECT_GT(outcome.peakResidentKib, 0);
        EXPECT_LT(outcome.peakResidentKib, 10 * fileKib)
            << "peak " << outcome.peakResidentKib << " KiB for a file of " << fileKib << " KiB";
    }
}

} // namespace
