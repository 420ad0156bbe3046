#include "standin_host/run/Session.h"

#include "standin_host/outputs/picture/PlotSvg.h"
#include "standin_host/platform/FileCalls.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/scenario/TextFile.h"
#include "standin_host/simulation/StepClock.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <unordered_set>
#include <utility>

namespace standin {
namespace {

namespace fs = std::filesystem;

// More steps than a run of days at full speed: a mistyped STEP, END or --until.
constexpr double mostSteps = 1e12;

// Every class that the scenario names, found once, before the run's files are checked: a class's
// configuration names its module, and both are files that the run reads. Loading writes nothing;
// a class that cannot be loaded is reported with the first line of the scenario that uses it, and
// the simulation takes the classes found from `classes`.
bool LoadClasses(const ScenarioDescription &scenario, VesselClasses &classes, RunFiles &files,
                 std::string &error) {
    // Each class's files are planned once, however many vessels of it a scenario spawns.
    std::unordered_set<std::string> planned;
    int failedLine = 0;
    auto load = [&](const std::string &name, int line) {
        if (failedLine != 0 && line > failedLine) {
            return; // a later line than the one to name
        }
        std::string why;
        const VesselClass *found = classes.Find(name, why);
        if (found == nullptr) {
            failedLine = line;
            error = LinePlace(scenario.fileName, line) + why;
        } else if (planned.insert(name).second) {
            files.AddInput("the class configuration of " + name, found->config.name);
            files.AddInput("the module of class " + name, found->module->Path());
        }
    };
    for (const ScenarioEvent &event : scenario.events) {
        if (event.kind == ScenarioEvent::Kind::Spawn) {
            load(event.spawn->className, event.line);
        }
    }
    for (const VesselEntry &entry : scenario.vessels) {
        load(entry.className, entry.line);
    }
    return failedLine == 0;
}

// The number of steps from the scenario's TIME to `end` is known before the first one.
bool CheckStepCount(const ScenarioDescription &scenario, double end, bool untilGiven,
                    std::string &error) {
    const StepClock clock(scenario.ClockOrigin(), scenario.step);
    const double before = clock.StepsUntil(scenario.time);
    if (clock.TimeAfter(before) != scenario.time) {
        error = scenario.fileName + ": TIME " + FormatExact(scenario.time) +
                " is no step boundary of the clock from ORIGIN " +
                FormatExact(scenario.ClockOrigin()) + " by STEP " + FormatExact(scenario.step);
        return false;
    }
    const double steps = clock.StepsUntil(end) - before;
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

// Opens `file`, has `write` fill it and makes it complete.
template <typename Write> bool WriteWhole(OutputFile &file, std::string &error, Write write) {
    if (!file.Open(error)) {
        return false;
    }
    write();
    return file.Finish(error);
}

} // namespace

RunEnding RunEnding::Refusal(std::string why) {
    RunEnding ending;
    // A plan that a signal cut short is an interruption, not a refusal.
    if ((ending.signal = RunInterruptSignal()) != 0) {
        ending.how = How::Interrupted;
        ending.interruption = why.empty() ? "before the run started; nothing is written"
                                          : "before the run started: " + why;
    } else {
        ending.failures.push_back(std::move(why));
    }
    return ending;
}

Session::Session(ScenarioDescription scenario, const HostOptions &options,
                 const std::string &programPath)
    : options(options), scenario(std::move(scenario)),
      classes(options.configFolder.empty() ? FolderOf(options.scenarioPath) + "/config"
                                           : options.configFolder,
              options.moduleFolder.empty() ? FolderOf(programPath) : options.moduleFolder),
      end(options.until ? *options.until : this->scenario.end) {
    if (options.outputPath.empty()) {
        this->options.outputPath = fs::path(options.scenarioPath).stem().string() + ".saved.scn";
    }
}

Session::~Session() = default;

std::unique_ptr<Session> Session::Plan(const HostOptions &options, const std::string &programPath,
                                       std::ostream &out, std::ostream &err, std::string &error) {
    ScenarioDescription scenario;
    {
        TextFile file; // gone once parsed: a large scenario is not held twice
        // A large scenario takes seconds to read: a terminal shows how far it has come.
        ReadingLine reading(err, options.progress, options.scenarioPath);
        if (!ReadTextFile(options.scenarioPath, file, error,
                          [&](double share) { reading.Show("reading", share); }) ||
            !ParseScenario(file, scenario, error,
                           [&](double share) { reading.Show("parsing", share); })) {
            return nullptr;
        }
    }
    // Every file of the run is known, and checked, before anything is written.
    std::unique_ptr<Session> session(new Session(std::move(scenario), options, programPath));
    Session &run = *session;
    // As END before TIME is refused: a run that ends before it starts is a slip, not a wish.
    if (run.end < run.scenario.time) {
        error = run.scenario.fileName + ": --until " + FormatExact(run.end) + " lies before TIME " +
                FormatExact(run.scenario.time);
        return nullptr;
    }
    // Read whole before anything is written: its own checkpoints may update it.
    run.files.AddInput("the scenario", options.scenarioPath, true);
    // The program is a file too, and the one that an output replacing it would break.
    if (!programPath.empty()) {
        run.files.AddInput("the host program", programPath);
    }
    if (!LoadClasses(run.scenario, run.classes, run.files, error)) {
        return nullptr;
    }
    // What the run writes, in the order in which a clash names them.
    run.savedFile = &run.files.AddOutput("--output", run.options.outputPath, "");
    for (const ScenarioEvent &event : run.scenario.events) {
        if (event.kind == ScenarioEvent::Kind::Save) {
            run.files.AddOutput("SAVE", event.name,
                                run.scenario.fileName + ":" + std::to_string(event.line), "SAVE");
        }
    }
    if (!options.tracePath.empty()) {
        run.traceFile = &run.files.AddOutput("--trace", options.tracePath, "");
    }
    if (!options.plotPath.empty()) {
        run.plotFile = &run.files.AddOutput("--plot", options.plotPath, "");
    }
    if (!run.files.Check(error) ||
        !CheckStepCount(run.scenario, run.end, options.until.has_value(), error)) {
        return nullptr;
    }
    // A progress line would break up an output that goes to the terminal's error stream.
    run.options.progress = options.progress && !run.files.WritesStandardError();
    run.terminal = &err;
    // The standard output carries one product whole: the log makes way for an output written there.
    run.log = std::make_unique<RunLog>(run.files.WritesStandardOutput() ? err : out,
                                       run.scenario.step, err);
    run.services = std::make_unique<ModuleServices>(*run.log, run.scenario.fileName);
    run.simulation = std::make_unique<Simulation>(
        run.scenario, run.classes, *run.log, *run.services, static_cast<ScenarioSaver &>(run),
        SimulationOptions{options.deleteAtOnce, options.verbose});
    run.log->SetQuiet(options.quiet);
    return session;
}

bool Session::OpenOutputs(std::string &error) {
    // The progress line is told first, so that it is gone before the others write at the end.
    if (options.progress) {
        progress = std::make_unique<ProgressLine>(*terminal, true, scenario.time, end);
        log->ShareTerminalWith(progress.get());
        simulation->AddObserver(*progress);
    }
    // The trace is written as the run goes; the picture at the end, from what the run kept.
    if (traceFile != nullptr) {
        if (!traceFile->Open(error)) {
            return false;
        }
        trace = std::make_unique<TraceWriter>(*traceFile, options.traceEvery);
        simulation->AddObserver(*trace);
    }
    if (plotFile != nullptr) {
        plot = std::make_unique<PlotRecorder>(fs::path(scenario.fileName).filename().string(),
                                              scenario.time, std::max(end, scenario.time),
                                              scenario.step);
        simulation->AddObserver(*plot);
    }
    return true;
}

// A checkpoint is written through the output planned for its file.
bool Session::SaveScenario(const std::string &path, std::string &error) {
    OutputFile *file = files.Output("SAVE", path);
    if (file == nullptr) {
        error = path + ": cannot write: not planned"; // a plan that a signal cut short
        return false;
    }
    return WriteWhole(*file, error, [&] { simulation->WriteScenario(*file); });
}

RunEnding Session::RunToEnd() {
    std::string error;
    if (RunInterruptSignal() != 0 || !OpenOutputs(error)) {
        return RunEnding::Refusal(std::move(error));
    }
    try {
        const bool ran = simulation->Run(end, error);
        return Finish(ran, error);
    } catch (...) {
        // An exception that a module let out of a callback ends the run, and nothing is written:
        // the run's state cannot be trusted. One of the host's own goes on up.
        std::string failure = simulation->ModuleFailure();
        if (failure.empty()) {
            throw;
        }
        log->Flush();
        RunEnding ending;
        ending.time = simulation->Time();
        ending.failures.push_back(std::move(failure));
        return ending;
    }
}

RunEnding Session::Finish(bool ran, const std::string &runError) {
    RunEnding ending;
    ending.time = simulation->Time();
    // A signal that comes once the run has reached its end stops nothing: the run is finished,
    // unless it kept a SAVE at the end from being written.
    const bool finished = ran && !simulation->CheckpointUnwritten() &&
                          (RunInterruptSignal() == 0 || simulation->HasReached(end));
    ending.how = !ran       ? RunEnding::How::Failed
                 : finished ? RunEnding::How::Reached
                            : RunEnding::How::Interrupted;
    ending.failures = simulation->FailedCheckpoints();
    if (ending.how == RunEnding::How::Interrupted && ending.time == scenario.time) {
        // Nothing has run: the outputs keep what they held.
        ending.signal = RunInterruptSignal();
        ending.interruption = "before the first step; the run's outputs are not written";
        return ending;
    }

    // The run's lines so far go out before any output is written, so that a second signal, which
    // ends the process at once, does not leave a written output behind a log that shows nothing
    // of the run.
    log->Flush(); // before the outputs

    // Each output that can be written is, and each is named when it is complete or has failed.
    std::string error;
    auto written = [&](bool done, const std::string &what) {
        if (done) {
            log->Line(simulation->Time(), what, RunLog::Entry::Written);
        } else {
            ending.failures.push_back(error);
        }
        return done;
    };
    if (!ran) {
        // The state after an error is no scenario to continue, nor a run to draw.
        ending.failures.push_back(runError);
    } else {
        if (written(WriteWhole(*savedFile, error, [&] { simulation->WriteScenario(*savedFile); }),
                    "saved scenario to " + options.outputPath)) {
            ending.savedTo = options.outputPath;
        }
        if (plot != nullptr) {
            const auto draw = [&] {
                const std::string picture = RenderPlotSvg(plot->Record());
                plotFile->Write(picture.data(), picture.size());
            };
            written(WriteWhole(*plotFile, error, draw), "drew picture in " + options.plotPath);
        }
    }
    if (trace != nullptr) {
        // Up to where the run stopped, an error's or a signal's.
        written(traceFile->Finish(error), "wrote trace to " + options.tracePath);
    }
    ending.signal = RunInterruptSignal();
    if (ending.how == RunEnding::How::Interrupted) {
        ending.interruption =
            "at simulation time " + FormatExact(ending.time) +
            (ending.savedTo.empty() ? ""
                                    : "; the scenario as it stands is saved to " + ending.savedTo);
    }
    // A run log that could not be written in full fails the run, once everything else is written.
    ending.logIncomplete = log->WriteFailed();
    return ending;
}

} // namespace standin
