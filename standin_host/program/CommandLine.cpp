#include "standin_host/program/CommandLine.h"

#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <charconv>
#include <system_error>

namespace standin {
namespace {

const char usage[] =
    "usage: standin-host [options] SCENARIO\n"
    "\n"
    "Runs the vessels of SCENARIO through their vessel modules and saves the scenario at the end.\n"
    "\n"
    "  --config DIR      class configuration files, DIR/<class>.cfg (default: SCENARIO's "
    "folder/config)\n"
    "  --modules DIR     vessel modules, DIR/<module>.so or .dll (default: this program's folder)\n"
    "  --output FILE     where to save the scenario at the end (default: <name>.saved.scn here)\n"
    "  --until TIME      end the run at simulation time TIME instead of at the scenario's END\n"
    "  --verbose         log the debug line after every step that writes it, not only when it\n"
    "                    changes\n"
    "  --delete-at-once  destroy a vessel inside oapiDeleteVessel, not at the end of the step\n"
    "  --trace FILE      write a CSV row per vessel and step to FILE as the run goes\n"
    "  --trace-every N   a trace row every N-th step only (creations and deletions always)\n"
    "  --plot FILE       draw the run as an SVG picture in FILE at its end\n"
    "  --x87-precision BITS  debugging: set the x87 unit's precision to 24, 53 or 64 bits before\n"
    "                    loading any module, as some hosts and graphics libraries do (32-bit x86\n"
    "                    builds only; the others refuse it)\n"
    "  --help            show this text\n"
    "  --version         show the version\n"
    "  --                what follows is the scenario, even if it starts with '-'\n"
    "\n"
    "No output may be a file that the run reads or another output's file (/dev/null takes any\n"
    "number). An output that is the standard output (--trace /dev/stdout) gets it to itself: the\n"
    "run log then goes to the standard error. Each file written is named in the log; the exit\n"
    "status is 1 when any of them could not be written.\n"
    "SIGINT (Ctrl-C) or SIGTERM ends the run at the next step and saves the scenario as it "
    "stands;\n"
    "the exit status is then 130 or 143.\n";

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

// Walks the arguments once; the first refusal ends the walk with its message.
class Parser {
public:
    explicit Parser(const std::vector<std::string> &arguments) : arguments(arguments) {}

    CommandLine Parse();

private:
    CommandLine Refuse(std::string message) {
        CommandLine refused;
        refused.request = CommandLine::Request::Refused;
        refused.message = std::move(message);
        return refused;
    }

    // The value of the option at `at`, which may not be empty: an empty name is a slip (an unset
    // variable in a script), not a wish for the default.
    bool TakeValue(std::string &value, std::string &refusal) {
        const std::string &option = arguments[at];
        if (at + 1 >= arguments.size()) {
            refusal = "standin-host: " + option + " needs a value\n" + usage;
            return false;
        }
        if (arguments[at + 1].empty()) {
            refusal = "standin-host: " + option + " needs a value, not an empty one\n";
            return false;
        }
        value = arguments[++at];
        return true;
    }

    const std::vector<std::string> &arguments;
    std::size_t at = 0;
};

CommandLine Parser::Parse() {
    CommandLine line;
    HostOptions &options = line.options;
    bool optionsEnded = false;
    std::string refusal;
    for (at = 0; at < arguments.size(); ++at) {
        const std::string &argument = arguments[at];
        std::string value;
        if (optionsEnded || argument.empty() || argument[0] != '-') {
            if (!options.scenarioPath.empty()) {
                return Refuse(std::string("standin-host: only one scenario, please\n") + usage);
            }
            options.scenarioPath = argument;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            line.request = CommandLine::Request::Help;
            return line;
        } else if (argument == "--version") {
            line.request = CommandLine::Request::Version;
            return line;
        } else if (argument == "--config" || argument == "--modules" || argument == "--output" ||
                   argument == "--trace" || argument == "--plot") {
            std::string &path = argument == "--config"    ? options.configFolder
                                : argument == "--modules" ? options.moduleFolder
                                : argument == "--output"  ? options.outputPath
                                : argument == "--trace"   ? options.tracePath
                                                          : options.plotPath;
            if (!TakeValue(path, refusal)) {
                return Refuse(refusal);
            }
        } else if (argument == "--until") {
            double until = 0.0;
            if (!TakeValue(value, refusal)) {
                return Refuse(refusal);
            }
            if (!ParseFiniteNumber(value, until)) {
                return Refuse("standin-host: --until needs a number: " + Quoted(value) + ' ' +
                              WhyNotAFiniteNumber(value) + '\n');
            }
            options.until = until;
        } else if (argument == "--trace-every") {
            if (!TakeValue(value, refusal)) {
                return Refuse(refusal);
            }
            if (!ParseCount(value, options.traceEvery)) {
                return Refuse("standin-host: --trace-every needs a whole number of at least 1, "
                              "not " +
                              Quoted(value) + "\n");
            }
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (argument == "--delete-at-once") {
            options.deleteAtOnce = true;
        } else if (argument == "--x87-precision") {
            if (!TakeValue(value, refusal)) {
                return Refuse(refusal);
            }
            if (value != "24" && value != "53" && value != "64") {
                return Refuse("standin-host: --x87-precision needs 24, 53 or 64, not " +
                              Quoted(value) + "\n");
            }
            line.x87Precision = value == "24" ? 24 : value == "53" ? 53 : 64;
        } else {
            return Refuse("standin-host: unknown option " + Escaped(argument) +
                          " (a scenario whose name starts with '-' goes after --)\n" + usage);
        }
    }
    if (options.scenarioPath.empty()) {
        return Refuse(usage);
    }
    if (options.traceEvery != 1 && options.tracePath.empty()) {
        return Refuse("standin-host: --trace-every needs --trace FILE\n");
    }
    return line;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string> &arguments) {
    return Parser(arguments).Parse();
}

const char *UsageText() {
    return usage;
}

} // namespace standin
