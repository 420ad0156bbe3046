#include "standin_host/simulation/Simulation.h"

#include "standin_host/interface/LineReader.h"
#include "standin_host/interface/ScenarioWriter.h"
#include "standin_host/outputs/OutputFile.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/VectorText.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace {

// Modified Julian Date of the simulation's time zero, handed to the step callbacks.
constexpr double mjdAtTimeZero = 51544.5;
constexpr double secondsPerDay = 86400.0;

bool IsFinite(const VECTOR3 &v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void Advance(VECTOR3 &position, const VECTOR3 &velocity, double dt) {
    position.x += velocity.x * dt;
    position.y += velocity.y * dt;
    position.z += velocity.z * dt;
}

} // namespace

Simulation::Simulation(const ScenarioDescription &scenario, VesselClasses &classes, RunLog &log,
                       ModuleServices &services, SimulationOptions options)
    : scenario(scenario), classes(classes), log(log), services(services), options(options),
      time(scenario.time), step(scenario.step), clock(scenario.time, scenario.step),
      cameraVelocity(scenario.cameraVelocity) {
    services.SetCameraPosition(scenario.cameraPosition);
    services.SetCameraTarget(nullptr);
    services.TakeRequestsFrom(this);
}

Simulation::~Simulation() {
    for (const std::unique_ptr<SimVessel> &vessel : vessels) {
        if (vessel->instance != nullptr) {
            vessel->vesselClass->module->Exit()(vessel->instance);
            vessel->instance = nullptr;
        }
    }
    services.TakeRequestsFrom(nullptr);
    services.SetCameraTarget(nullptr);
}

bool Simulation::Start(std::string &error) {
    started = true;
    // Every class the run will need is found before anything is created, so that a missing class
    // is reported at once and not in the middle of the run.
    for (const ScenarioEvent &event : scenario.events) {
        if (event.kind == ScenarioEvent::Kind::Spawn &&
            classes.Find(event.spawn->className, error) == nullptr) {
            error.insert(0, scenario.fileName + ":" + std::to_string(event.line) + ": ");
            return false;
        }
    }
    for (const VesselEntry &entry : scenario.vessels) {
        const VesselClass *vesselClass = classes.Find(entry.className, error);
        if (vesselClass == nullptr) {
            error.insert(0, scenario.fileName + ":" + std::to_string(entry.line) + ": ");
            return false;
        }
        CreateVessel(entry.name, *vesselClass, scenario.fileName, &entry.block, VesselStatus());
    }
    if (scenario.cameraTarget.empty()) {
        return true; // the camera starts without a target; nothing to tell
    }
    ScenarioEvent target;
    target.kind = ScenarioEvent::Kind::CameraTarget;
    target.name = scenario.cameraTarget;
    return Fire(target, error);
}

SimVessel *Simulation::CreateVessel(const std::string &name, const VesselClass &vesselClass,
                                    const std::string &fileName,
                                    const std::vector<SourceLine> *block,
                                    const VesselStatus &status) {
    vessels.push_back(std::make_unique<SimVessel>());
    SimVessel &vessel = *vessels.back();
    vessel.name = name;
    vessel.vesselClass = &vesselClass;
    VESSEL *created = vesselClass.module->Init()(&vessel, 1);
    if (created == nullptr) {
        log.Line(time,
                 "could not create " + name +
                     ": its module returned no instance; its scenario block is kept",
                 RunLog::Entry::Problem);
        VesselEntry kept;
        kept.name = name;
        kept.className = vesselClass.name;
        if (block != nullptr) {
            kept.block = *block;
        } else {
            kept.block = {SourceLine{"POS " + VectorText(status.position), 0},
                          SourceLine{"VEL " + VectorText(status.velocity), 0}};
        }
        uncreated.push_back(std::move(kept));
        vessels.pop_back();
        return nullptr;
    }
    // Every vessel class derives from VESSEL2, so the host may call its callbacks.
    vessel.instance = static_cast<VESSEL2 *>(created);
    liveVessels.insert(&vessel);
    liveByName[name] = &vessel;
    log.Line(time, "created " + name + " (class " + vesselClass.name + ")");

    // The host calls a vessel in this order: class capabilities, then its initial state.
    LineReader config(vesselClass.config.name, vesselClass.config.text);
    vessel.instance->clbkSetClassCaps(&config);
    if (vessel.instance != nullptr && block != nullptr) {
        LineReader reader(fileName, *block);
        VesselStatus loaded;
        loaded.source = &reader;
        vessel.instance->clbkLoadStateEx(&reader, &loaded);
        vessel.position = loaded.position;
        vessel.velocity = loaded.velocity;
    } else if (vessel.instance != nullptr) {
        vessel.instance->clbkSetStateEx(&status);
    }
    if (vessel.instance != nullptr) {
        vessel.instance->clbkPostCreation();
    }
    StateSet(vessel);
    for (RunObserver *observer : observers) {
        observer->VesselCreated(*this, vessel);
    }
    return &vessel;
}

SimVessel *Simulation::FindVessel(const std::string &name) const {
    const auto found = liveByName.find(name);
    return found == liveByName.end() ? nullptr : found->second;
}

