#include "standin_host/simulation/Simulation.h"

#include "standin_host/interface/LineReader.h"
#include "standin_host/interface/ScenarioWriter.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/TextOut.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <type_traits>

namespace standin {
namespace {

// Modified Julian Date of the simulation's time zero, handed to the step callbacks.
constexpr double mjdAtTimeZero = 51544.5;
constexpr double secondsPerDay = 86400.0;

// The module call under way, if any: what a crash, or an exception let out of a callback, names.
struct ModuleCall {
    const SimVessel *vessel = nullptr; // null: the host is not calling a module
    const char *callback = "";
    const double *time = nullptr; // the simulation's clock
};
ModuleCall calling;

// Calls `call`, a callback of `vessel`'s module, noted as under way. Calls nest: a vessel deleted
// at once is destroyed within the callback that asked for it.
template <typename Call> void CallModule(const SimVessel &vessel, const char *callback, Call call) {
    const ModuleCall outer = calling;
    calling.vessel = &vessel;
    calling.callback = callback;
    call();
    calling.vessel = outer.vessel;
    calling.callback = outer.callback;
}

// A line in a fixed buffer, cut where the buffer ends: the crash handler allocates nothing and
// takes no lock.
struct FixedLine {
    char *end;
    const char *last;

    FixedLine &operator<<(std::string_view text) {
        const std::size_t length = std::min(text.size(), static_cast<std::size_t>(last - end));
        std::memcpy(end, text.data(), length);
        end += length;
        return *this;
    }
    template <typename Number, typename = std::enable_if_t<std::is_arithmetic_v<Number>>>
    FixedLine &operator<<(Number value) {
        char digits[64];
        const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
        return *this << std::string_view(digits, static_cast<std::size_t>(written.ptr - digits));
    }
};

// "vessel X (class C, module M)" for the module call under way.
template <typename Out> decltype(auto) CalledVessel(Out &out) {
    const SimVessel &vessel = *calling.vessel;
    return out << "vessel " << vessel.name << " (class " << vessel.vesselClass->name << ", module "
               << vessel.vesselClass->module->Path() << ")";
}

std::size_t DescribeCrash(int signal, char *line, std::size_t size) {
    FixedLine out{line, line + size - 1};
    out << "standin-host: ";
    if (calling.vessel != nullptr) {
        CalledVessel(out) << " crashed";
    } else {
        out << "the host crashed";
    }
    const char *const name = CrashSignalName(signal);
    out << " with signal " << signal << " (" << (name != nullptr ? name : "?") << ")";
    if (calling.vessel != nullptr) {
        out << " in " << calling.callback;
    }
    if (calling.time != nullptr) {
        out << " at simulation time " << *calling.time;
    }
    out << "; nothing of the run is saved";
    *out.end++ = '\n';
    return static_cast<std::size_t>(out.end - line);
}

bool IsFinite(const VECTOR3 &v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void Move(VECTOR3 &position, const VECTOR3 &velocity, double dt) {
    position.x += velocity.x * dt;
    position.y += velocity.y * dt;
    position.z += velocity.z * dt;
}

} // namespace

const VesselRecord &VesselList::Iterator::operator*() const {
    return **at;
}

void VesselList::Iterator::PassGone() {
    while (at != end && (*at)->gone) {
        ++at;
    }
}

Simulation::Simulation(ScenarioDescription &scenario, VesselClasses &classes, LogSink &log,
                       ModuleServices &services, ScenarioSaver &saver, SimulationOptions options)
    : scenario(scenario), classes(classes), log(log), services(services), saver(saver),
      options(options), time(scenario.time), step(scenario.step),
      clock(scenario.ClockOrigin(), scenario.step), stepsTaken(clock.StepsUntil(scenario.time)),
      cameraVelocity(scenario.cameraVelocity) {
    services.SetCameraPosition(scenario.cameraPosition);
    services.SetCameraTarget(nullptr);
    services.TakeRequestsFrom(this);
    calling = ModuleCall{nullptr, "", &time};
    DescribeCrashWith(DescribeCrash);
}

Simulation::~Simulation() {
    // After a module let an exception out, no module is called again: their state is unknown.
    for (const std::unique_ptr<SimVessel> &vessel : vessels) {
        if (vessel->instance != nullptr && !abandoned) {
            CallModule(*vessel, "ovcExit",
                       [&] { vessel->vesselClass->module->Exit()(vessel->instance); });
            vessel->instance = nullptr;
        }
    }
    services.TakeRequestsFrom(nullptr);
    services.SetCameraTarget(nullptr);
    calling = ModuleCall();
}

std::string Simulation::ModuleFailure() {
    if (calling.vessel == nullptr) {
        return std::string();
    }
    StringOut out;
    CalledVessel(out) << " let an exception out of " << calling.callback << " at simulation time "
                      << FormatExact(time);
    std::string text = out.Text();
    try {
        throw;
    } catch (const std::exception &exception) {
        text.append(": ").append(exception.what());
    } catch (...) {
        text.append(" (not a std::exception)");
    }
    calling.vessel = nullptr;
    abandoned = true;
    return text + "; nothing of the run is saved";
}

bool Simulation::Start(std::string &error) {
    started = true;
    // Session::Plan has loaded the classes; a run built without a plan reports a missing class
    // here.
    vessels.reserve(scenario.vessels.size());
    liveVessels.reserve(scenario.vessels.size());
    liveByName.reserve(scenario.vessels.size());
    for (VesselEntry &entry : scenario.vessels) {
        const VesselClass *vesselClass = classes.Find(entry.className, error);
        if (vesselClass == nullptr) {
            error.insert(0, LinePlace(scenario.fileName, entry.line));
            return false;
        }
        CreateVessel(entry.name, *vesselClass, &entry.block, VesselStatus());
        if (!services.LineError().empty()) {
            error = services.LineError(); // a POS or VEL line of the block with a bad number
            return false;
        }
        // A large scenario is not held beside its own vessels.
        entry.block.Release();
    }
    std::vector<VesselEntry>().swap(scenario.vessels);
    if (scenario.cameraTarget.empty()) {
        return true; // the camera starts without a target; nothing to tell
    }
    ScenarioEvent target;
    target.kind = ScenarioEvent::Kind::CameraTarget;
    target.name = scenario.cameraTarget;
    return Fire(target, error);
}

SimVessel *Simulation::CreateVessel(const std::string &name, const VesselClass &vesselClass,
                                    const SourceLines *block, const VesselStatus &status) {
    vessels.push_back(std::make_unique<SimVessel>());
    SimVessel &vessel = *vessels.back();
    vessel.name = name;
    vessel.vesselClass = &vesselClass;
    vessel.order = created++;
    VESSEL *instance = nullptr;
    CallModule(vessel, "ovcInit",
               [&] { instance = vesselClass.module->Init()(HandleOf(vessel), 1); });
    if (instance == nullptr) {
        log.Line(time,
                 "could not create " + name +
                     ": its module returned no instance; its scenario block is kept",
                 LogSink::Entry::Problem);
        VesselEntry kept;
        kept.name = name;
        kept.className = vesselClass.name;
        if (block != nullptr) {
            kept.block = *block;
        } else {
            kept.block.Add("POS " + VectorText(status.position), 1);
            kept.block.Add("VEL " + VectorText(status.velocity), 2);
        }
        uncreated.push_back(std::move(kept));
        vessels.pop_back();
        return nullptr;
    }
    // Every vessel class derives from VESSEL2, so the host may call its callbacks.
    vessel.instance = static_cast<VESSEL2 *>(instance);
    liveVessels.insert(&vessel);
    liveByName[vessel.name] = &vessel;
    // A scenario may create a million.
    logText.assign("created ").append(name).append(" (class ").append(vesselClass.name).append(")");
    log.Line(time, logText);

    // The host calls a vessel in this order: class capabilities, then its initial state.
    LineReader config(vesselClass.config.name, vesselClass.configLines, lineBuffer);
    CallModule(vessel, "clbkSetClassCaps", [&] { vessel.instance->clbkSetClassCaps(&config); });
    if (vessel.instance != nullptr && block != nullptr) {
        LineReader reader(scenario.fileName, *block, lineBuffer);
        VesselStatus loaded;
        loaded.source = &reader;
        CallModule(vessel, "clbkLoadStateEx",
                   [&] { vessel.instance->clbkLoadStateEx(&reader, &loaded); });
        vessel.position = loaded.position;
        vessel.velocity = loaded.velocity;
    } else if (vessel.instance != nullptr) {
        CallModule(vessel, "clbkSetStateEx", [&] { vessel.instance->clbkSetStateEx(&status); });
    }
    if (vessel.instance != nullptr) {
        CallModule(vessel, "clbkPostCreation", [&] { vessel.instance->clbkPostCreation(); });
    }
    StateSet(vessel);
    Tell(&RunObserver::VesselCreated, vessel);
    return &vessel;
}

SimVessel *Simulation::FindVessel(const std::string &name) const {
    const auto found = liveByName.find(name);
    return found == liveByName.end() ? nullptr : found->second;
}

bool Simulation::Run(double endTime, std::string &error) {
    const bool ran = Advance(endTime, error);
    Tell(&RunObserver::RunEnded);
    return ran;
}

bool Simulation::Advance(double endTime, std::string &error) {
    if (!started && !Start(error)) {
        return false;
    }
    // An unwatched step does not so much as look for observers.
    return observers.empty() ? StepUntil<false>(endTime, error) : StepUntil<true>(endTime, error);
}

template <bool watched> bool Simulation::StepUntil(double endTime, std::string &error) {
    // The run's length is a count of steps, the same that the host checks before the run.
    const double lastStep = clock.StepsUntil(endTime);
    double eventStep = StepOfNextEvent();
    // Locals that no callback can change, so that they are not loaded again for every vessel.
    ModuleServices &stepServices = services;
    const double length = step;
    // Events and the end are looked for only at the boundaries that the clock counts to them.
    double nextStop = std::min(eventStep, lastStep);
    if (watched) {
        stepServices.TakeDebugLineTaker(); // whoever took it before the observers watched
    }
    while (true) {
        if (!(stepsTaken < nextStop)) {
            if (!(stepsTaken < eventStep)) {
                if (!FireDueEvents(error)) {
                    return false;
                }
                eventStep = StepOfNextEvent();
                nextStop = std::min(eventStep, lastStep);
            }
            if (!(stepsTaken < lastStep)) {
                return true;
            }
        }
        if (RunInterruptSignal() != 0) {
            return true;
        }
        const double steps = stepsTaken + 1.0;
        const double now = clock.TimeAfter(steps);
        VECTOR3 camera = stepServices.CameraPosition();
        Move(camera, cameraVelocity, length);
        const double reach = ReachAfterStep();
        // One look at the bounds for the whole fleet: a sum is finite only when every term is.
        if (!(now != time && std::isfinite(now + camera.x + camera.y + camera.z + reach)) &&
            !NextStepIsSound(now, camera, error)) {
            return false;
        }
        reachBound = reach;
        stepsTaken = steps;

        if (watched) {
            Tell(&RunObserver::StepStarting);
        }
        // A vessel destroyed inside its deletion request clears the camera's target at once; the
        // observers still learn whom the camera targeted while the vessels were called.
        const VesselRecord *const targetDuringStep = stepServices.CameraTarget();
        time = now;
        const double mjd = mjdAtTimeZero + now / secondsPerDay;
        stepServices.SetCameraPosition(camera);
        // One pass: a vessel's callback sees its own position and the camera's, both already
        // advanced (the interface shows it no other vessel's). The call under way is noted with one
        // store per vessel, for a crash to name it; only a watched run notes whose callback runs,
        // for the debug line's taker.
        calling.callback = "clbkPostStep";
        for (const std::unique_ptr<SimVessel> &vessel : vessels) {
            Move(vessel->position, vessel->velocity, length);
            if (vessel->instance != nullptr) {
                if (watched) {
                    stepServices.SetSteppingVessel(vessel.get());
                }
                calling.vessel = vessel.get();
                vessel->instance->clbkPostStep(now, length, mjd);
            }
        }
        calling.vessel = nullptr;
        if (watched) {
            stepServices.SetSteppingVessel(nullptr);
        }
        // A line that nobody was handed since the last look has not changed: no text is compared.
        // Nor is it shown again with --verbose, which would show a deleted vessel's last line on.
        if (stepServices.TakeDebugStringHandedOut()) {
            LogDebugLine();
        }
        // Only the observers are told who took the debug line.
        if (watched) {
            Tell(&RunObserver::StepDone,
                 StepFacts{now, targetDuringStep, stepServices.TakeDebugLineTaker(),
                           stepServices.DebugLine()});
        }
        if (!deletions.empty()) {
            FinishDeletions();
        }
    }
}

double Simulation::StepOfNextEvent() const {
    return nextEvent < scenario.events.size() ? clock.StepsUntil(scenario.events[nextEvent].time)
                                              : std::numeric_limits<double>::infinity();
}

bool Simulation::FireDueEvents(std::string &error) {
    while (nextEvent < scenario.events.size() && HasReached(scenario.events[nextEvent].time)) {
        // Counted before it fires: a SAVE's snapshot holds the events after it, and a repeated
        // SAVE among them at its next time.
        const std::size_t at = nextEvent++;
        ScenarioEvent repeated;
        std::size_t placed = at;
        if (scenario.events[at].every > 0.0) {
            repeated = scenario.events[at];
            placed = Reschedule(at);
            nextEvent = at;
        }
        const ScenarioEvent &event = repeated.every > 0.0 ? repeated : scenario.events[at];
        if (Fire(event, error)) {
            continue;
        }
        if (event.kind != ScenarioEvent::Kind::Save) {
            return false;
        }
        if (RunInterruptSignal() == 0) {
            // One checkpoint that cannot be written takes nothing else down: the run goes on.
            log.Line(time, "did not save scenario: " + error, LogSink::Entry::Problem);
            failedCheckpoints.push_back(std::move(error));
            error.clear();
            continue;
        }
        // An interruption, not an error: the run ends before this SAVE, which stays, as it was,
        // to be done.
        const auto place = scenario.events.begin() + static_cast<std::ptrdiff_t>(placed);
        std::rotate(scenario.events.begin() + static_cast<std::ptrdiff_t>(at), place, place + 1);
        scenario.events[at].time = event.time;
        nextEvent = at;
        failedCheckpoints.insert(failedCheckpoints.begin(), std::move(error));
        checkpointUnwritten = true;
        error.clear();
        return true;
    }
    return true;
}

std::size_t Simulation::Reschedule(std::size_t at) {
    // The next time is a sum of periods, which a checkpoint holds exactly: a run continued from
    // one fires it at the very times of the run that wrote it. The period is at least a step, so
    // the loop takes a turn or two; one that no longer advances the time ends the repetition.
    const auto first = scenario.events.begin() + static_cast<std::ptrdiff_t>(at);
    double next = first->time + first->every;
    while (HasReached(next) && next + first->every > next) {
        next += first->every;
    }
    first->time = HasReached(next) ? std::numeric_limits<double>::infinity() : next;
    const auto place =
        std::upper_bound(first + 1, scenario.events.end(), first->time,
                         [](double when, const ScenarioEvent &event) { return when < event.time; });
    std::rotate(first, first + 1, place);
    return static_cast<std::size_t>(place - scenario.events.begin()) - 1;
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
        VesselStatus status;
        status.position = event.spawn->position;
        status.velocity = event.spawn->velocity;
        CreateVessel(event.name, *vesselClass, nullptr, status);
        return true;
    }
    case ScenarioEvent::Kind::Save:
        if (!saver.SaveScenario(event.name, error)) {
            error.insert(0, LinePlace(scenario.fileName, event.line));
            return false;
        }
        log.Line(time, "saved scenario to " + event.name, LogSink::Entry::Written);
        return true;
    }
    return true;
}

