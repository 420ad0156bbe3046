// One run of the stand-in host and everything it owns, kept in the one order that lets each part
// outlive those that use it: the scenario, the vessel classes (the modules), the plan of the run's
// files, the progress line, the run log, the services that the modules call, the trace and the
// picture, and last the simulation, destroyed first since it calls into the modules as it goes.
#pragma once

#include "standin_host/interface/ModuleServices.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/outputs/OutputFile.h"
#include "standin_host/outputs/PlotRecorder.h"
#include "standin_host/outputs/ProgressLine.h"
#include "standin_host/outputs/RunLog.h"
#include "standin_host/outputs/TraceWriter.h"
#include "standin_host/run/HostRun.h"
#include "standin_host/run/RunFiles.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/simulation/Simulation.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace standin {

// How a run ended and what it wrote: all that the program needs for its messages and exit status.
struct RunEnding {
    enum class How {
        Reached,     // the run went to its end (a signal that came after that stopped nothing)
        Interrupted, // a signal ended it at `time`
        Failed,      // an error ended it, or kept it from starting (then nothing is written)
    };
    How how = How::Failed;
    double time = 0.0; // the simulation time at which the run stopped
    int signal = 0;    // the signal that came during the run, or 0
    // What the message of an interruption says after "interrupted by signal N ".
    std::string interruption;
    // Why each thing failed that should have been written or done, in order: a SAVE that a signal
    // kept from being written, the run's error, each output that could not be written.
    std::vector<std::string> failures;
    std::string savedTo;        // where the scenario was saved at the end, or empty
    bool logIncomplete = false; // the run log could not be written in full

    // A run kept from starting for `why` (empty: only by a signal), or by a signal.
    static RunEnding Refusal(std::string why);
};

class Session final : private ScenarioSaver {
public:
    // Reads the scenario, loads every class that it names, and checks every file that the run
    // reads (`programPath` among them, unless empty) and writes, and the number of its steps;
    // nothing is written. The run log goes to `out` (to `err` when an output takes the standard
    // output), messages and warnings to `err`. Null, with `error` set, for a refused run.
    static std::unique_ptr<Session> Plan(const HostOptions &options, const std::string &programPath,
                                         std::ostream &out, std::ostream &err, std::string &error);

    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Opens the outputs, runs (Simulation::Run) and finishes.
    RunEnding RunToEnd();

private:
    Session(ScenarioDescription scenario, const HostOptions &options,
            const std::string &programPath);

    // Opens the trace and sets up the picture and the progress line as observers of the run. The
    // error starts with the trace's path.
    bool OpenOutputs(std::string &error);

    // After the run (`ran`: without an error, else `error` says why): saves the scenario, draws
    // the picture, completes the trace up to where the run stopped, and names each file in the
    // log once it is complete. A run interrupted before its first step writes nothing.
    RunEnding Finish(bool ran, const std::string &error);

    // Writes the run as it stands to the planned checkpoint `path` (SAVE events).
    bool SaveScenario(const std::string &path, std::string &error) override;

    // As given, but with the output's path and whether a progress line is shown decided.
    HostOptions options;
    ScenarioDescription scenario;
    VesselClasses classes;
    RunFiles files;
    double end;                       // --until, or the scenario's END
    std::ostream *terminal = nullptr; // where a progress line would go

    std::unique_ptr<ProgressLine> progress; // before the log, which clears it for every line
    std::unique_ptr<RunLog> log;
    std::unique_ptr<ModuleServices> services;
    OutputFile *savedFile = nullptr; // the outputs, planned in `files`
    OutputFile *traceFile = nullptr;
    OutputFile *plotFile = nullptr;
    std::unique_ptr<TraceWriter> trace;
    std::unique_ptr<PlotRecorder> plot;
    std::unique_ptr<Simulation> simulation; // destroyed first: it calls into the modules
};

} // namespace standin
