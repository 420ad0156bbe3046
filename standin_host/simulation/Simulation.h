// The stand-in host's simulation: vessels, camera and clock, the step loop that calls every
// vessel after every step, and what only it can do of what the modules ask (ModuleServices). Those
// who watch the run read it through RunView; the session that owns the run drives it.
#pragma once

#include "host/Vessel.h"
#include "standin_host/interface/ModuleServices.h"
#include "standin_host/interface/VesselStatus.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/outputs/RunLog.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/simulation/RunObserver.h"
#include "standin_host/simulation/RunView.h"
#include "standin_host/simulation/SimVessel.h"
#include "standin_host/simulation/StepClock.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace standin {

struct SimulationOptions {
    // Destroy a vessel inside oapiDeleteVessel instead of at the end of the step, to prove that a
    // module touches nothing of itself after asking for its deletion.
    bool deleteAtOnce = false;
    // Log the debug line after every step, not only when it changes.
    bool verbose = false;
};

class Simulation final : public RunView, private ModuleRequests {
public:
    // The modules' requests reach the simulation through `services`, which keeps the camera and
    // the debug line; `services` must outlive it.
    Simulation(const ScenarioDescription &scenario, VesselClasses &classes, RunLog &log,
               ModuleServices &services, SimulationOptions options);
    // Destroys the remaining vessels through their modules.
    ~Simulation();
    Simulation(const Simulation &) = delete;
    Simulation &operator=(const Simulation &) = delete;

    // Creates the scenario's vessels. A vessel whose class cannot be had is an error; one whose
    // module returns no instance is reported, and its block is kept for the saved scenario.
    bool Start(std::string &error);

    // The run: starts it (unless Start has), steps until the first step boundary at or after
    // `endTime`, firing the scenario's events at the first step boundary at or after their times
    // (StepClock: the boundaries are counted, and a millionth of a step short still counts), and
    // tells the observers that it has ended, however it ended. A SIGINT or SIGTERM ends it early,
    // at a step boundary after that boundary's events (see RunInterrupt.h); a SAVE that the signal
    // kept from being written (a FIFO without a reader) ends it there too, before that SAVE.
    bool Run(double endTime, std::string &error);

    // Why a SAVE that a signal interrupted was not written, starting with its scenario line, or
    // empty. That SAVE stays among the events of the snapshot, so a continued run writes it.
    const std::string &UnwrittenCheckpoint() const { return unwrittenCheckpoint; }

    // One step of `length` seconds, for tests and benchmarks that drive the clock themselves: as a
    // step of the run, but the count of steps starts again at the time it reaches.
    void Step(double length);

    // Creates a vessel from a scenario block read from `fileName` or, when `block` is null, from a
    // status record.
    SimVessel *CreateVessel(const std::string &name, const VesselClass &vesselClass,
                            const std::string &fileName, const std::vector<SourceLine> *block,
                            const VesselStatus &status);

    // Tells `observer` of the run from now on; it must outlive the simulation's run.
    void AddObserver(RunObserver &observer) { observers.push_back(&observer); }

    // The state of the run as a scenario that continues it.
    ScenarioDescription Snapshot() const;

    // Saves the snapshot to `path` (see OutputFile.h). A host value that has overflowed is
    // refused, naming it, since it could not be read back.
    bool Save(const std::string &path, std::string &error) const;

    // The live vessel of that name, or null.
    SimVessel *FindVessel(const std::string &name) const;

    // The run as its observers see it.
    double Time() const override { return time; }
    VesselList Vessels() const override { return VesselList(vessels); }
    std::size_t PendingDeletions() const override { return pendingDeletions; }
    const VECTOR3 &CameraPosition() const override { return services.CameraPosition(); }
    const SimVessel *CameraTarget() const override { return services.CameraTarget(); }

private:
    bool RunUntil(double endTime, std::string &error);
    bool HasReached(double moment) const { return clock.Reaches(time, moment); }
    // Advance the clock to `next` and the motions by `length`, call every vessel after it, then
    // carry out the deletions that were asked for.
    void StepTo(double next, double length);
    // How far from 0 a vessel coordinate may be after the coming step.
    double ReachAfterStep() const { return reachBound + speedBound * step; }
    // Whether the coming step keeps the camera and every vessel at finite positions; a run whose
    // state overflows could not be saved so that it reads back, so it ends before that step.
    bool NextStepStaysFinite(std::string &error) const;
    bool FireDueEvents(std::string &error);
    bool Fire(const ScenarioEvent &event, std::string &error);
    void TargetCamera(SimVessel *target);
    void Destroy(SimVessel &vessel);
    void FinishDeletions();
    void LogDebugLine();

    // What the modules ask through the services.
    bool RequestDeletion(ObjectHandle vessel) override;
    // Takes a vessel's new position and velocity into the bounds that the overflow check uses.
    void StateSet(const SimVessel &vessel) override;

    const ScenarioDescription &scenario;
    VesselClasses &classes;
    RunLog &log;
    ModuleServices &services;
    SimulationOptions options;

    double time;
    double step;
    StepClock clock;
    double stepsTaken = 0.0; // since the clock's start: time is clock.TimeAfter(stepsTaken)
    bool started = false;
    VECTOR3 cameraVelocity;
    std::vector<std::unique_ptr<SimVessel>> vessels;
    std::unordered_set<const SimVessel *> liveVessels;
    std::unordered_map<std::string, SimVessel *> liveByName; // camera targets are found by name
    // Vessels whose module gave no instance, as they stood in the scenario, saved for a later run.
    std::vector<VesselEntry> uncreated;
    double reachBound = 0.0; // no vessel coordinate is farther from 0
    double speedBound = 0.0; // nor any velocity component faster
    std::size_t nextEvent = 0;
    std::string unwrittenCheckpoint;
    std::size_t pendingDeletions = 0;
    std::string loggedDebugString;
    std::string debugLogLine; // kept between steps, so that logging a change reuses its storage
    std::vector<RunObserver *> observers;
};

} // namespace standin
