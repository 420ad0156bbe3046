// The stand-in host: runs vessel modules headless from a scenario file. This file holds only the
// process's concerns: its locale, the command line's outcome, the platform's facts about this
// process (its standard streams, its own path, whether a terminal shows its errors), the signals
// and the x87 unit.
#include "BrevletVersion.h"
#include "standin_host/platform/Process.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/platform/X87Precision.h"
#include "standin_host/program/CommandLine.h"
#include "standin_host/run/HostRun.h"

#include <clocale>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

// Shows `text` on the standard output; a text that cannot be written there fails the program.
int Show(const std::string &text) {
    std::cout << text << std::flush;
    if (!std::cout) {
        std::cerr << "standin-host: cannot write to the standard output\n";
        return 1;
    }
    return 0;
}

int Main(int argc, char **argv) {
    // Take the user's locale as a real host would; the host and its modules must read and write
    // numbers with '.' whatever it is.
    std::setlocale(LC_ALL, "");

    standin::CommandLine line =
        standin::ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    switch (line.request) {
    case standin::CommandLine::Request::Help:
        return Show(line.message);
    case standin::CommandLine::Request::Version:
        return Show(std::string("standin-host ") + BREVLET_VERSION + "\n" +
                    (*BREVLET_RELEASE_NOTE != '\0' ? BREVLET_RELEASE_NOTE "\n" : ""));
    case standin::CommandLine::Request::Refused:
        std::cerr << line.message;
        return standin::BadCommandLineStatus;
    case standin::CommandLine::Request::Run:
        break;
    }
    const int x87Precision = line.x87Precision;
    // The command line took 24, 53 or 64 alone: only a build without the unit refuses it.
    if (x87Precision != 0 && !standin::SetX87Precision(x87Precision)) {
        std::cerr << standin::RefusalText(
            "--x87-precision has no effect on this build, which does not run on 32-bit x86");
        return standin::BadCommandLineStatus;
    }
    line.options.progress = standin::ErrorStreamIsTerminal();
    standin::InstallRunInterrupt();
    const int status =
        standin::RunHost(line.options, standin::ProgramPath(argv[0]), std::cout, std::cerr);
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
    // Before anything is opened, so that no file of the run takes a closed stream's number.
    standin::OpenClosedStandardStreams();
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc &) {
        std::cerr << "standin-host: out of memory\n";
        return 1;
    }
}
