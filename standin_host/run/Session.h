// One run of the stand-in host and everything it owns, kept in the one order that lets each part
// outlive those that use it: the scenario, the vessel classes (the modules), the plan of the run's
// files, the progress line, the run log, the services that the modules call, the trace and the
// picture, and last the simulation, destroyed first since it calls into the modules as it goes.
// The program, the tests and the benchmark all build their runs here.
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

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

namespace standin {

class Session {
public:
    // A run inside a test or the benchmark: `scenario` already read, its classes found in
    // `configFolder` and their modules in `moduleFolder`, the run log written to `log` and its
    // warnings to `warnings`. It plans no files and has no outputs; it ends at the scenario's END.
    Session(ScenarioDescription scenario, const std::string &configFolder,
            const std::string &moduleFolder, std::ostream &log, std::ostream &warnings,
            SimulationOptions options = SimulationOptions());

    // The program's run: reads the scenario, loads every class that it names, and plans and checks
    // every file that the run reads (`programPath` among them, unless empty) and writes, and the
    // number of its steps. Nothing is written.
    // The run log goes to `out`, or to `err` when an output takes the standard output; messages
    // and warnings to `err`. Null, with `error` set, for a run that is refused.
    static std::unique_ptr<Session> Plan(const HostOptions &options, const std::string &programPath,
                                         std::ostream &out, std::ostream &err, std::string &error);

    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Opens the trace and sets up the picture and the progress line, each told of the run by the
    // run itself. The error starts with the trace's path.
    bool OpenOutputs(std::string &error);

    // Creates the vessels and steps to the run's end (see Simulation::Run).
    bool Run(std::string &error) { return simulation->Run(end, error); }

    // At the end: saves the scenario to the output path (a planned run's: one built by Plan);
    // draws the picture (only where DrawsPicture()); makes the trace complete (up to where the
    // run stopped), or drops it, leaving its file as it was.
    bool SaveScenario(std::string &error) const;
    bool DrawPicture(std::string &error) const;
    bool FinishTrace(std::string &error) { return traceFile.Finish(error); }
    void DiscardTrace() { traceFile.Discard(); }
    bool DrawsPicture() const { return plot != nullptr; }
    bool WritesTrace() const { return trace != nullptr; }

    const ScenarioDescription &Scenario() const { return scenario; }
    // Where the run ends: --until, or the scenario's END.
    double End() const { return end; }
    const std::string &OutputPath() const { return outputPath; }
    VesselClasses &Classes() { return classes; }
    RunLog &Log() { return *log; }
    ModuleServices &Services() { return *services; }
    const ModuleServices &Services() const { return *services; }
    Simulation &Sim() { return *simulation; }
    const Simulation &Sim() const { return *simulation; }

private:
    Session(ScenarioDescription scenario, const std::string &configFolder,
            const std::string &moduleFolder);
    // The run log, the services and the simulation, once the log's stream is known.
    void Begin(std::ostream &logStream, std::ostream &warnings, SimulationOptions options);

    ScenarioDescription scenario;
    VesselClasses classes;
    RunFiles files;
    double end;
    std::string outputPath;
    std::string tracePath;
    std::size_t traceEvery = 1;
    std::string plotPath;
    bool progressWanted = false;
    std::ostream *terminal = nullptr; // where a progress line would go

    std::unique_ptr<ProgressLine> progress; // before the log, which clears it for every line
    std::unique_ptr<RunLog> log;
    std::unique_ptr<ModuleServices> services;
    OutputFile traceFile;
    OutputFileBuffer traceBuffer{traceFile};
    std::ostream traceStream{&traceBuffer};
    std::unique_ptr<TraceWriter> trace;
    std::unique_ptr<PlotRecorder> plot;
    std::unique_ptr<Simulation> simulation; // destroyed first: it calls into the modules
};

} // namespace standin
