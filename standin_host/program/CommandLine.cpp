// The command line through CLI11 (Debian's libcli11-dev): it splits the arguments as people type
// them (--output FILE, --output=FILE, -o FILE, -oFILE, -vq, -- before a scenario that starts with
// '-'); this file gives every slip its own message and reads the numbers with the host's reader,
// which takes '.' whatever the locale.
#include "standin_host/program/CommandLine.h"

#include "standin_host/text/AsciiCase.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>
#include <utility>

namespace standin {
namespace {

const char usage[] =
    "usage: standin-host [options] SCENARIO\n"
    "\n"
    "Runs the vessels of SCENARIO through their vessel modules and saves the scenario at the end.\n"
    "A value follows its option as the next word or after '=': -o FILE, --output FILE,\n"
    "--output=FILE.\n"
    "\n"
    "  -c, --config DIR      class configuration files, DIR/<class>.cfg (default: the folder\n"
    "                        config beside SCENARIO)\n"
    "  -m, --modules DIR     vessel modules, DIR/<module>.so or .dll (default: this program's\n"
    "                        folder)\n"
    "  -o, --output FILE     where to save the scenario at the end (default: <name>.saved.scn\n"
    "                        in the working folder)\n"
    "  -u, --until TIME      end the run at simulation time TIME instead of at the scenario's END\n"
    "  -v, --verbose         log the debug line after every step that writes it, not only when\n"
    "                        it changes\n"
    "  -q, --quiet           log only the files written; warnings and errors still show\n"
    "  -t, --trace FILE      write a CSV row per vessel and step to FILE as the run goes\n"
    "      --trace-every N   a trace row every N-th step only (creations and deletions always;\n"
    "                        default 1)\n"
    "  -p, --plot FILE       draw the run as an SVG picture in FILE at its end\n"
    "      --delete-at-once  destroy a vessel inside oapiDeleteVessel, not at the end of the step\n"
    "      --x87-precision BITS  debugging: set the x87 unit's precision to 24, 53 or 64 bits\n"
    "                        before loading any module, as some hosts and graphics libraries do\n"
    "                        (32-bit x86 builds only; the others refuse it)\n"
    "  -h, --help            show this text\n"
    "  -V, --version         show the version\n"
    "  --                    what follows is the scenario, even if it starts with '-'\n"
    "\n"
    "No output may be a file that the run reads or another output's file (/dev/null takes any\n"
    "number). An output that is the standard output (--trace /dev/stdout) gets it to itself: the\n"
    "run log then goes to the standard error. Each file written is named in the log.\n"
    "\n"
    "Exit status: 0 for a run that ended and wrote its files; 1 when the run was refused or a\n"
    "file could not be written; 2 for a bad command line; 128 + the signal's number for a run\n"
    "ended by a signal (130 for Ctrl-C, 143 for SIGTERM), which saves the scenario as it stands\n"
    "at the next step.\n";

const char tryHelp[] = "Try 'standin-host --help' for more information.\n";

// Thrown by --help and --version as soon as they are read: what follows them is not judged.
struct Answer {
    CommandLine::Request request;
};

CommandLine Refuse(const std::string &slip) {
    CommandLine refused;
    refused.request = CommandLine::Request::Refused;
    refused.message = RefusalText(slip);
    return refused;
}

// A whole number of at least 1, digits only.
bool ParseCount(const std::string &text, std::size_t &count) {
    std::size_t parsed = 0;
    const char *last = text.data() + text.size();
    const std::from_chars_result result = std::from_chars(text.data(), last, parsed);
    if (result.ec != std::errc() || result.ptr != last || parsed == 0) {
        return false;
    }
    count = parsed;
    return true;
}

// The options, by their long name, and their short one where they have one.
struct ValueOption {
    const char *name;
    const char *shortName;
};
enum Valued { Config, Modules, Output, Until, Trace, TraceEvery, X87Precision, Plot };
const ValueOption valueOptions[] = {
    // in the order of Valued
    {"--config", "-c"}, {"--modules", "-m"},   {"--output", "-o"},      {"--until", "-u"},
    {"--trace", "-t"},  {"--trace-every", ""}, {"--x87-precision", ""}, {"--plot", "-p"},
};
enum Flagged { Verbose, Quiet, DeleteAtOnce };
const ValueOption flagOptions[] = {
    // in the order of Flagged
    {"--verbose", "-v"},
    {"--quiet", "-q"},
    {"--delete-at-once", ""},
};

std::string CliNames(const ValueOption &option) {
    return *option.shortName != '\0' ? std::string(option.shortName) + "," + option.name
                                     : std::string(option.name);
}

template <std::size_t N> bool Names(const ValueOption (&options)[N], const std::string &name) {
    return std::any_of(std::begin(options), std::end(options),
                       [&](const ValueOption &option) { return name == option.name; });
}

// CLI11 reads "--output=" as "--output" and takes the next word for its value, and reads
// "--verbose=..." as a count; both are slips, named before it sees them.
bool RefuseEqualsSlip(const std::vector<std::string> &arguments, std::string &slip) {
    for (const std::string &argument : arguments) {
        if (argument == "--") {
            return false;
        }
        const std::size_t equals = argument.find('=');
        if (argument.rfind("--", 0) != 0 || equals == std::string::npos) {
            continue;
        }
        const std::string name = argument.substr(0, equals);
        if (Names(valueOptions, name) && equals + 1 == argument.size()) {
            slip = name + " needs a value, not an empty one";
            return true;
        }
        if (Names(flagOptions, name)) {
            slip = name + " takes no value, found " + Quoted(argument.substr(equals + 1));
            return true;
        }
    }
    return false;
}

class Parser {
public:
    explicit Parser(const std::vector<std::string> &arguments) : arguments(arguments) {
        app.set_help_flag(); // ours, with its own text
        app.allow_extras();  // unknown options and a second scenario get messages of their own
        app.allow_windows_style_options(false); // "/x" is a path, on Windows too
        app.add_flag_callback("-h,--help", [] { throw Answer{CommandLine::Request::Help}; })
            ->trigger_on_parse();
        app.add_flag_callback("-V,--version", [] { throw Answer{CommandLine::Request::Version}; })
            ->trigger_on_parse();
        for (const ValueOption &option : valueOptions) {
            values.push_back(app.add_option(CliNames(option))
                                 ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll));
        }
        for (const ValueOption &option : flagOptions) {
            flags.push_back(app.add_flag(CliNames(option)));
        }
        scenario = app.add_option("scenario")->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    }

