// The step callback: lifetime countdown, camera-distance cull, debug line and deletion request.
// Every test runs twice: with the host deleting at the end of the step, and with a host that
// deletes inside oapiDeleteVessel, which proves that the module touches nothing of itself after
// asking for its deletion (the sanitizer build reports any such access).
#include "host/HostServices.h"
#include "tests/HostHarness.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

using brevlet_test::HarnessOptions;
using brevlet_test::HostHarness;

class ExpiryMonitor : public ::testing::TestWithParam<bool> {
protected:
    HarnessOptions Options(double step = 1.0) const {
        HarnessOptions options;
        options.step = step;
        options.simulation.deleteAtOnce = GetParam();
        return options;
    }

    static bool LogShowsDeletion(const HostHarness &host, const std::string &name) {
        return host.Log().find("] deleted " + name + "\n") != std::string::npos;
    }
};

INSTANTIATE_TEST_SUITE_P(HostDeletes, ExpiryMonitor, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &instance) {
                             return instance.param ? "AtOnce" : "AtEndOfStep";
                         });

// A run's steps are never of zero length (STEP is greater than zero), nor NaN or infinite; a module
// called with one keeps a running lifetime through a zero-length step and runs out in the others.
TEST_P(ExpiryMonitor, StepsOfNoLengthOrNoNumberKeepOrEndTheCountdown) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double step;
        double remaining; // after each of three calls, while not deleted
        bool deleted;
    };
    const Case cases[] = {
        {0.0, 10, false},
        {-0.0, 10, false},
        {std::numeric_limits<double>::quiet_NaN(), 0, true},
        {inf, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("steps of " + std::to_string(c.step));
        HostHarness host({"LifeTime = 10"}, Options());
        standin::SimVessel &vessel = host.CreateFromBlock("Probe", {"POS 0 0 0"});
        vessel.instance->clbkPostStep(0.0, c.step, 51544.5);
        EXPECT_EQ(vessel.deletionRequested, c.deleted);
        if (!c.deleted) {
            for (int step = 0; step < 2; ++step) {
                vessel.instance->clbkPostStep(0.0, c.step, 51544.5);
            }
            EXPECT_EQ(HostHarness::Module(vessel).GetLifetime(), c.remaining);
            EXPECT_FALSE(vessel.deletionRequested);
        }
    }
}

// A lifetime of k steps runs out in the k-th step, although k subtractions of a step such as 0.1
// leave a remainder of about 1e-16 instead of 0: a lifetime within a millionth of a step of the
// step's end runs out in it.
TEST_P(ExpiryMonitor, ALifetimeOfKStepsRunsOutInTheKthStep) {
    struct Step {
        int units; // the step is units / scale, and "LIFETIME k*step" its decimal text
        int scale;
    };
    for (const Step step :
         {Step{1, 10}, Step{2, 10}, Step{5, 100}, Step{3, 10}, Step{7, 10}, Step{1, 100}}) {
        const double length = double(step.units) / step.scale;
        SCOPED_TRACE("steps of " + std::to_string(length));
        HostHarness host({}, Options(length));
        constexpr int most = 199;
        for (int k = 1; k <= most; ++k) {
            const int n = k * step.units;
            std::string decimals = std::to_string(n % step.scale + step.scale).substr(1);
            host.CreateFromBlock("V" + std::to_string(k),
                                 {"LIFETIME " + std::to_string(n / step.scale) + "." + decimals});
        }
        for (int k = 1; k <= most; ++k) {
            host.Step();
            ASSERT_EQ(host.Find("V" + std::to_string(k)), nullptr) << "not deleted in step " << k;
            if (k < most) {
                ASSERT_NE(host.Find("V" + std::to_string(k + 1)), nullptr)
                    << "V" << k + 1 << " deleted in step " << k;
            }
        }
    }
}

// The targeted vessel shows a lifetime of 0 once, in the step it runs out in.
TEST_P(ExpiryMonitor, ARunOutLifetimeShowsAsZeroInOneStep) {
    HostHarness host({"LifeTime = 1"}, Options(0.1));
    standin::SimVessel &vessel = host.CreateFromBlock("Probe", {"POS 0 0 0"});
    host.SetCamera({0, 0, 0}, &vessel);
    int zeros = 0;
    int steps = 0;
    while (host.Find("Probe") != nullptr && steps < 20) {
        host.Step();
        ++steps;
        zeros += host.DebugLine() == "0.000000 Dmax=0.000000m" ? 1 : 0;
    }
    EXPECT_EQ(steps, 10);
    EXPECT_EQ(zeros, 1);
}

