#include "HostRun.h"

#include "PlotRecorder.h"
#include "PlotSvg.h"
#include "ScenarioFile.h"
#include "Simulation.h"
#include "TextFile.h"
#include "TraceWriter.h"
#include "VesselClasses.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace standin {
namespace {

namespace fs = std::filesystem;

std::string FolderOf(const std::string &path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

std::string DefaultOutputPath(const std::string &scenarioPath) {
    return fs::path(scenarioPath).stem().string() + ".saved.scn";
}

// Refuses, before the run, an output that could not be written at its end.
bool CheckOutputFolder(const std::string &outputPath, std::string &error) {
    std::error_code ec;
    const std::string folder = FolderOf(outputPath);
    if (!fs::is_directory(folder, ec)) {
        error = outputPath + ": cannot write: the folder " + folder + " does not exist";
        return false;
    }
    if (fs::is_directory(outputPath, ec)) {
        error = outputPath + ": cannot write: is a folder";
        return false;
    }
    return true;
}

} // namespace

int RunHost(const HostOptions &options, const std::string &programPath, std::ostream &out,
            std::ostream &err) {
    std::string error;
    TextFile file;
    ScenarioDescription scenario;
    if (!ReadTextFile(options.scenarioPath, file, error) || !ParseScenario(file, scenario, error)) {
        err << "standin-host: " << error << '\n';
        return 1;
    }
    const std::string output =
        options.outputPath.empty() ? DefaultOutputPath(options.scenarioPath) : options.outputPath;
    if (!CheckOutputFolder(output, error)) {
        err << "standin-host: " << error << '\n';
        return 1;
    }
    if (!options.plotPath.empty() && !CheckOutputFolder(options.plotPath, error)) {
        err << "standin-host: " << error << '\n';
        return 1;
    }
    for (const ScenarioEvent &event : scenario.events) {
        if (event.kind == ScenarioEvent::Kind::Save && !CheckOutputFolder(event.path, error)) {
            err << "standin-host: " << scenario.fileName << ":" << event.line << ": " << error
                << '\n';
            return 1;
        }
    }

    VesselClasses classes(options.configFolder.empty() ? FolderOf(options.scenarioPath) + "/config"
                                                       : options.configFolder,
                          options.moduleFolder.empty() ? FolderOf(programPath)
                                                       : options.moduleFolder);
    RunLog log(out, scenario.step, err);
    Simulation simulation(scenario, classes, log,
                          SimulationOptions{options.deleteAtOnce, options.verbose});
    const double end = options.until ? *options.until : scenario.end;

    // The trace is written as the run goes; the picture at the end, from what the run kept.
    std::ofstream traceFile;
    std::unique_ptr<TraceWriter> trace;
    if (!options.tracePath.empty()) {
        traceFile.open(options.tracePath, std::ios::binary | std::ios::trunc);
        if (!traceFile) {
            err << "standin-host: " << options.tracePath << ": cannot write the trace\n";
            return 1;
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

    const bool ran = simulation.Start(error) && simulation.RunUntil(end, error);
    simulation.NotifyRunEnded();
    if (!ran || !WriteFileAtomically(output, FormatScenario(simulation.Snapshot()), error) ||
        (plot && !WriteFileAtomically(options.plotPath, RenderPlotSvg(plot->Record()), error))) {
        out.flush();
        err << "standin-host: " << error << '\n';
        return 1;
    }
    log.Line(simulation.Time(), "saved scenario to " + output);
    // A trace that could not be written in full fails the run, once everything else is saved.
    if (trace) {
        traceFile.close();
        if (!traceFile) {
            out.flush();
            err << "standin-host: " << options.tracePath << ": writing the trace failed\n";
            return 1;
        }
    }
    return 0;
}

} // namespace standin
