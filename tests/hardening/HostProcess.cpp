#include "HostProcess.h"

#include "InProcessHost.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hardening {

HostOutcome RunHostProcess(const std::vector<std::string> &arguments,
                           const std::string &workFolder) {
    const std::string host = BREVLET_STANDIN_HOST;
    const std::string outPath = workFolder + "/host.stdout";
    const std::string errPath = workFolder + "/host.stderr";
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
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(workFolder.c_str()) != 0 || dup2(in, 0) < 0 ||
            dup2(out, 1) < 0 || dup2(err, 2) < 0) {
            _exit(127);
        }
        execv(host.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        outcome.err = "cannot run " + host;
        return outcome;
    }
    if (WIFEXITED(status)) {
        outcome.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    outcome.out = ReadWhole(outPath);
    outcome.err = ReadWhole(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return outcome;
}

} // namespace hardening