TEST_P(ExpiryMonitor, CountsTheLifetimeDownAndExpires) {
    struct Case {
        const char *lifetime; // LifeTime in the class configuration
        double step;
        std::vector<double> remaining; // after each step that the vessel survives
        bool expires;                  // in the step after those
    };
    const Case cases[] = {
        {"10", 4, {6, 2}, true},
        {"4", 4, {}, true}, // running out exactly at the end of the step
        {"4.5", 4, {0.5}, true},
        {"4.000003", 4, {}, true}, // within a millionth of the step of its end
        {"4.00002", 4, {4.00002 - 4}, true},
        {"1e-9", 1e-9, {}, true},
        {"0", 4, {0, 0, 0}, false},
        {"-3", 4, {-3, -3, -3}, false},
        {"1e400", 1e300, {std::numeric_limits<double>::infinity()}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("LifeTime = ") + c.lifetime + ", steps of " +
                     std::to_string(c.step));
        HostHarness host({std::string("LifeTime = ") + c.lifetime}, Options(c.step));
        standin::SimVessel &vessel = host.CreateFromBlock("Probe", {"POS 0 0 0"});
        for (const double remaining : c.remaining) {
            host.Step();
            ASSERT_NE(host.Find("Probe"), nullptr);
            EXPECT_EQ(HostHarness::Module(vessel).GetLifetime(), remaining);
        }
        if (c.expires) {
            host.Step();
            EXPECT_EQ(host.Find("Probe"), nullptr);
            EXPECT_TRUE(LogShowsDeletion(host, "Probe")) << host.Log();
            EXPECT_TRUE(host.Sim().Vessels().empty());
        } else {
            EXPECT_FALSE(LogShowsDeletion(host, "Probe")) << host.Log();
        }
    }
}

TEST_P(ExpiryMonitor, CullsWhenTheCameraIsFartherThanTheLimit) {
    struct Case {
        const char *maxCamDistance;
        VECTOR3 vessel;
        VECTOR3 camera;
        bool culled;
    };
    const Case cases[] = {
        {"1000", {0, 0, 0}, {1000, 0, 0}, false}, // exactly at the limit
        {"1000", {0, 0, 0}, {1000.001, 0, 0}, true},
        {"1000", {0, 0, 0}, {0, 0, -1000.001}, true},
        {"1000", {100, 200, 300}, {700, 1000, 300}, false}, // 600, 800, 0: exactly 1000 m
        {"1000", {100, 200, 300}, {700, 1000.001, 300}, true},
        {"1000", {0, 0, 0}, {577.36, 577.36, 577.36}, true}, // 1000.02 m, in three axes
        {"1000", {0, 0, 0}, {577.35, 577.35, 577.35}, false},
        {"1e-3", {5, 5, 5}, {5, 5, 5}, false},
        // Beyond the range of a sum of squares: decided on scaled distances.
        {"1e200", {1e160, 0, 0}, {0, 0, 0}, false},
        {"1e200", {0, 0, 0}, {1e200, 1e200, 0}, true},
        {"1e308", {1e308, 0, 0}, {0, 0, 0}, false}, // exactly at the limit
        {"1e308", {1e308, 0, 0}, {-1e300, 0, 0}, true},
        {"1e-200", {0, 0, 0}, {0, 1e-200, 0}, false},
        {"1e-200", {0, 0, 0}, {0, 2e-200, 0}, true},
        {"1e-300", {1e-300, 0, 0}, {0, 1e-300, 1e-300}, true},
        {"0", {0, 0, 0}, {1e12, 0, 0}, false}, // zero or less switches the cull off
        {"-1", {0, 0, 0}, {1e12, 0, 0}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("MaxCamDistance = ") + c.maxCamDistance + ", vessel at " +
                     brevlet_test::Describe(c.vessel) + ", camera at " +
                     brevlet_test::Describe(c.camera));
        HostHarness host({std::string("MaxCamDistance = ") + c.maxCamDistance}, Options());
        host.CreateFromBlock("Probe", {"POS " + brevlet_test::Describe(c.vessel)});
        host.SetCamera(c.camera, nullptr);
        host.Step();
        EXPECT_EQ(host.Find("Probe") == nullptr, c.culled);
        EXPECT_EQ(LogShowsDeletion(host, "Probe"), c.culled) << host.Log();
    }
}

