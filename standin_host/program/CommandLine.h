// The host's command line: what a run is asked to do, read from the program's arguments. Parsing
// touches no file and prints nothing, so that every command line can be tried in a test.
#pragma once

#include "standin_host/run/HostRun.h"

#include <string>
#include <vector>

namespace standin {

struct CommandLine {
    enum class Request {
        Run,     // run `options`
        Help,    // show `message` on the standard output
        Version, // show the version
        Refused, // a bad command line: show `message`, end with BadCommandLineStatus
    };
    Request request = Request::Run;
    HostOptions options;  // its `progress` is the program's to decide: it depends on the terminal
    int x87Precision = 0; // --x87-precision: 24, 53 or 64 bits; 0 leaves the unit as it is
    std::string message;  // Help, Refused: the whole text to show, newline included
};

// The exit status of a run refused for its command line.
constexpr int BadCommandLineStatus = 2;

// The options and the scenario, without the program's name. Numbers are read with '.' whatever
// the process locale.
CommandLine ParseCommandLine(const std::vector<std::string> &arguments);

// The text of a refused command line: the slip named in one line, then the way to --help.
std::string RefusalText(const std::string &slip);

} // namespace standin
