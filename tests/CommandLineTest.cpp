// The host's command line, parsed without running anything: what each command line asks for, and
// the exact message of each refusal. The tests also run under a decimal-comma locale, where
// "--until 1,5" must still be refused and "--until 1.5" read as 1.5.
#include "standin_host/program/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using standin::CommandLine;
using standin::ParseCommandLine;
using Request = CommandLine::Request;

const std::string usage = standin::UsageText();

struct Refusal {
    std::vector<std::string> arguments;
    std::string message;
};

TEST(CommandLine, RefusesWithTheMessageOfEachSlip) {
    const Refusal refusals[] = {
        {{}, usage},
        {{"--verbose"}, usage},
        {{"a.scn", "b.scn"}, "standin-host: only one scenario, please\n" + usage},
        {{"a.scn", "--", "b.scn"}, "standin-host: only one scenario, please\n" + usage},
        {{"a.scn", "--output"}, "standin-host: --output needs a value\n" + usage},
        {{"a.scn", "--config"}, "standin-host: --config needs a value\n" + usage},
        {{"a.scn", "--until"}, "standin-host: --until needs a value\n" + usage},
        {{"--trace", "", "a.scn"}, "standin-host: --trace needs a value, not an empty one\n"},
        {{"--modules", "", "a.scn"}, "standin-host: --modules needs a value, not an empty one\n"},
        {{"--plot", "", "a.scn"}, "standin-host: --plot needs a value, not an empty one\n"},
        {{"--until", "", "a.scn"}, "standin-host: --until needs a value, not an empty one\n"},
        {{"--output", "", "a.scn"}, "standin-host: --output needs a value, not an empty one\n"},
        {{"--config", "", "a.scn"}, "standin-host: --config needs a value, not an empty one\n"},
        {{"--bogus", "a.scn"},
         "standin-host: unknown option --bogus (a scenario whose name starts with '-' goes after "
         "--)\n" +
             usage},
        {{"-", "a.scn"},
         "standin-host: unknown option - (a scenario whose name starts with '-' goes after --)\n" +
             usage},
        {{"--\x1b[2J", "a.scn"},
         "standin-host: unknown option --\\x1b[2J (a scenario whose name starts with '-' goes "
         "after --)\n" +
             usage},
        {{"--until", "soon", "a.scn"},
         "standin-host: --until needs a number: 'soon' is not a finite number\n"},
        {{"--until", "1,5", "a.scn"},
         "standin-host: --until needs a number: '1,5' is not a finite number\n"},
        {{"--until", "inf", "a.scn"},
         "standin-host: --until needs a number: 'inf' is not a finite number\n"},
        {{"--until", "nan", "a.scn"},
         "standin-host: --until needs a number: 'nan' is not a finite number\n"},
        {{"--until", "0x10", "a.scn"},
         "standin-host: --until needs a number: '0x10' is not a finite number\n"},
        {{"--until", "1e400", "a.scn"},
         "standin-host: --until needs a number: '1e400' is too large for a number\n"},
        {{"--until", "1e-400", "a.scn"},
         "standin-host: --until needs a number: '1e-400' is too small, reads as 0\n"},
        {{"--until", " 5", "a.scn"},
         "standin-host: --until needs a number: ' 5' is not a finite number\n"},
        {{"--trace-every", "0", "--trace", "t.csv", "a.scn"},
         "standin-host: --trace-every needs a whole number of at least 1, not '0'\n"},
        {{"--trace-every", "-2", "--trace", "t.csv", "a.scn"},
         "standin-host: --trace-every needs a whole number of at least 1, not '-2'\n"},
        {{"--trace-every", "2.5", "--trace", "t.csv", "a.scn"},
         "standin-host: --trace-every needs a whole number of at least 1, not '2.5'\n"},
        {{"--trace-every", "2", "a.scn"}, "standin-host: --trace-every needs --trace FILE\n"},
        {{"--x87-precision", "32", "a.scn"},
         "standin-host: --x87-precision needs 24, 53 or 64, not '32'\n"},
        {{"--x87-precision", "053", "a.scn"},
         "standin-host: --x87-precision needs 24, 53 or 64, not '053'\n"},
        // The first slip is the one reported, and a refusal wins over a later --help.
        {{"--bogus", "--help"},
         "standin-host: unknown option --bogus (a scenario whose name starts with '-' goes after "
         "--)\n" +
             usage},
    };
    for (const Refusal &refusal : refusals) {
        std::string shown;
        for (const std::string &argument : refusal.arguments) {
            shown += "[" + argument + "]";
        }
        SCOPED_TRACE(shown);
        const CommandLine line = ParseCommandLine(refusal.arguments);
        EXPECT_EQ(line.request, Request::Refused);
        EXPECT_EQ(line.message, refusal.message);
    }
}

