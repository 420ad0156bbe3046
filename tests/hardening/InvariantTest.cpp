// Runs of the real host generated at random, checked against what must hold after any run, however
// it ends: outputs that alias each other and the inputs by many spellings, devices, a FIFO, a
// socket, a full disk (where a small file system can be mounted), signals at random times (one or
// two), SAVE names good and bad, and a module that crashes or throws. After each run:
// - nothing outside the run's folder changed, nor any input but a scenario that its own SAVE
//   updates;
// - every file that changed or appeared is one that the log names as written, and complete: a
//   scenario that reads back, a trace with its header, a whole picture; no temporary file is left;
// - the exit status agrees with the log: 0 only with every output written, a signal's status only
//   after that signal, 1 with a message; a refused run (no line of the log) changed nothing.
// While a run goes, its checkpoints' folders may change (sub swapped for a link to a folder
// outside, gone removed), and a second host may run in the same folder; the same holds.
// Every run follows from the seed and its number, except for when its signals land. The seed is a
// constant of this file unless BREVLET_INVARIANT_SEED gives another (a number, or "random" for
// one drawn afresh); the test prints it. It makes BREVLET_INVARIANT_RUNS runs (100 by default),
// or, with BREVLET_INVARIANT_SECONDS, as many as fit in that time: an open-ended search, which the
// gate does not make.
#include "standin_host/scenario/ScenarioFile.h"
#include "tests/hardening/HostProcess.h"
#include "tests/hardening/InProcessHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using hardening::ReadWhole;
using hardening::TempFolder;

using Files = std::map<std::string, std::string>; // name: mode and content, or link target

// Every file under `root`, the host's own streams not.
Files Snapshot(const fs::path &root) {
    Files files;
    std::error_code ec;
    for (auto entry = fs::recursive_directory_iterator(root, ec);
         !ec && entry != fs::recursive_directory_iterator(); entry.increment(ec)) {
        const std::string name = entry->path().lexically_relative(root).string();
        if (name == "host.stdout" || name == "host.stderr") {
            continue;
        }
        struct stat facts {};
        lstat(entry->path().c_str(), &facts);
        std::string what = std::to_string(facts.st_mode) + ":";
        if (S_ISLNK(facts.st_mode)) {
            what += fs::read_symlink(entry->path(), ec).string();
            entry.disable_recursion_pending();
        } else if (S_ISREG(facts.st_mode)) {
            what += ReadWhole(entry->path().string());
        }
        files[name] = what;
    }
    return files;
}

// The spellings a run is given for its outputs, and what each names in the prepared folder.
const char *const userOutputs[] = {
    "out.scn",
    "out.scn",
    "./out.scn",
    "sub/../out.scn",
    "sub/o.csv",
    "sub/o.svg",
    "alias.scn",
    "dangling.scn",
    "run.scn",
    "hl.scn",
    "config/Brevlet.cfg",
    "/dev/null",
    "/dev/stdout",
    "/dev/stderr",
    "fifo",
    "ro.scn",
    "sock",
    "nofolder/x.csv",
    "file.scn/",
    "small/o.scn",
    "small/t.csv",
    "small/p.svg",
    "t.csv",
    "p.svg",
};
const char *const saveNames[] = {
    "cp.scn",       "cp.scn",     "sub/cp.scn", "run.scn",      "hl.scn",
    "small/cp.scn", "/tmp/x.scn", "../up.scn",  "x.txt",        "lnkout.scn",
    "subout/t.scn", "fifo.scn",   "$(x).scn",   "sub/../y.scn", "out.scn",
    "alias.scn",    "CON.scn",    "ro.scn",     "gone/cp.scn",
};
const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGALRM};
// Those that a run takes: half the runs draw from them alone, so that most runs run.
const char *const goodOutputs[] = {"out.scn",     "./out.scn",    "sub/o.csv", "sub/o.svg",
                                   "alias.scn",   "dangling.scn", "/dev/null", "fifo",
                                   "small/o.scn", "small/t.csv",  "t.csv",     "p.svg"};
const char *const goodSaves[] = {"cp.scn", "sub/cp.scn", "run.scn", "small/cp.scn", "gone/cp.scn"};

