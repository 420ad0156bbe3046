// The files of a run, as the real host treats them: an output that is an input or another output's
// file is refused before anything is written, leaving every file as it was; what goes to the
// standard output reads back by itself; each output is named when written or failed; a signal
// ends a wait for a FIFO's reader; memory that runs out ends the run with a message.
#include "tests/hardening/HostProcess.h"
#include "tests/hardening/InProcessHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using hardening::ReadWhole;
using hardening::TempFolder;
using Arguments = std::vector<std::string>;

const std::string scenario = "STEP 1\nEND 3\nCAMERA POS 0 0 0\nVESSEL A Brevlet\n  POS 0 0 10\n"
                             "END_VESSEL\nAT 1 SPAWN B Brevlet POS 0 0 20\n";

// run.scn and its class, by paths relative to the folder the host runs in; `more` is added.
Arguments RunArguments(const TempFolder &f, const Arguments &more,
                       const std::string &text = scenario, const std::string &name = "run.scn") {
    f.Write("config/Brevlet.cfg", "Module = Brevlet\nLifeTime = 5\n");
    f.Write(name, text);
    Arguments arguments = {"--config", "config"};
    // An option may be given once: a case that names its own module folder keeps it.
    if (std::find(more.begin(), more.end(), "--modules") == more.end()) {
        arguments.insert(arguments.end(), {"--modules", hardening::ModuleFolder()});
    }
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.push_back(name);
    return arguments;
}

// Every file in the folder: a file's mode and bytes, a link's target; the host's own streams not.
std::map<std::string, std::string> Snapshot(const TempFolder &f) {
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(f.Path())) {
        const std::string name = entry.path().lexically_relative(f.Path()).string();
        if (name == "host.stdout" || name == "host.stderr") {
            continue;
        }
        struct stat facts {};
        lstat(entry.path().c_str(), &facts);
        files[name] = std::to_string(facts.st_mode) + ":" +
                      (entry.is_symlink()        ? fs::read_symlink(entry.path()).string()
                       : entry.is_regular_file() ? ReadWhole(entry.path())
                                                 : std::string());
    }
    return files;
}

using Prepare = void (*)(const TempFolder &f); // files beyond run.scn and its class

// "a|b|" -> {"a", "b", ""}
std::vector<std::string> Split(const std::string &text) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == '|') {
            parts.emplace_back();
        } else {
            parts.back().push_back(c);
        }
    }
    return text.empty() ? std::vector<std::string>() : parts;
}

struct RefusedCase {
    const char *name;
    const char *more;   // options before run.scn, separated by '|'
    const char *events; // scenario lines added to run.scn
    Prepare prepare;    // null: none
    const char *message;
    int exitCode = 1;
    bool copiedHost = false; // a copy of the host in the folder runs, so that it may be named
};

