// The door through which the vessel modules reach the run: the oapi functions and the VESSEL
// defaults (HostServices.cpp) ask the active ModuleServices, and nothing else of the host. It keeps
// what a module may see of the run (the camera, the debug line) and passes on what only the
// simulation can do (deleting a vessel, taking a vessel's new state into its bounds). The services
// of a vessel's step are inline and not virtual: every vessel calls them every step.
#pragma once

#include "host/HostServices.h"
#include "host/HostTypes.h"
#include "standin_host/interface/LogSink.h"
#include "standin_host/interface/VesselRecord.h"

#include <cstddef>
#include <string>

namespace standin {

class LineReader;

// A vessel's status record: what the host's default handling reads from a scenario block and
// applies to a vessel.
struct VesselStatus {
    VECTOR3 position{};
    VECTOR3 velocity{};
    // While a scenario block is loaded, the reader of its lines: a line that the default handling
    // does not understand is reported where it stands. Null for a record that no lines fill.
    const LineReader *source = nullptr;
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

// What a module asks that changes the run's vessels: the simulation answers.
class ModuleRequests {
public:
    // False when `vessel` is no vessel of the run.
    virtual bool RequestDeletion(ObjectHandle vessel) = 0;
    // A module has set the vessel's position and velocity.
    virtual void StateSet(const VesselRecord &vessel) = 0;

protected:
    ~ModuleRequests() = default;
};

class ModuleServices {
public:
    // Active from construction to destruction (the one before it again after). Warnings about
    // scenario lines go to `log`; one read from no known file is put to `scenarioName`.
    ModuleServices(LogSink &log, std::string scenarioName);
    ~ModuleServices();
    ModuleServices(const ModuleServices &) = delete;
    ModuleServices &operator=(const ModuleServices &) = delete;

    static ModuleServices *Active() { return active; }
    // The active services, counting a call of `service`.
    static ModuleServices &Called(std::size_t HostCallCounts::*service) {
        ++(active->calls.*service);
        return *active;
    }

    // ---- What the modules see and ask (through HostServices.cpp) ----

    const VesselRecord *CameraTarget() const { return cameraTarget; }
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
    // The record changes here, so that a module driven alone, with no simulation behind the
    // services, has it changed too; the simulation takes the new state into its bounds.
    void SetState(ObjectHandle vessel, const VECTOR3 &position, const VECTOR3 &velocity) {
        VesselRecord &record = RecordOf(vessel);
        record.position = position;
        record.velocity = velocity;
        if (requests != nullptr) {
            requests->StateSet(record);
        }
    }
    // The host's own lines of a vessel's scenario block, "POS x y z" and "VEL x y z", read into
    // `status`; the first with a bad number is kept for the simulation to refuse the run with;
    // any other line is reported where it stands, and the load goes on.
    void ParseDefaultLine(const char *line, VesselStatus &status);
    const std::string &LineError() const { return lineError; } // "" while every line was read

    const HostCallCounts &Calls() const { return calls; }
    const char *DebugLine() const { return debugString; }

    // ---- What the driver of a run sets: the simulation, or a test that drives a module alone ----

    void SetCameraTarget(const VesselRecord *target) { cameraTarget = target; }
    void SetCameraPosition(const VECTOR3 &position) { cameraPosition = position; }

private:
    // ---- What the simulation keeps here and looks at: its own, not the modules' ----
    friend class Simulation;

    // The simulation that takes the modules' requests, or null for none.
    void TakeRequestsFrom(ModuleRequests *simulation) { requests = simulation; }
    // The vessel whose step callback runs (null between callbacks): a module that takes the debug
    // line buffer in its callback becomes the line's taker for this step.
    void SetSteppingVessel(const VesselRecord *vessel) { steppingVessel = vessel; }
    // Whether the buffer was handed out since the last look, and the last vessel of the step that
    // took it (or null); both start again.
    bool TakeDebugStringHandedOut() {
        if (!debugStringHandedOut) {
            return false;
        }
        debugStringHandedOut = false;
        debugString[DebugStringCapacity - 1] = '\0'; // a longer line is cut where its buffer ends
        return true;
    }
    const VesselRecord *TakeDebugLineTaker() {
        const VesselRecord *taker = debugLineTaker;
        debugLineTaker = nullptr;
        return taker;
    }

    LogSink &log;
    std::string scenarioName;
    std::string lineError; // "file:line: why" of the first POS or VEL line not read
    ModuleRequests *requests = nullptr;
    VECTOR3 cameraPosition{};
    const VesselRecord *cameraTarget = nullptr;
    // Twice what a module is told: one that writes past the end of the line spoils no state here.
    char debugString[2 * DebugStringCapacity] = {};
    bool debugStringHandedOut = false;
    const VesselRecord *steppingVessel = nullptr;
    const VesselRecord *debugLineTaker = nullptr;
    HostCallCounts calls;
    ModuleServices *previousActive;

    static ModuleServices *active;
};

} // namespace standin
