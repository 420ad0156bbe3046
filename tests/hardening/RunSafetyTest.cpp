// The real stand-in host keeps what it is given: outputs that are no regular file are written in
// place, a link stays a link, an unrelated file beside the output survives; an interrupted run
// saves a scenario that continues to the uninterrupted run's result; a log that cannot be written
// ends the run with a failure status after the save.
#include "standin_host/text/NumberText.h"
#include "tests/hardening/HostProcess.h"
#include "tests/hardening/InProcessHost.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sched.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using hardening::TempFolder;

const char keptRun[] = "STEP 1\nEND 2\nCAMERA POS 0 0 0\n"
                       "VESSEL A Brevlet\n  POS 0 0 10\n  LIFETIME -1\nEND_VESSEL\n";

std::vector<std::string> HostArguments(const TempFolder &folder, const std::string &text,
                                       const std::string &output) {
    folder.Write("config/Brevlet.cfg", "Module = Brevlet\nLifeTime = 5\n");
    return {folder.Write("run.scn", text),
            "--config",
            folder / "config",
            "--modules",
            hardening::ModuleFolder(),
            "--output",
            output};
}

struct OutputCase {
    const char *name;
    // Prepares the folder and returns the output path.
    std::string (*setUp)(const TempFolder &folder);
    // Checks the folder after the run; the run itself must succeed.
    void (*check)(const TempFolder &folder);
};

const OutputCase outputCases[] = {
    {"DeviceNodeStaysADevice",
     [](const TempFolder &f) {
         // The device of /dev/null, made where the test may make it.
         if (mknod((f / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
             return std::string("/dev/null"); // not root: the system's own
         }
         return f / "null";
     },
     [](const TempFolder &f) {
         if (fs::exists(f / "null")) {
             EXPECT_TRUE(fs::is_character_file(f / "null"));
         }
         EXPECT_TRUE(fs::is_character_file("/dev/null"));
     }},
    {"SymlinkStaysAndItsTargetIsReplaced",
     [](const TempFolder &f) {
         f.Write("real/target.scn", "old\n");
         fs::create_symlink("real/target.scn", f / "link.scn");
         return f / "link.scn";
     },
     [](const TempFolder &f) {
         EXPECT_TRUE(fs::is_symlink(f / "link.scn"));
         EXPECT_EQ(fs::read_symlink(f / "link.scn"), "real/target.scn");
         EXPECT_NE(hardening::ReadWhole(f / "real/target.scn").find("VESSEL A"), std::string::npos);
     }},
    {"UnrelatedPartialFileSurvives",
     [](const TempFolder &f) {
         f.Write("out.scn.partial", "mine\n");
         fs::create_directory(f / "out.scn.partial-dir");
         return f / "out.scn";
     },
     [](const TempFolder &f) {
         EXPECT_EQ(hardening::ReadWhole(f / "out.scn.partial"), "mine\n");
         EXPECT_NE(hardening::ReadWhole(f / "out.scn").find("VESSEL A"), std::string::npos);
         std::size_t files = 0;
         for (const auto &entry : fs::directory_iterator(f.Path())) {
             files += entry.path().filename().string().rfind("out.scn", 0) == 0 ? 1 : 0;
         }
         EXPECT_EQ(files, 3u) << "a temporary file was left";
     }},
};

class KeptOutput : public ::testing::TestWithParam<OutputCase> {};

TEST_P(KeptOutput, RunSucceedsAndDestroysNothing) {
    TempFolder folder;
    const std::string output = GetParam().setUp(folder);
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(HostArguments(folder, keptRun, output), folder.Path().string());
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    GetParam().check(folder);
}

INSTANTIATE_TEST_SUITE_P(StandInHost, KeptOutput, ::testing::ValuesIn(outputCases),
                         [](const auto &instance) { return std::string(instance.param.name); });

// --output /dev/stdout with the output redirected to a file: the file holds the scenario alone,
// which reads back, and the log goes to the error stream, naming it.
TEST(KeptOutput, StandardOutputRedirectedToAFileGetsTheScenarioAlone) {
    TempFolder folder;
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        HostArguments(folder, keptRun, "/dev/stdout"), folder.Path().string());
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out.rfind("TIME ", 0), 0u) << outcome.out;
    EXPECT_NE(outcome.out.find("VESSEL A"), std::string::npos) << outcome.out;
    const std::size_t created = outcome.err.find("created A");
    const std::size_t saved = outcome.err.find("saved scenario to /dev/stdout");
    EXPECT_TRUE(created < saved && saved != std::string::npos) << outcome.err;
}