const RefusedCase refusedCases[] = {
    {"TraceIsTheScenario", "--trace|run.scn", "", nullptr,
     "--trace run\\.scn is the scenario; an output may not replace a file that the run reads"},
    {"TraceIsTheClassConfiguration", "--trace|config/Brevlet.cfg", "", nullptr,
     "--trace config/Brevlet\\.cfg is the class configuration of Brevlet;"},
    {"TraceIsTheModule", "--modules|mods|--trace|mods/Brevlet.so", "",
     [](const TempFolder &f) {
         fs::create_directory(f / "mods");
         fs::copy_file(hardening::ModuleFolder() + "/Brevlet.so", f / "mods/Brevlet.so");
     },
     "--trace mods/Brevlet\\.so is the module of class Brevlet;"},
    {"OutputIsTheScenarioByAHardLink", "--output|again.scn", "",
     [](const TempFolder &f) { fs::create_hard_link(f / "run.scn", f / "again.scn"); },
     "--output again\\.scn is the scenario \\(run\\.scn\\)"},
    {"SaveEventIsTheClassConfiguration", "", "AT 2 SAVE config/Brevlet.scn\n",
     [](const TempFolder &f) { fs::create_symlink("Brevlet.cfg", f / "config/Brevlet.scn"); },
     "run\\.scn:8: SAVE config/Brevlet\\.scn is the class configuration of Brevlet"},
    // A scenario writes checkpoints, and nothing else, only inside the working folder.
    {"SaveEventAbsolute", "", "AT 2 SAVE /tmp/x.scn\n", nullptr,
     "run\\.scn:8: SAVE '/tmp/x\\.scn': a checkpoint is a file inside the working folder; an "
     "absolute path is refused"},
    {"SaveEventUpAndOut", "", "AT 2 SAVE sub/../../x.scn\n", nullptr,
     "run\\.scn:8: SAVE 'sub/\\.\\./\\.\\./x\\.scn': a checkpoint is a file inside the working "
     "folder; '\\.\\.' is refused"},
    {"SaveEventShellCode", "", "AT 9 SAVE $(touch${IFS}PWNED).scn\n", nullptr,
     "run\\.scn:8: SAVE '\\$\\(touch\\$\\{IFS\\}PWNED\\)\\.scn': a checkpoint's name takes "
     "letters, digits"},
    {"SaveEventNotAScenario", "", "AT 2 SAVE notes.txt\n", nullptr,
     "run\\.scn:8: SAVE 'notes\\.txt': a checkpoint's name ends in \\.scn"},
    {"SaveEventWindowsDevice", "", "AT 2 SAVE sub/Nul.scn\n", nullptr,
     "run\\.scn:8: SAVE 'sub/Nul\\.scn': a checkpoint may not take the name of a Windows device"},
    {"SaveEventThroughALinkOut", "", "AT 2 SAVE out.scn\n",
     [](const TempFolder &f) { fs::create_symlink("/tmp/standin-host-never.scn", f / "out.scn"); },
     "run\\.scn:8: SAVE out\\.scn is reached through a symbolic link, which could lead out of the "
     "working folder; a scenario writes checkpoints only inside it, reached without links"},
    {"SaveEventThroughALinkInside", "", "AT 2 SAVE in.scn\n",
     [](const TempFolder &f) { fs::create_symlink("real.scn", f / "in.scn"); },
     "run\\.scn:8: SAVE in\\.scn is reached through a symbolic link"},
    {"SaveEventThroughAFolderLinkOut", "", "AT 2 SAVE sub/x.scn\n",
     [](const TempFolder &f) { fs::create_directory_symlink("/tmp", f / "sub"); },
     "run\\.scn:8: SAVE sub/x\\.scn is reached through a symbolic link"},
    {"SaveEventIntoAFifo", "", "AT 2 SAVE ff2.scn\n",
     [](const TempFolder &f) { mkfifo((f / "ff2.scn").c_str(), 0644); },
     "run\\.scn:8: SAVE ff2\\.scn is not a file of its own; a checkpoint is a scenario file"},
    // Each output is a product of its own, and the run's messages are in none of them.
    {"OutputOnTheStandardError", "--output|/dev/stderr", "", nullptr,
     "--output /dev/stderr is the standard error, which carries the run's messages;"},
    {"OutputIsASocket", "--output|sock", "",
     [](const TempFolder &f) {
         const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (f / "sock").c_str());
         const bool bound =
             bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
         close(fd);
         ASSERT_TRUE(bound) << "cannot make the socket " << address.sun_path;
     },
     "sock: cannot write: is a socket or the like; an output is a file, a device or a FIFO"},
    {"OutputIsAFileOfAFolder", "--output|run.scn/", "", nullptr,
     "run\\.scn/: cannot write: a part of the path is a file, not a folder"},
    {"OutputNamesAFolder", "--output|new/", "", nullptr,
     "new/: cannot write: the name ends in '/', which names a folder"},
    {"PlotIsTheScenario", "--plot|run.scn", "", nullptr, "--plot run\\.scn is the scenario"},
    {"PlotIsTheOutput", "--plot|c.out|--output|c.out", "", nullptr,
     "--plot c\\.out is the same file as --output c\\.out; each output needs a file of its own"},
    {"TraceIsTheOutputByAnotherName", "--trace|sub/../x|--output|x", "",
     [](const TempFolder &f) { fs::create_directory(f / "sub"); },
     "--trace sub/\\.\\./x is the same file as --output x;"},
    {"PlotIsTheTrace", "--trace|x|--plot|x", "", nullptr,
     "--plot x is the same file as --trace x;"},
    {"TraceIsASaveEvent", "--trace|x.scn", "AT 2 SAVE x.scn\n", nullptr,
     "--trace x\\.scn is the same file as SAVE x\\.scn \\(run\\.scn:8\\);"},
    {"TwoOutputsOnTheStandardOutput", "--plot|/dev/stdout|--output|/dev/stdout", "", nullptr,
     "--output and --plot both write the standard output; one product per stream"},
    {"TwoDashOutputs", "--trace|-|--output|-", "", nullptr,
     "--output and --trace both write the standard output; one product per stream"},
    {"UnknownClassLeavesAnExistingTrace", "--trace|trace.csv", "",
     [](const TempFolder &f) {
         f.Write("trace.csv", "mine\n");
         f.Write("run.scn", "STEP 1\nEND 3\nVESSEL A Nonesuch\nEND_VESSEL\n");
     },
     "run\\.scn:3: class Nonesuch: config/Nonesuch\\.cfg: cannot open: .* \\(--config names the "
     "folder of the class configurations\\)"},
    {"OutputIsALoopOfLinks", "--output|la", "",
     [](const TempFolder &f) {
         fs::create_symlink("lb", f / "la");
         fs::create_symlink("la", f / "lb");
     },
     "la: cannot write: a loop of symbolic links"},
    // The saved scenario's temporary file, made when the run was planned, goes with the refusal.
    {"TraceInAMissingFolderAfterAPlannedOutput", "--output|out.scn|--trace|nowhere/t.csv", "",
     [](const TempFolder &f) { f.Write("out.scn", "mine\n"); },
     "nowhere/t\\.csv: cannot write: the folder nowhere does not exist"},
    {"ReadOnlyOutput", "--output|out.scn", "",
     [](const TempFolder &f) { chmod(f.Write("out.scn", "mine\n").c_str(), 0444); },
     "out\\.scn: cannot write: the file is read-only \\(its owner protected it\\)"},
    {"ReadOnlyTraceBehindALink", "--trace|trace.csv", "",
     [](const TempFolder &f) {
         chmod(f.Write("real/trace.csv", "mine\n").c_str(), 0444);
         fs::create_symlink("real/trace.csv", f / "trace.csv");
     },
     "trace\\.csv: cannot write: the file is read-only"},
    {"ScenarioLikeAnOptionWithoutDoubleDash", "-x.scn", "", nullptr,
     "unknown option -x\\.scn \\(a scenario whose name starts with '-' goes after --\\)", 2},
    // As END before TIME is: a run that would end before it starts.
    {"UntilBeforeTime", "--until|-5", "", nullptr, "run\\.scn: --until -5 lies before TIME 0"},
    {"OutputIsTheHostProgram", "--output|standin-host", "", nullptr,
     "--output standin-host is the host program \\(/[^)]*/standin-host\\); an output may not", 1,
     true},
    {"TraceIsTheHostProgramByALink", "--trace|host", "",
     [](const TempFolder &f) { fs::create_symlink("standin-host", f / "host"); },
     "--trace host is the host program \\(", 1, true},
};

class RefusedFiles : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedFiles, NameBothRolesAndTouchNothing) {
    const RefusedCase &c = GetParam();
    TempFolder folder;
    folder.Write("out.scn.before", "kept\n");
    const Arguments arguments = RunArguments(folder, Split(c.more), scenario + c.events);
    hardening::HostConditions conditions;
    if (c.copiedHost) {
        conditions.program = folder / "standin-host";
        fs::copy_file(BREVLET_STANDIN_HOST, conditions.program);
    }
    if (c.prepare != nullptr) {
        c.prepare(folder);
    }
    const auto before = Snapshot(folder);
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string(), conditions);
    EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.err;
    EXPECT_TRUE(
        std::regex_search(outcome.err, std::regex("^standin-host: .*" + std::string(c.message))))
        << "expected: " << c.message << "\nfound: " << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(Snapshot(folder), before);
}

