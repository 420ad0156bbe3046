#include "standin_host/platform/RunInterrupt.h"

#include "standin_host/platform/FileCalls.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace standin {

namespace interrupt_detail {
volatile std::sig_atomic_t signalNumber = 0;
} // namespace interrupt_detail

namespace {

// Room for the temporary files that exist at once (where the system makes no unnamed ones, each
// output's, from the plan on) and for any path the host writes to; a file beyond them, or of a
// longer path, is not removed by the second signal.
constexpr int temporaryPlaces = 16;
char temporaryFiles[temporaryPlaces][4096];
volatile int temporaryFds[temporaryPlaces]; // each + 1: 0 for none

int heldFd = -1;
const char *heldLines = nullptr;
const volatile std::size_t *heldCount = nullptr;
CrashDescription describeCrash = nullptr;

void RemoveTemporaryFiles() {
    for (int place = 0; place < temporaryPlaces; ++place) {
        const char *file = temporaryFiles[place];
        if (file[0] == '\0') {
            continue;
        }
#if defined(_WIN32)
        if (temporaryFds[place] > 0) {
            _close(temporaryFds[place] - 1);
        }
        std::remove(file);
#else
        unlink(file); // async-signal-safe, unlike remove()
#endif
    }
}

[[noreturn]] void EndNow(int signal) {
    RemoveTemporaryFiles();
    std::_Exit(ExitStatusForSignal(signal));
}

extern "C" void OnInterrupt(int signal) {
    if (interrupt_detail::signalNumber != 0) {
        EndNow(signal); // the user does not want to wait for the step to end
    }
    interrupt_detail::signalNumber = signal;
#if defined(_WIN32)
    // The Windows runtime resets the handler before calling it.
    std::signal(signal, OnInterrupt);
#endif
}

extern "C" [[noreturn]] void OnCrash(int signal) {
    int failure = 0; // a crash has no one left to tell it to
    if (heldFd >= 0 && heldCount != nullptr) {
        WriteAll(heldFd, heldLines, *heldCount, failure);
    }
    static char line[2048];
    std::size_t length = describeCrash != nullptr ? describeCrash(signal, line, sizeof line) : 0;
    if (length == 0 || length > sizeof line) {
        const char *name = CrashSignalName(signal);
        const char digits[] = {static_cast<char>('0' + signal / 10 % 10),
                               static_cast<char>('0' + signal % 10), '\0'};
        length = 0;
        for (const char *piece :
             {"standin-host: crashed with signal ", digits[0] == '0' ? digits + 1 : digits, " (",
              name != nullptr ? name : "?", "); nothing of the run is saved\n"}) {
            for (; *piece != '\0' && length < sizeof line; ++piece) {
                line[length++] = *piece;
            }
        }
    }
    WriteAll(2, line, length, failure);
    EndNow(signal);
}

#if defined(_WIN32)
LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS *facts) {
    const DWORD code = facts->ExceptionRecord->ExceptionCode;
    // The codes of the arithmetic faults run from the first floating-point one to the integers'.
    OnCrash(code == EXCEPTION_ILLEGAL_INSTRUCTION || code == EXCEPTION_PRIV_INSTRUCTION ? SIGILL
            : code >= EXCEPTION_FLT_DENORMAL_OPERAND && code <= EXCEPTION_INT_OVERFLOW
                ? SIGFPE
                : SIGSEGV); // an access violation, a page that cannot be read, the stack's overflow
}
#else
// The crash handler runs on a stack of its own, so that a stack overflow is reported too.
alignas(16) char crashStack[65536];

void Handle(int signal, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}
#endif

} // namespace

int ExitStatusForSignal(int signal) {
    return 128 + signal;
}

const char *CrashSignalName(int signal) {
    return signal == SIGSEGV   ? "SIGSEGV"
           : signal == SIGFPE  ? "SIGFPE"
           : signal == SIGILL  ? "SIGILL"
           : signal == SIGABRT ? "SIGABRT"
#if defined(SIGBUS)
           : signal == SIGBUS ? "SIGBUS"
#endif
                              : nullptr;
}

void HoldLinesForCrash(int fd, const char *lines, const volatile std::size_t *count) {
    heldFd = -1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    heldLines = lines;
    heldCount = count;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    heldFd = lines != nullptr ? fd : -1;
}

void DescribeCrashWith(CrashDescription describe) {
    describeCrash = describe;
}

void InstallRunInterrupt() {
#if defined(_WIN32)
    for (const int signal : {SIGINT, SIGTERM}) {
        if (std::signal(signal, OnInterrupt) == SIG_IGN) {
            std::signal(signal, SIG_IGN); // ignored by whoever started the host: so it stays
        }
    }
    std::signal(SIGABRT, OnCrash);
    SetUnhandledExceptionFilter(OnUnhandledException);
#else
    // Every signal whose default would end the process without a word ends the run at a step
    // boundary instead, its scenario saved: a closed terminal (SIGHUP), a timer (SIGALRM,
    // SIGVTALRM, SIGPROF), a CPU limit (SIGXCPU), a failing power supply (SIGPWR), a user's
    // signals (SIGUSR1, SIGUSR2). SIGQUIT is left to dump the core it asks for.
    for (const int signal : {
             SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
#if defined(SIGPWR)
                 SIGPWR
#endif
         }) {
        struct sigaction before {};
        sigaction(signal, nullptr, &before);
        // One ignored, or handled, by whoever started the host stays so. Reads and writes under
        // way go on: an interrupted write would pass for a failed log. The second signal's handler
        // ends the process from inside whatever call it interrupts.
        if (before.sa_handler == SIG_DFL && (before.sa_flags & SA_SIGINFO) == 0) {
            Handle(signal, OnInterrupt, SA_RESTART);
        }
    }
    stack_t stack{};
    stack.ss_sp = crashStack;
    stack.ss_size = sizeof crashStack;
    sigaltstack(&stack, nullptr);
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        // A crash inside the handler ends the process as the system would.
        Handle(signal, OnCrash, SA_ONSTACK | SA_RESETHAND);
    }
    // A closed log pipe, and a file grown past the size limit, are errors to report at the end,
    // not the end of the run.
    Handle(SIGPIPE, SIG_IGN, 0);
    Handle(SIGXFSZ, SIG_IGN, 0);
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

void TemporaryFileOpened(int place, int fd) {
    if (place >= 0 && place < temporaryPlaces) {
        temporaryFds[place] = fd + 1;
    }
}

void ForgetTemporaryFile(int &place) {
    if (place >= 0 && place < temporaryPlaces) {
        temporaryFds[place] = 0;
        temporaryFiles[place][0] = '\0';
        std::atomic_signal_fence(std::memory_order_seq_cst);
    }
    place = -1;
}

} // namespace standin
