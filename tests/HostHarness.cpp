#include "tests/HostHarness.h"

#include "standin_host/interface/ScenarioWriter.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/TextOut.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace brevlet_test {
namespace {

// The scenario lines named in the host's "scenario line not understood" warnings, in order.
std::vector<std::string> UnknownLinesIn(const std::string &warnings) {
    static const std::string marker = "scenario line not understood: ";
    std::vector<std::string> lines;
    std::istringstream in(warnings);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t at = line.find(marker);
        if (at != std::string::npos) {
            // The line stands in quotes: 'text'.
            const std::string quoted = line.substr(at + marker.size());
            lines.push_back(quoted.substr(1, quoted.size() - 2));
        }
    }
    return lines;
}

standin::ScenarioDescription HarnessScenario(double step) {
    standin::ScenarioDescription scenario;
    scenario.fileName = "test.scn";
    scenario.step = step;
    scenario.end = 1e9;
    return scenario;
}

} // namespace

HostHarness::HostHarness(const std::vector<std::string> &configLines, const HarnessOptions &options)
    : run(HarnessScenario(options.step), folder.Path().string(), BREVLET_MODULE_FOLDER, logText,
          warningText, options.simulation),
      step(options.step) {
    std::string config = options.moduleLine ? "Module = Brevlet\n" : "";
    for (const std::string &line : configLines) {
        config += line + "\n";
    }
    folder.Write("Brevlet.cfg", config);

    std::string error;
    vesselClass = run.classes.Find("Brevlet", error);
    if (vesselClass == nullptr) {
        throw std::runtime_error("cannot load the Brevlet class: " + error);
    }
}

HostHarness::~HostHarness() = default;

standin::SimVessel &HostHarness::CreateFromBlock(const std::string &name,
                                                 const std::vector<std::string> &blockLines) {
    standin::SourceLines block;
    int number = 0;
    for (const std::string &line : blockLines) {
        block.Add(line, ++number);
    }
    warningText.str("");
    standin::SimVessel *vessel =
        run.simulation.CreateVessel(name, *vesselClass, &block, standin::VesselStatus());
    unknownLines = UnknownLinesIn(warningText.str());
    if (vessel == nullptr) {
        throw std::runtime_error("the module created no vessel " + name);
    }
    return *vessel;
}

standin::SimVessel &HostHarness::CreateFromStatus(const std::string &name,
                                                  const standin::VesselStatus &status) {
    standin::SimVessel *vessel = run.simulation.CreateVessel(name, *vesselClass, nullptr, status);
    if (vessel == nullptr) {
        throw std::runtime_error("the module created no vessel " + name);
    }
    return *vessel;
}

void HostHarness::SetCamera(const VECTOR3 &position, const standin::VesselRecord *target) {
    run.services.SetCameraPosition(position);
    run.services.SetCameraTarget(target);
}

void HostHarness::Step() {
    std::string error;
    if (!run.simulation.Advance(run.simulation.Time() + step, error)) {
        throw std::runtime_error("the step failed: " + error);
    }
}

standin::SimVessel *HostHarness::Find(const std::string &name) const {
    return run.simulation.FindVessel(name);
}

std::string HostHarness::DebugLine() const {
    return run.services.DebugLine();
}

void HostHarness::SetDebugLine(const std::string &text) {
    // Written as a module writes it, so that the next step looks at it.
    char *buffer = run.services.HandOutDebugString();
    const std::size_t length = std::min(text.size(), DebugStringCapacity - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::vector<std::string> HostHarness::Save(standin::SimVessel &vessel) {
    standin::StringOut text;
    standin::ScenarioWriter writer(text);
    vessel.instance->clbkSaveState(&writer);
    // The block's lines, as "key value", without their indent.
    std::vector<std::string> lines;
    const std::string &block = text.Text();
    for (std::size_t start = 0; start < block.size();) {
        const std::size_t end = block.find("\n  ", start + 2);
        lines.push_back(block.substr(
            start + 2, (end == std::string::npos ? block.size() - 1 : end) - start - 2));
        start = end == std::string::npos ? block.size() : end + 1;
    }
    return lines;
}

Brevlet &HostHarness::Module(standin::SimVessel &vessel) {
    return static_cast<Brevlet &>(*vessel.instance);
}

std::string Describe(const VECTOR3 &v) {
    return standin::VectorText(v);
}

} // namespace brevlet_test
