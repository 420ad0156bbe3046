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

// A refusal is one line that names the slip, then the way to the options.
std::string Slip(const std::string &line) {
    return "standin-host: " + line + "\nTry 'standin-host --help' for more information.\n";
}

struct Refusal {
    std::vector<std::string> arguments;
    std::string slip;
};

TEST(CommandLine, RefusesWithTheMessageOfEachSlip) {
    const Refusal refusals[] = {
        {{}, "no scenario given"},
        {{"--verbose"}, "no scenario given"},
        {{""}, "the scenario's name is empty"},
        // The value took the only word there was.
        {{"--config", "v.scn"}, "no scenario given ('v.scn' is the value of --config)"},
        {{"-o", "v.scn"}, "no scenario given ('v.scn' is the value of --output)"},
        {{"a.scn", "b.scn"}, "one scenario only, found 'a.scn' and 'b.scn'"},
        {{"a.scn", "--", "b.scn"}, "one scenario only, found 'a.scn' and 'b.scn'"},
        {{"a.scn", "--output"}, "--output needs a value"},
        {{"a.scn", "--config"}, "--config needs a value"},
        {{"a.scn", "--until"}, "--until needs a value"},
        {{"a.scn", "-o"}, "-o needs a value"},
        {{"a.scn", "-vo"}, "-vo needs a value"},
        {{"--trace", "", "a.scn"}, "--trace needs a value, not an empty one"},
        {{"--modules", "", "a.scn"}, "--modules needs a value, not an empty one"},
        {{"--plot", "", "a.scn"}, "--plot needs a value, not an empty one"},
        {{"--until", "", "a.scn"}, "--until needs a value, not an empty one"},
        {{"--output", "", "a.scn"}, "--output needs a value, not an empty one"},
        {{"--config", "", "a.scn"}, "--config needs a value, not an empty one"},
        {{"-o", "", "a.scn"}, "--output needs a value, not an empty one"},
        // "--output=" would otherwise take the scenario for its value.
        {{"--output=", "a.scn"}, "--output needs a value, not an empty one"},
        {{"--trace-every=", "a.scn"}, "--trace-every needs a value, not an empty one"},
        {{"--verbose=1", "a.scn"}, "--verbose takes no value, found '1'"},
        {{"--delete-at-once=", "a.scn"}, "--delete-at-once takes no value, found ''"},
        {{"--bogus", "a.scn"}, "unknown option --bogus"},
        {{"--bogus=3", "a.scn"}, "unknown option --bogus=3"},
        {{"-x", "a.scn"}, "unknown option -x"},
        {{"--outp", "x.scn", "a.scn"}, "unknown option --outp"}, // no guessing from a prefix
        {{"-x.scn"}, "unknown option -x.scn (a scenario whose name starts with '-' goes after --)"},
        {{"--Output=x.scn", "a.scn"}, "unknown option --Output=x.scn (did you mean --output?)"},
        {{"--DELETE-AT-ONCE", "a.scn"},
         "unknown option --DELETE-AT-ONCE (did you mean --delete-at-once?)"},
        {{"--outp=y.scn", "a.scn"}, "unknown option --outp=y.scn"},
        {{"--\x1b[2J", "a.scn"}, "unknown option --\\x1b[2J"},
        // Given twice, in any spelling: which one was meant?
        {{"--output", "a", "--output", "b", "s.scn"}, "--output is given twice, as 'a' and as 'b'"},
        {{"-o", "a", "--output=b", "s.scn"}, "--output is given twice, as 'a' and as 'b'"},
        {{"--until", "1", "-u", "1", "s.scn"}, "--until is given twice, as '1' and as '1'"},
        {{"-vv", "s.scn"}, "--verbose is given twice"},
        {{"--delete-at-once", "s.scn", "--delete-at-once"}, "--delete-at-once is given twice"},
        {{"-q", "-v", "s.scn"}, "--verbose and --quiet ask for opposite logs; give one of them"},
        {{"--until", "soon", "a.scn"}, "--until needs a number: 'soon' is not a finite number"},
        {{"--until", "1,5", "a.scn"}, "--until needs a number: '1,5' is not a finite number"},
        {{"--until=1,5", "a.scn"}, "--until needs a number: '1,5' is not a finite number"},
        {{"--until", "inf", "a.scn"}, "--until needs a number: 'inf' is not a finite number"},
        {{"--until", "nan", "a.scn"}, "--until needs a number: 'nan' is not a finite number"},
        {{"--until", "0x10", "a.scn"}, "--until needs a number: '0x10' is not a finite number"},
        {{"--until", "1e400", "a.scn"},
         "--until needs a number: '1e400' is too large for a number"},
        {{"--until", "1e-400", "a.scn"},
         "--until needs a number: '1e-400' is too small, reads as 0"},
        {{"--until", " 5", "a.scn"}, "--until needs a number: ' 5' is not a finite number"},
        {{"--trace-every", "0", "--trace", "t.csv", "a.scn"},
         "--trace-every needs a whole number of at least 1, not '0'"},
        {{"--trace-every", "-2", "--trace", "t.csv", "a.scn"},
         "--trace-every needs a whole number of at least 1, not '-2'"},
        {{"--trace-every", "2.5", "--trace", "t.csv", "a.scn"},
         "--trace-every needs a whole number of at least 1, not '2.5'"},
        {{"--trace-every", "2", "a.scn"}, "--trace-every needs --trace FILE"},
        {{"--x87-precision", "32", "a.scn"}, "--x87-precision needs 24, 53 or 64, not '32'"},
        {{"--x87-precision", "053", "a.scn"}, "--x87-precision needs 24, 53 or 64, not '053'"},
    };
    for (const Refusal &refusal : refusals) {
        std::string shown;
        for (const std::string &argument : refusal.arguments) {
            shown += "[" + argument + "]";
        }
        SCOPED_TRACE(shown);
        const CommandLine line = ParseCommandLine(refusal.arguments);
        EXPECT_EQ(line.request, Request::Refused);
        EXPECT_EQ(line.message, Slip(refusal.slip));
    }
}

