// The stand-in host: runs vessel modules headless from a scenario file.
#include "BrevletVersion.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/platform/X87Precision.h"
#include "standin_host/run/HostRun.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <charconv>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

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

// The path of this program, where the modules are looked for by default; argv[0] does not tell it
// when the program was found on the search path.
std::string ProgramPath(const char *argv0) {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        return std::string(path, length);
    }
#else
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return self.string();
    }
#endif
    return argv0;
}

// The option's value, which may not be empty: an empty name is a slip (an unset variable in a
// script), not a wish for the default.
bool TakeValue(int argc, char **argv, int &i, std::string &value) {
    if (i + 1 >= argc) {
        std::cerr << "standin-host: " << argv[i] << " needs a value\n" << usage;
        return false;
    }
    if (argv[i + 1][0] == '\0') {
        std::cerr << "standin-host: " << argv[i] << " needs a value, not an empty one\n";
        return false;
    }
    value = argv[++i];
    return true;
}

// Shows `text` on the standard output; a text that cannot be written there fails the program.
int Show(const std::string &text) {
    std::cout << text << std::flush;
    if (!std::cout) {
        std::cerr << "standin-host: cannot write to the standard output\n";
        return 1;
    }
    return 0;
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

int Main(int argc, char **argv) {
    // Take the user's locale as a real host would; the host and its modules must read and write
    // numbers with '.' whatever it is.
    std::setlocale(LC_ALL, "");

    standin::HostOptions options;
    int x87Precision = 0;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        if (optionsEnded || argument.empty() || argument[0] != '-') {
            if (!options.scenarioPath.empty()) {
                std::cerr << "standin-host: only one scenario, please\n" << usage;
                return 2;
            }
            options.scenarioPath = argument;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            return Show(usage);
        } else if (argument == "--version") {
            return Show(std::string("standin-host ") + BREVLET_VERSION + "\n");
        } else if (argument == "--config") {
            if (!TakeValue(argc, argv, i, options.configFolder)) {
                return 2;
            }
        } else if (argument == "--modules") {
            if (!TakeValue(argc, argv, i, options.moduleFolder)) {
                return 2;
            }
        } else if (argument == "--output") {
            if (!TakeValue(argc, argv, i, options.outputPath)) {
                return 2;
            }
        } else if (argument == "--until") {
            double until = 0.0;
            if (!TakeValue(argc, argv, i, value)) {
                return 2;
            }
            if (!standin::ParseFiniteNumber(value, until)) {
                std::cerr << "standin-host: --until needs a number: " << standin::Quoted(value)
                          << ' ' << standin::WhyNotAFiniteNumber(value) << '\n';
                return 2;
            }
            options.until = until;
        } else if (argument == "--trace") {
            if (!TakeValue(argc, argv, i, options.tracePath)) {
                return 2;
            }
        } else if (argument == "--trace-every") {
            if (!TakeValue(argc, argv, i, value)) {
                return 2;
            }
            if (!ParseCount(value, options.traceEvery)) {
                std::cerr << "standin-host: --trace-every needs a whole number of at least 1, not "
                          << standin::Quoted(value) << "\n";
                return 2;
            }
        } else if (argument == "--plot") {
            if (!TakeValue(argc, argv, i, options.plotPath)) {
                return 2;
            }
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (argument == "--delete-at-once") {
            options.deleteAtOnce = true;
        } else if (argument == "--x87-precision") {
            if (!TakeValue(argc, argv, i, value)) {
                return 2;
            }
            if (value != "24" && value != "53" && value != "64") {
                std::cerr << "standin-host: --x87-precision needs 24, 53 or 64, not "
                          << standin::Quoted(value) << "\n";
                return 2;
            }
            x87Precision = std::stoi(value);
        } else {
            std::cerr << "standin-host: unknown option " << standin::Escaped(argument)
                      << " (a scenario whose name starts with '-' goes after --)\n"
                      << usage;
            return 2;
        }
    }
    if (options.scenarioPath.empty()) {
        std::cerr << usage;
        return 2;
    }
    if (options.traceEvery != 1 && options.tracePath.empty()) {
        std::cerr << "standin-host: --trace-every needs --trace FILE\n";
        return 2;
    }
    if (x87Precision != 0) {
        if (!standin::X87PrecisionSettable()) {
            std::cerr << "standin-host: --x87-precision has no effect on this build, which does "
                         "not run on 32-bit x86\n";
            return 2;
        }
        standin::SetX87Precision(x87Precision);
    }
#if defined(_WIN32)
    options.progress = _isatty(_fileno(stderr)) != 0;
#else
    options.progress = isatty(STDERR_FILENO) != 0;
#endif
    standin::InstallRunInterrupt();
    const int status = standin::RunHost(options, ProgramPath(argv[0]), std::cout, std::cerr);
    // A module or library that changed the setting would have made the run prove nothing.
    if (x87Precision != 0 && standin::X87Precision() != x87Precision) {
        std::cerr << "standin-host: the x87 precision was changed during the run, to "
                  << standin::X87Precision() << " bits\n";
        return 1;
    }
    return status;
}

} // namespace

int main(int argc, char **argv) {
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc &) {
        std::cerr << "standin-host: out of memory\n";
        return 1;
    }
}
