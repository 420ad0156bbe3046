#include "standin_host/run/HostRun.h"

#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/run/Session.h"
#include "standin_host/text/MessageText.h"

#include <memory>
#include <new>

namespace standin {
namespace {

void Fail(std::ostream &err, const std::string &message) {
    err << "standin-host: " << Escaped(message) << '\n';
}

// The messages of a run's ending, and its exit status.
int Report(const RunEnding &ending, std::ostream &err) {
    for (const std::string &failure : ending.failures) {
        Fail(err, failure);
    }
    if (ending.how == RunEnding::How::Interrupted) {
        Fail(err,
             "interrupted by signal " + std::to_string(ending.signal) + ' ' + ending.interruption);
    }
    if (ending.logIncomplete) {
        Fail(err,
             "the run log could not be written in full (a full disk or a closed pipe); " +
                 (ending.savedTo.empty()
                      ? std::string("the scenario is not saved")
                      : "the run went to its end and the scenario is saved to " + ending.savedTo));
    }
    const bool failed = !ending.failures.empty() || ending.logIncomplete;
    if (failed) {
        return ending.signal != 0 ? ExitStatusForSignal(ending.signal) : 1;
    }
    return ending.how == RunEnding::How::Reached ? 0 : ExitStatusForSignal(ending.signal);
}

} // namespace

int RunHost(const HostOptions &options, const std::string &programPath, std::ostream &out,
            std::ostream &err) {
    try {
        std::string error;
        const std::unique_ptr<Session> session =
            Session::Plan(options, programPath, out, err, error);
        return Report(session ? session->RunToEnd() : RunEnding::Refusal(error), err);
    } catch (const std::bad_alloc &) {
        // The outputs under way are dropped as the run unwinds; those complete stay.
        err << "standin-host: out of memory: the run ends, and no output that it had not "
               "completed is written\n";
        return 1;
    }
}

} // namespace standin
