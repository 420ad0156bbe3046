// The stand-in host run inside a test: a scenario given as text, the class configuration written
// to a temporary folder, and the real Brevlet module loaded through the host's own loaders.
#pragma once

#include "tests/RunParts.h"
#include "tests/TempFolder.h"

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

    standin::Simulation &Sim() { return run->simulation; }
    std::string Log() const { return logText.str(); }

private:
    TempFolder folder;
    std::ostringstream logText;
    std::unique_ptr<brevlet_test::RunParts> run;
};

} // namespace hardening