INSTANTIATE_TEST_SUITE_P(StandInHost, RefusedFiles, ::testing::ValuesIn(refusedCases),
                         [](const auto &instance) { return std::string(instance.param.name); });

struct WrittenCase {
    const char *name;
    const char *more;
    const char *events;
    Prepare prepare;
    int exitCode;
    const char *logged; // lines in the log, in this order, separated by '|'
    const char *failed; // matched against the error stream; null: it is empty
    const char *scenarioName = "run.scn";
};

const char failedFull[] = "^standin-host: /dev/full: cannot write: [^\n]+\n$";

const WrittenCase writtenCases[] = {
    {"DevNullTakesEveryOutput", "--output|/dev/null|--trace|/dev/null|--plot|/dev/null", "",
     nullptr, 0, "saved scenario to /dev/null|drew picture in /dev/null|wrote trace to /dev/null",
     nullptr},
    {"SaveEventsUpdateOneCheckpoint", "", "AT 1 SAVE mid.scn\nAT 2 SAVE mid.scn\n", nullptr, 0,
     "[t=1.000] saved scenario to mid.scn|[t=2.000] saved scenario to mid.scn|saved scenario to "
     "run.saved.scn",
     nullptr},
    {"SaveEventsUpdateOneCheckpointInAFolder", "", "AT 1 SAVE cp/mid.scn\nAT 2 SAVE cp/mid.scn\n",
     [](const TempFolder &f) { fs::create_directory(f / "cp"); }, 0,
     "[t=1.000] saved scenario to cp/mid.scn|[t=2.000] saved scenario to cp/mid.scn|saved "
     "scenario to run.saved.scn",
     nullptr},
    {"TraceThroughALinkReplacesItsTarget", "--trace|trace.csv", "",
     [](const TempFolder &f) {
         f.Write("real/trace.csv", "old\n");
         fs::create_symlink("real/trace.csv", f / "trace.csv");
     },
     0, "saved scenario to run.saved.scn|wrote trace to trace.csv", nullptr},
    {"FailedPictureDoesNotHideTheSave", "--plot|/dev/full|--trace|t.csv", "", nullptr, 1,
     "saved scenario to run.saved.scn|wrote trace to t.csv", failedFull},
    {"FailedOutputStillDrawsThePicture", "--output|/dev/full|--plot|p.svg", "", nullptr, 1,
     "drew picture in p.svg", failedFull},
    {"FailedTraceStillSavesAndDraws", "--trace|/dev/full|--plot|p.svg", "", nullptr, 1,
     "saved scenario to run.saved.scn|drew picture in p.svg", failedFull},
    {"ScenarioLikeAnOptionAfterDoubleDash", "--output|out.scn|--", "", nullptr, 0,
     "saved scenario to out.scn", nullptr, "-x.scn"},
};

class WrittenFiles : public ::testing::TestWithParam<WrittenCase> {};

TEST_P(WrittenFiles, EachNamedWhenWrittenOrFailed) {
    const WrittenCase &c = GetParam();
    TempFolder folder;
    const Arguments arguments =
        RunArguments(folder, Split(c.more), scenario + c.events, c.scenarioName);
    if (c.prepare != nullptr) {
        c.prepare(folder);
    }
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string());
    EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.err;
    std::size_t at = 0;
    for (const std::string &line : Split(c.logged)) {
        at = outcome.out.find(line + "\n", at);
        EXPECT_NE(at, std::string::npos) << line << " in:\n" << outcome.out;
    }
    if (c.failed == nullptr) {
        EXPECT_EQ(outcome.err, "");
    } else {
        EXPECT_TRUE(std::regex_search(outcome.err, std::regex(c.failed))) << outcome.err;
    }
    for (const auto &entry : fs::recursive_directory_iterator(folder.Path())) {
        EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos) << entry.path();
        if (entry.is_regular_file() && entry.path().extension() == ".csv") {
            EXPECT_EQ(ReadWhole(entry.path()).rfind("time,vessel,", 0), 0u) << entry.path();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(StandInHost, WrittenFiles, ::testing::ValuesIn(writtenCases),
                         [](const auto &instance) { return std::string(instance.param.name); });

// The number of fields of each CSV line; quoted fields may hold commas.
std::vector<std::size_t> FieldsPerLine(const std::string &text) {
    std::vector<std::size_t> counts(1, 1);
    bool quoted = false;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        quoted = text[i] == '"' ? !quoted : quoted;
        counts.back() += !quoted && text[i] == ',' ? 1 : 0;
        if (!quoted && text[i] == '\n') {
            counts.push_back(1);
        }
    }
    return counts;
}

// An output on the standard output, a file or a pipe, gets it to itself and reads back whole; the
// log goes to the error stream and names it.
TEST(StandardOutput, HoldsOneProductThatReadsBack) {
    for (const bool pipe : {false, true}) {
        for (const std::string option : {"--trace", "--output", "--plot"}) {
            SCOPED_TRACE(option + (pipe ? " into a pipe" : " into a file"));
            TempFolder folder;
            hardening::HostConditions conditions;
            conditions.stdoutPipe = pipe;
            Arguments more = {option, "/dev/stdout"};
            if (option != "--output") {
                more.insert(more.end(), {"--output", "out.scn"});
            }
            const hardening::HostOutcome outcome = hardening::RunHostProcess(
                RunArguments(folder, more), folder.Path().string(), conditions);
            ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
            EXPECT_TRUE(std::regex_search(outcome.err, std::regex("\\] created A[^]*\\] "
                                                                  "[a-z ]+ /dev/stdout\n$")))
                << outcome.err;
            const std::string &out = outcome.out;
            EXPECT_EQ(out.find("[t="), std::string::npos) << out;
            if (option == "--trace") {
                EXPECT_EQ(out.rfind("time,vessel,", 0), 0u) << out;
                const std::vector<std::size_t> fields = FieldsPerLine(out);
                EXPECT_EQ(fields, std::vector<std::size_t>(8, 10)) << out;
            } else if (option == "--plot") {
                EXPECT_EQ(out.rfind("<?xml", 0), 0u);
                EXPECT_EQ(out.substr(out.size() - 7), "</svg>\n");
            } else {
                folder.Write("back.scn", out);
                const hardening::HostOutcome back = hardening::RunHostProcess(
                    {"--config", "config", "--modules", hardening::ModuleFolder(), "back.scn"},
                    folder.Path().string());
                EXPECT_EQ(back.exitCode, 0) << back.err;
                EXPECT_EQ(back.err, "");
            }
        }
    }
}