// A run of 10^12 steps, interrupted once it is under way: it saves where it stopped, and the
// saved scenario runs on to exactly what the uninterrupted run gives at the same time.
TEST(InterruptedRun, SavesAScenarioThatContinuesToTheSameResult) {
    const std::string longRun = "STEP 0.001\nEND 1e8\nCAMERA POS 0 0 0\nCAMERA TARGET A\n"
                                "VESSEL A Brevlet\n  POS 0 0 10\n  VEL 0 0 1\n  LIFETIME -1\n"
                                "END_VESSEL\nVESSEL B Brevlet\n  LIFETIME 1e6\nEND_VESSEL\n"
                                "AT 0.5 SAVE started.scn\n";
    // Every signal whose default would end the host without a word: a closed terminal's SIGHUP,
    // a timer's, a user's.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGALRM, SIGPWR}) {
        SCOPED_TRACE(signal);
        TempFolder folder;
        hardening::HostConditions interrupt;
        interrupt.signal = signal;
        interrupt.signalOnceExists = folder / "started.scn";
        const hardening::HostOutcome stopped =
            hardening::RunHostProcess(HostArguments(folder, longRun, folder / "stopped.scn"),
                                      folder.Path().string(), interrupt);
        ASSERT_EQ(stopped.exitCode, 128 + signal) << stopped.err;
        EXPECT_NE(stopped.err.find("interrupted by signal"), std::string::npos) << stopped.err;
        const std::string saved = hardening::ReadWhole(folder / "stopped.scn");
        double time = 0.0;
        ASSERT_TRUE(standin::ParseFiniteNumber(saved.substr(5, saved.find('\n') - 5), time));
        ASSERT_GT(time, 0.0) << saved;
        EXPECT_NE(saved.find("LIFETIME -1"), std::string::npos) << saved;

        const std::string until = standin::FormatExact(time + 0.5);
        auto continued = HostArguments(folder, longRun, folder / "continued.scn");
        continued[0] = folder / "stopped.scn";
        continued.insert(continued.end(), {"--until", until});
        auto whole = HostArguments(folder, longRun, folder / "whole.scn");
        whole.insert(whole.end(), {"--until", until});
        ASSERT_EQ(hardening::RunHostProcess(continued, folder.Path().string()).exitCode, 0);
        ASSERT_EQ(hardening::RunHostProcess(whole, folder.Path().string()).exitCode, 0);
        EXPECT_EQ(hardening::ReadWhole(folder / "continued.scn"),
                  hardening::ReadWhole(folder / "whole.scn"));
    }
}

// A run whose TIME lies off the step's grid, paused and continued, ends at the uninterrupted run's
// very TIME, and its repeated SAVE comes at the same times: the continued run writes the same
// last checkpoint and the same saved scenario.
TEST(ContinuedRun, OffTheGridAndWithARepeatedSaveEndsAsTheWholeRun) {
    const std::string offGrid = "TIME 0.1\nSTEP 0.3\nEND 30\n"
                                "VESSEL A Brevlet\n  POS 0 0 10\n  LIFETIME 100\nEND_VESSEL\n"
                                "AT 1 EVERY 2.5 SAVE cp.scn\n";
    TempFolder folder;
    ASSERT_EQ(hardening::RunHostProcess(HostArguments(folder, offGrid, folder / "whole.scn"),
                                        folder.Path().string())
                  .exitCode,
              0);
    const std::string whole = hardening::ReadWhole(folder / "whole.scn");
    const std::string lastCheckpoint = hardening::ReadWhole(folder / "cp.scn");
    EXPECT_EQ(whole.rfind("TIME 30.1\n", 0), 0u) << whole;
    fs::remove(folder / "cp.scn");

    auto paused = HostArguments(folder, offGrid, folder / "paused.scn");
    paused.insert(paused.end(), {"--until", "0.8"});
    ASSERT_EQ(hardening::RunHostProcess(paused, folder.Path().string()).exitCode, 0);
    auto continued = HostArguments(folder, offGrid, folder / "continued.scn");
    continued[0] = folder / "paused.scn";
    ASSERT_EQ(hardening::RunHostProcess(continued, folder.Path().string()).exitCode, 0);
    EXPECT_EQ(hardening::ReadWhole(folder / "continued.scn"), whole);
    EXPECT_EQ(hardening::ReadWhole(folder / "cp.scn"), lastCheckpoint);

    // An origin from which TIME is no whole number of steps is refused.
    const hardening::HostOutcome refused = hardening::RunHostProcess(
        HostArguments(folder, "TIME 0.9\nORIGIN 0\nSTEP 0.3\nEND 3\n", folder / "no.scn"),
        folder.Path().string());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(
        refused.err.find("TIME 0.9 is no step boundary of the clock from ORIGIN 0 by STEP 0.3"),
        std::string::npos)
        << refused.err;
}