TEST(CommandLine, HelpAndVersionAreAnsweredWhateverFollows) {
    const std::vector<std::string> help[] = {{"--help"}, {"-h"}, {"a.scn", "--help", "--bogus"}};
    for (const std::vector<std::string> &arguments : help) {
        EXPECT_EQ(ParseCommandLine(arguments).request, Request::Help) << arguments.back();
    }
    EXPECT_EQ(ParseCommandLine({"--version", "--until"}).request, Request::Version);
    // After "--" they are a scenario's name.
    const CommandLine named = ParseCommandLine({"--", "--help"});
    EXPECT_EQ(named.request, Request::Run);
    EXPECT_EQ(named.options.scenarioPath, "--help");
}

TEST(CommandLine, ReadsEveryOptionOfARun) {
    const CommandLine line = ParseCommandLine(
        {"--config", "cfg", "--modules", "mods", "--output", "out.scn", "--until", "1e3",
         "--verbose", "--delete-at-once", "--trace", "t.csv", "--trace-every", "25", "--plot",
         "p.svg", "--x87-precision", "53", "run.scn"});
    ASSERT_EQ(line.request, Request::Run) << line.message;
    const standin::HostOptions &options = line.options;
    EXPECT_EQ(options.scenarioPath, "run.scn");
    EXPECT_EQ(options.configFolder, "cfg");
    EXPECT_EQ(options.moduleFolder, "mods");
    EXPECT_EQ(options.outputPath, "out.scn");
    ASSERT_TRUE(options.until.has_value());
    EXPECT_EQ(*options.until, 1000.0);
    EXPECT_TRUE(options.verbose);
    EXPECT_TRUE(options.deleteAtOnce);
    EXPECT_EQ(options.tracePath, "t.csv");
    EXPECT_EQ(options.traceEvery, 25u);
    EXPECT_EQ(options.plotPath, "p.svg");
    EXPECT_EQ(line.x87Precision, 53);
    EXPECT_FALSE(options.progress); // the program's to set
}

TEST(CommandLine, LeavesWhatIsNotGivenToTheRun) {
    const CommandLine line = ParseCommandLine({"run.scn"});
    ASSERT_EQ(line.request, Request::Run);
    EXPECT_FALSE(line.options.until.has_value());
    EXPECT_FALSE(line.options.verbose);
    EXPECT_FALSE(line.options.deleteAtOnce);
    EXPECT_EQ(line.options.traceEvery, 1u);
    EXPECT_TRUE(line.options.configFolder.empty() && line.options.moduleFolder.empty() &&
                line.options.outputPath.empty() && line.options.tracePath.empty() &&
                line.options.plotPath.empty());
    EXPECT_EQ(line.x87Precision, 0);
}

struct Accepted {
    std::vector<std::string> arguments;
    const char *scenario;
};

TEST(CommandLine, TakesTheScenarioWhereverItStands) {
    const Accepted accepted[] = {
        {{"run.scn", "--verbose"}, "run.scn"},
        {{"--verbose", "run.scn"}, "run.scn"},
        {{"--", "-odd.scn"}, "-odd.scn"},
        {{"--verbose", "--", "--verbose"}, "--verbose"},
        {{"--", "--"}, "--"},
        {{"--output", "-o.scn", "run.scn"}, "run.scn"}, // a value may start with '-'
        {{"--trace-every", "1", "run.scn"}, "run.scn"}, // every step: needs no trace
    };
    for (const Accepted &a : accepted) {
        const CommandLine line = ParseCommandLine(a.arguments);
        ASSERT_EQ(line.request, Request::Run) << line.message;
        EXPECT_EQ(line.options.scenarioPath, a.scenario);
    }
}

struct Until {
    const char *text;
    double value;
};

// '.' is the decimal point under every locale; signs and exponents as in a scenario file.
TEST(CommandLine, ReadsUntilAsAFiniteDecimalNumber) {
    const Until untils[] = {{"1e3", 1000.0},  {"1.5", 1.5}, {"+2", 2.0},
                            {"-0.25", -0.25}, {".5", 0.5},  {"7E-1", 0.7}};
    for (const Until &until : untils) {
        const CommandLine line = ParseCommandLine({"--until", until.text, "run.scn"});
        ASSERT_EQ(line.request, Request::Run) << line.message;
        EXPECT_EQ(line.options.until.value_or(-1.0), until.value) << until.text;
    }
}

TEST(CommandLine, TakesEachX87Precision) {
    for (const int bits : {24, 53, 64}) {
        const CommandLine line =
            ParseCommandLine({"--x87-precision", std::to_string(bits), "run.scn"});
        ASSERT_EQ(line.request, Request::Run) << line.message;
        EXPECT_EQ(line.x87Precision, bits);
    }
}

} // namespace