struct Plan {
    std::vector<std::string> arguments;
    std::vector<std::string> saves;
    int signal = 0;
    int delayMs = 0;
    bool second = false;
    bool longRun = false;
    // What changes while the run goes, after changeMs: 1 sub becomes a link to a folder outside,
    // 2 gone is removed, 3 a second host runs in the same folder; 0 nothing.
    int change = 0;
    int changeMs = 0;
    // A vessel whose module fails at 1 s: 1 it crashes (SIGSEGV), 2 it throws; 0 none.
    int fault = 0;
};

// A folder with both modules, the Brevlet and one that fails on purpose.
std::string ModulesFolder() {
    static const TempFolder folder;
    static const std::string path = [] {
        for (const fs::path &module : {fs::path(hardening::ModuleFolder()) / "Brevlet.so",
                                       fs::path(BREVLET_FAULTY_MODULE)}) {
            fs::copy_file(module, folder / module.filename().string(),
                          fs::copy_options::overwrite_existing);
        }
        return folder.Path().string();
    }();
    return path;
}

Plan MakePlan(std::mt19937 &random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Plan plan;
    plan.arguments = {"--config", "config", "--modules", ModulesFolder()};
    const bool tame = pick(2) == 0;
    auto output = [&] {
        return tame ? goodOutputs[pick(sizeof goodOutputs / sizeof goodOutputs[0])]
                    : userOutputs[pick(sizeof userOutputs / sizeof userOutputs[0])];
    };
    plan.arguments.insert(plan.arguments.end(), {"--output", output()});
    if (pick(2) == 0) {
        plan.arguments.insert(plan.arguments.end(), {"--trace", output()});
    }
    if (pick(3) == 0) {
        plan.arguments.insert(plan.arguments.end(), {"--plot", output()});
    }
    for (int n = pick(4); n > 0; --n) {
        plan.saves.emplace_back(tame ? goodSaves[pick(sizeof goodSaves / sizeof goodSaves[0])]
                                     : saveNames[pick(sizeof saveNames / sizeof saveNames[0])]);
    }
    if (pick(3) != 0) {
        plan.signal = signals[pick(sizeof signals / sizeof signals[0])];
        plan.delayMs = pick(400);
        plan.second = pick(4) == 0;
        plan.longRun = pick(2) == 0;
    }
    plan.arguments.emplace_back(pick(8) == 0 ? "hl.scn" : "run.scn");
    plan.change = pick(2) == 0 ? 1 + pick(3) : 0;
    plan.fault = pick(5) == 0 ? 1 + pick(2) : 0;
    plan.changeMs = pick(200);
    // An output of the user's own through sub (or through a link into it) follows the link that
    // sub becomes before the run is planned, as asked (after the plan, the folder held takes it).
    for (const std::string &argument : plan.arguments) {
        if (plan.change == 1 && (argument.rfind("sub/", 0) == 0 || argument == "alias.scn" ||
                                 argument == "dangling.scn")) {
            plan.change = 0;
        }
    }
    return plan;
}

std::string ScenarioText(const Plan &plan, std::mt19937 &random) {
    std::string text = plan.longRun ? "STEP 0.001\nEND 1e6\n" : "STEP 0.01\nEND 2\n";
    text += "CAMERA POS 0 0 0\nCAMERA TARGET V0\n";
    const int vessels = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < vessels; ++i) {
        text += "VESSEL V" + std::to_string(i) + " Brevlet\n  POS 0 0 " +
                std::to_string(10 * (i + 1)) + "\n  LIFETIME " + std::to_string(i) +
                ".5\nEND_VESSEL\n";
    }
    if (plan.fault != 0) {
        text += "VESSEL F Faulty\nEND_VESSEL\n";
    }
    text += "AT 0.5 SPAWN S Brevlet POS 0 0 5\nAT 1 CAMERA TARGET S\n";
    double at = 0.05;
    for (const std::string &save : plan.saves) {
        text += "AT " + std::to_string(at) + " SAVE " + save + "\n";
        at += 0.3;
    }
    return text;
}