// While the camera targets a vessel it is kept at any distance and shows its values; once the
// camera turns to another object, the distance test applies from the next step on.
TEST_P(ExpiryMonitor, TheTargetedVesselIsKeptUntilTheCameraTurnsAway) {
    HostHarness host({"LifeTime = 30", "MaxCamDistance = 1000"}, Options());
    standin::SimVessel &beacon = host.CreateFromBlock("Beacon", {"POS 10000 0 0"});
    standin::SimVessel &marker = host.CreateFromBlock("Marker", {"POS 0 0 0"});
    host.SetCamera({0, 0, 0}, &beacon);

    host.Step();
    ASSERT_NE(host.Find("Beacon"), nullptr);
    EXPECT_EQ(host.DebugLine(), "29.000000 Dmax=1000.000000m");
    host.Step();
    ASSERT_NE(host.Find("Beacon"), nullptr);
    EXPECT_EQ(host.DebugLine(), "28.000000 Dmax=1000.000000m");

    host.SetCamera({0, 0, 0}, &marker);
    host.Step();
    EXPECT_EQ(host.Find("Beacon"), nullptr);
    EXPECT_TRUE(LogShowsDeletion(host, "Beacon")) << host.Log();
    ASSERT_NE(host.Find("Marker"), nullptr);
    EXPECT_EQ(host.DebugLine(), "27.000000 Dmax=1000.000000m");
}

// The debug line of the targeted vessel after one step of 1 s, whatever its limits, and whether
// the vessel asked to be deleted in that step.
TEST_P(ExpiryMonitor, TheTargetedVesselShowsItsValuesEveryStep) {
    struct Case {
        std::vector<std::string> config;
        double distance; // from the camera
        const char *debugLine;
        bool deleted;
    };
    const Case cases[] = {
        {{"LifeTime = 12.5", "MaxCamDistance = 1000"}, 10, "11.500000 Dmax=1000.000000m", false},
        {{}, 1e9, "0.000000 Dmax=0.000000m", false},
        {{"LifeTime = -1"}, 0, "-1.000000 Dmax=0.000000m", false},
        {{"LifeTime = -0.25", "MaxCamDistance = -7"}, 0, "-0.250000 Dmax=-7.000000m", false},
        // Its lifetime runs out while the camera targets it: it shows 0 and goes all the same.
        {{"LifeTime = 1", "MaxCamDistance = 5"}, 10000, "0.000000 Dmax=5.000000m", true},
        {{"LifeTime = 0.5"}, 0, "0.000000 Dmax=0.000000m", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.debugLine);
        HostHarness host(c.config, Options());
        standin::SimVessel &vessel = host.CreateFromBlock("Probe", {"POS 0 0 0"});
        host.SetCamera({0, c.distance, 0}, &vessel);
        host.SetDebugLine("untouched");
        host.Step();
        EXPECT_EQ(host.DebugLine(), c.debugLine);
        EXPECT_EQ(host.Find("Probe") == nullptr, c.deleted);
        EXPECT_EQ(LogShowsDeletion(host, "Probe"), c.deleted) << host.Log();
    }
}

// A camera without a target targets none of the vessels: the distance test applies, and no
// vessel writes the debug line.
TEST_P(ExpiryMonitor, WithoutACameraTargetTheDebugLineIsLeftAlone) {
    HostHarness host({"LifeTime = 5", "MaxCamDistance = 1000"}, Options());
    host.CreateFromBlock("Near", {"POS 0 0 0"});
    host.CreateFromBlock("Far", {"POS 0 0 2000"});
    host.SetCamera({0, 0, 0}, nullptr);
    host.SetDebugLine("untouched");

    host.Step();
    EXPECT_EQ(host.DebugLine(), "untouched");
    EXPECT_NE(host.Find("Near"), nullptr);
    EXPECT_EQ(host.Find("Far"), nullptr);

    for (int step = 0; step < 4; ++step) {
        host.Step();
    }
    EXPECT_EQ(host.DebugLine(), "untouched");
    EXPECT_EQ(host.Find("Near"), nullptr);
    EXPECT_TRUE(LogShowsDeletion(host, "Near")) << host.Log();
}

