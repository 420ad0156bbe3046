// The progress line fits the terminal: it never reaches the last column, where a terminal would
// wrap it and a redraw in place would leave the wrapped part behind. It is told of the run as an
// observer, and is gone when the run tells it of its end.
#include "standin_host/outputs/ProgressLine.h"
#include "standin_host/simulation/SimVessel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The lines' clock, which a test moves on.
std::chrono::steady_clock::time_point testNow{};
std::chrono::steady_clock::time_point TestNow() {
    return testNow;
}

// A run without vessels, halfway from 0 to 100.
class HalfwayRun : public standin::RunView {
public:
    double Time() const override { return 50.0; }
    standin::VesselList Vessels() const override {
        return standin::VesselList(vessels, vessels.size());
    }
    std::size_t PendingDeletions() const override { return 0; }
    const VECTOR3 &CameraPosition() const override { return camera; }
    const standin::SimVessel *CameraTarget() const override { return nullptr; }

private:
    std::vector<std::unique_ptr<standin::SimVessel>> vessels;
    VECTOR3 camera{};
};

TEST(ProgressLine, DrawnAsTheRunStepsAndGoneAtItsEnd) {
    std::ostringstream terminal;
    std::ostringstream logFile;
    standin::ProgressLine line(terminal, true, 0.0, 100.0, TestNow);
    standin::ProgressLine off(logFile, false, 0.0, 100.0, TestNow); // not a terminal
    const HalfwayRun run;
    const standin::StepFacts facts{50.0, nullptr, nullptr, ""};
    auto steps = [&](int count) {
        for (standin::RunObserver *observer : {static_cast<standin::RunObserver *>(&line),
                                               static_cast<standin::RunObserver *>(&off)}) {
            for (int step = 0; step < count; ++step) {
                observer->StepDone(run, facts);
            }
        }
    };
    // Shown only once the run has lasted a second, and then after some tens of thousands of
    // vessel calls.
    testNow += std::chrono::milliseconds(900);
    steps(70000);
    EXPECT_EQ(terminal.str(), "");
    testNow += std::chrono::milliseconds(200);
    steps(70000);
    line.RunEnded(run);
    off.RunEnded(run);
    EXPECT_EQ(logFile.str(), "");
    const std::string written = terminal.str();
    const std::size_t end = written.find('\r', 1);
    ASSERT_NE(end, std::string::npos) << written;
    const std::string drawn = written.substr(0, end);
    EXPECT_EQ(drawn.rfind("\rt=50.000  50.0%  ", 0), 0u) << drawn;
    EXPECT_EQ(written.substr(end), "\r" + std::string(drawn.size() - 1, ' ') + "\r");
}

// Fields that do not fit short of the last column are left out whole, from the last: a field cut
// short misreads ("1234567 s" of "1234567 steps/s").
TEST(ProgressLine, TextIsCutShortOfTheTerminalsLastColumnAtAField) {
    const std::string full = "t=1234.500  25.0%  1234567 steps/s  1h02m05s left";
    struct Case {
        std::size_t columns;
        const char *text;
    };
    const Case cases[] = {
        {1000, full.c_str()},
        {80, full.c_str()},
        {full.size() + 1, full.c_str()},
        {full.size(), "t=1234.500  25.0%  1234567 steps/s"},
        {35, "t=1234.500  25.0%  1234567 steps/s"},
        {34, "t=1234.500  25.0%"},
        {30, "t=1234.500  25.0%"},
        {18, "t=1234.500  25.0%"},
        {17, "t=1234.500"},
        {11, "t=1234.500"},
        {10, ""},
        {1, ""},
        {0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " columns");
        EXPECT_EQ(standin::ProgressText(1234.5, 0.25, 1234567, 3725, c.columns), c.text);
    }
}

// The reading line likewise: the name goes first when the terminal is narrow; a control
// character in the name is escaped, so that it cannot move the cursor.
TEST(ReadingLine, TextFitsShortOfTheTerminalsLastColumn) {
    struct Case {
        std::size_t columns;
        const char *name;
        double share;
        const char *text;
    };
    const Case cases[] = {
        {80, "big.scn", 0.456, "reading big.scn  45.6%"},
        {23, "big.scn", 0.456, "reading big.scn  45.6%"},
        {22, "big.scn", 0.456, "reading  45.6%"},
        {15, "big.scn", 0.456, "reading  45.6%"},
        {14, "big.scn", 0.456, ""},
        {80, "a\x1b[2J.scn", 1.5, "reading a\\x1b[2J.scn  100.0%"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " columns");
        EXPECT_EQ(standin::ReadingText("reading", c.name, c.share, c.columns), c.text);
    }
}

// Shown on a terminal only once the reading has lasted a second, and gone when it is done.
TEST(ReadingLine, DrawnAfterASecondAndGoneWhenDone) {
    std::ostringstream terminal;
    std::ostringstream logFile;
    {
        standin::ReadingLine line(terminal, true, "big.scn", TestNow);
        standin::ReadingLine off(logFile, false, "big.scn", TestNow);
        testNow += std::chrono::milliseconds(900);
        line.Show("reading", 0.1);
        EXPECT_EQ(terminal.str(), "");
        testNow += std::chrono::milliseconds(200);
        line.Show("parsing", 0.5);
        off.Show("parsing", 0.5);
    }
    EXPECT_EQ(logFile.str(), "");
    const std::string drawn = "\rparsing big.scn  50.0%";
    EXPECT_EQ(terminal.str().substr(0, drawn.size()), drawn);
    EXPECT_EQ(terminal.str().substr(drawn.size()),
              "\r" + std::string(drawn.size() - 1, ' ') + "\r");
}

} // namespace