void Simulation::WriteScenario(TextOut &out) const {
    ScenarioDescription header;
    header.time = time;
    header.step = step;
    // The last step can pass an END that lies between two boundaries, and --until can run past
    // it; END never lies before TIME, so that the saved scenario loads back.
    header.end = std::max(scenario.end, time);
    header.origin = clock.OnGrid() ? time : scenario.ClockOrigin();
    header.cameraPosition = services.CameraPosition();
    header.cameraVelocity = cameraVelocity;
    const VesselRecord *const target = services.CameraTarget();
    header.cameraTarget = target != nullptr ? target->name : std::string();
    WriteScenarioHeader(out, header);
    for (const std::unique_ptr<SimVessel> &vessel : vessels) {
        if (vessel->instance == nullptr) {
            continue;
        }
        WriteVesselStart(out, vessel->name, vessel->vesselClass->name);
        ScenarioWriter writer(out);
        CallModule(*vessel, "clbkSaveState", [&] { vessel->instance->clbkSaveState(&writer); });
        WriteVesselEnd(out);
    }
    for (const VesselEntry &entry : uncreated) {
        WriteVesselEntry(out, entry);
    }
    const ScenarioEvent *const events = scenario.events.data();
    WriteScenarioEvents(out, events + nextEvent, events + scenario.events.size());
}