// The step asks the host for what it needs and no more: the positions only for a distance test
// that applies, the camera's target at most twice, the debug line only while targeted, and the
// deletion once.
TEST_P(ExpiryMonitor, AsksTheHostOnlyForWhatTheStepNeeds) {
    struct Case {
        const char *name;
        std::vector<std::string> config;
        int distance; // of the vessel from the camera, metres
        bool targeted;
        standin::HostCallCounts expected; // target, camera position, own position, debug, delete
    };
    const Case cases[] = {
        {"limits off", {}, 0, false, {1, 0, 0, 0, 0}},
        {"limits off, targeted", {}, 0, true, {1, 0, 0, 1, 0}},
        {"lifetime counting", {"LifeTime = 100"}, 0, false, {1, 0, 0, 0, 0}},
        {"lifetime running out", {"LifeTime = 1"}, 0, false, {1, 0, 0, 0, 1}},
        {"cull on", {"MaxCamDistance = 1000"}, 10, false, {2, 1, 1, 0, 0}},
        {"cull on, targeted far away", {"MaxCamDistance = 1000"}, 5000, true, {2, 0, 0, 1, 0}},
        {"culled", {"MaxCamDistance = 1000"}, 5000, false, {2, 1, 1, 0, 1}},
        {"culled as the lifetime runs out",
         {"LifeTime = 1", "MaxCamDistance = 1000"},
         5000,
         false,
         {2, 1, 1, 0, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HostHarness host(c.config, Options());
        standin::SimVessel &vessel =
            host.CreateFromBlock("Probe", {"POS 0 0 " + std::to_string(c.distance)});
        host.SetCamera({0, 0, 0}, c.targeted ? &vessel : nullptr);
        const standin::HostCallCounts before = host.Calls();
        host.Step();
        const standin::HostCallCounts &after = host.Calls();
        EXPECT_EQ(after.cameraTarget - before.cameraTarget, c.expected.cameraTarget);
        EXPECT_EQ(after.cameraPosition - before.cameraPosition, c.expected.cameraPosition);
        EXPECT_EQ(after.vesselPosition - before.vesselPosition, c.expected.vesselPosition);
        EXPECT_EQ(after.debugString - before.debugString, c.expected.debugString);
        EXPECT_EQ(after.deletionRequests - before.deletionRequests, c.expected.deletionRequests);
    }
}

} // namespace

namespace {

// The host's side of a deletion request: the vessels of one step go in the order of their
// creation (at once, in the order asked), and a handle that names no vessel of the run, or one
// already gone, is refused.
TEST_P(ExpiryMonitor, TheHostDeletesInTheOrderOfCreationAndRefusesStrangers) {
    HostHarness host({"LifeTime = 100"}, Options());
    standin::SimVessel &a = host.CreateFromBlock("A", {"POS 0 0 0"});
    host.CreateFromBlock("B", {"POS 0 0 0"});
    const ObjectHandle c = standin::HandleOf(host.CreateFromBlock("C", {"POS 0 0 0"}));
    EXPECT_TRUE(oapiDeleteVessel(c, nullptr));
    EXPECT_TRUE(oapiDeleteVessel(standin::HandleOf(a), nullptr));
    // Asked again: taken while the vessel waits for the end of the step, refused once it is gone.
    EXPECT_EQ(oapiDeleteVessel(standin::HandleOf(a), nullptr), !GetParam());
    host.Step();
    const std::string log = host.Log();
    const std::size_t deletedA = log.find("deleted A\n");
    const std::size_t deletedC = log.find("deleted C\n");
    ASSERT_NE(deletedA, std::string::npos) << log;
    ASSERT_NE(deletedC, std::string::npos) << log;
    EXPECT_EQ(deletedA < deletedC, !GetParam()) << log;
    EXPECT_EQ(host.Sim().Vessels().size(), 1u);

    standin::VesselRecord stranger;
    EXPECT_FALSE(oapiDeleteVessel(&stranger, nullptr));
    EXPECT_FALSE(oapiDeleteVessel(c, nullptr));
    host.Step();
    EXPECT_NE(host.Find("B"), nullptr);
}

} // namespace

namespace {

// The host logs the targeted vessel's debug line when it changes, and with --verbose after every
// step that writes it.
TEST(HostDebugLine, LoggedWhenItChangesOrAfterEveryStepWithVerbose) {
    for (const bool verbose : {false, true}) {
        SCOPED_TRACE(verbose ? "verbose" : "not verbose");
        HarnessOptions options;
        options.simulation.verbose = verbose;
        HostHarness host({"LifeTime = 0", "MaxCamDistance = 500"}, options);
        standin::SimVessel &vessel = host.CreateFromBlock("T", {"POS 0 0 0"});
        host.SetCamera({0, 0, 0}, &vessel);
        for (int step = 0; step < 3; ++step) {
            host.Step();
        }
        const std::string log = host.Log();
        std::size_t lines = 0;
        for (std::size_t at = log.find("] debug \""); at != std::string::npos;
             at = log.find("] debug \"", at + 1)) {
            ++lines;
        }
        EXPECT_EQ(lines, verbose ? 3u : 1u) << log;
    }
}

} // namespace
