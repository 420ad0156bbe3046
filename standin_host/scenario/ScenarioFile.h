// The stand-in host's scenario file: the clock, the camera, the vessels with their scenario
// blocks, and the events of the run. A saved scenario is written in the same form and loads back.
#pragma once

#include "host/HostTypes.h"
#include "standin_host/scenario/TextFile.h"
#include "standin_host/text/SourceLines.h"

#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

class TextOut;

struct VesselEntry {
    std::string name;
    std::string className;
    SourceLines block; // delivered to the vessel's module, indentation and comments removed
    int line = 0;
};

// What a SPAWN event creates beyond its name.
struct SpawnedVessel {
    std::string className;
    VECTOR3 position{};
    VECTOR3 velocity{};
};

// One AT line (a SAVE that repeats is one too, at its next time). A scenario may hold hundreds of
// thousands, so a SPAWN's class and status are kept apart, shared by the copies of its event.
struct ScenarioEvent {
    enum class Kind { CameraPosition, CameraVelocity, CameraTarget, Spawn, Save };
    double time = 0.0;
    Kind kind = Kind::Save;
    int line = 0;
    VECTOR3 vector{}; // CameraPosition, CameraVelocity
    // CameraTarget: the vessel's name (empty: no target); Spawn: the new vessel's; Save: the path.
    std::string name;
    std::shared_ptr<const SpawnedVessel> spawn; // Spawn: never null
    // A SAVE of "AT t EVERY T": T, its period (at least a step); 0 for an event that comes once.
    double every = 0.0;
};

struct ScenarioDescription {
    std::string fileName;
    double time = 0.0;
    double step = 0.0;
    double end = 0.0;
    // Where the clock counts its steps from when it is not TIME (NaN: it is): the ORIGIN of a
    // checkpoint written off the step's grid, so that the run continued from it passes the very
    // boundary times of the run that wrote it.
    double origin = std::numeric_limits<double>::quiet_NaN();
    double ClockOrigin() const { return origin == origin ? origin : time; }
    VECTOR3 cameraPosition{};
    VECTOR3 cameraVelocity{};
    std::string cameraTarget; // empty: no target
    std::vector<VesselEntry> vessels;
    std::vector<ScenarioEvent> events; // in the order of their times, ties in file order
};

// Parses a scenario; false with "file:line: message" on a malformed line. `progress`, if given,
// is told now and then the share of the text parsed.
bool ParseScenario(const TextFile &file, ScenarioDescription &scenario, std::string &error,
                   const ReadProgress &progress = {});

// Writes a scenario in the form that ParseScenario reads, with numbers that read back exactly.
std::string FormatScenario(const ScenarioDescription &scenario);

// The parts of a scenario, for a writer that streams one without holding it whole: the header
// (the clock and the camera of `scenario`), then each vessel's block, then the events.
void WriteScenarioHeader(TextOut &out, const ScenarioDescription &scenario);
void WriteVesselStart(TextOut &out, const std::string &name, const std::string &className);
void WriteVesselItem(TextOut &out, std::string_view key, std::string_view value); // indented
void WriteVesselEnd(TextOut &out);
void WriteVesselEntry(TextOut &out, const VesselEntry &vessel);
void WriteScenarioEvents(TextOut &out, const ScenarioEvent *first, const ScenarioEvent *last);

// Vessel and class names: letters, digits, '_', '-' and '.', not starting with '.', so that a
// class name can never leave the configuration folder.
bool IsValidName(const std::string &name);

// A scenario may come from anyone, so its SAVE events write only checkpoints: ".scn" files in
// the working folder, named by a relative path whose every part is a valid name (no "..").
// Null for such a path, else why it is refused. Links that lead out of the working folder are
// refused when the run's files are planned.
const char *WhyNotACheckpointName(const std::string &path);

} // namespace standin
