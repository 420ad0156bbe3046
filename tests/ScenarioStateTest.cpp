// The remaining lifetime in scenarios: the LIFETIME item on saving and loading, everything else
// left to the host's default handling.
#include "standin_host/text/NumberText.h"
#include "tests/HostHarness.h"
#include "tests/SavedScenario.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

using brevlet_test::HostHarness;

constexpr double inf = std::numeric_limits<double>::infinity();

std::string Join(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines) {
        text += "[" + line + "] ";
    }
    return text;
}

TEST(ScenarioState, SavesTheDefaultStateThenTheRemainingLifetime) {
    struct Case {
        const char *lifetime; // LifeTime in the class configuration
        std::vector<std::string> saved;
    };
    const Case cases[] = {
        {"12.5", {"POS 1 -2 3.5", "VEL 0.25 0 -4", "LIFETIME 12.5"}},
        {"0.1", {"POS 1 -2 3.5", "VEL 0.25 0 -4", "LIFETIME 0.1"}},
        {"1e400", {"POS 1 -2 3.5", "VEL 0.25 0 -4", "LIFETIME 1e999"}},
        // A countdown switched off, or one that has run out, stays so across a save: a block
        // without LIFETIME would take the class's lifetime when it is loaded again.
        {"0", {"POS 1 -2 3.5", "VEL 0.25 0 -4", "LIFETIME 0"}},
        {"-0", {"POS 1 -2 3.5", "VEL 0.25 0 -4", "LIFETIME -0"}},
        {"-2", {"POS 1 -2 3.5", "VEL 0.25 0 -4", "LIFETIME -2"}},
        {"-1e400", {"POS 1 -2 3.5", "VEL 0.25 0 -4", "LIFETIME -1e999"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("LifeTime = ") + c.lifetime);
        HostHarness host({std::string("LifeTime = ") + c.lifetime});
        standin::SimVessel &vessel =
            host.CreateFromBlock("Probe", {"POS 1 -2 3.5", "VEL 0.25 0 -4"});
        EXPECT_EQ(host.Save(vessel), c.saved);
    }
}

TEST(ScenarioState, LoadsLifetimeAndHandsEveryOtherLineToTheHost) {
    struct Case {
        std::vector<std::string> block;
        double lifetime;                       // the class gives 50
        std::vector<std::string> unknownLines; // reaching the host's parser, in order
    };
    const Case cases[] = {
        {{"LIFETIME 12.5"}, 12.5, {}},
        {{}, 50, {}},
        // The key's case does not matter.
        {{"lifetime 7"}, 7, {}},
        {{"LiFeTiMe 7"}, 7, {}},
        // White space between key and number is skipped; the number may follow directly.
        {{"LIFETIME    7"}, 7, {}},
        {{"LIFETIME\t\t7"}, 7, {}},
        {{"LIFETIME \t 7"}, 7, {}},
        {{"LIFETIME7"}, 7, {}},
        // The item without a number, or with "=", leaves the lifetime alone and stays ours.
        {{"LIFETIME"}, 50, {}},
        {{"LIFETIME   "}, 50, {}},
        {{"LIFETIME=7"}, 50, {}},
        {{"LIFETIME abc"}, 50, {}},
        {{"LIFETIMER 3"}, 50, {}},
        // Reading stops where the number does.
        {{"LIFETIME 7 seconds"}, 7, {}},
        {{"LIFETIME 7.5.3"}, 7.5, {}},
        {{"LIFETIME 3,5"}, 3, {}},
        {{"LIFETIME 2e"}, 2, {}},
        // Negative values are stored; the countdown is then off.
        {{"LIFETIME -4"}, -4, {}},
        {{"LIFETIME 0"}, 0, {}},
        // The last item that yields a number decides.
        {{"LIFETIME 1", "LIFETIME 2"}, 2, {}},
        {{"LIFETIME 2", "LIFETIME x"}, 2, {}},
        // Lines that are not the item go to the host unchanged and in order.
        {{"ALPHA 1", "LIFETIME 9", "BETA 2"}, 9, {"ALPHA 1", "BETA 2"}},
        {{" LIFETIME 3"}, 50, {" LIFETIME 3"}},
        {{"LIFE 3"}, 50, {"LIFE 3"}},
        {{"LIFETIM"}, 50, {"LIFETIM"}},
        {{"X_LIFETIME 3", "lifetime 4", "Lifetim 5"}, 4, {"X_LIFETIME 3", "Lifetim 5"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("block: " + Join(c.block));
        HostHarness host({"LifeTime = 50"});
        standin::SimVessel &vessel = host.CreateFromBlock("Probe", c.block);
        EXPECT_EQ(HostHarness::Module(vessel).GetLifetime(), c.lifetime);
        EXPECT_EQ(host.UnknownLines(), c.unknownLines);
    }
}

// The host's own lines before and after the item reach its parser in order: a later POS
// replaces an earlier one.
TEST(ScenarioState, HostLinesAroundTheItemReachTheHostInOrder) {
    HostHarness host({"LifeTime = 50"});
    standin::SimVessel &vessel = host.CreateFromBlock(
        "Probe", {"POS 1 1 1", "VEL 9 9 9", "LIFETIME 12.5", "POS 2 3 4", "NOTE x", "VEL 5 6 7"});
    EXPECT_EQ(HostHarness::Module(vessel).GetLifetime(), 12.5);
    EXPECT_EQ(brevlet_test::Describe(vessel.position), "2 3 4");
    EXPECT_EQ(brevlet_test::Describe(vessel.velocity), "5 6 7");
    EXPECT_EQ(host.UnknownLines(), std::vector<std::string>{"NOTE x"});
}

// The host takes POS and VEL with their key in capitals, then three finite numbers, each after
// blanks (spaces or tabs), and nothing but blanks after them. A line of either key that it cannot
// read refuses the run with the line and why, so that no typo leaves a vessel at 0 0 0; a line of
// another key is not understood.
TEST(ScenarioState, HostTakesItsOwnLinesExactly) {
    const struct {
        const char *line;
        const char *position; // "" where the line is not taken
        const char *velocity;
        const char *refusal; // "" where the line is not understood
    } cases[] = {
        {"POS 1 -2 3.5", "1 -2 3.5", "0 0 0", ""},
        {"POS\t1 \t2  3\t ", "1 2 3", "0 0 0", ""},
        {"VEL 0.25 -0 1e3", "0 0 0", "0.25 -0 1000", ""},
        {"POS 1 2", "", "", "expected 4 words: POS x y z; found 3"},
        {"POS 1 2 ", "", "", "expected 4 words: POS x y z; found 3"},
        {"VEL", "", "", "expected 4 words: VEL x y z; found 1"},
        {"POS 1 2 3 4", "", "", "expected 4 words: POS x y z; found 5"},
        {"POS 1 2 3 4 5", "", "", "expected 4 words: POS x y z; found 5 or more"},
        {"POS 1 2 x", "", "", "'x' is not a finite number"},
        {"POS 1 2 inf", "", "", "'inf' is not a finite number"},
        {"POS 1e400 0 0", "", "", "'1e400' is too large for a number"},
        {"POS 1e-400 0 0", "", "", "'1e-400' is too small, reads as 0"},
        {"VEL 1,5 0 0", "", "", "'1,5' is not a finite number"},
        {"POS1 2 3", "", "", ""},
        {"pos 1 2 3", "", "", ""},
        {"POSITION 1 2 3", "", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        HostHarness host({"LifeTime = 50"});
        standin::SimVessel &vessel = host.CreateFromBlock("Probe", {c.line});
        const bool understood = c.position[0] != '\0';
        const bool refused = c.refusal[0] != '\0';
        EXPECT_EQ(host.UnknownLines(), understood || refused ? std::vector<std::string>{}
                                                             : std::vector<std::string>{c.line});
        EXPECT_EQ(host.LineError(), refused ? std::string("test.scn:1: ") + c.refusal : "");
        if (understood) {
            EXPECT_EQ(brevlet_test::Describe(vessel.position), c.position);
            EXPECT_EQ(brevlet_test::Describe(vessel.velocity), c.velocity);
        }
    }
}

TEST(ScenarioState, ANegativeLoadedLifetimeNeverExpires) {
    HostHarness host({"LifeTime = 2"});
    standin::SimVessel &vessel = host.CreateFromBlock("Probe", {"LIFETIME -4"});
    for (int step = 0; step < 5; ++step) {
        host.Step();
    }
    ASSERT_NE(host.Find("Probe"), nullptr);
    EXPECT_EQ(HostHarness::Module(vessel).GetLifetime(), -4);
}

// A status record goes to the host's default handling; the lifetime and the distance limit stay
// as they were.
TEST(ScenarioState, SetStateFromAStatusRecordTouchesNeitherParameter) {
    brevlet_test::HarnessOptions options;
    options.step = 4;
    HostHarness host({"LifeTime = 50", "MaxCamDistance = 700"}, options);
    standin::VesselStatus status;
    status.position = {7, 8, 9};
    status.velocity = {-1, 0, 1};
    standin::SimVessel &vessel = host.CreateFromStatus("Spawned", status);
    EXPECT_EQ(HostHarness::Module(vessel).GetLifetime(), 50);
    EXPECT_EQ(HostHarness::Module(vessel).GetMaxCamDistance(), 700);
    EXPECT_EQ(brevlet_test::Describe(vessel.position), "7 8 9");

    host.Step();
    status.position = {1, 2, 3};
    vessel.instance->clbkSetStateEx(&status);
    EXPECT_EQ(HostHarness::Module(vessel).GetLifetime(), 46);
    EXPECT_EQ(HostHarness::Module(vessel).GetMaxCamDistance(), 700);
    EXPECT_EQ(brevlet_test::Describe(vessel.position), "1 2 3");
}

// A remaining lifetime saved through the host's scenario file loads back as the identical
// double, so a continued run expires its vessels exactly when the uninterrupted one does.
TEST(ScenarioState, SaveAndLoadRoundTripIsExact) {
    const double lifetimes[] = {
        0.1, 1.0 / 3, 1e-9, 1e300, 5e-324, 2.0 / 3 * 1e-300, DBL_MAX, 12.5, 123456.789012345,
        inf, -4,      0,    -0.0,  -inf}; // the last four: no countdown
    for (const double lifetime : lifetimes) {
        const std::string text = standin::FormatExact(lifetime);
        SCOPED_TRACE("lifetime " + text);
        HostHarness first({"LifeTime = 99"});
        first.CreateFromBlock("Probe", {"POS 1e-7 2 3", "LIFETIME " + text});
        ASSERT_EQ(HostHarness::Module(*first.Find("Probe")).GetLifetime(), lifetime);

        // Through the whole scenario file: format, parse, and create from the parsed block.
        const std::string saved = brevlet_test::SavedScenario(first.Sim());
        const standin::TextFile file{"saved.scn", saved};
        standin::ScenarioDescription reloaded;
        std::string error;
        ASSERT_TRUE(standin::ParseScenario(file, reloaded, error)) << error << "\n" << saved;
        ASSERT_EQ(reloaded.vessels.size(), 1u);

        std::vector<std::string> block;
        standin::SourceLines::Cursor lines(reloaded.vessels[0].block);
        std::string_view line;
        for (int number = 0; lines.Next(line, number);) {
            block.emplace_back(line);
        }
        HostHarness second({"LifeTime = 99"});
        standin::SimVessel &vessel = second.CreateFromBlock("Probe", block);
        const double reloadedLifetime = HostHarness::Module(vessel).GetLifetime();
        EXPECT_EQ(reloadedLifetime, lifetime) << saved;
        EXPECT_EQ(brevlet_test::Describe(vessel.position), "1e-07 2 3");
        EXPECT_TRUE(second.UnknownLines().empty());
    }
}

} // namespace
