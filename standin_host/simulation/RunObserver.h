// What the run tells those who watch it (the trace, the picture, the progress line): vessels
// created, the camera turning, each step once its vessels have been called, and the run's end. A
// run without observers pays nothing for them in its step loop.
#pragma once

namespace standin {

class RunView;
struct VesselRecord;

// What a step leaves behind besides the vessels' own state.
struct StepFacts {
    double time = 0.0;
    // The vessel that the camera targeted while the vessels were called. A vessel destroyed inside
    // its deletion request clears the camera's target at once; this still names it.
    const VesselRecord *cameraTarget = nullptr;
    // The last vessel that took the debug line buffer in this step (oapiDebugString), or null.
    const VesselRecord *debugLineTaker = nullptr;
    const char *debugLine = "";
};

class RunObserver {
public:
    virtual ~RunObserver() = default;

    // An observer overrides the calls it watches.
    // A vessel was created at the current step boundary; its module has its state.
    virtual void VesselCreated(const RunView & /*run*/, const VesselRecord & /*vessel*/) {}
    // The camera turned to `target`, or to nothing.
    virtual void CameraTargeted(const RunView & /*run*/, const VesselRecord * /*target*/) {}
    // A step is about to begin; the events of the boundary have fired.
    virtual void StepStarting(const RunView & /*run*/) {}
    // Every vessel has been called. The vessels deleted in this step are still in run.Vessels(),
    // with deletionRequested set (run.PendingDeletions() of them); they go right after this call.
    virtual void StepDone(const RunView & /*run*/, const StepFacts & /*facts*/) {}
    // The run has reached its end, or stopped on an error or a signal; the run tells it once.
    virtual void RunEnded(const RunView & /*run*/) {}
};

} // namespace standin
