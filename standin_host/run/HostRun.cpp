#include "standin_host/run/HostRun.h"

#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/run/Session.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <memory>
#include <new>

namespace standin {
namespace {

int Fail(std::ostream &err, const std::string &message) {
    err << "standin-host: " << Escaped(message) << '\n';
    return 1;
}

int Interrupted(std::ostream &err, int signal, const std::string &what) {
    err << "standin-host: interrupted by signal " << signal << ' ' << Escaped(what) << '\n';
    return ExitStatusForSignal(signal);
}

int Run(const HostOptions &options, const std::string &programPath, std::ostream &out,
        std::ostream &err) {
    std::string error;
    const std::unique_ptr<Session> session = Session::Plan(options, programPath, out, err, error);
    if (!session) {
        return RunInterruptSignal() != 0
                   ? Interrupted(err, RunInterruptSignal(), "before the run started: " + error)
                   : Fail(err, error);
    }
    if (RunInterruptSignal() != 0) {
        return Interrupted(err, RunInterruptSignal(), "before the run started; nothing is written");
    }
    if (!session->OpenOutputs(error)) {
        return RunInterruptSignal() != 0
                   ? Interrupted(err, RunInterruptSignal(), "before the run started: " + error)
                   : Fail(err, error);
    }

    const ScenarioDescription &scenario = session->Scenario();
    const Simulation &simulation = session->Sim();
    const double end = session->End();
    const std::string &output = session->OutputPath();
    RunLog &log = session->Log();
    const bool ran = session->Run(error);
    // A signal that comes once the run has reached its end stops nothing: the run is finished,
    // unless it kept a SAVE at the end from being written.
    const std::string &unwritten = simulation.UnwrittenCheckpoint();
    const bool finished =
        ran && unwritten.empty() &&
        (RunInterruptSignal() == 0 || simulation.Time() >= end - scenario.step * 1e-6);
    if (ran && !finished && simulation.Time() == scenario.time) {
        // Nothing has run: the outputs keep what they held.
        session->DiscardTrace();
        if (!unwritten.empty()) {
            Fail(err, unwritten);
        }
        return Interrupted(err, RunInterruptSignal(),
                           "before the first step; the run's outputs are not written");
    }

    // Each output that can be written is, and each is named when it is complete or has failed.
    bool failed = false;
    bool saved = false;
    auto report = [&](bool written, const std::string &what) {
        if (written) {
            log.Line(simulation.Time(), what, RunLog::Entry::Written);
        } else {
            Fail(err, error);
            failed = true;
        }
        return written;
    };
    if (!unwritten.empty()) {
        Fail(err, unwritten);
        failed = true;
    }
    if (!ran) {
        // The state after an error is no scenario to continue, nor a run to draw.
        Fail(err, error);
        failed = true;
    } else {
        saved = report(session->SaveScenario(error), "saved scenario to " + output);
        if (session->DrawsPicture()) {
            report(session->DrawPicture(error), "drew picture in " + options.plotPath);
        }
    }
    if (session->WritesTrace()) {
        // Up to where the run stopped, an error's or a signal's.
        report(session->FinishTrace(error), "wrote trace to " + options.tracePath);
    }
    const int signal = RunInterruptSignal();
    if (ran && !finished) {
        Interrupted(err, signal,
                    "at simulation time " + FormatExact(simulation.Time()) +
                        (saved ? "; the scenario as it stands is saved to " + output : ""));
    }
    // A run log that could not be written in full fails the run, once everything else is written.
    if (log.WriteFailed()) {
        Fail(err, "the run log could not be written in full (a full disk or a closed pipe); " +
                      std::string(saved ? "the run went to its end and the scenario is saved to " +
                                              output
                                        : "the scenario is not saved"));
        failed = true;
    }
    if (failed) {
        return signal != 0 ? ExitStatusForSignal(signal) : 1;
    }
    return finished ? 0 : ExitStatusForSignal(signal);
}

} // namespace

int RunHost(const HostOptions &options, const std::string &programPath, std::ostream &out,
            std::ostream &err) {
    try {
        return Run(options, programPath, out, err);
    } catch (const std::bad_alloc &) {
        // The outputs under way are dropped as the run unwinds; those complete stay.
        err << "standin-host: out of memory: the run ends, and no output that it had not "
               "completed is written\n";
        return 1;
    }
}

} // namespace standin
