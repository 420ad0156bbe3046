#include "tests/hardening/HostProcess.h"

#include "tests/hardening/InProcessHost.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hardening {

HostOutcome RunHostProcess(const std::vector<std::string> &arguments, const std::string &workFolder,
                           const HostConditions &conditions) {
    const std::string host =
        conditions.program.empty() ? std::string(BREVLET_STANDIN_HOST) : conditions.program;
    const std::string streams =
        conditions.streamFolder.empty() ? workFolder : conditions.streamFolder;
    const std::string outPath =
        conditions.stdoutPath.empty() ? streams + "/host.stdout" : conditions.stdoutPath;
    int closedPipe[2] = {-1, -1};
    if (conditions.stdoutClosedPipe && pipe(closedPipe) == 0) {
        close(closedPipe[0]);
    }
    int outPipe[2] = {-1, -1};
    if (conditions.stdoutPipe && pipe(outPipe) != 0) {
        outPipe[0] = outPipe[1] = -1;
    }
    const std::string errPath = streams + "/host.stderr";
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(host.c_str()));
    for (const std::string &argument : arguments) {
        argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);

    HostOutcome outcome;
    const pid_t child = fork();
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int in = open("/dev/null", O_RDONLY);
        const int out = closedPipe[1] >= 0 ? closedPipe[1]
                        : outPipe[1] >= 0
                            ? outPipe[1]
                            : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outPipe[0] >= 0) {
            close(outPipe[0]);
        }
        if (conditions.memoryLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(conditions.memoryLimit),
                               static_cast<rlim_t>(conditions.memoryLimit)};
            setrlimit(RLIMIT_AS, &limit);
        }
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(workFolder.c_str()) != 0 || dup2(in, 0) < 0 ||
            dup2(out, 1) < 0 || dup2(err, 2) < 0) {
            _exit(127);
        }
        if (conditions.closedStream != 0) {
            close(conditions.closedStream);
        }
        // The host starts with the signals at their defaults, whatever this process was started
        // with (a background job ignores SIGINT), but for one that a test asks to be ignored.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGPWR}) {
            struct sigaction byDefault {};
            byDefault.sa_handler = SIG_DFL;
            sigaction(signal, &byDefault, nullptr);
        }
        if (conditions.ignoredSignal != 0) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigaction(conditions.ignoredSignal, &ignore, nullptr);
        }
        execv(host.c_str(), argv.data());
        _exit(127);
    }
    if (closedPipe[1] >= 0) {
        close(closedPipe[1]);
    }
    if (outPipe[1] >= 0) {
        close(outPipe[1]);
    }
    if (conditions.whileRunning && child > 0) {
        conditions.whileRunning(child);
    }
    if (outPipe[0] >= 0) {
        char chunk[65536];
        for (ssize_t got = 0; (got = read(outPipe[0], chunk, sizeof chunk)) != 0;) {
            if (got > 0) {
                outcome.out.append(chunk, static_cast<std::size_t>(got));
            } else if (errno != EINTR) {
                break;
            }
        }
        close(outPipe[0]);
    }
    int status = 0;
    rusage usage{};
    bool ended = false;
    while (conditions.signal != 0 && child > 0 && !ended) {
        if (access(conditions.signalOnceExists.c_str(), F_OK) == 0) {
            kill(child, conditions.signal);
            break;
        }
        ended = wait4(child, &status, WNOHANG, &usage) == child;
        usleep(10000);
    }
    if (child < 0 || (!ended && wait4(child, &status, 0, &usage) != child)) {
        outcome.err = "cannot run " + host;
        return outcome;
    }
    outcome.peakResidentKib = usage.ru_maxrss; // kibibytes on Linux
    if (WIFEXITED(status)) {
        outcome.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    outcome.err = ReadWhole(errPath);
    if (conditions.stdoutPath.empty() && !conditions.stdoutPipe) {
        outcome.out = ReadWhole(outPath);
        unlink(outPath.c_str());
    }
    unlink(errPath.c_str());
    return outcome;
}

bool WaitUntilInSystemCall(int pid, std::initializer_list<long> calls) {
    const std::string facts = "/proc/" + std::to_string(pid) + "/syscall";
    bool seen = false;
    for (int looked = 0; looked < 60000; ++looked) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid) {
            return false;
        }
        // "running" while it runs; else the number of the call it is in, then its arguments.
        // Seen there twice in a row, a millisecond apart: asleep there, not passing through.
        const std::string now = ReadWhole(facts);
        const long call = std::strtol(now.c_str(), nullptr, 10);
        const bool there = !now.empty() && now[0] >= '0' && now[0] <= '9' &&
                           std::find(calls.begin(), calls.end(), call) != calls.end();
        if (there && seen) {
            return true;
        }
        seen = there;
        usleep(1000);
    }
    return false;
}

} // namespace hardening
