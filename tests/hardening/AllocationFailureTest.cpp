// A Brevlet that cannot be allocated: ovcInit yields null without constructing or throwing, and
// the host reports the vessel it could not create and goes on with the others. Memory that runs
// out in the host ends the run with a message and replaces no output with a partial one.
#include "host/ModuleEntry.h"
#include "standin_host/modules/ModuleLibrary.h"
#include "standin_host/run/HostRun.h"
#include "tests/AllocationCounter.h"
#include "tests/SavedScenario.h"
#include "tests/hardening/InProcessHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

using brevlet_test::CurrentAllocationCounts;
using brevlet_test::FailedNothrowAllocations;
using brevlet_test::FailNthAllocation;
using brevlet_test::FailNthNothrowAllocation;

std::unique_ptr<standin::ModuleLibrary> LoadBrevlet() {
    std::string error;
    auto module = standin::ModuleLibrary::Load(
        hardening::ModuleFolder() + "/Brevlet" + standin::ModuleLibrary::FileSuffix(), error);
    EXPECT_NE(module, nullptr) << error;
    return module;
}

TEST(AllocationFailure, OvcInitYieldsNullAndTouchesNothing) {
    const auto module = LoadBrevlet();
    ASSERT_NE(module, nullptr);
    // The host's record behind the handle: a constructed Brevlet would be bound to it, and the
    // module would have to be told apart from it only through its calls into the host.
    standin::VesselRecord record;
    record.name = "untouched";

    const std::size_t failedBefore = FailedNothrowAllocations();
    VESSEL *vessel = reinterpret_cast<VESSEL *>(0x1); // must be overwritten with null
    FailNthNothrowAllocation(1);
    EXPECT_NO_THROW(vessel = module->Init()(&record, 1));
    FailNthNothrowAllocation(0);

    EXPECT_EQ(vessel, nullptr);
    EXPECT_EQ(FailedNothrowAllocations(), failedBefore + 1)
        << "ovcInit must allocate the vessel with the nothrow allocation";
    EXPECT_EQ(record.name, "untouched");
    EXPECT_TRUE(record.focusEnabled);
    // Destroying what the failed call returned is harmless.
    module->Exit()(vessel);

    // The next allocation succeeds again: the module keeps no state from the failure.
    VESSEL *next = module->Init()(&record, 1);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetHandle(), &record);
    module->Exit()(next);
}

struct FailureCase {
    const char *name;
    std::size_t failingAllocation; // which creation of the run fails, 1 = the first
    const char *missing;           // the vessel left out
    const char *kept;              // its block in the saved scenario, for a later run
};

class HostGoesOn : public ::testing::TestWithParam<FailureCase> {};

TEST_P(HostGoesOn, ReportsTheVesselAndCreatesTheOthers) {
    const FailureCase &c = GetParam();
    hardening::InProcessHost host("STEP 1\nEND 4\nCAMERA POS 0 0 0\n"
                                  "VESSEL First Brevlet\n  POS 0 0 10\nEND_VESSEL\n"
                                  "VESSEL Second Brevlet\n  POS 0 0 20\nEND_VESSEL\n"
                                  "AT 1 SPAWN Third Brevlet POS 0 0 30\n",
                                  "Module = Brevlet\nLifeTime = 3\n", standin::SimulationOptions{});
    const std::size_t failedBefore = FailedNothrowAllocations();
    std::string error;
    FailNthNothrowAllocation(c.failingAllocation);
    const bool ran = host.Sim().Run(4.0, error);
    FailNthNothrowAllocation(0);
    ASSERT_TRUE(ran) << error;
    EXPECT_EQ(FailedNothrowAllocations(), failedBefore + 1);

    const std::string log = host.Log();
    EXPECT_NE(log.find(std::string("could not create ") + c.missing), std::string::npos) << log;
    for (const std::string name : {"First", "Second", "Third"}) {
        const bool created = log.find("created " + name) != std::string::npos;
        EXPECT_EQ(created, name != c.missing) << name << "\n" << log;
    }
    // The others live on and expire as configured: 3 s after their creation.
    EXPECT_EQ(log.find("[t=3.000] deleted First") != std::string::npos,
              std::string(c.missing) != "First")
        << log;
    EXPECT_EQ(log.find("[t=4.000] deleted Third") != std::string::npos,
              std::string(c.missing) != "Third")
        << log;
    // Nothing is dropped: the saved scenario holds the vessel's block as it stood.
    const std::string saved = brevlet_test::SavedScenario(host.Sim());
    EXPECT_NE(saved.find(c.kept), std::string::npos) << saved;
}

