// Ending a run cleanly on SIGINT or SIGTERM: the handler only raises a flag, and the step loop
// ends the run at the next step boundary, so that the scenario is saved as it stands. A second
// signal ends the process at once, after removing the temporary file of a save in progress.
#pragma once

#include <csignal>

namespace standin {

// Installs the handlers for SIGINT and SIGTERM and, where there is one, ignores SIGPIPE, so that a
// closed log pipe is an error to report and not the end of the run.
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

// Names the temporary file that a second signal removes before ending the process; null or
// empty: none. The text is copied, since the handler may not allocate.
void SetTemporaryFileToRemove(const char *path);

} // namespace standin
