// One run of the stand-in host: read the scenario, create the vessels, step to the end, save.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>

namespace standin {

struct HostOptions {
    std::string scenarioPath;
    std::string configFolder;    // empty: "config" beside the scenario
    std::string moduleFolder;    // empty: the folder of the host program
    std::string outputPath;      // empty: "<scenario name>.saved.scn" in the working folder
    std::optional<double> until; // end the run here instead of at the scenario's END
    bool deleteAtOnce = false;
    bool verbose = false;
    bool quiet = false;         // log only the files written (warnings and errors still show)
    std::string tracePath;      // empty: no trace
    std::size_t traceEvery = 1; // a trace row per vessel every this many steps
    std::string plotPath;       // empty: no picture
    bool progress = false;      // show a progress line on `err` (it is a terminal)
};

// Runs the host; the run log goes to `out` (to `err` when an output is the standard output, which
// that output then has to itself), messages to `err`. Returns the process exit code: 0; 1 for a
// failure (an output or the run log that could not be written, memory that ran out, a refused
// run); or 128 + the signal's number for a run ended by a signal (its scenario
// saved), or a wait for a FIFO that one ended.
int RunHost(const HostOptions &options, const std::string &programPath, std::ostream &out,
            std::ostream &err);

} // namespace standin