INSTANTIATE_TEST_SUITE_P(
    EachCreation, HostGoesOn,
    ::testing::Values(FailureCase{"FirstOfScenario", 1, "First",
                                  "\nVESSEL First Brevlet\n  POS 0 0 10\nEND_VESSEL\n"},
                      FailureCase{"SecondOfScenario", 2, "Second",
                                  "\nVESSEL Second Brevlet\n  POS 0 0 20\nEND_VESSEL\n"},
                      FailureCase{"SpawnedDuringRun", 3, "Third",
                                  "\nVESSEL Third Brevlet\n  POS 0 0 30\n  VEL 0 0 0\nEND_"
                                  "VESSEL\n"}),
    [](const auto &instance) { return std::string(instance.param.name); });

// Memory that runs out at any allocation of a run (the n-th, for n spread over the whole run) ends
// it with "out of memory" and exit 1; each output is as it was or complete, never partial, and no
// temporary file is left.
TEST(OutOfMemory, EndsTheRunAndLeavesEachOutputAsItWasOrComplete) {
    hardening::TempFolder folder;
    folder.Write("config/Brevlet.cfg", "Module = Brevlet\nLifeTime = 3\n");
    standin::HostOptions options;
    options.scenarioPath = folder.Write(
        "run.scn", "STEP 0.5\nEND 4\nCAMERA POS 0 0 0\nCAMERA TARGET A\n"
                   "VESSEL A Brevlet\n  POS 0 0 10\nEND_VESSEL\nVESSEL B Brevlet\nEND_VESSEL\n"
                   "AT 1 SPAWN C Brevlet POS 0 0 30\nAT 2 SAVE mid.scn\n");
    // A checkpoint lies in the working folder.
    const std::filesystem::path working = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    struct Back {
        std::filesystem::path to;
        ~Back() { std::filesystem::current_path(to); }
    } back{working};
    options.moduleFolder = hardening::ModuleFolder();
    options.outputPath = folder / "out.scn";
    options.tracePath = folder / "trace.csv";
    options.plotPath = folder / "run.svg";
    const std::vector<std::string> outputs = {"out.scn", "trace.csv", "run.svg", "mid.scn"};
    auto run = [&](std::string &err) {
        std::ostringstream out;
        std::ostringstream errors;
        const int status = standin::RunHost(options, "", out, errors);
        err = errors.str();
        return status;
    };

    std::string err;
    const std::size_t before = CurrentAllocationCounts().allocations;
    ASSERT_EQ(run(err), 0) << err;
    const std::size_t allocations = CurrentAllocationCounts().allocations - before;
    std::map<std::string, std::string> complete;
    for (const std::string &name : outputs) {
        complete[name] = hardening::ReadWhole(folder / name);
        ASSERT_FALSE(complete[name].empty()) << name;
    }

    for (std::size_t n = 1; n < allocations; n += 1 + n / 8) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(allocations));
        for (const std::string &name : outputs) {
            folder.Write(name, "previous\n");
        }
        FailNthAllocation(n);
        const int status = run(err);
        FailNthAllocation(0);
        if (status == 0) {
            continue; // the n-th allocation was one that may fail (the module's nothrow ones)
        }
        EXPECT_EQ(status, 1);
        // The log here is a string stream, whose failed growth is a log that was not written.
        EXPECT_TRUE(err.find("standin-host: out of memory") != std::string::npos ||
                    err.find("the run log could not be written") != std::string::npos)
            << err;
        for (const std::string &name : outputs) {
            const std::string now = hardening::ReadWhole(folder / name);
            EXPECT_TRUE(now == "previous\n" || now == complete[name]) << name << ":\n" << now;
        }
        for (const auto &entry : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos)
                << "temporary file left: " << entry.path();
        }
    }
}

} // namespace