    CommandLine Parse();

private:
    // The value of the option at `index` of valueOptions, if given once and not empty.
    const std::string *Value(std::size_t index) const {
        const std::vector<std::string> &results = values[index]->results();
        return results.empty() ? nullptr : &results.front();
    }
    bool Flag(std::size_t index) const { return flags[index]->count() > 0; }

    std::string NoScenario() const;
    bool CheckUnexpected(std::string &slip) const;
    bool CheckRepeats(std::string &slip) const;
    CommandLine Read();

    const std::vector<std::string> &arguments;
    CLI::App app{"", "standin-host"};
    std::vector<CLI::Option *> values; // in the order of valueOptions
    std::vector<CLI::Option *> flags;  // in the order of flagOptions
    CLI::Option *scenario = nullptr;
};

CommandLine Parser::Parse() {
    std::string slip;
    if (RefuseEqualsSlip(arguments, slip)) {
        return Refuse(slip);
    }
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const Answer &answer) {
        CommandLine line;
        line.request = answer.request;
        return line;
    } catch (const CLI::ArgumentMismatch &) {
        // The only mismatch left: an option at the end of the line, with no word after it.
        return Refuse(arguments.back() + " needs a value");
    } catch (const CLI::ParseError &error) {
        return Refuse(error.what());
    }
    if (CheckUnexpected(slip) || CheckRepeats(slip)) {
        return Refuse(slip);
    }
    return Read();
}

// The long option that `name` spells in other letter cases (--Output), or null.
const char *OptionSpelledOtherwise(std::string_view name) {
    for (const ValueOption &option : valueOptions) {
        if (EqualsIgnoringAsciiCase(name, option.name)) {
            return option.name;
        }
    }
    for (const ValueOption &option : flagOptions) {
        if (EqualsIgnoringAsciiCase(name, option.name)) {
            return option.name;
        }
    }
    for (const char *answer : {"--help", "--version"}) {
        if (EqualsIgnoringAsciiCase(name, answer)) {
            return answer;
        }
    }
    return nullptr;
}

// Words that CLI11 took for no option: unknown options, and a second scenario. The first "--" is
// the end of the options, and what follows it is a scenario whatever it looks like.
bool Parser::CheckUnexpected(std::string &slip) const {
    bool optionsEnded = false;
    for (const std::string &word : app.remaining()) {
        if (word == "--" && !optionsEnded) {
            optionsEnded = true;
        } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            slip = "unknown option " + Escaped(word);
            const std::string_view name = std::string_view(word).substr(0, word.find('='));
            if (const char *meant = OptionSpelledOtherwise(name)) {
                slip += std::string(" (did you mean ") + meant + "?)";
            } else if (name.size() == word.size() && word.size() > 4 &&
                       word.compare(word.size() - 4, 4, ".scn") == 0) {
                slip += " (a scenario whose name starts with '-' goes after --)";
            }
            return true;
        } else {
            const std::vector<std::string> &first = scenario->results();
            slip = "one scenario only, found " + Quoted(first.empty() ? word : first.front()) +
                   " and " + Quoted(word);
            return true;
        }
    }
    return false;
}

