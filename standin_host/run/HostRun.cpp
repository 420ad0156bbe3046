#include "standin_host/run/HostRun.h"

#include "standin_host/modules/VesselClasses.h"
#include "standin_host/outputs/OutputFile.h"
#include "standin_host/outputs/PlotRecorder.h"
#include "standin_host/outputs/ProgressLine.h"
#include "standin_host/outputs/TraceWriter.h"
#include "standin_host/outputs/picture/PlotSvg.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/run/RunFiles.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/scenario/TextFile.h"
#include "standin_host/simulation/Simulation.h"
#include "standin_host/simulation/StepClock.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <new>

namespace standin {
namespace {

namespace fs = std::filesystem;

// More steps than a run of days at full speed: a mistyped STEP, END or --until.
constexpr double mostSteps = 1e12;

std::string DefaultOutputPath(const std::string &scenarioPath) {
    return fs::path(scenarioPath).stem().string() + ".saved.scn";
}

int Fail(std::ostream &err, const std::string &message) {
    err << "standin-host: " << Escaped(message) << '\n';
    return 1;
}

// Every class that the scenario names, loaded before the run's files are checked: a class's
// configuration names its module, and both are files that the run reads. Loading writes nothing;
// the classes are found in the same order as Simulation::Start finds them, so that a missing one
// is reported as it would be there.
bool LoadClasses(const ScenarioDescription &scenario, VesselClasses &classes, RunFiles &files,
                 std::string &error) {
    auto load = [&](const std::string &name, int line) {
        const VesselClass *found = classes.Find(name, error);
        if (found == nullptr) {
            error.insert(0, scenario.fileName + ":" + std::to_string(line) + ": ");
            return false;
        }
        files.AddInput("the class configuration of " + name, found->config.name);
        files.AddInput("the module of class " + name, found->module->Path());
        return true;
    };
    for (const ScenarioEvent &event : scenario.events) {
        if (event.kind == ScenarioEvent::Kind::Spawn && !load(event.className, event.line)) {
            return false;
        }
    }
    for (const VesselEntry &entry : scenario.vessels) {
        if (!load(entry.className, entry.line)) {
            return false;
        }
    }
    return true;
}

// What the run writes, in the order in which a clash names them.
void AddOutputs(const HostOptions &options, const ScenarioDescription &scenario,
                const std::string &output, RunFiles &files) {
    files.AddOutput("--output", output, "");
    for (const ScenarioEvent &event : scenario.events) {
        if (event.kind == ScenarioEvent::Kind::Save) {
            files.AddOutput("SAVE", event.path,
                            scenario.fileName + ":" + std::to_string(event.line), "SAVE");
        }
    }
    if (!options.tracePath.empty()) {
        files.AddOutput("--trace", options.tracePath, "");
    }
    if (!options.plotPath.empty()) {
        files.AddOutput("--plot", options.plotPath, "");
    }
}

// The number of steps from the scenario's TIME to `end` is known before the first one.
bool CheckStepCount(const ScenarioDescription &scenario, double end, bool untilGiven,
                    std::string &error) {
    const double steps = StepClock(scenario.time, scenario.step).StepsUntil(end);
    if (steps <= mostSteps) {
        return true;
    }
    error = scenario.fileName + ": the run would take " +
            (std::isfinite(steps) ? FormatFixed(steps, 0) : std::string("more than 1e308")) +
            " steps of STEP " + FormatExact(scenario.step) + " from TIME " +
            FormatExact(scenario.time) + " to " + (untilGiven ? "--until " : "END ") +
            FormatExact(end) + "; more than 10^12 steps are refused (a mistyped STEP or END?)";
    return false;
}

int Interrupted(std::ostream &err, int signal, const std::string &what) {
    err << "standin-host: interrupted by signal " << signal << ' ' << Escaped(what) << '\n';
    return ExitStatusForSignal(signal);
}

int Run(const HostOptions &options, const std::string &programPath, std::ostream &out,
        std::ostream &err) {
    std::string error;
    ScenarioDescription scenario;
    {
        TextFile file; // gone once parsed: a large scenario is not held twice
        if (!ReadTextFile(options.scenarioPath, file, error) ||
            !ParseScenario(file, scenario, error)) {
            return Fail(err, error);
        }
    }
    const std::string output =
        options.outputPath.empty() ? DefaultOutputPath(options.scenarioPath) : options.outputPath;
    const double end = options.until ? *options.until : scenario.end;

    // Every file of the run is known, and checked, before anything is written.
    VesselClasses classes(options.configFolder.empty() ? FolderOf(options.scenarioPath) + "/config"
                                                       : options.configFolder,
                          options.moduleFolder.empty() ? FolderOf(programPath)
                                                       : options.moduleFolder);
    RunFiles files;
    files.AddInput("the scenario", options.scenarioPath);
    if (!LoadClasses(scenario, classes, files, error)) {
        return Fail(err, error);
    }
    AddOutputs(options, scenario, output, files);
    if (!files.Check(error) || !CheckStepCount(scenario, end, options.until.has_value(), error)) {
        return Fail(err, error);
    }
    if (RunInterruptSignal() != 0) {
        return Interrupted(err, RunInterruptSignal(), "before the run started; nothing is written");
    }

    // The standard output carries one product whole: the log makes way for an output written there.
    RunLog log(files.WritesStandardOutput() ? err : out, scenario.step, err);
    Simulation simulation(scenario, classes, log,
                          SimulationOptions{options.deleteAtOnce, options.verbose});

    // The trace is written as the run goes; the picture at the end, from what the run kept.
    OutputFile traceFile;
    OutputFileBuffer traceBuffer(traceFile);
    std::ostream traceStream(&traceBuffer);
    std::unique_ptr<TraceWriter> trace;
    if (!options.tracePath.empty()) {
        if (!traceFile.Open(options.tracePath, error)) {
            return RunInterruptSignal() != 0
                       ? Interrupted(err, RunInterruptSignal(), "before the run started: " + error)
                       : Fail(err, error);
        }
        trace = std::make_unique<TraceWriter>(traceStream, options.traceEvery);
        simulation.AddObserver(*trace);
    }
    std::unique_ptr<PlotRecorder> plot;
    if (!options.plotPath.empty()) {
        plot = std::make_unique<PlotRecorder>(fs::path(scenario.fileName).filename().string(),
                                              scenario.time, std::max(end, scenario.time),
                                              scenario.step);
        simulation.AddObserver(*plot);
    }

    // A progress line would break up an output that goes to the terminal's error stream.
    ProgressLine progress(err, options.progress && !files.WritesStandardError(), scenario.time,
                          end);
    log.ShareTerminalWith(&progress);
    simulation.ShowProgressOn(&progress);

    const bool ran = simulation.Start(error) && simulation.RunUntil(end, error);
    // A signal that comes once the run has reached its end stops nothing: the run is finished.
    const bool finished =
        ran && (RunInterruptSignal() == 0 || simulation.Time() >= end - scenario.step * 1e-6);
    progress.Clear();
    simulation.NotifyRunEnded();
    if (ran && !finished && simulation.Time() == scenario.time) {
        // Nothing has run: the outputs keep what they held.
        traceFile.Discard();
        return Interrupted(err, RunInterruptSignal(),
                           "before the first step; the run's outputs are not written");
    }

    // Each output that can be written is, and each is named when it is complete or has failed.
    bool failed = false;
    bool saved = false;
    auto report = [&](bool written, const std::string &what) {
        if (written) {
            log.Line(simulation.Time(), what);
        } else {
            Fail(err, error);
            failed = true;
        }
        return written;
    };
    if (!ran) {
        // The state after an error is no scenario to continue, nor a run to draw.
        Fail(err, error);
        failed = true;
    } else {
        saved = report(simulation.Save(output, error), "saved scenario to " + output);
        if (plot) {
            report(WriteOutputFile(options.plotPath, RenderPlotSvg(plot->Record()), error),
                   "drew picture in " + options.plotPath);
        }
    }
    if (trace) {
        // Up to where the run stopped, an error's or a signal's.
        report(traceFile.Finish(error), "wrote trace to " + options.tracePath);
    }
    const int signal = RunInterruptSignal();
    if (ran && !finished) {
        Interrupted(err, signal,
                    "at simulation time " + FormatExact(simulation.Time()) +
                        (saved ? "; the scenario as it stands is saved to " + output : ""));
    }
    // A run log that could not be written in full fails the run, once everything else is written.
    if (log.WriteFailed()) {
        Fail(err, "the run log could not be written in full (a full disk or a closed pipe); " +
                      std::string(saved ? "the run went to its end and the scenario is saved to " +
                                              output
                                        : "the scenario is not saved"));
        failed = true;
    }
    if (failed) {
        return signal != 0 ? ExitStatusForSignal(signal) : 1;
    }
    return finished ? 0 : ExitStatusForSignal(signal);
}

} // namespace

int RunHost(const HostOptions &options, const std::string &programPath, std::ostream &out,
            std::ostream &err) {
    try {
        return Run(options, programPath, out, err);
    } catch (const std::bad_alloc &) {
        // The outputs under way are dropped as the run unwinds; those complete stay.
        err << "standin-host: out of memory: the run ends, and no output that it had not "
               "completed is written\n";
        return 1;
    }
}

} // namespace standin
