#include "standin_host/simulation/StepClock.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace {

// Whole numbers of steps up to here are exact in a double.
constexpr double exactSteps = 9007199254740992.0; // 2^53

constexpr double tolerance = 1e-6; // of a step

// The estimate of StepsUntil is off by a step or two at most where a step is far larger than the
// clock's rounding; where it is not, the clock cannot advance by a step anyway, which the run
// reports. The search is bounded either way.
constexpr int mostCorrections = 64;

} // namespace

StepClock::StepClock(double start, double step) : start(start), step(step) {
    const double steps = step > 0.0 ? std::round(start / step) : 0.0;
    if (step > 0.0 && std::fabs(steps) < exactSteps && steps * step == start) {
        gridSteps = steps;
    } else {
        offGrid = start;
    }
}

bool StepClock::Reaches(double boundary, double moment) const {
    return boundary >= moment - step * tolerance;
}

double StepClock::StepsUntil(double moment) const {
    if (std::isnan(moment)) {
        return moment; // no count: a run to it is refused, and the loop takes no step
    }
    if (Reaches(start, moment)) {
        return 0.0;
    }
    double steps = std::max(1.0, std::ceil((moment - start) / step - tolerance));
    if (!(steps < exactSteps)) {
        return steps;
    }
    for (int i = 0; i < mostCorrections && steps > 1.0 && Reaches(TimeAfter(steps - 1.0), moment);
         ++i) {
        steps -= 1.0;
    }
    for (int i = 0; i < mostCorrections && !Reaches(TimeAfter(steps), moment); ++i) {
        steps += 1.0;
    }
    return steps;
}

} // namespace standin