bool Simulation::Run(double endTime, std::string &error) {
    const bool ran = (started || Start(error)) && RunUntil(endTime, error);
    for (RunObserver *observer : observers) {
        observer->RunEnded(*this);
    }
    return ran;
}

bool Simulation::RunUntil(double endTime, std::string &error) {
    // The run's length is a count of steps, the same that the host checks before the run.
    const double lastStep = clock.StepsUntil(endTime);
    while (true) {
        if (!FireDueEvents(error)) {
            return false;
        }
        if (!(stepsTaken < lastStep) || RunInterruptSignal() != 0) {
            return true;
        }
        const double next = clock.TimeAfter(stepsTaken + 1.0);
        if (next == time) {
            // At this magnitude the step is lost in the clock's rounding: the run would never end.
            error = scenario.fileName + ": the clock does not advance by STEP " +
                    FormatExact(step) + " at TIME " + FormatExact(time);
            return false;
        }
        if (!std::isfinite(next)) {
            error = scenario.fileName + ": the clock overflows: TIME " + FormatExact(time) +
                    " and STEP " + FormatExact(step) + " make no finite number";
            return false;
        }
        if (!NextStepStaysFinite(error)) {
            return false;
        }
        reachBound = ReachAfterStep();
        stepsTaken += 1.0;
        StepTo(next, step);
    }
}

void Simulation::Step(double length) {
    StepTo(time + length, length);
    clock = StepClock(time, step);
    stepsTaken = 0.0;
}

void Simulation::StepTo(double next, double length) {
    for (RunObserver *observer : observers) {
        observer->StepStarting(*this);
    }
    // A vessel destroyed inside its deletion request clears the camera's target at once; the
    // observers still learn whom the camera targeted while the vessels were called.
    const SimVessel *const targetDuringStep = services.CameraTarget();
    time = next;
    const double mjd = mjdAtTimeZero + time / secondsPerDay;
    VECTOR3 camera = services.CameraPosition();
    Advance(camera, cameraVelocity, length);
    services.SetCameraPosition(camera);
    // One pass over the vessels: a vessel's callback sees its own position and the camera's, both
    // already advanced; the host interface shows it no other vessel's. The services are held in a
    // local, which the callbacks cannot change, so that they are not looked up again per vessel.
    ModuleServices &stepServices = services;
    for (const std::unique_ptr<SimVessel> &vessel : vessels) {
        Advance(vessel->position, vessel->velocity, length);
        if (vessel->instance != nullptr) {
            stepServices.SetSteppingVessel(vessel.get());
            vessel->instance->clbkPostStep(time, length, mjd);
        }
    }
    stepServices.SetSteppingVessel(nullptr);
    LogDebugLine();
    const SimVessel *const debugLineTaker = services.TakeDebugLineTaker();
    if (!observers.empty()) {
        const StepFacts facts{time, targetDuringStep, debugLineTaker, services.DebugLine()};
        for (RunObserver *observer : observers) {
            observer->StepDone(*this, facts);
        }
    }
    FinishDeletions();
}

bool Simulation::FireDueEvents(std::string &error) {
    while (nextEvent < scenario.events.size() && HasReached(scenario.events[nextEvent].time)) {
        // Counted before it fires: a SAVE's snapshot holds the events after it.
        const ScenarioEvent &event = scenario.events[nextEvent++];
        if (Fire(event, error)) {
            continue;
        }
        if (event.kind != ScenarioEvent::Kind::Save || RunInterruptSignal() == 0) {
            return false;
        }
        // An interruption, not an error: the run ends before this SAVE, which stays to be done.
        --nextEvent;
        unwrittenCheckpoint = std::move(error);
        error.clear();
        return true;
    }
    return true;
}

bool Simulation::Fire(const ScenarioEvent &event, std::string &error) {
    switch (event.kind) {
    case ScenarioEvent::Kind::CameraPosition:
        services.SetCameraPosition(event.vector);
        log.Line(time, "camera moves to " + VectorText(event.vector));
        return true;
    case ScenarioEvent::Kind::CameraVelocity:
        cameraVelocity = event.vector;
        log.Line(time, "camera velocity " + VectorText(event.vector));
        return true;
    case ScenarioEvent::Kind::CameraTarget: {
        SimVessel *const target = event.name.empty() ? nullptr : FindVessel(event.name);
        if (event.name.empty()) {
            log.Line(time, "camera targets nothing");
        } else if (target != nullptr) {
            log.Line(time, "camera targets " + event.name);
        } else {
            log.Line(time, "camera cannot target " + event.name + ": no such vessel");
        }
        TargetCamera(target);
        return true;
    }
    case ScenarioEvent::Kind::Spawn: {
        const VesselClass *vesselClass = classes.Find(event.spawn->className, error);
        if (vesselClass == nullptr) {
            return false;
        }
        CreateVessel(event.name, *vesselClass, scenario.fileName, nullptr, event.spawn->status);
        return true;
    }
    case ScenarioEvent::Kind::Save:
        if (!Save(event.name, error)) {
            error.insert(0, scenario.fileName + ":" + std::to_string(event.line) + ": ");
            return false;
        }
        log.Line(time, "saved scenario to " + event.name, RunLog::Entry::Written);
        return true;
    }
    return true;
}