// A host blocked writing its log to a reader that does not read ends on the second signal, at
// once: the first asks for the end of the run, which the blocked write keeps from coming.
TEST(SecondSignal, EndsAHostBlockedOnAStalledPipe) {
    std::string fleet = "STEP 1\nEND 1e9\n";
    for (int i = 0; i < 5000; ++i) {
        fleet += "VESSEL Vessel" + std::to_string(i) + " Brevlet\nEND_VESSEL\n";
    }
    TempFolder folder;
    hardening::HostConditions stalled;
    stalled.stdoutPipe = true; // read only once the host has ended
    stalled.whileRunning = [](int pid) {
        // Blocked in the write of its log, the pipe full.
        const std::string wchan = "/proc/" + std::to_string(pid) + "/wchan";
        while (hardening::ReadWhole(wchan).find("pipe_write") == std::string::npos) {
            sched_yield();
        }
        kill(pid, SIGINT);
        kill(pid, SIGTERM);
    };
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        HostArguments(folder, fleet, folder / "out.scn"), folder.Path().string(), stalled);
    // The two may come in either order.
    EXPECT_TRUE(outcome.exitCode == 128 + SIGTERM || outcome.exitCode == 128 + SIGINT)
        << outcome.exitCode << outcome.err;
    EXPECT_FALSE(fs::exists(folder / "out.scn"));
    // What the log holds is whole lines.
    EXPECT_GT(outcome.out.size(), 32768u);
    EXPECT_EQ(outcome.out.back(), '\n');
}

// A run log that cannot be written (a full disk, a pipe closed by `head`) neither kills the run
// nor passes for success: the scenario is saved, then the status says what went wrong.
TEST(UnwritableLog, RunSavesThenFails) {
    for (const bool closedPipe : {false, true}) {
        SCOPED_TRACE(closedPipe ? "closed pipe" : "/dev/full");
        TempFolder folder;
        hardening::HostConditions conditions;
        conditions.stdoutClosedPipe = closedPipe;
        conditions.stdoutPath = closedPipe ? "" : "/dev/full";
        const hardening::HostOutcome outcome = hardening::RunHostProcess(
            HostArguments(folder, keptRun, folder / "out.scn"), folder.Path().string(), conditions);
        EXPECT_EQ(outcome.signal, 0);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_NE(outcome.err.find("the run log could not be written"), std::string::npos)
            << outcome.err;
        EXPECT_NE(hardening::ReadWhole(folder / "out.scn").find("VESSEL A"), std::string::npos);
    }
}

} // namespace

// --quiet keeps the files written and the problems: no creation, deletion, camera or debug line,
// but every output named, a vessel its module could not create, and the warnings.
TEST(QuietLog, KeepsTheFilesWrittenAndTheProblems) {
    TempFolder folder;
    std::vector<std::string> arguments =
        HostArguments(folder,
                      "STEP 1\nEND 3\nCAMERA POS 0 0 0\nCAMERA TARGET A\n"
                      "VESSEL A Brevlet\n  POS 0 0 10\n  LIFETIME 2\n  WOBBLE 1\nEND_VESSEL\n"
                      "AT 1 CAMERA POS 0 0 1\nAT 2 SAVE mid.scn\n",
                      "end.scn");
    arguments.insert(arguments.end(), {"--quiet", "--trace", "run.csv", "--plot", "run.svg"});
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string());
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "[t=2.000] saved scenario to mid.scn\n"
                           "[t=3.000] saved scenario to end.scn\n"
                           "[t=3.000] drew picture in run.svg\n"
                           "[t=3.000] wrote trace to run.csv\n");
    EXPECT_NE(outcome.err.find(":8: warning: scenario line not understood: 'WOBBLE 1'"),
              std::string::npos)
        << outcome.err;
}