// A host started without its standard output or error (`>&-`) writes nothing of its log or its
// messages into the files it opens: the trace stays CSV, the saved scenario runs again. What goes
// to the closed stream is lost, as into /dev/null; a failed output still fails the run.
TEST(ClosedStandardStream, TakesNoOutputsFile) {
    for (const int stream : {1, 2}) {
        SCOPED_TRACE("stream " + std::to_string(stream));
        TempFolder folder;
        hardening::HostConditions conditions;
        conditions.closedStream = stream;
        const hardening::HostOutcome outcome = hardening::RunHostProcess(
            RunArguments(folder, {"--verbose", "--trace", "t.csv", "--plot", "/dev/full",
                                  "--output", "out.scn"}),
            folder.Path().string(), conditions);
        EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
        const std::string trace = ReadWhole(folder / "t.csv");
        EXPECT_EQ(FieldsPerLine(trace), std::vector<std::size_t>(8, 10)) << trace;
        EXPECT_EQ(ReadWhole(folder / "out.scn").find("standin-host"), std::string::npos);
        EXPECT_EQ(ReadWhole(folder / "out.scn").find("[t="), std::string::npos);
        EXPECT_EQ(stream == 1 ? outcome.out : outcome.err, "");
    }
}

// An output that is a FIFO nobody reads: one SIGINT or SIGTERM, sent once the host waits for a
// reader, ends the wait, with the status of the signal; an existing output is left as it was.
TEST(FifoWithoutReader, OneSignalEndsTheWait) {
    for (const std::string option : {"--output", "--trace"}) {
        for (const int signal : {SIGINT, SIGTERM}) {
            SCOPED_TRACE(option + " " + std::to_string(signal));
            TempFolder folder;
            ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0644), 0);
            folder.Write("out.scn", "mine\n");
            Arguments more = {option, "fifo"};
            if (option != "--output") {
                more.insert(more.end(), {"--output", "out.scn"});
            }
            hardening::HostConditions conditions;
            bool waited = false;
            conditions.whileRunning = [&](int pid) {
                // Between two tries to open the FIFO, the host sleeps: nowhere else.
                waited =
                    hardening::WaitUntilInSystemCall(pid, {SYS_nanosleep, SYS_clock_nanosleep});
                kill(pid, signal);
            };
            const hardening::HostOutcome outcome = hardening::RunHostProcess(
                RunArguments(folder, more), folder.Path().string(), conditions);
            EXPECT_TRUE(waited) << "the host did not wait for a reader";
            EXPECT_EQ(outcome.exitCode, 128 + signal) << outcome.err;
            EXPECT_NE(outcome.err.find("fifo: cannot write: interrupted while waiting for a "
                                       "reader"),
                      std::string::npos)
                << outcome.err;
            EXPECT_EQ(ReadWhole(folder / "out.scn"), "mine\n");
            EXPECT_TRUE(fs::is_fifo(folder / "fifo"));
        }
    }
}

// A trace into a pipe whose reader does not read: one SIGTERM, sent once the host waits for room
// in the pipe, ends the blocked write and the run, the trace reported as not written in full. (The
// pipe is read only once the host has ended.)
TEST(BlockedWrite, OneSignalEndsIt) {
    TempFolder folder;
    hardening::HostConditions conditions;
    conditions.stdoutPipe = true;
    bool waited = false;
    conditions.whileRunning = [&](int pid) {
        // The host waits for room in a pipe in poll(), and nowhere else in this run.
        waited = hardening::WaitUntilInSystemCall(pid, {SYS_poll, SYS_ppoll});
        kill(pid, SIGTERM);
        siginfo_t info{};
        waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    };
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, {"--output", "/dev/null", "--trace", "/dev/stdout"},
                     "STEP 0.001\nEND 100\nVESSEL A Brevlet\n  LIFETIME -1\nEND_VESSEL\n"),
        folder.Path().string(), conditions);
    EXPECT_TRUE(waited) << "the host did not wait for room in the pipe";
    EXPECT_EQ(outcome.exitCode, 143) << outcome.err;
    EXPECT_TRUE(std::regex_search(
        outcome.err, std::regex("\\] saved scenario to /dev/null\nstandin-host: /dev/stdout: "
                                "cannot write: interrupted while its "
                                "reader did not read\nstandin-host: interrupted by signal 15 at "
                                "simulation time [0-9.]+; the scenario as it stands is saved to "
                                "/dev/null\n$")))
        << outcome.err;
}

// A signal while the scenario is still being read (here from a FIFO, fed after the signal) ends
// the run before it starts: no output is written, none replaced by the unrun scenario.
TEST(InterruptedBeforeTheRun, WritesNothing) {
    TempFolder folder;
    Arguments arguments = RunArguments(folder, {"--output", "out.scn", "--trace", "t.csv"});
    folder.Write("out.scn", "mine\n");
    folder.Write("t.csv", "mine\n");
    fs::remove(folder / "run.scn");
    ASSERT_EQ(mkfifo((folder / "run.scn").c_str(), 0644), 0);
    hardening::HostConditions conditions;
    conditions.whileRunning = [&](int pid) {
        const int fd = open((folder / "run.scn").c_str(), O_WRONLY); // the host is reading
        kill(pid, SIGINT);
        // The host may have read it, or given up waiting for it, which the write then tells.
        signal(SIGPIPE, SIG_IGN);
        (void)!write(fd, scenario.data(), scenario.size());
        close(fd);
    };
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string(), conditions);
    EXPECT_EQ(outcome.exitCode, 130) << outcome.err;
    EXPECT_TRUE(std::regex_match(
        outcome.err,
        std::regex("standin-host: interrupted by signal 2 before the run started(; nothing is "
                   "written|: run\\.scn: cannot open: interrupted while waiting for a writer|: "
                   "run\\.scn: cannot read: interrupted while waiting for its writer)\n")))
        << outcome.err;
    EXPECT_EQ(ReadWhole(folder / "out.scn"), "mine\n");
    EXPECT_EQ(ReadWhole(folder / "t.csv"), "mine\n");
}

