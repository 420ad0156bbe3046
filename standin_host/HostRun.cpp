#include "HostRun.h"

#include "MessageText.h"
#include "NumberText.h"
#include "OutputFile.h"
#include "PlotRecorder.h"
#include "PlotSvg.h"
#include "ProgressLine.h"
#include "RunInterrupt.h"
#include "ScenarioFile.h"
#include "Simulation.h"
#include "StepClock.h"
#include "TextFile.h"
#include "TraceWriter.h"
#include "VesselClasses.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

namespace standin {
namespace {

namespace fs = std::filesystem;

// More steps than a run of days at full speed: a mistyped STEP, END or --until.
constexpr double mostSteps = 1e12;

std::string FolderOf(const std::string &path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

std::string DefaultOutputPath(const std::string &scenarioPath) {
    return fs::path(scenarioPath).stem().string() + ".saved.scn";
}

int Fail(std::ostream &err, const std::string &message) {
    err << "standin-host: " << Escaped(message) << '\n';
    return 1;
}

// Every output of the run, checked before its first step.
bool CheckOutputs(const ScenarioDescription &scenario, const std::string &output,
                  std::string &error) {
    if (!CheckOutputFile(output, error)) {
        return false;
    }
    for (const ScenarioEvent &event : scenario.events) {
        if (event.kind == ScenarioEvent::Kind::Save && !CheckOutputFile(event.path, error)) {
            error.insert(0, scenario.fileName + ":" + std::to_string(event.line) + ": ");
            return false;
        }
    }
    return true;
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

} // namespace

int RunHost(const HostOptions &options, const std::string &programPath, std::ostream &out,
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
    if (!CheckOutputs(scenario, output, error) ||
        (!options.plotPath.empty() && !CheckOutputFile(options.plotPath, error)) ||
        !CheckStepCount(scenario, end, options.until.has_value(), error)) {
        return Fail(err, error);
    }

    VesselClasses classes(options.configFolder.empty() ? FolderOf(options.scenarioPath) + "/config"
                                                       : options.configFolder,
                          options.moduleFolder.empty() ? FolderOf(programPath)
                                                       : options.moduleFolder);
    RunLog log(out, scenario.step, err);
    Simulation simulation(scenario, classes, log,
                          SimulationOptions{options.deleteAtOnce, options.verbose});

    // The trace is written as the run goes; the picture at the end, from what the run kept.
    std::ofstream traceFile;
    std::unique_ptr<TraceWriter> trace;
    if (!options.tracePath.empty()) {
        traceFile.open(options.tracePath, std::ios::binary | std::ios::trunc);
        if (!traceFile) {
            return Fail(err, options.tracePath + ": cannot write the trace");
        }
        trace = std::make_unique<TraceWriter>(traceFile, options.traceEvery);
        simulation.AddObserver(*trace);
    }
    std::unique_ptr<PlotRecorder> plot;
    if (!options.plotPath.empty()) {
        plot = std::make_unique<PlotRecorder>(fs::path(scenario.fileName).filename().string(),
                                              scenario.time, std::max(end, scenario.time),
                                              scenario.step);
        simulation.AddObserver(*plot);
    }

    ProgressLine progress(err, options.progress, scenario.time, end);
    log.ShareTerminalWith(&progress);
    simulation.ShowProgressOn(&progress);

    const bool ran = simulation.Start(error) && simulation.RunUntil(end, error);
    progress.Clear();
    simulation.NotifyRunEnded();
    if (!ran || !simulation.Save(output, error) ||
        (plot && !WriteOutputFile(options.plotPath, RenderPlotSvg(plot->Record()), error))) {
        out.flush();
        return Fail(err, error);
    }
    log.Line(simulation.Time(), "saved scenario to " + output);
    const int signal = RunInterruptSignal();
    if (signal != 0) {
        err << "standin-host: interrupted by signal " << signal << " at simulation time "
            << FormatExact(simulation.Time()) << "; the scenario as it stands is saved to "
            << Escaped(output) << '\n';
    }
    // A run log or trace that could not be written in full fails the run, once everything else
    // is saved.
    int status = signal != 0 ? ExitStatusForSignal(signal) : 0;
    if (log.WriteFailed()) {
        status = Fail(err, "the run log could not be written in full (a full disk or a closed "
                           "pipe); the run went to its end and the scenario is saved to " +
                               output);
    }
    if (trace) {
        traceFile.close();
        if (!traceFile) {
            status = Fail(err, options.tracePath + ": writing the trace failed");
        }
    }
    return status;
}

} // namespace standin
