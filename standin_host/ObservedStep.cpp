// The vessels' part of a step while observers watch the run. Kept apart from the plain step so
// that a run without --trace or --plot takes the plain loop unchanged.
#include "Simulation.h"

namespace standin {

void Simulation::CallVesselsObserved(double length, double mjd) {
    const SimVessel *targetDuringStep = cameraTarget;
    const SimVessel *debugLineTaker = nullptr;
    for (const std::unique_ptr<SimVessel> &vessel : vessels) {
        vessel->position.x += vessel->velocity.x * length;
        vessel->position.y += vessel->velocity.y * length;
        vessel->position.z += vessel->velocity.z * length;
        if (vessel->instance != nullptr) {
            // The flag tells, for this vessel alone, whether it took the line; the plain step's
            // look for a change still sees every hand-out of the step.
            const bool handedOutBefore = debugStringHandedOut;
            debugStringHandedOut = false;
            vessel->instance->clbkPostStep(time, length, mjd);
            if (debugStringHandedOut) {
                debugLineTaker = vessel.get();
            }
            debugStringHandedOut = debugStringHandedOut || handedOutBefore;
        }
    }
    LogDebugLine();
    const StepFacts facts{time, targetDuringStep, debugLineTaker, debugString};
    for (RunObserver *observer : observers) {
        observer->StepDone(*this, facts);
    }
    FinishDeletions();
}

} // namespace standin
