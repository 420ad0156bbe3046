// The simulation clock counts its steps: the time after k steps is TIME + k x STEP, so a long run
// does not drift, ends at the boundary its END names, and fires each event at the boundary its
// time names. The count that the host checks before a run is the count the run takes.
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/simulation/RunObserver.h"
#include "standin_host/simulation/StepClock.h"
#include "standin_host/text/NumberText.h"
#include "tests/RunParts.h"
#include "tests/SavedScenario.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Counts the steps of a run and notes where the camera turned, in steps and in time.
class StepCounter : public standin::RunObserver {
public:
    void VesselCreated(const standin::RunView &, const standin::VesselRecord &) override {}
    void CameraTargeted(const standin::RunView &run, const standin::VesselRecord *) override {
        turns.emplace_back(steps, run.Time());
    }
    void StepStarting(const standin::RunView &) override {}
    void StepDone(const standin::RunView &, const standin::StepFacts &) override { ++steps; }
    void RunEnded(const standin::RunView &) override {}

    double steps = 0;
    std::vector<std::pair<double, double>> turns; // (steps taken, time)
};

struct ClockRun {
    standin::ScenarioDescription scenario;
    StepCounter counter;
    std::string saved;
};

// Runs a scenario without vessels to its END.
void RunScenario(const std::string &text, ClockRun &run) {
    std::string error;
    ASSERT_TRUE(standin::ParseScenario(standin::TextFile{"clock.scn", text}, run.scenario, error))
        << error;
    std::ostringstream log;
    brevlet_test::RunParts parts(run.scenario, "no-config", "no-modules", log, log);
    parts.simulation.AddObserver(run.counter);
    ASSERT_TRUE(parts.simulation.Run(run.scenario.end, error)) << error;
    run.saved = brevlet_test::SavedScenario(parts.simulation);
}

TEST(Clock, EndsAtTheBoundaryItsEndNamesWithoutDrift) {
    struct Case {
        const char *scenario;
        double steps;
        const char *savedTime; // the TIME line of the saved scenario
    };
    const Case cases[] = {
        // A sum of 400,000 steps of 0.001 came to 400.0009999974531, a step late.
        {"STEP 0.001\nEND 400\n", 400000, "TIME 400\n"},
        {"STEP 0.1\nEND 8\n", 80, "TIME 8\n"},
        {"STEP 0.02\nEND 86400\n", 4320000, "TIME 86400\n"},
        // 3 x 0.3 is a hair short of 0.9, within a millionth of a step.
        {"STEP 0.3\nEND 0.9\n", 3, "TIME 0.8999999999999999\n"},
        // An END between two boundaries: the first boundary after it.
        {"STEP 0.5\nEND 1.2\n", 3, "TIME 1.5\n"},
        {"TIME 1000000\nSTEP 0.001\nEND 1000001\n", 1000, "TIME 1000001\n"},
        // A TIME that is no whole number of steps: the boundaries are TIME + k x STEP.
        {"TIME 0.05\nSTEP 0.1\nEND 1\n", 10, "TIME 1.05\n"},
        // Saved by 1.0.0, whose clock summed its steps: a finished run stays finished, and a run
        // saved on its way continues to its END.
        {"TIME 7.999999999999988\nSTEP 0.1\nEND 8\n", 0, "TIME 7.999999999999988\n"},
        {"TIME 2.5000000000000004\nSTEP 0.1\nEND 8\n", 55, "TIME 8\n"},
        {"TIME 5\nSTEP 1\nEND 5\n", 0, "TIME 5\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario);
        ClockRun run;
        RunScenario(c.scenario, run);
        EXPECT_EQ(run.counter.steps, c.steps);
        EXPECT_EQ(run.saved.substr(0, run.saved.find('\n') + 1), c.savedTime);
        // The count checked before a run is the count the run took.
        const standin::StepClock clock(run.scenario.time, run.scenario.step);
        EXPECT_EQ(clock.StepsUntil(run.scenario.end), c.steps);
    }
}

// An event fires at the first boundary that reaches its time: not a step late when the boundary
// falls a hair short, and not a step early when it lies a hair beyond the one before.
TEST(Clock, EventsFireAtTheBoundaryTheirTimeNames) {
    ClockRun run;
    RunScenario("STEP 0.001\nEND 400\n"
                "AT 0.3 CAMERA TARGET NONE\nAT 123.456 CAMERA TARGET NONE\n"
                "AT 200.0005 CAMERA TARGET NONE\nAT 400 CAMERA TARGET NONE\n",
                run);
    const std::vector<double> expectedSteps = {300, 123456, 200001, 400000};
    ASSERT_EQ(run.counter.turns.size(), expectedSteps.size());
    for (std::size_t i = 0; i < expectedSteps.size(); ++i) {
        SCOPED_TRACE("event " + std::to_string(i));
        EXPECT_EQ(run.counter.turns[i].first, expectedSteps[i]);
        EXPECT_EQ(run.counter.turns[i].second, expectedSteps[i] * 0.001);
    }
    EXPECT_EQ(run.counter.turns.back().second, 400.0);
}

// The count against the boundaries themselves, where a division alone would be a step off.
TEST(StepClock, CountsToTheFirstBoundaryThatReachesTheMoment) {
    struct Case {
        double start;
        double step;
        double moment;
    };
    const Case cases[] = {
        {0, 0.1, 0.3},      {0, 0.1, 0.7},     {0, 0.3, 0.9},   {0, 0.7, 2.1},
        {0, 1.0 / 3, 1},    {0.05, 0.1, 0.35}, {-1, 0.1, 1},    {1e15, 0.25, 1e15 + 10},
        {0, 1e-3, 123.456}, {3, 0.2, 2},       {0, 1e-9, 1e-3}, {7.999999999999988, 0.1, 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(standin::FormatExact(c.start) + " + k x " + standin::FormatExact(c.step) +
                     " to " + standin::FormatExact(c.moment));
        const standin::StepClock clock(c.start, c.step);
        const double steps = clock.StepsUntil(c.moment);
        EXPECT_TRUE(clock.Reaches(clock.TimeAfter(steps), c.moment));
        if (steps > 0) {
            EXPECT_FALSE(clock.Reaches(clock.TimeAfter(steps - 1), c.moment));
        } else {
            EXPECT_TRUE(clock.Reaches(c.start, c.moment));
        }
    }
    // Far beyond any run: an estimate, which the host refuses.
    EXPECT_GT(standin::StepClock(0, 1e-300).StepsUntil(1e10), 1e300);
    EXPECT_EQ(standin::StepClock(0, 1).StepsUntil(std::numeric_limits<double>::infinity()),
              std::numeric_limits<double>::infinity());
}

} // namespace
