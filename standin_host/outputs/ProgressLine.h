// The progress of a long run, shown on a terminal: one line on the error stream with the
// simulation time, the share of the run done, steps per second and the time left, redrawn in
// place and cleared at the end. Shown only when the run has lasted a second, and only when the
// stream is a terminal, so that nothing of it reaches a log file. The run tells it of its steps and
// its end as it tells every observer.
#pragma once

#include "standin_host/simulation/RunObserver.h"
#include "standin_host/simulation/RunView.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>

namespace standin {

// The progress line's text for a terminal `columns` wide. It is cut short of the last column: a
// line that reaches it wraps on many terminals, and redrawing it in place would leave the wrapped
// part behind. The fields that do not fit are left out whole, from the last.
std::string ProgressText(double simTime, double done, double stepsPerSecond, double secondsLeft,
                         std::size_t columns);

// What a long read of the scenario shows, for a terminal `columns` wide: "reading big.scn  45.0%"
// (`what` is "reading" or "parsing"); without the name where it does not fit.
std::string ReadingText(const std::string &what, const std::string &name, double share,
                        std::size_t columns);

// The clock that the lines below read: the steady clock, or a test's own.
using SteadyNow = std::chrono::steady_clock::time_point (*)();

// One line on a terminal, redrawn in place: "\r" and blanks over the rest of the last text redraw
// it on any terminal, and none reach the last column, even if the window has narrowed since. It is
// drawn only once a second has passed since it was made, and then at most four times a second.
class LineInPlace {
public:
    // `shown` false: the line stays off (the stream is not a terminal).
    LineInPlace(std::ostream &terminal, bool shown, SteadyNow now);
    ~LineInPlace() { Clear(); }
    LineInPlace(const LineInPlace &) = delete;
    LineInPlace &operator=(const LineInPlace &) = delete;

    // Takes the line away, so that something else can be written on a clean line.
    void Clear();

protected:
    // When the line is due, draws `text(columns, seconds)`: its text for a terminal `columns`
    // wide, `seconds` after the line was made.
    void Redraw(const std::function<std::string(std::size_t, double)> &text);

    const bool shown;

private:
    std::ostream &terminal;
    SteadyNow clock;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastDrawn;
    std::size_t drawnLength = 0; // 0: nothing shown
};

// The progress of reading a large scenario, shown as the progress of a run is.
class ReadingLine : public LineInPlace {
public:
    ReadingLine(std::ostream &terminal, bool shown, std::string name,
                SteadyNow now = std::chrono::steady_clock::now)
        : LineInPlace(terminal, shown, now), name(std::move(name)) {}

    void Show(const char *what, double share);

private:
    std::string name;
};

class ProgressLine : public RunObserver, public LineInPlace {
public:
    ProgressLine(std::ostream &terminal, bool shown, double startTime, double endTime,
                 SteadyNow now = std::chrono::steady_clock::now)
        : LineInPlace(terminal, shown, now), startTime(startTime), endTime(endTime) {}
    // Looks at the clock only after some tens of thousands of vessel calls, whether they make
    // many small steps or a few large ones.
    void StepDone(const RunView &run, const StepFacts &facts) override {
        if (shown) {
            ++steps;
            work += run.Vessels().size() - run.PendingDeletions() + 1;
            if (work >= workBetweenLooks) {
                work = 0;
                Look(facts.time);
            }
        }
    }
    void RunEnded(const RunView &) override { Clear(); }

private:
    static constexpr std::uint64_t workBetweenLooks = 65536;

    void Look(double simTime);

    double startTime;
    double endTime;
    std::uint64_t steps = 0;
    std::uint64_t work = 0; // steps and vessel calls since the last look
};

} // namespace standin
