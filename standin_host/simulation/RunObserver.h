// What the host tells those who watch a run (the trace, the picture): vessels created, the camera
// turning, and each step once its vessels have been called. Without observers the host's step
// loop pays one store per vessel for this: it notes whose callback runs.
#pragma once

namespace standin {

class Simulation;
struct SimVessel;

// What a step leaves behind besides the vessels' own state.
struct StepFacts {
    double time = 0.0;
    // The vessel that the camera targeted while the vessels were called. A vessel destroyed inside
    // its deletion request clears the camera's target at once; this still names it.
    const SimVessel *cameraTarget = nullptr;
    // The last vessel that took the debug line buffer in this step (oapiDebugString), or null.
    const SimVessel *debugLineTaker = nullptr;
    const char *debugLine = "";
};

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // A vessel was created at the current step boundary; its module has its state.
    virtual void VesselCreated(const Simulation &simulation, const SimVessel &vessel) = 0;
    // The camera turned to `target`, or to nothing.
    virtual void CameraTargeted(const Simulation &simulation, const SimVessel *target) = 0;
    // A step is about to begin; the events of the boundary have fired.
    virtual void StepStarting(const Simulation &simulation) = 0;
    // Every vessel has been called. Vessels that asked for deletion in this step are still in
    // simulation.Vessels(), with deletionRequested set; they go right after this call.
    virtual void StepDone(const Simulation &simulation, const StepFacts &facts) = 0;
    // The run has reached its end (or stopped on an error).
    virtual void RunEnded(const Simulation &simulation) = 0;
};

} // namespace standin