// A SIGTERM that comes while the run that reached its end is saving (into a FIFO whose reader
// holds the save back) stops nothing: the save completes and the run ends as finished.
TEST(SignalDuringTheFinalSave, ReportsAFinishedRun) {
    TempFolder folder;
    std::string many = "STEP 1\nEND 2\n";
    for (int i = 0; i < 3000; ++i) {
        many +=
            "VESSEL V" + std::to_string(i) + " Brevlet\n  POS 0 0 1\n  LIFETIME -1\nEND_VESSEL\n";
    }
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0644), 0);
    std::string saved;
    hardening::HostConditions conditions;
    conditions.whileRunning = [&](int pid) {
        const int fd = open((folder / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
        int waiting = 0;
        // A full pipe: the host has finished its run and waits in the save's write.
        for (int i = 0; i < 3000 && (ioctl(fd, FIONREAD, &waiting) != 0 || waiting < 65536); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid, SIGTERM);
        fcntl(fd, F_SETFL, 0);
        char chunk[65536];
        for (ssize_t got = 0; (got = read(fd, chunk, sizeof chunk)) > 0;) {
            saved.append(chunk, static_cast<std::size_t>(got));
        }
        close(fd);
    };
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, {"--output", "fifo"}, many), folder.Path().string(), conditions);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(saved.rfind("TIME 2\n", 0), 0u);
    EXPECT_NE(saved.find("VESSEL V2999 Brevlet\n"), std::string::npos);
    EXPECT_NE(outcome.out.find("saved scenario to fifo\n"), std::string::npos);
}

// A trace whose folder goes while the run writes it fails the run, once the scenario is saved.
TEST(TraceFolderRemovedDuringTheRun, FailsTheRun) {
    TempFolder folder;
    fs::create_directory(folder / "traces");
    hardening::HostConditions conditions;
    conditions.whileRunning = [&](int) {
        // Once the run is under way, the trace (which may have no name yet) is open.
        for (int i = 0; i < 3000 && !fs::exists(folder / "started.scn"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::error_code ec;
        fs::remove_all(folder / "traces", ec);
    };
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, {"--trace", "traces/t.csv", "--trace-every", "1000"},
                     "STEP 0.001\nEND 3000\nVESSEL A Brevlet\n  LIFETIME -1\nEND_VESSEL\n"
                     "AT 0.5 SAVE started.scn\n"),
        folder.Path().string(), conditions);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("traces/t.csv: cannot replace: "), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.out.find("saved scenario to run.saved.scn"), std::string::npos);
}

// Memory that runs out while the scenario is read ends the host with a message and exit 1, not an
// abort, and the output stays as it was. (A sanitizer's allocator cannot live with the limit.)
TEST(OutOfMemory, WhileReadingEndsWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
#endif
    TempFolder folder;
    // 64 MiB of block lines, which the host keeps for the module.
    std::string big = "STEP 1\nEND 2\nVESSEL A Brevlet\n";
    const std::string line = "  NOTE " + std::string(57, 'x') + "\n";
    big.reserve(big.size() + (line.size() << 20) + 16);
    for (int i = 0; i < (1 << 20); ++i) {
        big += line;
    }
    big += "END_VESSEL\n";
    folder.Write("out.scn", "mine\n");
    hardening::HostConditions conditions;
    conditions.memoryLimit = 48L << 20;
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, {"--output", "out.scn"}, big), folder.Path().string(), conditions);
    EXPECT_EQ(outcome.signal, 0);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("standin-host: out of memory"), std::string::npos) << outcome.err;
    EXPECT_EQ(ReadWhole(folder / "out.scn"), "mine\n");
}

// Help and version that cannot be written fail the program.
TEST(HelpAndVersion, IntoAFullDeviceFail) {
    for (const std::string option : {"--help", "--version"}) {
        TempFolder folder;
        hardening::HostConditions conditions;
        conditions.stdoutPath = "/dev/full";
        const hardening::HostOutcome outcome =
            hardening::RunHostProcess({option}, folder.Path().string(), conditions);
        EXPECT_EQ(outcome.exitCode, 1) << option;
        EXPECT_EQ(outcome.err, "standin-host: cannot write to the standard output\n");
    }
}

} // namespace

