// The simulation clock: the time of every step boundary, computed from the count of steps taken,
// so that no rounding error builds up over a long run as it would in a sum of steps.
#pragma once

namespace standin {

class StepClock {
public:
    // `step` > 0.
    StepClock(double start, double step);

    // The time after `steps` (whole) steps, start + steps × step. When the start is a whole number
    // of steps (TIME 0, or a time that such a run saved), the boundaries are the whole multiples
    // of the step, each rounded once: a continued run passes the very boundaries of the one it
    // continues.
    double TimeAfter(double steps) const {
        // On the grid: (gridSteps + steps) × step, plus 0. Off it: (0 + steps) × step + start,
        // which is start + steps × step. No product here is -0, so adding 0 changes nothing.
        return (gridSteps + steps) * step + offGrid;
    }

    // Whether the boundaries are whole multiples of the step; a clock off that grid counts from its
    // start, which a checkpoint names (ORIGIN).
    bool OnGrid() const { return offGrid == 0.0; }

    // Whether a boundary at time `boundary` counts as reached `moment`. A step such as 0.1 has no
    // exact binary value, so a boundary that names a moment can fall a hair short of it; up to a
    // millionth of a step short still counts.
    bool Reaches(double boundary, double moment) const;

    // The number of steps from the start to the first boundary that reaches `moment`: 0 when the
    // start does. Exact up to 2^53 steps; a larger count (or infinity) is an estimate.
    double StepsUntil(double moment) const;

private:
    double start;
    double step;
    // On the grid, the start as a number of steps; off it, the start itself (the other is 0): one
    // form for both cases, without a branch in every step.
    double gridSteps = 0.0;
    double offGrid = 0.0;
};

} // namespace standin