bool Simulation::NextStepIsSound(double next, const VECTOR3 &camera, std::string &error) const {
    if (next == time) {
        // At this magnitude the step is lost in the clock's rounding: the run would never end.
        error = scenario.fileName + ": the clock does not advance by STEP " + FormatExact(step) +
                " at TIME " + FormatExact(time);
        return false;
    }
    if (!std::isfinite(next)) {
        error = scenario.fileName + ": the clock overflows: TIME " + FormatExact(time) +
                " and STEP " + FormatExact(step) + " make no finite number";
        return false;
    }
    const auto overflows = [&](const std::string &what) {
        error = what + " overflows in the step after simulation time " + FormatExact(time) +
                "; a scenario holding it could not be read back";
        return false;
    };
    if (!IsFinite(camera)) {
        return overflows("the camera position");
    }
    // Positions grow by at most `speedBound` a second in every coordinate: while their bound is
    // finite, no vessel needs a look of its own.
    if (std::isfinite(ReachAfterStep())) {
        return true;
    }
    for (const std::unique_ptr<SimVessel> &vessel : vessels) {
        VECTOR3 position = vessel->position;
        Move(position, vessel->velocity, step);
        if (vessel->instance != nullptr && !IsFinite(position)) {
            return overflows("the position of vessel " + vessel->name);
        }
    }
    return true;
}