// The folder of a run: its inputs, old outputs, links, a FIFO, a socket, a read-only file.
void Prepare(const TempFolder &f, const fs::path &outside, const std::string &scenario) {
    f.Write("config/Brevlet.cfg", "Module = Brevlet\nLifeTime = 5\nMaxCamDistance = 1e6\n");
    f.Write("run.scn", scenario);
    fs::create_hard_link(f / "run.scn", f / "hl.scn");
    f.Write("out.scn", "old out\n");
    f.Write("cp.scn", "old cp\n");
    f.Write("sub/real.scn", "old real\n");
    f.Write("t.csv", "old trace\n");
    fs::create_symlink("sub/real.scn", f / "alias.scn");
    fs::create_directory(f / "gone");
    f.Write("two.scn", "STEP 0.01\nEND 1\nVESSEL T Brevlet\nEND_VESSEL\nAT 0.5 SAVE sub/two.scn\n");
    fs::create_symlink("sub/none.scn", f / "dangling.scn");
    fs::create_symlink(outside / "target.scn", f / "lnkout.scn");
    fs::create_directory_symlink(outside, f / "subout");
    fs::create_directory_symlink(outside, f / "outside");
    f.Write("file.scn", "a file\n");
    chmod(f.Write("ro.scn", "read-only\n").c_str(), 0444);
    mkfifo((f / "fifo").c_str(), 0644);
    mkfifo((f / "fifo.scn").c_str(), 0644);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (f / "sock").c_str());
    (void)bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    close(fd);
}

// Whether `text`, written by the log line's `kind`, is complete.
bool Complete(const std::string &kind, const std::string &text, std::string &why) {
    if (kind == "saved scenario to") {
        standin::TextFile file{"written.scn", text};
        standin::ScenarioDescription scenario;
        return standin::ParseScenario(file, scenario, why) && text.rfind("TIME ", 0) == 0;
    }
    if (kind == "wrote trace to") {
        why = "a trace without its header or its last line end";
        return text.rfind("time,vessel,", 0) == 0 && !text.empty() && text.back() == '\n';
    }
    why = "a picture cut short";
    return text.find("<svg") != std::string::npos && text.size() > 7 &&
           text.compare(text.size() - 7, 7, "</svg>\n") == 0;
}

// Each run's file that the log names as written, by kind.
std::vector<std::pair<std::string, std::string>> Written(const std::string &log) {
    std::vector<std::pair<std::string, std::string>> written;
    static const std::regex line(
        R"(\[t=[^\]]*\] (saved scenario to|wrote trace to|drew picture in) (.*))");
    std::size_t start = 0;
    while (start < log.size()) {
        const std::size_t end = log.find('\n', start);
        const std::string text = log.substr(start, end == std::string::npos ? end : end - start);
        std::smatch match;
        if (std::regex_match(text, match, line)) {
            written.emplace_back(match[1], match[2]);
        }
        start = end == std::string::npos ? log.size() : end + 1;
    }
    return written;
}

// The file a spelling names, relative to the run's folder, a link to a file followed (not one to a
// folder, which the snapshots keep apart); empty for a device.
std::string Resolve(const fs::path &folder, const std::string &spelled) {
    if (spelled.rfind("/dev/", 0) == 0) {
        return "";
    }
    fs::path file = (folder / spelled).lexically_normal();
    std::error_code ec;
    for (int hops = 0; hops < 8 && fs::is_symlink(fs::symlink_status(file, ec)); ++hops) {
        const fs::path target = fs::read_symlink(file, ec);
        file = (target.is_absolute() ? target : file.parent_path() / target).lexically_normal();
    }
    return file.lexically_relative(folder).string();
}

bool Ended(int pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == pid;
}

