// Ending a run cleanly on a signal: the handler only raises a flag, and the step loop ends the run
// at the next step boundary, so that the scenario is saved as it stands, and a wait for a FIFO
// gives up (FileCalls.h). A second signal ends the process at once, after removing the temporary
// files of the outputs being written.
#pragma once

#include <csignal>

namespace standin {

// Installs the handler for SIGINT and SIGTERM and, where they exist, SIGHUP, SIGUSR1, SIGUSR2,
// SIGALRM, SIGVTALRM, SIGPROF and SIGXCPU; a signal that the process was started with ignored (a
// script's background job) or handled stays so. Ignores SIGPIPE and SIGXFSZ, so that a closed
// log pipe or a file past the size limit is an error to report and not the end of the run.
void InstallRunInterrupt();

namespace interrupt_detail {
extern volatile std::sig_atomic_t signalNumber;
} // namespace interrupt_detail

// The signal that asked the run to end, or 0. Read in the step loop: one load per step.
inline int RunInterruptSignal() {
    return interrupt_detail::signalNumber;
}

// While a write of whole lines is under way, a second signal waits for it to end, so that what is
// written ends with a whole line; a third signal ends the process at once (a reader that does not
// read could hold the write for ever). Not nested.
void HoldSecondSignal();
void ReleaseSecondSignal();

// The exit status of a run ended by `signal`: 128 + its number, as a shell reports it.
int ExitStatusForSignal(int signal);

// Names a temporary file that a second signal removes before ending the process, and returns the
// place it is kept in for ForgetTemporaryFile, or -1 when every place is taken (a few are: the
// trace's and a save's exist at once). The text is copied, since the handler may not allocate.
int AddTemporaryFileToRemove(const char *path);

// The file kept at `place` is no longer to be removed (it was renamed or removed); -1: nothing.
void ForgetTemporaryFile(int place);

} // namespace standin
