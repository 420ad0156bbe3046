// A run tells those who watch it of its creations, steps, deletions and camera turns, and of its
// end exactly once, however it ends: at END, on an error in the middle, or before it starts.
#include "standin_host/run/Session.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/simulation/RunObserver.h"
#include "tests/RunParts.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

using brevlet_test::TempFolder;

// Writes down what the run tells it, as "what name@time".
class Witness : public standin::RunObserver {
public:
    void VesselCreated(const standin::RunView &run, const standin::VesselRecord &vessel) override {
        Note("created " + vessel.name, run.Time());
    }
    void CameraTargeted(const standin::RunView &run, const standin::VesselRecord *target) override {
        Note("camera " + (target != nullptr ? target->name : std::string("nothing")), run.Time());
    }
    void StepStarting(const standin::RunView &) override { ++starting; }
    void StepDone(const standin::RunView &run, const standin::StepFacts &facts) override {
        ++done;
        for (const standin::VesselRecord &vessel : run.Vessels()) {
            if (vessel.deletionRequested) {
                Note("deleted " + vessel.name, facts.time);
            }
        }
    }
    void RunEnded(const standin::RunView &run) override { Note("ended", run.Time()); }

    std::vector<std::string> told;
    int starting = 0;
    int done = 0;

private:
    void Note(const std::string &what, double time) {
        std::ostringstream text;
        text << what << '@' << time;
        told.push_back(text.str());
    }
};

// A run of `text` with the class configuration `config`, watched from its start.
struct WatchedRun {
    bool ran = false;
    std::string error;
    std::string log;
    Witness witness;
};

WatchedRun Watch(const std::string &config, const std::string &text) {
    WatchedRun watched;
    TempFolder folder;
    folder.Write("config/Brevlet.cfg", config);
    standin::ScenarioDescription scenario;
    if (!standin::ParseScenario(standin::TextFile{"watched.scn", text}, scenario, watched.error)) {
        ADD_FAILURE() << watched.error;
        return watched;
    }
    std::ostringstream log;
    brevlet_test::RunParts run(scenario, folder / "config", BREVLET_MODULE_FOLDER, log, log);
    run.simulation.AddObserver(watched.witness);
    watched.ran = run.simulation.Run(scenario.end, watched.error);
    watched.log = log.str();
    return watched;
}

struct WatchCase {
    const char *name;
    const char *scenario;
    bool runs; // whether the run reaches its end without an error
    int steps;
    std::vector<std::string> told;
};

TEST(Session, TellsItsObserversOfTheRunAndOfItsEndOnce) {
    const WatchCase cases[] = {
        {"to its end",
         "STEP 1\nEND 4\nCAMERA TARGET A\nVESSEL A Brevlet\nEND_VESSEL\n"
         "AT 1 SPAWN B Brevlet POS 0 0 0\n",
         true,
         4,
         {"created A@0", "camera A@0", "created B@1", "deleted A@2", "camera nothing@2",
          "deleted B@3", "ended@4"}},
        // The coming step would take the vessel past the largest double: the run stops before it.
        {"stopped by an error",
         "STEP 1\nEND 4\nVESSEL A Brevlet\n  POS 1.5e308 0 0\n  VEL 1e308 0 0\nEND_VESSEL\n",
         false,
         0,
         {"created A@0", "ended@0"}},
        {"refused before its start",
         "STEP 1\nEND 4\nVESSEL A Missing\nEND_VESSEL\n",
         false,
         0,
         {"ended@0"}},
    };
    for (const WatchCase &c : cases) {
        SCOPED_TRACE(c.name);
        const WatchedRun run = Watch("LifeTime = 2\n", c.scenario);
        EXPECT_EQ(run.ran, c.runs) << run.error;
        EXPECT_EQ(run.witness.told, c.told) << run.log;
        EXPECT_EQ(run.witness.starting, c.steps);
        EXPECT_EQ(run.witness.done, c.steps);
    }
}