ScenarioDescription Simulation::Snapshot() const {
    ScenarioDescription saved;
    saved.fileName = scenario.fileName;
    saved.time = time;
    saved.step = step;
    // The last step can pass an END that lies between two boundaries, and --until can run past
    // it; END never lies before TIME, so that the saved scenario loads back.
    saved.end = std::max(scenario.end, time);
    saved.cameraPosition = services.CameraPosition();
    saved.cameraVelocity = cameraVelocity;
    const SimVessel *const target = services.CameraTarget();
    saved.cameraTarget = target != nullptr ? target->name : std::string();
    for (const std::unique_ptr<SimVessel> &vessel : vessels) {
        if (vessel->instance == nullptr) {
            continue;
        }
        ScenarioWriter writer;
        vessel->instance->clbkSaveState(&writer);
        VesselEntry entry;
        entry.name = vessel->name;
        entry.className = vessel->vesselClass->name;
        for (const std::string &line : writer.Lines()) {
            entry.block.push_back(SourceLine{line, 0});
        }
        saved.vessels.push_back(std::move(entry));
    }
    saved.vessels.insert(saved.vessels.end(), uncreated.begin(), uncreated.end());
    saved.events.assign(scenario.events.begin() + static_cast<std::ptrdiff_t>(nextEvent),
                        scenario.events.end());
    return saved;
}

bool Simulation::NextStepStaysFinite(std::string &error) const {
    VECTOR3 camera = services.CameraPosition();
    Advance(camera, cameraVelocity, step);
    std::string what;
    if (!IsFinite(camera)) {
        what = "the camera position";
    }
    // Positions grow by at most `speedBound` a second in every coordinate: while their bound is
    // finite, no vessel needs a look of its own.
    if (what.empty() && !std::isfinite(ReachAfterStep())) {
        for (const std::unique_ptr<SimVessel> &vessel : vessels) {
            VECTOR3 position = vessel->position;
            Advance(position, vessel->velocity, step);
            if (vessel->instance != nullptr && !IsFinite(position)) {
                what = "the position of vessel " + vessel->name;
                break;
            }
        }
    }
    if (what.empty()) {
        return true;
    }
    error = what + " overflows in the step after simulation time " + FormatExact(time) +
            "; a scenario holding it could not be read back";
    return false;
}

void Simulation::StateSet(const SimVessel &vessel) {
    const auto largest = [](const VECTOR3 &v) {
        return std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    };
    reachBound = std::max(reachBound, largest(vessel.position));
    speedBound = std::max(speedBound, largest(vessel.velocity));
}

bool Simulation::Save(const std::string &path, std::string &error) const {
    return WriteOutputFile(path, FormatScenario(Snapshot()), error);
}

bool Simulation::RequestDeletion(ObjectHandle handle) {
    auto *vessel = static_cast<SimVessel *>(handle);
    if (liveVessels.count(vessel) == 0) {
        return false;
    }
    // A repeated request for a vessel already marked changes nothing.
    if (!vessel->deletionRequested) {
        vessel->deletionRequested = true;
        ++pendingDeletions;
        if (options.deleteAtOnce) {
            Destroy(*vessel);
        }
    }
    return true;
}

void Simulation::Destroy(SimVessel &vessel) {
    vessel.vesselClass->module->Exit()(vessel.instance);
    vessel.instance = nullptr;
    liveVessels.erase(&vessel);
    liveByName.erase(vessel.name);
    log.Line(time, "deleted " + vessel.name);
    if (services.CameraTarget() == &vessel) {
        log.Line(time, "camera target " + vessel.name + " is gone; the camera targets nothing");
        TargetCamera(nullptr);
    }
}

void Simulation::FinishDeletions() {
    if (pendingDeletions == 0) {
        return;
    }
    for (const std::unique_ptr<SimVessel> &vessel : vessels) {
        if (vessel->deletionRequested && vessel->instance != nullptr) {
            Destroy(*vessel);
        }
    }
    vessels.erase(std::remove_if(vessels.begin(), vessels.end(),
                                 [](const std::unique_ptr<SimVessel> &vessel) {
                                     return vessel->deletionRequested;
                                 }),
                  vessels.end());
    pendingDeletions = 0;
}

void Simulation::TargetCamera(SimVessel *target) {
    services.SetCameraTarget(target);
    for (RunObserver *observer : observers) {
        observer->CameraTargeted(*this, target);
    }
}

void Simulation::LogDebugLine() {
    // A line that nobody was handed since the last look has not changed: no text is compared.
    // Nor is it shown again with --verbose, which would show a deleted vessel's last line on.
    if (!services.TakeDebugStringHandedOut()) {
        return;
    }
    const char *const debugString = services.DebugLine();
    if (options.verbose || loggedDebugString != debugString) {
        loggedDebugString = debugString;
        debugLogLine.assign("debug \"").append(loggedDebugString).append("\"");
        log.Line(time, debugLogLine);
    }
}

} // namespace standin
