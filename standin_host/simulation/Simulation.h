// The stand-in host's simulation: vessels, camera and clock, the step loop that calls every
// vessel after every step, and the modules' requests that only it can carry out. Observers read it
// through RunView; the session that owns the run drives it.
#pragma once

#include "host/Vessel.h"
#include "standin_host/interface/LogSink.h"
#include "standin_host/interface/ModuleServices.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/simulation/RunObserver.h"
#include "standin_host/simulation/RunView.h"
#include "standin_host/simulation/SimVessel.h"
#include "standin_host/simulation/StepClock.h"

#include <memory>
#include <string>
#include <string_view>
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

class TextOut;

// Who writes the checkpoints of SAVE events: the owner of the run's files, which gives the file the
// text of Simulation::WriteScenario.
class ScenarioSaver {
public:
    // False with `error` set, starting with the path.
    virtual bool SaveScenario(const std::string &path, std::string &error) = 0;

protected:
    ~ScenarioSaver() = default;
};

class Simulation final : public RunView, private ModuleRequests {
public:
    // `services` keeps the camera and the debug line and brings the modules' requests; `saver`
    // writes SAVE events. All must outlive it. The scenario's vessels are given up as Start
    // creates them; its events stay.
    Simulation(ScenarioDescription &scenario, VesselClasses &classes, LogSink &log,
               ModuleServices &services, ScenarioSaver &saver, SimulationOptions options);
    // Destroys the remaining vessels through their modules.
    ~Simulation();
    Simulation(const Simulation &) = delete;
    Simulation &operator=(const Simulation &) = delete;

    // Creates the scenario's vessels. A vessel whose class cannot be had is an error; one whose
    // module returns no instance is reported, and its block is kept for the saved scenario.
    bool Start(std::string &error);

    // Advance, then tells the observers that the run has ended, however it ended.
    bool Run(double endTime, std::string &error);

    // Starts the run unless it has started, and steps to the first boundary that reaches `endTime`
    // (StepClock), firing each event at the first boundary that reaches its time. A SIGINT or
    // SIGTERM ends it early, at a boundary after its events (see RunInterrupt.h); so does a SAVE
    // that the signal kept from being written (a FIFO without a reader), before that SAVE.
    bool Advance(double endTime, std::string &error);

    // Whether the clock has reached `moment` (StepClock::Reaches).
    bool HasReached(double moment) const { return clock.Reaches(time, moment); }

    // Whether a signal kept a SAVE from being written; that SAVE stays among the events of the
    // snapshot, so a continued run writes it.
    bool CheckpointUnwritten() const { return checkpointUnwritten; }
    // Why each SAVE was not written, each starting with its scenario line: first the one that a
    // signal kept from being written, then each that failed in the run that went on.
    const std::vector<std::string> &FailedCheckpoints() const { return failedCheckpoints; }

    // Creates a vessel from a block of the scenario or, when `block` is null, from a status record.
    SimVessel *CreateVessel(const std::string &name, const VesselClass &vesselClass,
                            const SourceLines *block, const VesselStatus &status);

    // `observer` must outlive the run.
    void AddObserver(RunObserver &observer) { observers.push_back(&observer); }

    // Writes a scenario that continues the run, the vessels' blocks straight from their modules.
    // No value in it has overflowed: the run ends before a step that would overflow one.
    void WriteScenario(TextOut &out) const;

    // Inside a handler of an exception that a module let out of a callback: the message naming the
    // vessel, class, module, callback, time and what(); no module is called again, not even to
    // destroy its vessels. Empty for an exception of the host's own.
    std::string ModuleFailure();

    // The live vessel of that name, or null.
    SimVessel *FindVessel(const std::string &name) const;

    // The run as its observers see it.
    double Time() const override { return time; }
    VesselList Vessels() const override { return VesselList(vessels, vessels.size() - goneCount); }
    std::size_t PendingDeletions() const override { return deletions.size(); }
    const VECTOR3 &CameraPosition() const override { return services.CameraPosition(); }
    const VesselRecord *CameraTarget() const override { return services.CameraTarget(); }

private:
    template <bool watched> bool StepUntil(double endTime, std::string &error);
    template <typename... Takes, typename... Given>
    void Tell(void (RunObserver::*what)(const RunView &, Takes...), const Given &...given) {
        for (RunObserver *observer : observers) {
            (observer->*what)(*this, given...);
        }
    }
    // How far from 0 a vessel coordinate may be after the coming step.
    double ReachAfterStep() const { return reachBound + speedBound * step; }
    // Whether the coming step, to `next` with the camera at `camera`, keeps the clock advancing
    // and every position finite: a state that overflows could not be saved so that it reads back.
    // Asked only when the step loop's quick look at the bounds finds something amiss.
    bool NextStepIsSound(double next, const VECTOR3 &camera, std::string &error) const;
    // The step count (StepClock::StepsUntil) at which the next event fires, or infinity.
    double StepOfNextEvent() const;
    bool FireDueEvents(std::string &error);
    // Moves the repeated SAVE at `at`, due now, among the events to come at its next time; returns
    // where it went.
    std::size_t Reschedule(std::size_t at);
    bool Fire(const ScenarioEvent &event, std::string &error);
    void TargetCamera(SimVessel *target);
    void Destroy(SimVessel &vessel);
    void FinishDeletions();
    void LogDebugLine();

    bool RequestDeletion(ObjectHandle vessel) override;
    // Takes a vessel's new position and velocity into the bounds that the overflow check uses.
    void StateSet(const VesselRecord &vessel) override;

    ScenarioDescription &scenario;
    VesselClasses &classes;
    LogSink &log;
    ModuleServices &services;
    ScenarioSaver &saver;
    SimulationOptions options;

    double time;
    double step;
    StepClock clock;
    double stepsTaken; // since the clock's origin: time is clock.TimeAfter(stepsTaken)
    bool started = false;
    bool abandoned = false; // a module let an exception out
    VECTOR3 cameraVelocity;
    std::vector<std::unique_ptr<SimVessel>> vessels;
    std::unordered_set<const VesselRecord *> liveVessels;
    // Camera targets are found by name; the views are of the vessels' own names.
    std::unordered_map<std::string_view, SimVessel *> liveByName;
    // Vessels whose module gave no instance, as they stood in the scenario, saved for a later run.
    std::vector<VesselEntry> uncreated;
    double reachBound = 0.0; // no vessel coordinate is farther from 0
    double speedBound = 0.0; // nor any velocity component faster
    std::size_t nextEvent = 0;
    bool checkpointUnwritten = false;
    std::vector<std::string> failedCheckpoints;
    std::vector<SimVessel *> deletions; // asked for in the current step
    std::size_t goneCount = 0;          // entries of `vessels` that are gone
    std::uint32_t created = 0;          // vessels created so far, modulo 2^32
    std::string loggedDebugString;
    std::string lineBuffer; // the line that a module reads, reused from line to line
    std::string logText;    // a log line being built, reused from line to line
    std::vector<RunObserver *> observers;
};

} // namespace standin