// The camera's events move it while the run goes, and the distance cull follows it: a Brevlet
// 1000 m from the camera at most is culled in the step after the camera has gone farther.
TEST(Session, CameraEventsMoveTheCameraDuringTheRun) {
    const struct {
        const char *event;
        std::vector<std::string> told;
    } cases[] = {
        {"AT 2 CAMERA POS 0 0 5000", {"created A@0", "deleted A@3", "ended@5"}},
        {"AT 1 CAMERA VEL 0 0 600", {"created A@0", "deleted A@3", "ended@5"}},
        {"AT 1 CAMERA VEL 0 0 0", {"created A@0", "ended@5"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.event);
        const WatchedRun run =
            Watch("MaxCamDistance = 1000\n",
                  std::string("STEP 1\nEND 5\nVESSEL A Brevlet\nEND_VESSEL\n") + c.event + "\n");
        EXPECT_TRUE(run.ran) << run.error;
        EXPECT_EQ(run.witness.told, c.told) << run.log;
    }
}

// A run log that raises the run's interrupt flag as a signal would at its first line, which tells
// of the first vessel's creation: the outputs are open and the first step has not been taken.
class SignalAtFirstLogLine : public std::streambuf {
protected:
    int_type overflow(int_type c) override {
        Raise();
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char *, std::streamsize count) override {
        Raise();
        return count;
    }

private:
    static void Raise() { standin::interrupt_detail::signalNumber = SIGTERM; }
};

// The options of a run of `folder`/run.scn, with the classes of `folder`/config, saved to
// `folder`/saved.scn.
standin::HostOptions OptionsIn(const TempFolder &folder) {
    standin::HostOptions options;
    options.scenarioPath = folder / "run.scn";
    options.configFolder = folder / "config";
    options.moduleFolder = BREVLET_MODULE_FOLDER;
    options.outputPath = folder / "saved.scn";
    return options;
}

// How a planned run ends, and what it wrote: to its end, with the scenario saved and the trace
// complete; or stopped by a signal before its first step, with nothing written.
TEST(Session, TellsHowThePlannedRunEndedAndWhatItWrote) {
    for (const bool signalled : {false, true}) {
        SCOPED_TRACE(signalled ? "a signal before the first step" : "to its end");
        TempFolder folder;
        folder.Write("config/Brevlet.cfg", "LifeTime = 2\n");
        folder.Write("run.scn", "STEP 1\nEND 3\nVESSEL A Brevlet\nEND_VESSEL\n");
        standin::HostOptions options = OptionsIn(folder);
        options.tracePath = folder / "trace.csv";
        std::ostringstream out;
        SignalAtFirstLogLine raiser;
        std::ostream signalling(&raiser);
        std::ostringstream err;
        std::string error;
        const std::unique_ptr<standin::Session> session =
            standin::Session::Plan(options, "", signalled ? signalling : out, err, error);
        ASSERT_NE(session, nullptr) << error;
        const standin::RunEnding ending = session->RunToEnd();
        standin::interrupt_detail::signalNumber = 0;

        EXPECT_TRUE(ending.failures.empty());
        EXPECT_FALSE(ending.logIncomplete);
        if (signalled) {
            EXPECT_EQ(ending.how, standin::RunEnding::How::Interrupted);
            EXPECT_EQ(ending.signal, SIGTERM);
            EXPECT_EQ(ending.time, 0.0);
            EXPECT_EQ(ending.interruption,
                      "before the first step; the run's outputs are not written");
            EXPECT_EQ(ending.savedTo, "");
        } else {
            EXPECT_EQ(ending.how, standin::RunEnding::How::Reached);
            EXPECT_EQ(ending.time, 3.0);
            EXPECT_EQ(ending.savedTo, options.outputPath);
        }
        EXPECT_EQ(std::filesystem::exists(options.outputPath), !signalled);
        EXPECT_EQ(std::filesystem::exists(options.tracePath), !signalled);
    }
}

// An output that replaces a file keeps the file's permissions: its owner chose who may read it.
TEST(Session, AReplacedOutputKeepsItsPermissions) {
    namespace fs = std::filesystem;
    TempFolder folder;
    folder.Write("config/Brevlet.cfg", "LifeTime = 2\n");
    folder.Write("run.scn", "STEP 1\nEND 1\nVESSEL A Brevlet\nEND_VESSEL\n");
    folder.Write("saved.scn", "an earlier save\n");
    const fs::perms chosen = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(folder / "saved.scn", chosen);
    const standin::HostOptions options = OptionsIn(folder);
    std::ostringstream out;
    std::ostringstream err;
    std::string error;
    const std::unique_ptr<standin::Session> session =
        standin::Session::Plan(options, "", out, err, error);
    ASSERT_NE(session, nullptr) << error;
    EXPECT_EQ(session->RunToEnd().savedTo, options.outputPath);
    EXPECT_EQ(fs::status(options.outputPath).permissions() & fs::perms::all, chosen);
}

} // namespace