namespace {

// A checkpoint whose pending SAVE names it continues: stopped at 3, cp.scn holds time 2 and the
// SAVE at 4; run again, it goes on from 2 and updates itself at 4.
TEST(Checkpoint, ThatNamesItselfContinues) {
    TempFolder folder;
    const std::string checkpoint =
        "STEP 1\nEND 5\nVESSEL A Brevlet\n  LIFETIME 100\nEND_VESSEL\nAT 2 SAVE cp.scn\n"
        "AT 4 SAVE cp.scn\n";
    Arguments first = RunArguments(folder, {"--until", "3"}, checkpoint, "cp.scn");
    const hardening::HostOutcome stopped = hardening::RunHostProcess(first, folder.Path().string());
    ASSERT_EQ(stopped.exitCode, 0) << stopped.err;
    std::string saved = ReadWhole(folder / "cp.scn");
    EXPECT_EQ(saved.rfind("TIME 2\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("\nAT 4 SAVE cp.scn\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("AT 2 SAVE"), std::string::npos) << saved;

    const Arguments again = {"--config", "config", "--modules", hardening::ModuleFolder(),
                             "cp.scn"};
    const hardening::HostOutcome continued =
        hardening::RunHostProcess(again, folder.Path().string());
    ASSERT_EQ(continued.exitCode, 0) << continued.err;
    EXPECT_NE(continued.out.find("[t=4.000] saved scenario to cp.scn\n"), std::string::npos)
        << continued.out;
    saved = ReadWhole(folder / "cp.scn");
    EXPECT_EQ(saved.rfind("TIME 4\n", 0), 0u) << saved;
    EXPECT_EQ(saved.find("SAVE"), std::string::npos) << saved;
}

// A long run, saving started.scn once it is under way.
const std::string longRun = "STEP 0.001\nEND 1e8\nVESSEL A Brevlet\n  LIFETIME -1\nEND_VESSEL\n"
                            "AT 0.5 SAVE started.scn\n";

void WaitFor(const fs::path &file) {
    for (int i = 0; i < 3000 && !fs::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A signal that the host was started with ignored (a script's background job) stays ignored; the
// SIGTERM after it ends the run.
TEST(IgnoredSignal, StaysIgnored) {
    TempFolder folder;
    hardening::HostConditions conditions;
    conditions.ignoredSignal = SIGINT;
    conditions.whileRunning = [&](int pid) {
        WaitFor(folder / "started.scn");
        kill(pid, SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(pid, SIGTERM);
    };
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, {"--output", "out.scn"}, longRun), folder.Path().string(), conditions);
    EXPECT_EQ(outcome.exitCode, 128 + SIGTERM) << outcome.err;
    EXPECT_NE(ReadWhole(folder / "out.scn").find("VESSEL A"), std::string::npos);
}

// A scenario that is a FIFO whose writer never comes, or writes a little and stalls: one signal
// ends the wait, and nothing is written. A writer that goes on after a pause is waited for.
TEST(StalledFifo, OneSignalEndsTheWait) {
    const struct {
        const char *what;
        const char *first; // written before the host starts; null: no writer
        const char *rest;  // written after a pause, and the FIFO closed; null: a signal instead
        const char *message;
    } cases[] = {
        {"no writer", nullptr, nullptr, "cannot open: interrupted while waiting for a writer"},
        {"a writer that stalls", "STEP 1\n", nullptr,
         "cannot read: interrupted while waiting for its writer"},
        {"a writer that goes on", "STEP 1\n", "END 2\nVESSEL A Brevlet\nEND_VESSEL\n", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        Arguments arguments = RunArguments(folder, {"--output", "out.scn"});
        fs::remove(folder / "run.scn");
        ASSERT_EQ(mkfifo((folder / "run.scn").c_str(), 0644), 0);
        // Opened for reading and writing, the FIFO does not wait for a reader; the host does not
        // inherit it, so that its close is the end of the file.
        int writer = -1;
        if (c.first != nullptr) {
            writer = open((folder / "run.scn").c_str(), O_RDWR | O_CLOEXEC);
            ASSERT_GE(writer, 0);
            ASSERT_EQ(write(writer, c.first, std::strlen(c.first)),
                      static_cast<ssize_t>(std::strlen(c.first)));
        }
        hardening::HostConditions conditions;
        bool waited = false;
        conditions.whileRunning = [&](int pid) {
            // The host waits for the writer in poll(), and nowhere else in this run.
            waited = hardening::WaitUntilInSystemCall(pid, {SYS_poll, SYS_ppoll});
            if (c.rest != nullptr) {
                (void)!write(writer, c.rest, std::strlen(c.rest));
                close(writer);
                writer = -1;
            } else {
                kill(pid, SIGHUP);
            }
        };
        const hardening::HostOutcome outcome =
            hardening::RunHostProcess(arguments, folder.Path().string(), conditions);
        if (writer >= 0) {
            close(writer);
        }
        EXPECT_TRUE(waited) << "the host did not wait for the FIFO's writer";
        if (c.message == nullptr) {
            EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
            EXPECT_NE(ReadWhole(folder / "out.scn").find("VESSEL A"), std::string::npos);
            continue;
        }
        EXPECT_EQ(outcome.exitCode, 128 + SIGHUP) << outcome.err;
        EXPECT_EQ(outcome.err, "standin-host: interrupted by signal 1 before the run started: "
                               "run.scn: " +
                                   std::string(c.message) + "\n");
        EXPECT_FALSE(fs::exists(folder / "out.scn"));
    }
}

// A file of NULs is refused at its first block, while its writer still writes (a FIFO held
// open), and a class configuration past two megabytes is refused, not read whole.
TEST(NotText, IsRefusedFromItsFirstBlock) {
    TempFolder folder;
    Arguments arguments = RunArguments(folder, {"--output", "out.scn"});
    fs::remove(folder / "run.scn");
    ASSERT_EQ(mkfifo((folder / "run.scn").c_str(), 0644), 0);
    const int writer = open((folder / "run.scn").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const std::string nuls(4096, '\0');
    ASSERT_EQ(write(writer, nuls.data(), nuls.size()), static_cast<ssize_t>(nuls.size()));
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string());
    close(writer);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err.rfind("standin-host: run.scn:1: holds a NUL byte; not a text file", 0),
              0u)
        << outcome.err;

    TempFolder large;
    arguments = RunArguments(large, {"--output", "out.scn"});
    std::string config = "Module = Brevlet\n";
    while (config.size() <= (std::size_t{2} << 20)) {
        config += "; " + std::string(61, 'x') + "\n";
    }
    large.Write("config/Brevlet.cfg", config);
    const hardening::HostOutcome refused =
        hardening::RunHostProcess(arguments, large.Path().string());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("class Brevlet: config/Brevlet.cfg: larger than 2097152 bytes"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(large / "out.scn"));
}

// The run's own lines are written before its outputs: an output that waits (a FIFO without a
// reader) finds the log already naming what the run did.
TEST(RunLog, NamesTheRunBeforeAnyOutputIsWritten) {
    TempFolder folder;
    ASSERT_EQ(mkfifo((folder / "out.fifo").c_str(), 0644), 0);
    hardening::HostConditions conditions;
    conditions.stdoutPath = folder / "log.txt"; // a file: the log holds its lines
    bool loggedFirst = false;
    conditions.whileRunning = [&](int pid) {
        // Once it waits for the FIFO's reader (asleep between tries to open it), the log is there.
        EXPECT_TRUE(hardening::WaitUntilInSystemCall(pid, {SYS_nanosleep, SYS_clock_nanosleep}));
        loggedFirst = ReadWhole(folder / "log.txt").find("created A") != std::string::npos;
        const int reader = open((folder / "out.fifo").c_str(), O_RDONLY);
        char chunk[4096];
        while (read(reader, chunk, sizeof chunk) > 0) {
        }
        close(reader);
    };
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, {"--output", "out.fifo"}), folder.Path().string(), conditions);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_TRUE(loggedFirst) << "the log named nothing while the output waited for its reader";
}

// Every file in `folder` whose name holds `part`, sorted.
std::vector<std::string> NamesIn(const fs::path &folder, const std::string &part) {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(part) != std::string::npos) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A run removes no file for its name: files named as a run's temporary files (a live run's, one of
// no process, a user's own) stay, and so do a second host's outputs in the same folder, written
// while the first runs; a run killed with SIGKILL leaves no temporary file where the file system
// makes unnamed ones.
TEST(TemporaryFiles, AreNeverRemovedByTheirName) {
    TempFolder folder;
    const std::vector<std::string> lookalikes = {
        "budget.partial-2024-review", "out.scn.partial-" + std::to_string(getpid()) + "-abcdef",
        "t.csv.partial-999999999-abcdef"};
    for (const std::string &name : lookalikes) {
        folder.Write(name, "mine\n");
    }
    hardening::HostConditions conditions;
    hardening::HostOutcome second;
    conditions.whileRunning = [&](int pid) {
        WaitFor(folder / "started.scn");
        second =
            hardening::RunHostProcess({"--config", "config", "--modules", hardening::ModuleFolder(),
                                       "--output", "b.scn", "--trace", "b.csv", "second.scn"},
                                      folder.Path().string());
        kill(pid, SIGKILL);
    };
    folder.Write("second.scn", "STEP 1\nEND 3\nVESSEL B Brevlet\nEND_VESSEL\n");
    const hardening::HostOutcome killed = hardening::RunHostProcess(
        RunArguments(folder, {"--output", "out.scn", "--trace", "t.csv"}, longRun),
        folder.Path().string(), conditions);
    EXPECT_EQ(killed.signal, SIGKILL);
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(ReadWhole(folder / "b.csv").rfind("time,vessel,", 0), 0u);
    EXPECT_EQ(ReadWhole(folder / "b.scn").rfind("TIME 3\n", 0), 0u);
    std::vector<std::string> sorted = lookalikes;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(NamesIn(folder.Path(), ".partial-"), sorted);
    for (const std::string &name : lookalikes) {
        EXPECT_EQ(ReadWhole(folder / name), "mine\n") << name;
    }
}

// The run is held on a trace FIFO that `change` reads only once it has changed the folders, after
// the plan; the trace must read back.
hardening::HostOutcome RunChangedMidRun(const TempFolder &folder, const Arguments &more,
                                        const std::string &events,
                                        const std::function<void()> &change) {
    EXPECT_EQ(mkfifo((folder / "trace.fifo").c_str(), 0644), 0);
    hardening::HostConditions conditions;
    std::string trace;
    conditions.whileRunning = [&](int) {
        const int reader = open((folder / "trace.fifo").c_str(), O_RDONLY | O_CLOEXEC);
        change();
        char chunk[65536];
        for (ssize_t got = 0; (got = read(reader, chunk, sizeof chunk)) > 0;) {
            trace.append(chunk, static_cast<std::size_t>(got));
        }
        close(reader);
    };
    Arguments arguments = {"--trace", "trace.fifo"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, arguments,
                     "STEP 0.001\nEND 60\nVESSEL A Brevlet\n  LIFETIME -1\nEND_VESSEL\n" + events),
        folder.Path().string(), conditions);
    EXPECT_EQ(trace.rfind("time,vessel,", 0), 0u);
    return outcome;
}

// A checkpoint whose folder is removed during the run is reported with its reason, each time, and
// the run goes on to its end, writes its other checkpoints and its outputs, and exits 1.
TEST(CheckpointsThatFailMidRun, TakeNothingElseDown) {
    TempFolder folder;
    fs::create_directory(folder / "gone");
    const hardening::HostOutcome outcome = RunChangedMidRun(
        folder, {}, "AT 50 SAVE gone/cp.scn\nAT 51 SAVE gone/cp.scn\nAT 52 SAVE cp.scn\n",
        [&] { fs::remove(folder / "gone"); });
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "standin-host: run.scn:6: gone/cp.scn: cannot write: the folder gone "
                           "does not exist\n"
                           "standin-host: run.scn:7: gone/cp.scn: cannot write: the folder gone "
                           "does not exist\n");
    EXPECT_NE(outcome.out.find("[t=50.000] did not save scenario: run.scn:6: gone/cp.scn: "),
              std::string::npos)
        << outcome.out;
    EXPECT_NE(outcome.out.find("[t=52.000] saved scenario to cp.scn\n"), std::string::npos);
    EXPECT_NE(outcome.out.find("saved scenario to run.saved.scn\n"), std::string::npos);
    EXPECT_EQ(ReadWhole(folder / "run.saved.scn").rfind("TIME 60\n", 0), 0u);
    EXPECT_FALSE(fs::exists(folder / "gone"));
}

