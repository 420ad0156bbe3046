#include "tests/hardening/InProcessHost.h"

#include "standin_host/scenario/TextFile.h"

#include <iostream>
#include <stdexcept>
#include <utility>

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
    standin::ScenarioDescription scenario;
    std::string error;
    if (!standin::ReadTextFile(scenarioPath, file, error) ||
        !standin::ParseScenario(file, scenario, error)) {
        throw std::runtime_error(error);
    }
    run = std::make_unique<brevlet_test::RunParts>(std::move(scenario), folder / "config",
                                                   ModuleFolder(), logText, std::cerr, options);
}

InProcessHost::~InProcessHost() = default;

} // namespace hardening