// --help and --version are answered as soon as they are read, whatever stands around them.
TEST(CommandLine, HelpAndVersionAreAnsweredWhateverFollows) {
    const std::vector<std::string> help[] = {
        {"--help"}, {"-h"}, {"a.scn", "--help", "--bogus"}, {"--bogus", "--help"}, {"-vh"}};
    for (const std::vector<std::string> &arguments : help) {
        EXPECT_EQ(ParseCommandLine(arguments).request, Request::Help) << arguments.back();
    }
    EXPECT_EQ(ParseCommandLine({"--version", "--until"}).request, Request::Version);
    EXPECT_EQ(ParseCommandLine({"-V", "a.scn", "b.scn"}).request, Request::Version);
    // After "--" they are a scenario's name; as an option's value they are that value.
    const CommandLine named = ParseCommandLine({"--", "--help"});
    EXPECT_EQ(named.request, Request::Run);
    EXPECT_EQ(named.options.scenarioPath, "--help");
    const CommandLine value = ParseCommandLine({"--output", "--help", "a.scn"});
    EXPECT_EQ(value.request, Request::Run);
    EXPECT_EQ(value.options.outputPath, "--help");
}

// The help text comes from the options themselves: each one is listed with its value's name, and
// the usage line names the scenario as required.
TEST(CommandLine, HelpListsEveryOption) {
    const std::string help = ParseCommandLine({"--help"}).message;
    EXPECT_NE(help.find("Usage: standin-host [OPTIONS] SCENARIO\n"), std::string::npos) << help;
    for (const char *option :
         {"-c,--config DIR", "-m,--modules DIR", "-o,--output FILE", "-u,--until TIME",
          "-v,--verbose", "-q,--quiet", "-t,--trace FILE", "--trace-every N", "-p,--plot FILE",
          "--delete-at-once", "--x87-precision BITS", "-h,--help", "-V,--version"}) {
        EXPECT_NE(help.find("\n  " + std::string(option) + " "), std::string::npos) << option;
    }
    EXPECT_NE(help.find("Exit status: 0 "), std::string::npos);
    EXPECT_EQ(help.back(), '\n');
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
    EXPECT_FALSE(line.options.quiet);
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
        {{"./-", "--verbose"}, "./-"},                  // a file named "-"
    };
    for (const Accepted &a : accepted) {
        const CommandLine line = ParseCommandLine(a.arguments);
        ASSERT_EQ(line.request, Request::Run) << line.message;
        EXPECT_EQ(line.options.scenarioPath, a.scenario);
    }
}

// "-" is the standard stream: the scenario from the standard input, with the class
// configurations in config/ of the working folder unless --config names a folder; an output to
// the standard output. Windows has no name for them, and says so.
TEST(CommandLine, TakesADashForAStandardStream) {
    const CommandLine line = ParseCommandLine({"-o", "-", "--trace=-", "-p", "-", "-"});
#if defined(_WIN32)
    EXPECT_EQ(line.request, Request::Refused);
    EXPECT_NE(line.message.find("'-' for a standard stream is for Linux"), std::string::npos);
#else
    ASSERT_EQ(line.request, Request::Run) << line.message;
    EXPECT_EQ(line.options.scenarioPath, "/dev/stdin");
    EXPECT_EQ(line.options.configFolder, "config");
    for (const std::string *output :
         {&line.options.outputPath, &line.options.tracePath, &line.options.plotPath}) {
        EXPECT_EQ(*output, "/dev/stdout");
    }
    EXPECT_EQ(ParseCommandLine({"-c", "classes", "-"}).options.configFolder, "classes");
    EXPECT_EQ(ParseCommandLine({"run.scn"}).options.configFolder, "");
#endif
}

// Every spelling of a value, long and short, reaches the same option.
TEST(CommandLine, ReadsAValueAfterTheOptionOrAfterEquals) {
    const std::vector<std::string> spellings[] = {
        {"--output", "o.scn", "run.scn"}, {"--output=o.scn", "run.scn"},
        {"-o", "o.scn", "run.scn"},       {"-oo.scn", "run.scn"},
        {"run.scn", "-o", "o.scn"},       {"-vo", "o.scn", "run.scn"}};
    for (const std::vector<std::string> &arguments : spellings) {
        const CommandLine line = ParseCommandLine(arguments);
        ASSERT_EQ(line.request, Request::Run) << line.message;
        EXPECT_EQ(line.options.outputPath, "o.scn");
        EXPECT_EQ(line.options.scenarioPath, "run.scn");
    }
    const CommandLine shortForms = ParseCommandLine(
        {"-c", "cfg", "-m", "mods", "-u", "2.5", "-t", "t.csv", "-p", "p.svg", "-q", "run.scn"});
    ASSERT_EQ(shortForms.request, Request::Run) << shortForms.message;
    EXPECT_EQ(shortForms.options.configFolder, "cfg");
    EXPECT_EQ(shortForms.options.moduleFolder, "mods");
    EXPECT_EQ(shortForms.options.until.value_or(0), 2.5);
    EXPECT_EQ(shortForms.options.tracePath, "t.csv");
    EXPECT_EQ(shortForms.options.plotPath, "p.svg");
    EXPECT_TRUE(shortForms.options.quiet);
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
