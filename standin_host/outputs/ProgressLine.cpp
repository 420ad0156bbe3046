#include "standin_host/outputs/ProgressLine.h"

#include "standin_host/platform/TerminalWidth.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

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

std::string ProgressText(double simTime, double done, double stepsPerSecond, double secondsLeft,
                         std::size_t columns) {
    const std::string fields[] = {
        "t=" + FormatFixed(simTime, 3), FormatFixed(done * 100.0, 1) + "%",
        FormatFixed(stepsPerSecond, 0) + " steps/s", Duration(secondsLeft) + " left"};
    // Whole fields or none: a field cut short would misread ("39776378 s" of "steps/s").
    const std::size_t room = columns > 0 ? columns - 1 : 0;
    std::string text;
    for (const std::string &field : fields) {
        const std::size_t gap = text.empty() ? 0 : 2;
        if (text.size() + gap + field.size() > room) {
            break;
        }
        text.append(gap, ' ').append(field);
    }
    return text;
}

std::string ReadingText(const std::string &what, const std::string &name, double share,
                        std::size_t columns) {
    const std::string done = FormatFixed(std::clamp(share, 0.0, 1.0) * 100.0, 1) + "%";
    const std::size_t room = columns > 0 ? columns - 1 : 0;
    std::string text = what + " " + Escaped(name) + "  " + done;
    if (text.size() > room) {
        text = what + "  " + done;
    }
    return text.size() > room ? std::string() : text;
}

void LineInPlace::Draw(std::string text, std::size_t columns) {
    const std::size_t length = text.size();
    const std::size_t cleared = std::min(drawnLength, columns > 0 ? columns - 1 : 0);
    text.append(cleared > length ? cleared - length : 0, ' ');
    terminal << '\r' << text << std::flush;
    drawnLength = std::max<std::size_t>(length, 1); // even an empty text took the cursor back
}

void LineInPlace::Clear() {
    if (drawnLength > 0) {
        const std::size_t columns = ErrorStreamColumns();
        terminal << '\r' << std::string(std::min(drawnLength, columns > 0 ? columns - 1 : 0), ' ')
                 << '\r' << std::flush;
        drawnLength = 0;
    }
}

ReadingLine::ReadingLine(std::ostream &terminal, bool shown, std::string name, SteadyNow now)
    : line(terminal), shown(shown), name(std::move(name)), clock(now), started(clock()),
      lastDrawn(started) {}

ReadingLine::~ReadingLine() {
    Clear();
}

void ReadingLine::Show(const char *what, double share) {
    const Clock::time_point now = clock();
    if (!shown || now - started < firstShownAfter || now - lastDrawn < redrawnEvery) {
        return;
    }
    lastDrawn = now;
    const std::size_t columns = ErrorStreamColumns();
    line.Draw(ReadingText(what, name, share, columns), columns);
}

ProgressLine::ProgressLine(std::ostream &terminal, bool shown, double startTime, double endTime,
                           SteadyNow now)
    : line(terminal), shown(shown), startTime(startTime), endTime(endTime), clock(now),
      started(clock()), lastDrawn(started) {}

ProgressLine::~ProgressLine() {
    Clear();
}

void ProgressLine::Look(double simTime) {
    const Clock::time_point now = clock();
    if (now - started < firstShownAfter || now - lastDrawn < redrawnEvery) {
        return;
    }
    lastDrawn = now;
    const double elapsed = std::chrono::duration<double>(now - started).count();
    const double span = endTime - startTime;
    const double done = span > 0 ? std::clamp((simTime - startTime) / span, 0.0, 1.0) : 1.0;
    const double stepsPerSecond = static_cast<double>(steps) / elapsed;
    const double left = done > 0 ? elapsed * (1.0 - done) / done : 1e99;
    const std::size_t columns = ErrorStreamColumns();
    line.Draw(ProgressText(simTime, done, stepsPerSecond, left, columns), columns);
}

} // namespace standin
