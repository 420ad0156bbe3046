#include "standin_host/outputs/ProgressLine.h"

#include "standin_host/platform/Process.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace standin {
namespace {

constexpr std::chrono::milliseconds firstShownAfter(1000);
constexpr std::chrono::milliseconds redrawnEvery(250);

// The room for a line on a terminal `columns` wide: short of the last column.
std::size_t Room(std::size_t columns) {
    return columns > 0 ? columns - 1 : 0;
}

// "1h02m03s", "4m05s", "6s": the time left, rough as it is.
std::string Duration(double seconds) {
    if (!(seconds < 1e9)) {
        return "a very long time";
    }
    const long long total = std::llround(seconds);
    if (total >= 3600) {
        return fmt::format("{}h{:02}m{:02}s", total / 3600, total / 60 % 60, total % 60);
    }
    if (total >= 60) {
        return fmt::format("{}m{:02}s", total / 60, total % 60);
    }
    return fmt::format("{}s", total);
}

} // namespace

std::string ProgressText(double simTime, double done, double stepsPerSecond, double secondsLeft,
                         std::size_t columns) {
    const std::string fields[] = {
        "t=" + FormatFixed(simTime, 3), FormatFixed(done * 100.0, 1) + "%",
        FormatFixed(stepsPerSecond, 0) + " steps/s", Duration(secondsLeft) + " left"};
    // Whole fields or none: a field cut short would misread ("39776378 s" of "steps/s").
    const std::size_t room = Room(columns);
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
    const std::string done = "  " + FormatFixed(std::clamp(share, 0.0, 1.0) * 100.0, 1) + "%";
    for (const std::string &text :
         {fmt::format("{} {}{}", what, Escaped(name), done), what + done}) {
        if (text.size() <= Room(columns)) {
            return text;
        }
    }
    return {};
}

LineInPlace::LineInPlace(std::ostream &terminal, bool shown, SteadyNow now)
    : shown(shown), terminal(terminal), clock(now), started(clock()), lastDrawn(started) {}

void LineInPlace::Redraw(const std::function<std::string(std::size_t, double)> &text) {
    const auto now = clock();
    if (!shown || now - started < firstShownAfter || now - lastDrawn < redrawnEvery) {
        return;
    }
    lastDrawn = now;
    const std::size_t columns = ErrorStreamColumns();
    std::string drawn = text(columns, std::chrono::duration<double>(now - started).count());
    const std::size_t length = drawn.size();
    const std::size_t cleared = std::min(drawnLength, Room(columns));
    drawn.append(cleared > length ? cleared - length : 0, ' ');
    terminal << '\r' << drawn << std::flush;
    drawnLength = std::max<std::size_t>(length, 1); // even an empty text took the cursor back
}

void LineInPlace::Clear() {
    if (drawnLength > 0) {
        terminal << '\r' << std::string(std::min(drawnLength, Room(ErrorStreamColumns())), ' ')
                 << '\r' << std::flush;
        drawnLength = 0;
    }
}

void ReadingLine::Show(const char *what, double share) {
    Redraw([&](std::size_t columns, double) { return ReadingText(what, name, share, columns); });
}

void ProgressLine::Look(double simTime) {
    Redraw([&](std::size_t columns, double elapsed) {
        const double span = endTime - startTime;
        const double done = span > 0 ? std::clamp((simTime - startTime) / span, 0.0, 1.0) : 1.0;
        const double stepsPerSecond = static_cast<double>(steps) / elapsed;
        const double left = done > 0 ? elapsed * (1.0 - done) / done : 1e99;
        return ProgressText(simTime, done, stepsPerSecond, left, columns);
    });
}

} // namespace standin