// An option given twice is refused, as a scenario's STEP given twice is: which one was meant?
bool Parser::CheckRepeats(std::string &slip) const {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::vector<std::string> &results = values[i]->results();
        if (results.size() > 1) {
            slip = std::string(valueOptions[i].name) + " is given twice, as " + Quoted(results[0]) +
                   " and as " + Quoted(results[1]);
            return true;
        }
    }
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (flags[i]->count() > 1) {
            slip = std::string(flagOptions[i].name) + " is given twice";
            return true;
        }
    }
    return false;
}

// Without a scenario; perhaps the last option took it for its value.
std::string Parser::NoScenario() const {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string *value = Value(i);
        if (value != nullptr && !arguments.empty() && *value == arguments.back()) {
            return "no scenario given (" + Quoted(*value) + " is the value of " +
                   valueOptions[i].name + ")";
        }
    }
    return "no scenario given";
}

CommandLine Parser::Read() {
    CommandLine line;
    HostOptions &options = line.options;
    for (std::size_t i = 0; i < values.size(); ++i) {
        // An empty name is a slip (an unset variable in a script), not a wish for the default.
        const std::string *value = Value(i);
        if (value != nullptr && value->empty()) {
            return Refuse(std::string(valueOptions[i].name) + " needs a value, not an empty one");
        }
    }
    const std::pair<Valued, std::string *> paths[] = {{Config, &options.configFolder},
                                                      {Modules, &options.moduleFolder},
                                                      {Output, &options.outputPath},
                                                      {Trace, &options.tracePath},
                                                      {Plot, &options.plotPath}};
    for (const auto &path : paths) {
        if (const std::string *value = Value(path.first)) {
            *path.second = *value;
        }
    }
    if (const std::string *until = Value(Until)) {
        double time = 0.0;
        if (!ParseFiniteNumber(*until, time)) {
            return Refuse("--until needs a number: " + Quoted(*until) + ' ' +
                          WhyNotAFiniteNumber(*until));
        }
        options.until = time;
    }
    if (const std::string *every = Value(TraceEvery)) {
        if (!ParseCount(*every, options.traceEvery)) {
            return Refuse("--trace-every needs a whole number of at least 1, not " +
                          Quoted(*every));
        }
        if (options.tracePath.empty() && options.traceEvery != 1) {
            return Refuse("--trace-every needs --trace FILE");
        }
    }
    if (const std::string *bits = Value(X87Precision)) {
        if (*bits != "24" && *bits != "53" && *bits != "64") {
            return Refuse("--x87-precision needs 24, 53 or 64, not " + Quoted(*bits));
        }
        line.x87Precision = *bits == "24" ? 24 : *bits == "53" ? 53 : 64;
    }
    options.verbose = Flag(Verbose);
    options.quiet = Flag(Quiet);
    options.deleteAtOnce = Flag(DeleteAtOnce);
    if (options.verbose && options.quiet) {
        return Refuse("--verbose and --quiet ask for opposite logs; give one of them");
    }
    if (scenario->results().empty()) {
        return Refuse(NoScenario());
    }
    options.scenarioPath = scenario->results().front();
    if (options.scenarioPath.empty()) {
        return Refuse("the scenario's name is empty");
    }
    // "-" is the standard stream: the scenario is read from the standard input, with the class
    // configurations in config/ of the working folder, and an output written to the standard
    // output, which then carries it alone (the run's messages go to the standard error).
    for (std::string *path :
         {&options.scenarioPath, &options.outputPath, &options.tracePath, &options.plotPath}) {
#if defined(_WIN32)
        if (*path == "-") {
            return Refuse("'-' for a standard stream is for Linux; on Windows, name a file");
        }
#else
        if (*path == "-") {
            *path = path == &options.scenarioPath ? "/dev/stdin" : "/dev/stdout";
        }
#endif
    }
    if (options.scenarioPath == "/dev/stdin" && options.configFolder.empty()) {
        options.configFolder = "config";
    }
    return line;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string> &arguments) {
    return Parser(arguments).Parse();
}

std::string RefusalText(const std::string &slip) {
    return "standin-host: " + slip + "\n" + tryHelp;
}

const char *UsageText() {
    return usage;
}

} // namespace standin