void Simulation::StateSet(const VesselRecord &vessel) {
    const auto largest = [](const VECTOR3 &v) {
        return std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    };
    reachBound = std::max(reachBound, largest(vessel.position));
    speedBound = std::max(speedBound, largest(vessel.velocity));
}

bool Simulation::RequestDeletion(ObjectHandle handle) {
    const auto live = liveVessels.find(static_cast<const VesselRecord *>(handle));
    if (live == liveVessels.end()) {
        return false;
    }
    // Every live record is a SimVessel of this simulation.
    auto *vessel = static_cast<SimVessel *>(const_cast<VesselRecord *>(*live));
    // A repeated request for a vessel already marked changes nothing.
    if (!vessel->deletionRequested) {
        vessel->deletionRequested = true;
        deletions.push_back(vessel);
        if (options.deleteAtOnce) {
            Destroy(*vessel);
        }
    }
    return true;
}

void Simulation::Destroy(SimVessel &vessel) {
    CallModule(vessel, "ovcExit", [&] { vessel.vesselClass->module->Exit()(vessel.instance); });
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
    // The work grows with the deletions, not with the vessels that stay: the vessels are
    // destroyed in the order of their creation, and their entries dropped once they make up half
    // of the list, each entry thus looked at a bounded number of times for every deletion.
    const auto earlier = [](const SimVessel *a, const SimVessel *b) { return a->order < b->order; };
    if (!std::is_sorted(deletions.begin(), deletions.end(), earlier)) {
        std::sort(deletions.begin(), deletions.end(), earlier);
    }
    for (SimVessel *vessel : deletions) {
        if (vessel->instance != nullptr) {
            Destroy(*vessel);
        }
        vessel->gone = true;
    }
    goneCount += deletions.size();
    deletions.clear();
    if (2 * goneCount > vessels.size()) {
        vessels.erase(
            std::remove_if(vessels.begin(), vessels.end(),
                           [](const std::unique_ptr<SimVessel> &vessel) { return vessel->gone; }),
            vessels.end());
        goneCount = 0;
    }
}

void Simulation::TargetCamera(SimVessel *target) {
    services.SetCameraTarget(target);
    Tell(&RunObserver::CameraTargeted, target);
}

void Simulation::LogDebugLine() {
    const char *const debugString = services.DebugLine();
    // One pass of the C library's string comparison: the line is handed out every step.
    if (options.verbose || std::strcmp(loggedDebugString.c_str(), debugString) != 0) {
        loggedDebugString = debugString;
        logText.assign("debug \"").append(loggedDebugString).append("\"");
        log.Line(time, logText);
    }
}

} // namespace standin
