// The stand-in host's simulation: vessels, camera, clock and debug line, the step loop that calls
// every vessel after every step, and the services that vessel modules call back into.
#pragma once

#include "host/HostServices.h"
#include "host/Vessel.h"
#include "standin_host/interface/LineReader.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/outputs/RunLog.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/simulation/RunObserver.h"
#include "standin_host/simulation/StepClock.h"
#include "standin_host/simulation/VesselStatus.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace standin {

// One vessel as the host keeps it. Its address is the vessel's ObjectHandle.
struct SimVessel {
    std::string name;
    const VesselClass *vesselClass = nullptr;
    // The module's instance, seen as the callback class that every vessel class derives from;
    // null once the module has destroyed it.
    VESSEL2 *instance = nullptr;
    VECTOR3 position{};
    VECTOR3 velocity{};
    bool focusEnabled = true;
    bool deletionRequested = false;
};

struct SimulationOptions {
    // Destroy a vessel inside oapiDeleteVessel instead of at the end of the step, to prove that a
    // module touches nothing of itself after asking for its deletion.
    bool deleteAtOnce = false;
    // Log the debug line after every step, not only when it changes.
    bool verbose = false;
};

// How often the modules have called each host service of the step; tests hold a module's step to
// the work it is meant to do.
struct HostCallCounts {
    std::size_t cameraTarget = 0;
    std::size_t cameraPosition = 0;
    std::size_t vesselPosition = 0;
    std::size_t debugString = 0;
    std::size_t deletionRequests = 0;
};

class ProgressLine;

class Simulation {
public:
    Simulation(const ScenarioDescription &scenario, VesselClasses &classes, RunLog &log,
               SimulationOptions options);
    // Destroys the remaining vessels through their modules.
    ~Simulation();
    Simulation(const Simulation &) = delete;
    Simulation &operator=(const Simulation &) = delete;

    // The simulation whose services the modules reach through the host interface. Inline, since
    // every host service that a module calls in its step goes through it.
    static Simulation *Active() { return active; }

    // Creates the scenario's vessels. A vessel whose class cannot be had is an error; one whose
    // module returns no instance is reported, and its block is kept for the saved scenario.
    bool Start(std::string &error);

    // Steps until the first step boundary at or after `endTime`, firing the scenario's events at
    // the first step boundary at or after their times (StepClock: the boundaries are counted, and
    // a millionth of a step short still counts). A SIGINT or SIGTERM ends it early, at a step
    // boundary after that boundary's events (see RunInterrupt.h).
    bool RunUntil(double endTime, std::string &error);

    // A progress line told about every step; null for none.
    void ShowProgressOn(ProgressLine *line) { progress = line; }

    // One step of `length` seconds, for tests and benchmarks that drive the clock themselves: as a
    // step of the run, but the count of steps starts again at the time it reaches.
    void Step(double length);

    // The state of the run as a scenario that continues it.
    ScenarioDescription Snapshot() const;

    // Saves the snapshot to `path` (see OutputFile.h). A host value that has overflowed is
    // refused, naming it, since it could not be read back.
    bool Save(const std::string &path, std::string &error) const;

    double Time() const { return time; }
    const std::vector<std::unique_ptr<SimVessel>> &Vessels() const { return vessels; }
    SimVessel *FindVessel(const std::string &name) const;

    void SetCameraPosition(const VECTOR3 &position) { cameraPosition = position; }
    void SetCameraTarget(SimVessel *target) { cameraTarget = target; }

    // Creates a vessel from a scenario block or, when `block` is null, from a status record.
    SimVessel *CreateVessel(const std::string &name, const VesselClass &vesselClass,
                            const std::string &fileName, const std::vector<SourceLine> *block,
                            const VesselStatus &status);

    HostCallCounts &Calls() { return calls; }

    // Tells `observer` of the run from now on; it must outlive the simulation's run.
    void AddObserver(RunObserver &observer) { observers.push_back(&observer); }
    void NotifyRunEnded() const;
    double StepLength() const { return step; }
    const std::string &ScenarioName() const { return scenario.fileName; }
    std::size_t PendingDeletions() const { return pendingDeletions; }

    // Host services behind the oapi functions and the VESSEL defaults.
    ObjectHandle CameraTarget() const { return cameraTarget; }
    const VECTOR3 &CameraPosition() const { return cameraPosition; }
    // Handing the buffer out is what lets the line change, so the step loop looks at the line
    // for a change only after it has been handed out.
    char *DebugString() {
        debugStringHandedOut = true;
        if (steppingVessel != nullptr) {
            debugLineTaker = steppingVessel;
        }
        return debugString;
    }
    bool RequestDeletion(ObjectHandle vessel);
    // Takes a vessel's new position and velocity into the bounds that the overflow check uses.
    void WidenBounds(const SimVessel &vessel);
    void ParseDefaultLine(const char *line, VesselStatus &status);

private:
    bool HasReached(double moment) const { return clock.Reaches(time, moment); }
    // Advance the clock to `next` and the motions by `length`, call every vessel after it, then
    // carry out the deletions that were asked for.
    void StepTo(double next, double length);
    // Whether the coming step keeps the camera and every vessel at finite positions; a run whose
    // state overflows could not be saved so that it reads back, so it ends before that step.
    bool NextStepStaysFinite(std::string &error);
    bool FireDueEvents(std::string &error);
    bool Fire(const ScenarioEvent &event, std::string &error);
    void Destroy(SimVessel &vessel);
    void FinishDeletions();
    void LogDebugLine();

    const ScenarioDescription &scenario;
    VesselClasses &classes;
    RunLog &log;
    SimulationOptions options;

    double time;
    double step;
    StepClock clock;
    double stepsTaken = 0.0; // since the clock's start: time is clock.TimeAfter(stepsTaken)
    VECTOR3 cameraPosition;
    VECTOR3 cameraVelocity;
    SimVessel *cameraTarget = nullptr;
    std::vector<std::unique_ptr<SimVessel>> vessels;
    std::unordered_set<const SimVessel *> liveVessels;
    std::unordered_map<std::string, SimVessel *> liveByName; // camera targets are found by name
    // Vessels whose module gave no instance, as they stood in the scenario, saved for a later run.
    std::vector<VesselEntry> uncreated;
    ProgressLine *progress = nullptr;
    double reachBound = 0.0; // no vessel coordinate is farther from 0
    double speedBound = 0.0; // nor any velocity component faster
    std::size_t nextEvent = 0;
    std::size_t pendingDeletions = 0;
    char debugString[DebugStringCapacity] = {};
    bool debugStringHandedOut = false;
    const SimVessel *steppingVessel = nullptr; // whose clbkPostStep runs, for the observers
    const SimVessel *debugLineTaker = nullptr; // the last vessel of this step given the line
    std::string loggedDebugString;
    std::string debugLogLine; // kept between steps, so that logging a change reuses its storage
    const LineReader *loadingFrom = nullptr; // the block being loaded, for warnings
    HostCallCounts calls;
    std::vector<RunObserver *> observers;
    Simulation *previousActive;

    static Simulation *active;
};

} // namespace standin
