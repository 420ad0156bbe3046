#include "ProgressLine.h"

#include "NumberText.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace standin {
namespace {

constexpr std::chrono::milliseconds firstShownAfter(1000);
constexpr std::chrono::milliseconds redrawnEvery(250);

// "1h02m03s", "4m05s", "6s": the time left, rough as it is.
std::string Duration(double seconds) {
    if (!(seconds < 1e9)) {
        return "a very long time";
    }
    const long long total = std::llround(seconds);
    const std::string h = std::to_string(total / 3600);
    const std::string m = std::to_string(total / 60 % 60);
    const std::string s = std::to_string(total % 60);
    if (total >= 3600) {
        return h + "h" + (m.size() < 2 ? "0" : "") + m + "m" + (s.size() < 2 ? "0" : "") + s + "s";
    }
    if (total >= 60) {
        return m + "m" + (s.size() < 2 ? "0" : "") + s + "s";
    }
    return s + "s";
}

} // namespace

ProgressLine::ProgressLine(std::ostream &terminal, bool shown, double startTime, double endTime)
    : terminal(terminal), shown(shown), startTime(startTime), endTime(endTime),
      started(Clock::now()), lastDrawn(started) {}

ProgressLine::~ProgressLine() {
    Clear();
}

void ProgressLine::Look(double simTime) {
    const Clock::time_point now = Clock::now();
    if (now - started < firstShownAfter || now - lastDrawn < redrawnEvery) {
        return;
    }
    lastDrawn = now;
    const double elapsed = std::chrono::duration<double>(now - started).count();
    const double span = endTime - startTime;
    const double done = span > 0 ? std::clamp((simTime - startTime) / span, 0.0, 1.0) : 1.0;
    const double stepsPerSecond = static_cast<double>(steps) / elapsed;
    const double left = done > 0 ? elapsed * (1.0 - done) / done : 1e99;
    std::string text = "t=" + FormatFixed(simTime, 3) + "  " + FormatFixed(done * 100.0, 1) +
                       "%  " + FormatFixed(stepsPerSecond, 0) + " steps/s  " + Duration(left) +
                       " left";
    // "\r" and blanks over the rest of the last line redraw it in place on any terminal.
    const std::size_t length = text.size();
    text.append(drawnLength > length ? drawnLength - length : 0, ' ');
    terminal << '\r' << text << std::flush;
    drawnLength = length;
}

void ProgressLine::Clear() {
    if (drawnLength > 0) {
        terminal << '\r' << std::string(drawnLength, ' ') << '\r' << std::flush;
        drawnLength = 0;
    }
}

} // namespace standin
