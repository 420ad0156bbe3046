// The command line through CLI11 (Debian's libcli11-dev): it splits the arguments as people type
// them (--output FILE, --output=FILE, -o FILE, -oFILE, -vq, -- before a scenario that starts with
// '-') and writes --help from the options' descriptions. This file reads each value as CLI11 hands
// it over, numbers with the host's reader (which takes '.' whatever the locale), and names every
// slip in a message of its own.
#include "standin_host/program/CommandLine.h"

#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/TextLines.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstring>
#include <functional>
#include <system_error>

namespace standin {
namespace {

// A bad command line, named in one line: thrown by a value's reader, out through CLI11's parse.
struct Slip {
    std::string text;
};

// Thrown by --help and --version as soon as they are read: what follows them is not judged.
struct Answer {
    CommandLine::Request request;
};

using Read = std::function<void(const std::string &)>;

// "-" names the standard `stream`: an output there carries it alone (the run's messages go to
// the standard error).
std::string Stream(const std::string &path, const char *stream) {
#if defined(_WIN32)
    if (path == "-") {
        throw Slip{"'-' for a standard stream is for Linux; on Windows, name a file"};
    }
#endif
    return path == "-" ? stream : path;
}

Read Into(std::string &path, const char *stream = nullptr) {
    return [&path, stream](const std::string &value) {
        path = stream != nullptr ? Stream(value, stream) : value;
    };
}

// An option's value is given once, and not empty: an empty name is a slip (an unset variable in
// a script), not a wish for the default. Given twice is refused, as a scenario's STEP twice is.
void AddValue(CLI::App &app, const char *names, const char *type, const char *help,
              const Read &read) {
    const std::string name = std::strstr(names, "--");
    const auto once = [name, read](const CLI::results_t &values) {
        if (values.size() > 1) {
            throw Slip{name + " is given twice, as " + Quoted(values[0]) + " and as " +
                       Quoted(values[1])};
        }
        if (values[0].empty()) {
            throw Slip{name + " needs a value, not an empty one"};
        }
        read(values[0]);
        return true;
    };
    app.add_option(names, once, help)
        ->type_name(type)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

void AddFlag(CLI::App &app, const char *names, bool &set, const char *help) {
    const std::string name = std::strstr(names, "--");
    app.add_flag_function(
        names,
        [name, &set](std::int64_t count) {
            if (count > 1) {
                throw Slip{name + " is given twice"};
            }
            set = true;
        },
        help);
}

void AddOptions(CLI::App &app, CommandLine &line) {
    HostOptions &options = line.options;
    AddValue(app, "-c,--config", "DIR",
             "class configurations, DIR/<class>.cfg (default: config/ beside SCENARIO)",
             Into(options.configFolder));
    AddValue(app, "-m,--modules", "DIR",
             "vessel modules, DIR/<module>.so or .dll (default: this program's folder)",
             Into(options.moduleFolder));
    AddValue(app, "-o,--output", "FILE",
             "where to save the scenario at the end (default: <name>.saved.scn here)",
             Into(options.outputPath, "/dev/stdout"));
    AddValue(app, "-u,--until", "TIME",
             "end the run at this simulation time instead of at the scenario's END",
             [&options](const std::string &text) {
                 double time = 0.0;
                 if (!ParseFiniteNumber(text, time)) {
                     throw Slip{"--until needs a number: " + Quoted(text) + ' ' +
                                WhyNotAFiniteNumber(text)};
                 }
                 options.until = time;
             });
    AddFlag(app, "-v,--verbose", options.verbose,
            "log every debug line that a module writes, not only the changed ones");
    AddFlag(app, "-q,--quiet", options.quiet,
            "log only the files written; warnings and errors still show");
    AddValue(app, "-t,--trace", "FILE", "write a CSV row per vessel and step as the run goes",
             Into(options.tracePath, "/dev/stdout"));
    AddValue(app, "--trace-every", "N",
             "a trace row every N-th step only; creations and deletions always",
             [&options](const std::string &text) {
                 // A whole number of at least 1, digits only.
                 const char *end = text.data() + text.size();
                 const std::from_chars_result read =
                     std::from_chars(text.data(), end, options.traceEvery);
                 if (read.ec != std::errc() || read.ptr != end || options.traceEvery == 0) {
                     throw Slip{"--trace-every needs a whole number of at least 1, not " +
                                Quoted(text)};
                 }
             });
    AddValue(app, "-p,--plot", "FILE", "draw the run as an SVG picture at its end",
             Into(options.plotPath, "/dev/stdout"));
    AddFlag(app, "--delete-at-once", options.deleteAtOnce,
            "destroy a vessel inside oapiDeleteVessel, not at the end of the step");
    AddValue(app, "--x87-precision", "BITS",
             "debugging, 32-bit x86 only: set the x87 unit's precision (24, 53 or 64\nbits) before "
             "loading any module, as some hosts and graphics libraries do",
             [&line](const std::string &bits) {
                 if (bits != "24" && bits != "53" && bits != "64") {
                     throw Slip{"--x87-precision needs 24, 53 or 64, not " + Quoted(bits)};
                 }
                 line.x87Precision = bits == "24" ? 24 : bits == "53" ? 53 : 64;
             });
    app.add_flag_callback(
           "-h,--help", [] { throw Answer{CommandLine::Request::Help}; }, "show this text")
        ->trigger_on_parse();
    app.add_flag_callback(
           "-V,--version", [] { throw Answer{CommandLine::Request::Version}; }, "show the version")
        ->trigger_on_parse();
    // Required for the usage line only: its absence is named after the slips in the other words.
    app.add_option("SCENARIO", options.scenarioPath, "the scenario file")
        ->required()
        ->type_name("")
        ->transform([](const std::string &path) { return Stream(path, "/dev/stdin"); });
}

// CLI11 reads "--output=" as "--output" and takes the next word for its value, and reads
// "--verbose=..." as a count: both are slips, named before it sees them.
std::string EqualsSlip(const CLI::App &app, const std::vector<std::string> &arguments) {
    for (const std::string &argument : arguments) {
        const std::size_t equals = argument.find('=');
        if (argument == "--") {
            break;
        }
        const CLI::Option *option = argument.rfind("--", 0) == 0 && equals != std::string::npos
                                        ? app.get_option_no_throw(argument.substr(0, equals))
                                        : nullptr;
        if (option != nullptr && option->get_expected_max() == 0) {
            return option->get_name() + " takes no value, found " +
                   Quoted(argument.substr(equals + 1));
        }
        if (option != nullptr && equals + 1 == argument.size()) {
            return option->get_name() + " needs a value, not an empty one";
        }
    }
    return "";
}

// An unknown option, with the long option that it spells in other letter cases (--Output).
std::string UnknownOption(const CLI::App &app, const std::string &word) {
    const std::string name = word.substr(0, word.find('='));
    for (const CLI::Option *option : app.get_options()) {
        for (const std::string &longName : option->get_lnames()) {
            if (EqualsIgnoringAsciiCase(name, "--" + longName)) {
                return "unknown option " + Escaped(word) + " (did you mean --" + longName + "?)";
            }
        }
    }
    if (name.size() == word.size() && word.size() > 4 &&
        word.compare(word.size() - 4, 4, ".scn") == 0) {
        return "unknown option " + Escaped(word) +
               " (a scenario whose name starts with '-' goes after --)";
    }
    return "unknown option " + Escaped(word);
}

// The slips that CLI11 does not see: words it took for no option (unknown options, a second
// scenario; what follows the first "--" is a scenario whatever it looks like), options at odds,
// and no scenario, perhaps because the last option took it for its value.
std::string Slipped(const CLI::App &app, const std::vector<std::string> &arguments,
                    const HostOptions &options) {
    bool optionsEnded = false;
    for (const std::string &word : app.remaining()) {
        if (word == "--" && !optionsEnded) {
            optionsEnded = true;
        } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            return UnknownOption(app, word);
        } else {
            return "one scenario only, found " + Quoted(options.scenarioPath) + " and " +
                   Quoted(word);
        }
    }
    if (options.verbose && options.quiet) {
        return "--verbose and --quiet ask for opposite logs; give one of them";
    }
    if (options.tracePath.empty() && options.traceEvery != 1) {
        return "--trace-every needs --trace FILE";
    }
    if (app.count("SCENARIO") > 0) {
        return options.scenarioPath.empty() ? "the scenario's name is empty" : "";
    }
    for (const CLI::Option *option : app.get_options()) {
        const CLI::results_t &values = option->results();
        if (option->get_expected_max() > 0 && !values.empty() && values[0] == arguments.back()) {
            return "no scenario given (" + Quoted(values[0]) + " is the value of " +
                   option->get_name() + ")";
        }
    }
    return "no scenario given";
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string> &arguments) {
    CommandLine line;
    CLI::App app{
        "Runs the vessels of SCENARIO through their vessel modules and saves the scenario "
        "at the end.\nAn option's value follows it as the next word or after '=' (-o FILE, "
        "--output=FILE);\nafter --, the next word is the scenario even if it starts with "
        "'-'.\n",
        "standin-host"};
    app.footer("No output may be a file that the run reads or another output's file (/dev/null "
               "takes any\nnumber). On Linux, '-' is a standard stream: SCENARIO - is read from "
               "the standard input\n(its classes from ./config), and an output - has the standard "
               "output to itself, the run\nlog then going to the standard error.\n\n"
               "Exit status: 0 for a run that ended and wrote its files; 1 when the run was "
               "refused or a\nfile could not be written; 2 for a bad command line; 128 + the "
               "signal's number for a run\nended by a signal (130 for Ctrl-C, 143 for SIGTERM), "
               "which saves the scenario as it stands\nat the next step.");
    app.get_formatter()->column_width(26);
    app.get_formatter()->label("REQUIRED", "");
    app.set_help_flag(); // ours, answered as soon as it is read
    app.allow_extras();  // unknown options and a second scenario get messages of their own
    app.allow_windows_style_options(false); // "/x" is a path, on Windows too
    AddOptions(app, line);
    std::string slip = EqualsSlip(app, arguments);
    try {
        if (slip.empty()) {
            app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
        }
    } catch (const Answer &answer) {
        line.request = answer.request;
        line.message = answer.request == CommandLine::Request::Help ? app.help() : "";
        return line;
    } catch (const Slip &thrown) {
        slip = thrown.text;
    } catch (const CLI::RequiredError &) {
        // Only the scenario is required, and Slipped names its absence.
    } catch (const CLI::ArgumentMismatch &) {
        // The only mismatch left: an option at the end of the line, with no word after it.
        slip = arguments.back() + " needs a value";
    } catch (const CLI::ParseError &error) {
        slip = error.what();
    }
    if (slip.empty()) {
        slip = Slipped(app, arguments, line.options);
    }
    if (!slip.empty()) {
        line = CommandLine{};
        line.request = CommandLine::Request::Refused;
        line.message = RefusalText(slip);
    } else if (line.options.scenarioPath == "/dev/stdin" && line.options.configFolder.empty()) {
        line.options.configFolder = "config"; // of the working folder
    }
    return line;
}

std::string RefusalText(const std::string &slip) {
    return "standin-host: " + slip + "\nTry 'standin-host --help' for more information.\n";
}

} // namespace standin
