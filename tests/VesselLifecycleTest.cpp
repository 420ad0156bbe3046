// Creating and destroying Brevlets through the module's two entry points, as the host does.
#include "host/HostServices.h"
#include "tests/AllocationCounter.h"
#include "tests/HostHarness.h"

#include <gtest/gtest.h>

namespace {

using brevlet_test::AllocationCounts;
using brevlet_test::CurrentAllocationCounts;
using brevlet_test::HarnessOptions;
using brevlet_test::HostHarness;

TEST(VesselLifecycle, ANewInstanceHasNeitherLimit) {
    HostHarness host({});
    int vesselRecord = 0; // ovcInit only keeps the handle; it never looks behind it
    VESSEL *vessel = host.Class().module->Init()(&vesselRecord, 1);
    ASSERT_NE(vessel, nullptr);
    const Brevlet &brevlet = static_cast<Brevlet &>(*vessel);
    EXPECT_EQ(brevlet.GetLifetime(), 0.0);
    EXPECT_EQ(brevlet.GetMaxCamDistance(), 0.0);
    EXPECT_EQ(vessel->GetHandle(), &vesselRecord);
    host.Class().module->Exit()(vessel);
}

TEST(VesselLifecycle, WithoutParametersItNeverExpiresNorIsCulled) {
    HarnessOptions options;
    options.step = 1e6;
    HostHarness host({"; a class configuration without LifeTime or MaxCamDistance"}, options);
    standin::SimVessel &vessel = host.CreateFromBlock("Idle", {"POS 0 0 0"});
    host.SetCamera({1e12, -1e12, 1e12}, nullptr);
    for (int step = 0; step < 50; ++step) {
        host.Step();
    }
    ASSERT_NE(host.Find("Idle"), nullptr);
    EXPECT_EQ(HostHarness::Module(vessel).GetLifetime(), 0.0);
    EXPECT_EQ(host.Log().find("deleted"), std::string::npos) << host.Log();
}

TEST(VesselLifecycle, ExitWithNullDoesNothing) {
    HostHarness host({});
    const AllocationCounts before = CurrentAllocationCounts();
    host.Class().module->Exit()(nullptr);
    const AllocationCounts after = CurrentAllocationCounts();
    EXPECT_EQ(after.releases, before.releases);
    EXPECT_EQ(after.allocations, before.allocations);
}

// The host holds an instance by its VESSEL base. VESSEL has no virtual functions and VESSEL2
// has, so the base does not start at the object's address; ovcExit must convert back before it
// frees, or it would free an address that was never allocated.
TEST(VesselLifecycle, ExitFreesTheObjectThatInitAllocated) {
    HostHarness host({});
    int vesselRecord = 0;

    const AllocationCounts beforeInit = CurrentAllocationCounts();
    VESSEL *vessel = host.Class().module->Init()(&vesselRecord, 1);
    const AllocationCounts afterInit = CurrentAllocationCounts();
    ASSERT_NE(vessel, nullptr);
    const Brevlet *brevlet = static_cast<Brevlet *>(vessel);
    EXPECT_NE(static_cast<const void *>(vessel), static_cast<const void *>(brevlet))
        << "the VESSEL base shares the object's address; this test proves nothing here";
    EXPECT_EQ(afterInit.allocations, beforeInit.allocations + 1);
    EXPECT_EQ(afterInit.lastAllocated, static_cast<const void *>(brevlet));

    host.Class().module->Exit()(vessel);
    const AllocationCounts afterExit = CurrentAllocationCounts();
    EXPECT_EQ(afterExit.releases, afterInit.releases + 1);
    EXPECT_EQ(afterExit.lastReleased, static_cast<const void *>(brevlet));
}

TEST(VesselLifecycle, FocusIsRefusedWhateverTheConfigurationHolds) {
    struct Case {
        const char *what;
        std::vector<std::string> config;
        bool moduleLine;
    };
    const Case cases[] = {
        {"a full configuration", {"LifeTime = 10", "MaxCamDistance = 1000"}, true},
        {"only the module line", {}, true},
        {"no lines at all", {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        HarnessOptions options;
        options.moduleLine = c.moduleLine;
        HostHarness host(c.config, options);
        EXPECT_FALSE(host.CreateFromBlock("Loaded", {}).focusEnabled);
        EXPECT_FALSE(host.CreateFromStatus("Spawned", standin::VesselStatus()).focusEnabled);
    }
}

// The step callback runs for every vessel after every step: it must not allocate, whether the
// camera targets the vessel (and it formats the debug line) or not (and it measures distance).
TEST(VesselLifecycle, TheStepCallbackAllocatesNothing) {
    HostHarness host({"LifeTime = 1000", "MaxCamDistance = 1e6"});
    standin::SimVessel &targeted = host.CreateFromBlock("Targeted", {"POS 1e300 0 0"});
    standin::SimVessel &measured = host.CreateFromBlock("Measured", {"POS 10 20 30"});
    host.SetCamera({0, 0, 0}, &targeted);

    const AllocationCounts before = CurrentAllocationCounts();
    for (int step = 0; step < 10; ++step) {
        targeted.instance->clbkPostStep(step, 0.5, 51544.5);
        measured.instance->clbkPostStep(step, 0.5, 51544.5);
    }
    const AllocationCounts after = CurrentAllocationCounts();
    EXPECT_EQ(after.allocations, before.allocations);
    EXPECT_EQ(host.DebugLine(), "995.000000 Dmax=1000000.000000m");

    // The longest numbers, whose exact digits take the formatter's arbitrary-precision path.
    HostHarness huge(
        {"LifeTime = -1.7976931348623157e308", "MaxCamDistance = 1.7976931348623157e308"});
    standin::SimVessel &longest = huge.CreateFromBlock("Longest", {"POS 0 0 0"});
    huge.SetCamera({0, 0, 0}, &longest);
    const AllocationCounts beforeLongest = CurrentAllocationCounts();
    longest.instance->clbkPostStep(0.0, 0.5, 51544.5);
    EXPECT_EQ(CurrentAllocationCounts().allocations, beforeLongest.allocations);
    EXPECT_EQ(huge.DebugLine().substr(0, 12), "-17976931348");
    EXPECT_EQ(huge.DebugLine().size(), DebugStringCapacity - 1);
}

} // namespace
