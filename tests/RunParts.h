// A simulation without a planned run, for the tests and the benchmark that drive it themselves:
// the layers that Session composes for the program, owned in the same order, so that each part
// outlives those that use it and the simulation, which calls into the modules, goes first. No file
// of the run is planned or checked, and no class is loaded before the simulation needs it.
#pragma once

#include "standin_host/interface/ModuleServices.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/outputs/OutputFile.h"
#include "standin_host/outputs/RunLog.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/simulation/Simulation.h"

#include <ostream>
#include <string>
#include <utility>

namespace brevlet_test {

class RunParts final : private standin::ScenarioSaver {
public:
    // `scenario` already read, its classes found in `configFolder` and their modules in
    // `moduleFolder`, the run log written to `logStream` and its warnings to `warnings`.
    RunParts(standin::ScenarioDescription scenario, const std::string &configFolder,
             const std::string &moduleFolder, std::ostream &logStream, std::ostream &warnings,
             standin::SimulationOptions options = standin::SimulationOptions())
        : scenario(std::move(scenario)), classes(configFolder, moduleFolder),
          log(logStream, this->scenario.step, warnings),
          services(this->log, this->scenario.fileName),
          simulation(this->scenario, classes, this->log, services, *this, options) {}

    standin::ScenarioDescription scenario;
    standin::VesselClasses classes;
    standin::RunLog log;
    standin::ModuleServices services;
    standin::Simulation simulation; // destroyed first: it calls into the modules

private:
    // A SAVE event's checkpoint, written as the program writes one but without its plan.
    bool SaveScenario(const std::string &path, std::string &error) override {
        standin::OutputFile file;
        if (!file.Plan(path, standin::ExamineFile(path), error) || !file.Open(error)) {
            return false;
        }
        simulation.WriteScenario(file);
        return file.Finish(error);
    }
};

} // namespace brevlet_test