// A folder swapped for a link to a folder outside once the run is planned leads none of its writes
// there: the user's own outputs go to the folder that was planned, which the run holds, and a
// checkpoint, reached again from the working folder, fails with the link as its reason.
TEST(FolderSwappedForALinkMidRun, LeadsNoWriteOutOfThePlannedFolder) {
    TempFolder folder;
    TempFolder outside;
    fs::create_directory(folder / "sub");
    folder.Write("sub/out.scn", "old\n");
    const hardening::HostOutcome outcome =
        RunChangedMidRun(folder, {"--output", "sub/out.scn", "--plot", "sub/p.svg"},
                         "AT 50 SAVE sub/cp.scn\nAT 53 SAVE sub/cp.scn\n", [&] {
                             fs::rename(folder / "sub", folder / "sub.real");
                             fs::create_directory_symlink(outside.Path(), folder / "sub");
                         });
    EXPECT_EQ(outcome.exitCode, 1);
    const std::string link = "sub/cp.scn: cannot write: a symbolic link stands on its way; a "
                             "checkpoint is reached from the working folder without links\n";
    EXPECT_EQ(outcome.err, "standin-host: run.scn:6: " + link + "standin-host: run.scn:7: " + link);
    for (const char *line :
         {"[t=50.000] did not save scenario: run.scn:6: sub/cp.scn: ",
          "[t=60.000] saved scenario to sub/out.scn\n", "[t=60.000] drew picture in sub/p.svg\n"}) {
        EXPECT_NE(outcome.out.find(line), std::string::npos) << line << outcome.out;
    }
    EXPECT_TRUE(fs::is_empty(outside.Path()));
    EXPECT_EQ(ReadWhole(folder / "sub.real/out.scn").rfind("TIME 60\n", 0), 0u);
    EXPECT_EQ(ReadWhole(folder / "sub.real/p.svg").rfind("<?xml", 0), 0u);
    EXPECT_EQ(NamesIn(folder / "sub.real", ""), (std::vector<std::string>{"out.scn", "p.svg"}));
}

