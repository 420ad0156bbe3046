// The endings that come from outside the run's own code: signals and crashes.
//
// A signal that asks the run to end only raises a flag, and the step loop ends the run at the next
// step boundary, so that the scenario is saved as it stands; a wait for a FIFO gives up
// (FileCalls.h). A second signal ends the process at once, whatever it is blocked in, after
// removing the temporary files of the outputs being written. There is no third.
//
// A crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT; on Windows an access violation and its kin)
// writes the run log's held lines and one line naming what crashed, and ends the process with
// 128 + the signal. Nothing else is written: the run's state cannot be trusted.
#pragma once

#include <csignal>
#include <cstddef>

namespace standin {

// Installs the handlers of the ending signals: SIGINT and SIGTERM and, where they exist, SIGHUP,
// SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU and SIGPWR; a signal that the process was
// started with ignored (a script's background job) or handled stays so. Installs the crash
// handler. Ignores SIGPIPE and SIGXFSZ, so that a closed log pipe or a file past the size limit is
// an error to report and not the end of the run.
void InstallRunInterrupt();

namespace interrupt_detail {
extern volatile std::sig_atomic_t signalNumber;
} // namespace interrupt_detail

// The signal that asked the run to end, or 0. Read in the step loop: one load per step.
inline int RunInterruptSignal() {
    return interrupt_detail::signalNumber;
}

// The exit status of a run ended by `signal`: 128 + its number, as a shell reports it.
int ExitStatusForSignal(int signal);

// What a crash writes, given by those who know it. Both are read by the crash handler alone, which
// may not allocate nor take a lock: the held lines are `*count` bytes at `lines`, written to the
// file descriptor `fd` (-1: none); `describe` writes the line naming what crashed into `buffer`
// (at most `size` bytes) and returns its length.
void HoldLinesForCrash(int fd, const char *lines, const volatile std::size_t *count);
using CrashDescription = std::size_t (*)(int signal, char *buffer, std::size_t size);
void DescribeCrashWith(CrashDescription describe);

// The name of a crash's signal ("SIGSEGV"), or null for another.
const char *CrashSignalName(int signal);

// The temporary files that a second signal removes, sixteen at most (where the system makes no
// unnamed files, each output's exists from the plan on), their paths copied, since the handler may
// not allocate. AddTemporaryFileToRemove returns the place that the path is kept in, or -1; the
// file there is open as `fd` (Windows removes no open file, so the handler closes it first); the
// file there is no longer to be removed (renamed or removed): `place` becomes -1.
int AddTemporaryFileToRemove(const char *path);
void TemporaryFileOpened(int place, int fd);
void ForgetTemporaryFile(int &place);

} // namespace standin
