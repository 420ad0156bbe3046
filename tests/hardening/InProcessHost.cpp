#include "tests/hardening/InProcessHost.h"

#include "standin_host/scenario/TextFile.h"

#include <stdexcept>

namespace hardening {

namespace fs = std::filesystem;

std::string ModuleFolder() {
    return BREVLET_MODULE_FOLDER;
}

InProcessHost::InProcessHost(const std::string &scenarioText, const std::string &classConfig,
                             standin::SimulationOptions options) {
    const std::string scenarioPath = folder.Write("run.scn", scenarioText);
    folder.Write("config/Brevlet.cfg", classConfig);
    standin::TextFile file;
    std::string error;
    if (!standin::ReadTextFile(scenarioPath, file, error) ||
        !standin::ParseScenario(file, scenario, error)) {
        throw std::runtime_error(error);
    }
    log = std::make_unique<standin::RunLog>(logText, scenario.step);
    classes = std::make_unique<standin::VesselClasses>(folder / "config", ModuleFolder());
    simulation = std::make_unique<standin::Simulation>(scenario, *classes, *log, options);
}

InProcessHost::~InProcessHost() = default;

} // namespace hardening