// A replaced file keeps its owner's permissions, but never a set-user-ID or set-group-ID bit,
// which is no part of a text's.
TEST(ReplacedFile, KeepsItsPermissionsWithoutSetIdBits) {
    TempFolder folder;
    const std::string out = folder.Write("out.scn", "old\n");
    const std::string checkpoint = folder.Write("cp.scn", "old\n");
    ASSERT_EQ(chmod(out.c_str(), 06750), 0);
    ASSERT_EQ(chmod(checkpoint.c_str(), 04755), 0);
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, {"--quiet", "--output", "out.scn"}, scenario + "AT 1 SAVE cp.scn\n"),
        folder.Path().string());
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    for (const auto &[file, mode] : {std::pair{out, 0750u}, std::pair{checkpoint, 0755u}}) {
        struct stat facts {};
        ASSERT_EQ(stat(file.c_str(), &facts), 0);
        EXPECT_EQ(facts.st_mode & 07777, mode) << file;
        EXPECT_NE(ReadWhole(file), "old\n") << file;
    }
}

// A checkpoint file holds nothing open between its writes: a run of many checkpoint files goes
// under a soft limit of open files far below their number.
TEST(ManyCheckpoints, RunUnderASmallLimitOfOpenFiles) {
    TempFolder folder;
    std::string events;
    for (int i = 0; i < 300; ++i) {
        events += "AT " + std::to_string(1 + i % 2) + " SAVE c" + std::to_string(i) + ".scn\n";
    }
    const Arguments arguments = RunArguments(folder, {"--quiet"}, scenario + events);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &small), 0);
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string());
    setrlimit(RLIMIT_NOFILE, &before);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(NamesIn(folder.Path(), ".scn").size(), 302u); // run.scn and run.saved.scn besides
    EXPECT_EQ(ReadWhole(folder / "c299.scn").rfind("TIME 2\n", 0), 0u);
}

// A bind-mounted file (as a container's volume of one file) cannot be replaced by a rename: it is
// refused before the run. Mounting needs root; elsewhere the test says so and skips.
TEST(BindMountedOutput, IsRefusedBeforeTheRun) {
    TempFolder folder;
    const std::string out = folder.Write("out.scn", "mine\n");
    folder.Write("elsewhere.scn", "mounted\n");
    if (std::system(("mount --bind '" + (folder / "elsewhere.scn") + "' '" + out + "' 2>/dev/null")
                        .c_str()) != 0) {
        GTEST_SKIP() << "a file cannot be bind-mounted here (not root?)";
    }
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder, {"--output", "out.scn"}), folder.Path().string());
    const std::string kept = ReadWhole(out);
    std::system(("umount '" + out + "'").c_str());
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "standin-host: out.scn: cannot write: the file is a mount point (a "
                           "bind-mounted file), which no rename can replace; mount its folder "
                           "instead\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(kept, "mounted\n");
}

// A file that cannot be replaced (append-only, immutable) is refused before the run; where the
// file system or the rights do not allow marking one, the test says so and skips.
TEST(UnreplaceableOutput, IsRefusedBeforeTheRun) {
    for (const char *flag : {"+a", "+i"}) {
        SCOPED_TRACE(flag);
        TempFolder folder;
        const std::string out = folder.Write("out.scn", "mine\n");
        if (std::system(("chattr " + std::string(flag) + " '" + out + "' 2>/dev/null").c_str()) !=
            0) {
            GTEST_SKIP() << "chattr " << flag << " is not allowed here";
        }
        const hardening::HostOutcome outcome = hardening::RunHostProcess(
            RunArguments(folder, {"--output", "out.scn"}), folder.Path().string());
        std::system(("chattr -a -i '" + out + "'").c_str());
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.err, "standin-host: out.scn: cannot write: the file is append-only or "
                               "immutable, so it cannot be replaced\n");
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(ReadWhole(out), "mine\n");
    }
}

// On a full disk, a trace whose writing failed gives its space back before the scenario is saved:
// the scenario, which alone fits, is saved, and only the trace is reported. A small file system
// needs root to mount; elsewhere the test says so and skips.
TEST(FullDisk, SavesTheScenarioAndReportsTheTrace) {
    TempFolder folder;
    fs::create_directory(folder / "small");
    if (std::system(("mount -t tmpfs -o size=256k tmpfs '" + (folder / "small") + "' 2>/dev/null")
                        .c_str()) != 0) {
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (not root?)";
    }
    std::string many = "STEP 0.01\nEND 20\n";
    for (int i = 0; i < 300; ++i) {
        many += "VESSEL V" + std::to_string(i) + " Brevlet\n  LIFETIME 100\nEND_VESSEL\n";
    }
    folder.Write("small/o.scn", "old\n");
    const hardening::HostOutcome outcome = hardening::RunHostProcess(
        RunArguments(folder,
                     {"--output", "small/o.scn", "--trace", "small/t.csv", "--plot", "small/p.svg"},
                     many),
        folder.Path().string());
    const std::string saved = ReadWhole(folder / "small/o.scn");
    std::vector<std::string> left;
    for (const auto &entry : fs::directory_iterator(folder / "small")) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    std::system(("umount '" + (folder / "small") + "'").c_str());
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(std::regex_match(outcome.err,
                                 std::regex("standin-host: small/t\\.csv: cannot write: [^\n]*\n")))
        << outcome.err;
    EXPECT_EQ(saved.rfind("TIME 20\n", 0), 0u);
    EXPECT_EQ(left, (std::vector<std::string>{"o.scn", "p.svg"}));
}

} // namespace
