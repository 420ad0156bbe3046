// Every way a Brevlet can expire, with the host destroying the vessel inside its deletion request
// as well as at the end of the step. Under AddressSanitizer any touch of the freed instance after
// the request aborts the test; here the run must also delete each vessel once, at its time.
#include "tests/SavedScenario.h"
#include "tests/hardening/InProcessHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Deletion {
    const char *vessel;
    const char *time; // as the run log prints it
};

struct ExpiryCase {
    const char *name;
    const char *classConfig;
    const char *scenario;
    std::vector<Deletion> deletions;
    std::vector<const char *> survivors;
};

const ExpiryCase expiryCases[] = {
    {"Lifetime",
     "LifeTime = 3\n",
     "STEP 1\nEND 5\nVESSEL A Brevlet\n  POS 0 0 10\nEND_VESSEL\n",
     {{"A", "3.000"}},
     {}},
    {"Distance",
     "MaxCamDistance = 100\n",
     "STEP 1\nEND 5\nCAMERA VEL 0 0 -50\nVESSEL A Brevlet\nEND_VESSEL\n",
     {{"A", "3.000"}},
     {}},
    {"LifetimeAndDistanceInOneStep",
     "LifeTime = 3\nMaxCamDistance = 100\n",
     "STEP 1\nEND 5\nCAMERA VEL 0 0 -50\nVESSEL A Brevlet\nEND_VESSEL\n",
     {{"A", "3.000"}},
     {}},
    {"LifetimeWhileTargeted",
     "LifeTime = 2\nMaxCamDistance = 100\n",
     "STEP 1\nEND 4\nCAMERA TARGET A\nVESSEL A Brevlet\n  POS 0 0 5000\nEND_VESSEL\n",
     {{"A", "2.000"}},
     {}},
    {"DistanceOnceNoLongerTargeted",
     "MaxCamDistance = 100\n",
     "STEP 1\nEND 4\nCAMERA TARGET A\nVESSEL A Brevlet\n  POS 0 0 5000\nEND_VESSEL\n"
     "AT 2 CAMERA TARGET NONE\n",
     {{"A", "3.000"}},
     {}},
    {"LifetimeAtTheFirstStep",
     "LifeTime = 30\n",
     "STEP 1\nEND 3\nVESSEL A Brevlet\n  LIFETIME 0.5\nEND_VESSEL\n",
     {{"A", "1.000"}},
     {}},
    {"DistanceAtTheFirstStep",
     "MaxCamDistance = 100\n",
     "STEP 1\nEND 3\nVESSEL A Brevlet\n  POS 0 0 101\nEND_VESSEL\n",
     {{"A", "1.000"}},
     {}},
    // Several in one step, the camera's target among them, and one that must be left alone.
    {"SeveralInOneStepWithTheTarget",
     "LifeTime = 2\nMaxCamDistance = 1000\n",
     "STEP 1\nEND 4\nCAMERA TARGET B\n"
     "VESSEL A Brevlet\nEND_VESSEL\n"
     "VESSEL B Brevlet\n  POS 0 0 4000\nEND_VESSEL\n"
     "VESSEL C Brevlet\n  POS 0 0 2000\n  LIFETIME 9\nEND_VESSEL\n"
     "VESSEL D Brevlet\n  LIFETIME -1\nEND_VESSEL\n",
     {{"C", "1.000"}, {"A", "2.000"}, {"B", "2.000"}},
     {"D"}},
    {"SpawnedAndGoneAtOnce",
     "LifeTime = 1\n",
     "STEP 1\nEND 3\nAT 1 SPAWN S Brevlet POS 0 0 0\nAT 1 CAMERA TARGET S\n",
     {{"S", "2.000"}},
     {}},
};

class NoTouchAfterDeletion
    : public ::testing::TestWithParam<std::tuple<ExpiryCase, bool /*deleteAtOnce*/>> {};

TEST_P(NoTouchAfterDeletion, EachVesselIsDeletedOnceAtItsTime) {
    const ExpiryCase &c = std::get<0>(GetParam());
    standin::SimulationOptions options;
    options.deleteAtOnce = std::get<1>(GetParam());
    hardening::InProcessHost host(c.scenario, std::string("Module = Brevlet\n") + c.classConfig,
                                  options);
    std::string error;
    ASSERT_TRUE(host.Sim().Run(host.Sim().Time() + 4.0, error)) << error;
    // A snapshot asks every remaining vessel to save itself, as a scenario saved now would.
    standin::ScenarioDescription saved;
    ASSERT_TRUE(standin::ParseScenario(
        standin::TextFile{"saved.scn", brevlet_test::SavedScenario(host.Sim())}, saved, error))
        << error;

    const std::string log = host.Log();
    for (const Deletion &deletion : c.deletions) {
        const std::string line =
            std::string("[t=") + deletion.time + "] deleted " + deletion.vessel;
        const std::size_t at = log.find(line + "\n");
        EXPECT_NE(at, std::string::npos) << line << "\n" << log;
        EXPECT_EQ(log.find(std::string("deleted ") + deletion.vessel + "\n", at + line.size()),
                  std::string::npos)
            << "deleted twice:\n"
            << log;
        EXPECT_EQ(host.Sim().FindVessel(deletion.vessel), nullptr);
    }
    ASSERT_EQ(saved.vessels.size(), c.survivors.size());
    for (std::size_t i = 0; i < c.survivors.size(); ++i) {
        EXPECT_EQ(saved.vessels[i].name, c.survivors[i]);
        EXPECT_NE(host.Sim().FindVessel(c.survivors[i]), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryExpiry, NoTouchAfterDeletion,
                         ::testing::Combine(::testing::ValuesIn(expiryCases), ::testing::Bool()),
                         [](const auto &instance) {
                             return std::string(std::get<0>(instance.param).name) +
                                    (std::get<1>(instance.param) ? "_DeletedAtOnce"
                                                                 : "_DeletedAtStepEnd");
                         });

} // namespace
