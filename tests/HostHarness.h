// An in-process stand-in host for the module's tests: a class configuration written to a
// temporary folder, the real Brevlet module loaded through the host's own class and module
// loaders, and a simulation whose vessels, camera and clock the tests drive step by step.
#pragma once

#include "tests/RunParts.h"
#include "tests/TempFolder.h"
#include "vessel/Brevlet.h"

#include <sstream>
#include <string>
#include <vector>

namespace brevlet_test {

struct HarnessOptions {
    // Put "Module = Brevlet" before the given class configuration lines.
    bool moduleLine = true;
    double step = 1.0;
    standin::SimulationOptions simulation;
};

class HostHarness {
public:
    // Writes the class configuration "Brevlet.cfg" from `configLines` and sets up the simulation.
    explicit HostHarness(const std::vector<std::string> &configLines,
                         const HarnessOptions &options = HarnessOptions());
    ~HostHarness();
    HostHarness(const HostHarness &) = delete;
    HostHarness &operator=(const HostHarness &) = delete;

    // Creates a Brevlet whose initial state is the scenario block `blockLines`, handed to the
    // module exactly as given. Lines that reach the host's default parser and are not its own
    // (not POS or VEL) are collected, in order, in UnknownLines().
    standin::SimVessel &CreateFromBlock(const std::string &name,
                                        const std::vector<std::string> &blockLines);

    // Creates a Brevlet whose initial state is a status record, as for a vessel spawned during a
    // run.
    standin::SimVessel &CreateFromStatus(const std::string &name,
                                         const standin::VesselStatus &status);

    void SetCamera(const VECTOR3 &position, const standin::VesselRecord *target);
    // One step of the run's own loop, of the harness's step length.
    void Step();

    // The live vessel of that name, or null once it has been deleted.
    standin::SimVessel *Find(const std::string &name) const;

    std::string DebugLine() const;
    // Overwrites the debug line, to tell whether a step wrote it.
    void SetDebugLine(const std::string &text);

    // The lines that clbkSaveState writes for the vessel.
    std::vector<std::string> Save(standin::SimVessel &vessel);

    std::string Log() const { return logText.str(); }
    const std::vector<std::string> &UnknownLines() const { return unknownLines; }
    standin::Simulation &Sim() { return run.simulation; }
    // How often the module called each host service of the step.
    const standin::HostCallCounts &Calls() const { return run.services.Calls(); }
    // "file:line: why" of the first POS or VEL line that the host could not read, or "".
    const std::string &LineError() const { return run.services.LineError(); }
    const standin::VesselClass &Class() const { return *vesselClass; }

    // The module's object behind a vessel; the header's inline accessors read its fields.
    static Brevlet &Module(standin::SimVessel &vessel);

private:
    TempFolder folder;
    std::ostringstream logText;
    std::ostringstream warningText;
    RunParts run;
    const standin::VesselClass *vesselClass = nullptr;
    double step;
    std::vector<std::string> unknownLines;
};

// The text of a vector in the tests' messages.
std::string Describe(const VECTOR3 &v);

} // namespace brevlet_test
