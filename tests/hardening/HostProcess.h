// Runs the real stand-in host executable as a child process and collects what it did.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace hardening {

struct HostOutcome {
    int exitCode = -1; // -1 when it did not exit normally
    int signal = 0;    // the signal that ended it, 0 for a normal exit
    std::string out;
    std::string err;
    long peakResidentKib = 0; // the most memory the host held at once
};

// Conditions of a run beyond its arguments.
struct HostConditions {
    int signal = 0;               // sent to the host ...
    std::string signalOnceExists; // ... once this file exists (the log is buffered)
    std::string stdoutPath;       // empty: collected into HostOutcome::out; else not read
    bool stdoutClosedPipe = false;
    bool stdoutPipe = false;  // a pipe, read whole into HostOutcome::out, instead of a file
    int closedStream = 0;     // 1 or 2: the host starts without its standard output or error
    std::string program;      // empty: the host that was built; else a copy of it
    long memoryLimit = 0;     // bytes of address space the host may take; 0: no limit
    int ignoredSignal = 0;    // a signal that the host starts with ignored; 0: none
    std::string streamFolder; // where host.stdout and host.stderr go; empty: the work folder
    // Called with the host's process id once it has started; the run is then waited for.
    std::function<void(int pid)> whileRunning;
};

// Runs the host with `arguments` in the folder `workFolder`, standard input closed.
HostOutcome RunHostProcess(const std::vector<std::string> &arguments, const std::string &workFolder,
                           const HostConditions &conditions = {});

// Waits until the process `pid` (a child of this one) sleeps in one of the system calls `calls`
// (numbers from <sys/syscall.h>, as /proc/<pid>/syscall shows them): the point a test has led it
// to, such as a wait for a reader. False if it ends first, or is not there within a minute.
bool WaitUntilInSystemCall(int pid, std::initializer_list<long> calls);

} // namespace hardening
