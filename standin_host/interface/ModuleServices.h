// The door through which the vessel modules reach the run: the oapi functions and the VESSEL
// defaults (HostServices.cpp) find the active ModuleServices and ask it, and nothing else of the
// host. It keeps what a module may see of the run (the camera, the debug line) and passes on what
// only the simulation can do (deleting a vessel, taking a vessel's new state into its bounds).
// The services of a vessel's step are inline and not virtual: every vessel calls them every step.
#pragma once

#include "host/HostServices.h"
#include "host/HostTypes.h"

#include <cstddef>
#include <string>

namespace standin {

class RunLog;
struct SimVessel;
struct VesselStatus;

// How often the modules have called each host service of the step; tests hold a module's step to
// the work it is meant to do.
struct HostCallCounts {
    std::size_t cameraTarget = 0;
    std::size_t cameraPosition = 0;
    std::size_t vesselPosition = 0;
    std::size_t debugString = 0;
    std::size_t deletionRequests = 0;
};

// What a module asks that changes the run's vessels: the simulation answers.
class ModuleRequests {
public:
    // False when `vessel` is no vessel of the run.
    virtual bool RequestDeletion(ObjectHandle vessel) = 0;
    // A module set the vessel's position and velocity.
    virtual void StateSet(const SimVessel &vessel) = 0;

protected:
    ~ModuleRequests() = default;
};

class ModuleServices {
public:
    // Active from construction to destruction (the one before it again after). Warnings about
    // scenario lines go to `log`; one read from no known file is put to `scenarioName`.
    ModuleServices(RunLog &log, std::string scenarioName);
    ~ModuleServices();
    ModuleServices(const ModuleServices &) = delete;
    ModuleServices &operator=(const ModuleServices &) = delete;

    // The services that the modules reach through the host interface. Inline, since every host
    // service that a module calls in its step goes through it.
    static ModuleServices *Active() { return active; }

    // ---- What the modules see and ask (through HostServices.cpp) ----

    SimVessel *CameraTarget() const { return cameraTarget; }
    const VECTOR3 &CameraPosition() const { return cameraPosition; }
    // The buffer that a module writes the debug line into. Handing it out is what lets the line
    // change, so the step loop looks at the line for a change only after it has been handed out.
    char *HandOutDebugString() {
        debugStringHandedOut = true;
        if (steppingVessel != nullptr) {
            debugLineTaker = steppingVessel;
        }
        return debugString;
    }
    // Passed on to the simulation; false with none, as for a vessel unknown to the run.
    bool RequestDeletion(ObjectHandle vessel) {
        return requests != nullptr && requests->RequestDeletion(vessel);
    }
    void StateSet(const SimVessel &vessel) {
        if (requests != nullptr) {
            requests->StateSet(vessel);
        }
    }
    // The host's own lines of a vessel's scenario block, "POS x y z" and "VEL x y z", read into
    // `status`; any other line is reported where it stands, and the load goes on.
    void ParseDefaultLine(const char *line, VesselStatus &status);

    // How often the modules called each service; the services count as they are called.
    HostCallCounts &Calls() { return calls; }
    const HostCallCounts &Calls() const { return calls; }

    const char *DebugLine() const { return debugString; }

    // ---- What the driver of a run sets: the simulation, or a test that drives a module alone ----

    void SetCameraTarget(SimVessel *target) { cameraTarget = target; }
    void SetCameraPosition(const VECTOR3 &position) { cameraPosition = position; }

private:
    // ---- What the simulation keeps here and looks at: its own, not the modules' ----
    friend class Simulation;

    // The simulation that takes the modules' requests, or null for none.
    void TakeRequestsFrom(ModuleRequests *simulation) { requests = simulation; }
    // The vessel whose step callback runs (null between callbacks): a module that takes the debug
    // line buffer in its callback becomes the line's taker for this step.
    void SetSteppingVessel(const SimVessel *vessel) { steppingVessel = vessel; }
    // Whether the buffer was handed out since the last look, and the last vessel of the step that
    // took it (or null); both start again.
    bool TakeDebugStringHandedOut() {
        const bool handedOut = debugStringHandedOut;
        debugStringHandedOut = false;
        return handedOut;
    }
    const SimVessel *TakeDebugLineTaker() {
        const SimVessel *taker = debugLineTaker;
        debugLineTaker = nullptr;
        return taker;
    }

    RunLog &log;
    std::string scenarioName;
    ModuleRequests *requests = nullptr;
    VECTOR3 cameraPosition{};
    SimVessel *cameraTarget = nullptr;
    char debugString[DebugStringCapacity] = {};
    bool debugStringHandedOut = false;
    const SimVessel *steppingVessel = nullptr;
    const SimVessel *debugLineTaker = nullptr;
    HostCallCounts calls;
    ModuleServices *previousActive;

    static ModuleServices *active;
};

} // namespace standin
