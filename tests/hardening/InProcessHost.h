// The stand-in host run inside a test: a scenario given as text, the class configuration written
// to a temporary folder, and the real Brevlet module loaded through the host's own loaders.
#pragma once

#include "standin_host/modules/VesselClasses.h"
#include "standin_host/outputs/RunLog.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/simulation/Simulation.h"
#include "tests/TempFolder.h"

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

namespace hardening {

using brevlet_test::ReadWhole;
using brevlet_test::TempFolder;

// The folder that holds the Brevlet module of this build.
std::string ModuleFolder();

class InProcessHost {
public:
    // Parses `scenarioText` (it must parse) and writes `classConfig` as "Brevlet.cfg".
    InProcessHost(const std::string &scenarioText, const std::string &classConfig,
                  standin::SimulationOptions options);
    ~InProcessHost();

    standin::Simulation &Sim() { return *simulation; }
    std::string Log() const { return logText.str(); }

private:
    TempFolder folder;
    standin::ScenarioDescription scenario;
    std::ostringstream logText;
    std::unique_ptr<standin::RunLog> log;
    std::unique_ptr<standin::VesselClasses> classes;
    std::unique_ptr<standin::Simulation> simulation; // destroyed first: it calls into the module
};

} // namespace hardening
