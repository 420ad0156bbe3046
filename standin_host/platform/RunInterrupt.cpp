#include "standin_host/platform/RunInterrupt.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace standin {

namespace interrupt_detail {
volatile std::sig_atomic_t signalNumber = 0;
} // namespace interrupt_detail

namespace {

// Room for the temporary files that exist at once (the trace's, a save's, a trial file) and for
// any path the host writes to; a longer one is not removed by the second signal.
constexpr int temporaryPlaces = 4;
char temporaryFiles[temporaryPlaces][4096];

volatile std::sig_atomic_t holding = 0;    // a write of whole lines is under way
volatile std::sig_atomic_t heldSignal = 0; // a second signal that waits for it

[[noreturn]] void EndNow(int signal) {
    for (const char *file : temporaryFiles) {
        if (file[0] == '\0') {
            continue;
        }
#if defined(_WIN32)
        std::remove(file);
#else
        unlink(file); // async-signal-safe, unlike remove()
#endif
    }
    std::_Exit(ExitStatusForSignal(signal));
}

extern "C" void OnInterrupt(int signal) {
    if (interrupt_detail::signalNumber != 0) {
        // A second signal: the user does not want to wait for the step to end.
        if (holding != 0 && heldSignal == 0) {
            heldSignal = signal;
            return;
        }
        EndNow(signal);
    }
    interrupt_detail::signalNumber = signal;
#if defined(_WIN32)
    // The Windows runtime resets the handler before calling it.
    std::signal(signal, OnInterrupt);
#endif
}

} // namespace

void HoldSecondSignal() {
    holding = 1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

void ReleaseSecondSignal() {
    std::atomic_signal_fence(std::memory_order_seq_cst);
    holding = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (heldSignal != 0) {
        EndNow(heldSignal);
    }
}

int ExitStatusForSignal(int signal) {
    return 128 + signal;
}

void InstallRunInterrupt() {
#if defined(_WIN32)
    for (const int signal : {SIGINT, SIGTERM}) {
        if (std::signal(signal, OnInterrupt) == SIG_IGN) {
            std::signal(signal, SIG_IGN); // ignored by whoever started the host: so it stays
        }
    }
#else
    // Every signal whose default would end the process without a word ends the run at a step
    // boundary instead, its scenario saved: a closed terminal (SIGHUP), a timer (SIGALRM,
    // SIGVTALRM, SIGPROF), a CPU limit (SIGXCPU), a user's signals (SIGUSR1, SIGUSR2). SIGQUIT is
    // left to dump the core it asks for.
    for (const int signal :
         {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU}) {
        struct sigaction before {};
        sigaction(signal, nullptr, &before);
        if (before.sa_handler != SIG_DFL || (before.sa_flags & SA_SIGINFO) != 0) {
            continue; // ignored, or handled, by whoever started the host: so it stays
        }
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        // Reads and writes under way go on: an interrupted write would pass for a failed log.
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
    // A closed log pipe, and a file grown past the size limit, are errors to report at the end,
    // not the end of the run.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
    sigaction(SIGXFSZ, &ignore, nullptr);
#endif
}

int AddTemporaryFileToRemove(const char *path) {
    if (path == nullptr || path[0] == '\0' || std::strlen(path) >= sizeof temporaryFiles[0]) {
        return -1;
    }
    for (int place = 0; place < temporaryPlaces; ++place) {
        char *file = temporaryFiles[place];
        if (file[0] != '\0') {
            continue;
        }
        // The first byte goes last, so that a signal in between never sees half a name.
        std::memcpy(file + 1, path + 1, std::strlen(path));
        std::atomic_signal_fence(std::memory_order_seq_cst);
        file[0] = path[0];
        return place;
    }
    return -1;
}

void ForgetTemporaryFile(int place) {
    if (place >= 0 && place < temporaryPlaces) {
        temporaryFiles[place][0] = '\0';
        std::atomic_signal_fence(std::memory_order_seq_cst);
    }
}

} // namespace standin