TEST(Invariant, EveryRunLeavesItsFilesWholeOrAsTheyWere) {
    const char *seedText = std::getenv("BREVLET_INVARIANT_SEED");
    unsigned seed = 20261210u;
    if (seedText != nullptr) {
        seed = std::string(seedText) == "random"
                   ? std::random_device()()
                   : static_cast<unsigned>(std::strtoul(seedText, nullptr, 10));
    }
    const char *runsText = std::getenv("BREVLET_INVARIANT_RUNS");
    const char *secondsText = std::getenv("BREVLET_INVARIANT_SECONDS");
    const int runs = runsText != nullptr ? std::atoi(runsText) : 100;
    const double seconds = secondsText != nullptr ? std::atof(secondsText) : 0.0;
    std::cout << "invariant test: seed " << seed << " (BREVLET_INVARIANT_SEED=" << seed
              << " repeats it), "
              << (seconds > 0 ? std::to_string(seconds) + " s" : std::to_string(runs) + " runs")
              << std::endl;

    TempFolder disk; // a small file system, where one can be mounted
    fs::create_directory(disk / "small");
    const bool small =
        std::system(
            ("mount -t tmpfs -o size=96k tmpfs '" + (disk / "small") + "' 2>/dev/null").c_str()) ==
        0;
    // Unmounted however the test ends, before its folder goes.
    struct Unmount {
        std::string point;
        ~Unmount() {
            if (!point.empty()) {
                std::system(("umount '" + point + "'").c_str());
            }
        }
    } const unmount{small ? disk / "small" : ""};
    std::cout << "invariant test: "
              << (small ? "a full disk is among the faults (a 96 KiB tmpfs)"
                        : "no small file system can be mounted here (not root?): no full disk")
              << std::endl;

    std::map<std::string, int> tally;
    const auto start = std::chrono::steady_clock::now();
    int run = 0;
    auto more = [&] {
        return seconds > 0 ? std::chrono::steady_clock::now() - start <
                                 std::chrono::duration<double>(seconds)
                           : run < runs;
    };
    for (; more() && !::testing::Test::HasFailure(); ++run) {
        std::mt19937 random(seed + static_cast<unsigned>(run) * 7919u);
        Plan plan = MakePlan(random);
        const std::string scenario = ScenarioText(plan, random);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", run " + std::to_string(run));
        if (std::getenv("BREVLET_INVARIANT_VERBOSE") != nullptr) {
            std::cout << "run " << run << std::endl;
        }
        TempFolder outside;
        outside.Write("target.scn", "outside\n");
        TempFolder f;
        TempFolder elsewhere; // where sub leads once it is a link: no checkpoint may go there
        TempFolder secondStreams;
        Prepare(f, outside.Path(), scenario);
        f.Write("config/Faulty.cfg", std::string("Module = Faulty\nAt = 1\nFault = ") +
                                         (plan.fault == 1 ? "segv\n" : "throw\n"));
        if (small) {
            fs::create_directory_symlink(disk / "small", f / "small");
            for (const auto &entry : fs::directory_iterator(disk / "small")) {
                fs::remove_all(entry.path());
            }
            disk.Write("small/o.scn", "old small\n");
            // The disk is filled to a random level, so that the outputs there fail at any point.
            disk.Write("small/fill", std::string(random() % std::size_t{90112}, 'x'));
        }
        const Files before = Snapshot(f.Path());
        const Files outsideBefore = Snapshot(outside.Path());
        const Files smallBefore = small ? Snapshot(disk / "small") : Files();

        std::atomic<bool> done{false};
        std::string fifoRead;
        std::thread reader([&] {
            // Whatever the host writes to the FIFO is read, so that it never waits for ever.
            const int fd = open((f / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
            char chunk[4096];
            while (!done) {
                const ssize_t got = read(fd, chunk, sizeof chunk);
                if (got > 0) {
                    fifoRead.append(chunk, static_cast<std::size_t>(got));
                } else {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            }
            close(fd);
        });
        hardening::HostConditions conditions;
        bool killed = false;
        hardening::HostOutcome second;
        auto change = [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(plan.changeMs));
            std::error_code ec;
            if (plan.change == 1) {
                fs::rename(f / "sub", f / "sub.real", ec);
                fs::create_directory_symlink(elsewhere.Path(), f / "sub", ec);
            } else if (plan.change == 2) {
                fs::remove(f / "gone", ec);
            } else if (plan.change == 3) {
                hardening::HostConditions own;
                own.streamFolder = secondStreams.Path().string();
                second = hardening::RunHostProcess({"--config", "config", "--modules",
                                                    hardening::ModuleFolder(), "--trace", "two.csv",
                                                    "two.scn"},
                                                   f.Path().string(), own);
            }
        };
        // Undone before the folder is compared: what the test changed is no run's doing.
        auto undo = [&] {
            std::error_code ec;
            if (plan.change == 1 && fs::is_symlink(f / "sub", ec)) {
                fs::remove(f / "sub", ec);
                fs::rename(f / "sub.real", f / "sub", ec);
            } else if (plan.change == 2) {
                fs::create_directory(f / "gone", ec);
            }
        };
        conditions.whileRunning = [&](int pid) {
            std::thread changing(change);
            if (plan.signal != 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(plan.delayMs));
                kill(pid, plan.signal);
                if (plan.second) {
                    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
                    kill(pid, plan.signal);
                }
            }
            for (int waited = 0; !Ended(pid); ++waited) {
                if (waited == 2000) { // 20 s: a run that never ends
                    kill(pid, SIGKILL);
                    killed = true;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            changing.join();
        };
        const hardening::HostOutcome outcome =
            hardening::RunHostProcess(plan.arguments, f.Path().string(), conditions);
        done = true;
        reader.join();
        undo();
        const char *const changes[] = {"", "with sub swapped for a link", "with gone removed",
                                       "beside a second host"};
        if (plan.change != 0) {
            tally[changes[plan.change]]++;
        }

        std::string described;
        for (const std::string &argument : plan.arguments) {
            described += argument + " ";
        }
        described += "| SAVE:";
        for (const std::string &save : plan.saves) {
            described += " " + save;
        }
        described += " | signal " + std::to_string(plan.signal) + " after " +
                     std::to_string(plan.delayMs) + " ms" + (plan.second ? ", twice" : "") +
                     " | change " + std::to_string(plan.change) + " after " +
                     std::to_string(plan.changeMs) + " ms" + " | fault " +
                     std::to_string(plan.fault);
        SCOPED_TRACE(described + "\nstdout:\n" + outcome.out.substr(0, 2000) + "\nstderr:\n" +
                     outcome.err.substr(0, 2000));
        ASSERT_FALSE(killed) << "the run did not end within 20 s";
        Files after = Snapshot(f.Path());
        EXPECT_TRUE(fs::is_empty(elsewhere.Path())) << "a checkpoint followed a link swapped in";
        // The second host's files, checked with the first's below, are not the first run's.
        const Files secondFiles = {{"two.saved.scn", after["two.saved.scn"]},
                                   {"two.csv", after["two.csv"]},
                                   {"sub/two.scn", after["sub/two.scn"]}};
        for (const auto &[name, what] : secondFiles) {
            after.erase(name);
        }
        if (outcome.signal != 0) {
            // Only a signal that came before the host could catch it (as it starts) may end it so,
            // and then nothing has happened.
            ASSERT_EQ(outcome.signal, plan.signal) << "the host died of signal " << outcome.signal;
            EXPECT_EQ(outcome.out, "");
            EXPECT_EQ(after, before);
            tally["ended by a signal before it could catch one"]++;
            continue;
        }

        EXPECT_EQ(Snapshot(outside.Path()), outsideBefore) << "a file outside the run changed";

        // A second host in the folder runs as alone, and its files are named in its log.
        if (plan.change == 3) {
            EXPECT_EQ(second.exitCode, 0) << second.err;
        }
        // Each file written, as the log names it: complete.
        const std::string log = outcome.out + outcome.err;
        const std::string logs = log + second.out + second.err;
        std::set<std::string> named;
        for (const auto &[kind, spelled] : Written(logs)) {
            const std::string file = Resolve(f.Path(), spelled);
            std::error_code ec;
            if (file.empty() || !fs::is_regular_file(f.Path() / file, ec)) {
                continue; // a device or FIFO: written in place, nothing to read back
            }
            named.insert(file);
            const std::string text = ReadWhole(f / file);
            std::string why;
            EXPECT_TRUE(Complete(kind, text, why)) << file << " (" << kind << "): " << why;
        }
        // What each output would write, by the file it names.
        std::map<std::string, std::string> planned;
        for (std::size_t i = 0; i + 1 < plan.arguments.size(); ++i) {
            const std::string &option = plan.arguments[i];
            const std::string file = Resolve(f.Path(), plan.arguments[i + 1]);
            if (option == "--output" || option == "--trace" || option == "--plot") {
                planned[file] = option == "--output"  ? "saved scenario to"
                                : option == "--trace" ? "wrote trace to"
                                                      : "drew picture in";
            }
        }
        for (const std::string &save : plan.saves) {
            planned.emplace(Resolve(f.Path(), save), "saved scenario to");
        }
        // Each file that changed or appeared: named, and no temporary file.
        for (const auto &[name, what] : after) {
            EXPECT_EQ(name.find(".partial-"), std::string::npos) << "left: " << name;
            const auto old = before.find(name);
            if ((old == before.end() || old->second != what) && named.count(name) == 0) {
                // A second signal may end the host after an output is complete and before the log
                // names it: it is then whole all the same.
                std::string why;
                const auto kind = planned.find(name);
                EXPECT_TRUE(plan.second && kind != planned.end() &&
                            Complete(kind->second, ReadWhole(f / name), why))
                    << name << " changed, and the log does not say so " << why;
            }
        }
        for (const auto &[name, what] : before) {
            EXPECT_EQ(after.count(name), 1u) << name << " is gone";
        }
        if (small) {
            for (const auto &[name, what] : Snapshot(disk / "small")) {
                EXPECT_EQ(name.find(".partial-"), std::string::npos) << "left: small/" << name;
                const auto old = smallBefore.find(name);
                if ((old == smallBefore.end() || old->second != what) &&
                    named.count("small/" + name) == 0) {
                    // As in the run's folder: after a second signal, complete all the same.
                    std::string why;
                    const auto kind = planned.find("small/" + name);
                    EXPECT_TRUE(plan.second && kind != planned.end() &&
                                Complete(kind->second, ReadWhole(disk / ("small/" + name)), why))
                        << "small/" << name << " changed, and the log does not say so " << why;
                }
            }
        }

        // The exit status agrees with the log.
        const bool anyLine = log.find("[t=") != std::string::npos;
        const int status = outcome.exitCode;
        const bool crashed = std::regex_search(
            outcome.err,
            std::regex(R"(standin-host: vessel F \(class Faulty, module .*/Faulty\.so\) )"
                       R"(crashed with signal 11 \(SIGSEGV\) in clbkPostStep at )"
                       R"(simulation time [0-9.]+; nothing of the run is saved\n)"));
        if (status == 0) {
            EXPECT_EQ(plan.fault, 0) << "a run whose module failed succeeded";
            EXPECT_EQ(outcome.err.find("standin-host: "), std::string::npos);
            const std::vector<std::pair<std::string, std::string>> written = Written(log);
            for (std::size_t i = 0; i + 1 < plan.arguments.size(); ++i) {
                const std::string &option = plan.arguments[i];
                const char *kind = option == "--output"  ? "saved scenario to"
                                   : option == "--trace" ? "wrote trace to"
                                   : option == "--plot"  ? "drew picture in"
                                                         : nullptr;
                if (kind != nullptr) {
                    const std::pair<std::string, std::string> wanted(kind, plan.arguments[i + 1]);
                    EXPECT_NE(std::find(written.begin(), written.end(), wanted), written.end())
                        << "a run that succeeded without " << option << " written";
                }
            }
            tally["finished"]++;
        } else if (status == 1) {
            EXPECT_NE(outcome.err.find("standin-host: "), std::string::npos);
            if (!anyLine) {
                EXPECT_EQ(after, before) << "a refused run changed a file";
                tally["refused"]++;
            } else if (outcome.err.find("let an exception out of clbkPostStep") !=
                       std::string::npos) {
                EXPECT_EQ(plan.fault, 2);
                tally["a module threw"]++;
            } else {
                tally["failed output"]++;
            }
        } else if (status == 128 + SIGSEGV) {
            EXPECT_EQ(plan.fault, 1) << "a crash without a module that crashes";
            EXPECT_TRUE(crashed) << "a crash that does not name what crashed";
            tally["a module crashed"]++;
        } else {
            ASSERT_EQ(status, 128 + plan.signal) << "an exit status of no signal sent";
            EXPECT_TRUE(plan.second ||
                        outcome.err.find("interrupted by signal " + std::to_string(plan.signal)) !=
                            std::string::npos);
            // A run that says it was stopped before it started changed nothing. A second signal
            // may end the host before it says anything, even after an output was written (a run
            // that logs no line); the outputs were checked above for that case.
            const bool saysUnstarted =
                outcome.err.find("before the run started") != std::string::npos ||
                outcome.err.find("before the first step") != std::string::npos;
            if (saysUnstarted || (!anyLine && !plan.second)) {
                EXPECT_EQ(after, before) << "a run interrupted before its start changed a file";
            }
            tally[plan.second ? "ended by two signals" : "ended by a signal"]++;
        }
        const bool productOnStandardOutput = std::find(plan.arguments.begin(), plan.arguments.end(),
                                                       "/dev/stdout") != plan.arguments.end();
        if (!productOnStandardOutput && !outcome.out.empty() && outcome.out.back() != '\n') {
            ADD_FAILURE() << "the standard output ends in the middle of a line";
        }
    }
    std::cout << "invariant test: " << run << " runs (seed " << seed << "):";
    for (const auto &[ending, count] : tally) {
        std::cout << " " << count << " " << ending << ";";
    }
    std::cout << std::endl;
    EXPECT_GT(run, 0);
}

} // namespace
