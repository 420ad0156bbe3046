#include "standin_host/scenario/ScenarioFile.h"

#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/TextOut.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace standin {
namespace {

// No line of a scenario takes more words than this.
constexpr std::size_t mostWords = 64;

// A block line as the module gets it: without its indentation, and without a comment, which the
// same rule as on every other line starts (a word that starts with '#'), nor the blanks before it.
std::string_view BlockText(std::string_view line) {
    std::size_t hash = line.find('#');
    while (hash != std::string_view::npos && hash > 0 && !IsBlank(line[hash - 1])) {
        hash = line.find('#', hash + 1);
    }
    if (hash != std::string_view::npos) {
        return TrimBlanks(line.substr(0, hash));
    }
    return line.substr(std::min(line.find_first_not_of(" \t"), line.size()));
}

// Parses the words of one line at a time, reporting the first fault with the file and line.
class LineParser {
public:
    LineParser(const std::string &fileName, std::string &error)
        : fileName(fileName), error(error) {}

    // Takes the words of `line`, line `number` of the file, into storage reused from line to line.
    // A word starting with '#' begins a comment. One word more than `mostWords` tells a line that
    // has more, which is refused without holding every word of it.
    void Read(std::string_view line, int lineNumber) {
        number = lineNumber;
        words.clear();
        for (std::string_view word;
             words.size() <= mostWords && !(word = NextWord(line)).empty() && word[0] != '#';) {
            words.push_back(word);
        }
    }

    const std::vector<std::string_view> &Words() const { return words; }
    std::size_t Count() const { return words.size(); }

    bool Fail(const std::string &message) {
        error = LinePlace(fileName, number) + message;
        return false;
    }

    bool Number(std::size_t index, double &value) {
        if (index >= words.size()) {
            return Fail("a number is missing");
        }
        if (!ParseFiniteNumber(words[index], value)) {
            return Fail(Quoted(words[index]) + " " + WhyNotAFiniteNumber(words[index]) +
                        NonAsciiNote(words[index]));
        }
        return true;
    }

    bool Vector(std::size_t index, VECTOR3 &value) {
        return Number(index, value.x) && Number(index + 1, value.y) && Number(index + 2, value.z);
    }

    bool Name(std::size_t index, std::string &value, const char *what) {
        if (index >= words.size()) {
            return Fail(std::string("a ") + what + " name is missing");
        }
        value = std::string(words[index]);
        if (!IsValidName(value)) {
            return Fail(Quoted(value) + " is not a valid " + what +
                        " name (letters, digits, '_', '-', '.')");
        }
        if (value == "NONE") {
            return Fail(std::string("NONE means no camera target; it cannot name a ") + what);
        }
        return true;
    }

    // `form` names the words after the first `given` of the line, which are shown as they
    // stand: "expected 5 words: CAMERA POS x y z; found 4".
    bool Exactly(std::size_t count, std::size_t given, const char *form) {
        if (words.size() != count) {
            std::string shape;
            for (std::size_t i = 0; i < given && i < words.size(); ++i) {
                shape.append(words[i]).append(" ");
            }
            return Fail("expected " + std::to_string(count) + " words: " + shape + form +
                        "; found " + std::to_string(words.size()));
        }
        return true;
    }

private:
    const std::string &fileName;
    std::string &error;
    int number = 0;
    std::vector<std::string_view> words;
};

// CAMERA POS x y z | CAMERA VEL x y z | CAMERA TARGET name|NONE, starting at word `at`.
bool ParseCamera(LineParser &p, std::size_t at, ScenarioEvent &event) {
    if (p.Count() <= at) {
        return p.Fail("CAMERA needs POS, VEL or TARGET");
    }
    const std::string_view what = p.Words()[at];
    if (what == "POS" || what == "VEL") {
        event.kind = what == "POS" ? ScenarioEvent::Kind::CameraPosition
                                   : ScenarioEvent::Kind::CameraVelocity;
        return p.Exactly(at + 4, at + 1, "x y z") && p.Vector(at + 1, event.vector);
    }
    if (what == "TARGET") {
        event.kind = ScenarioEvent::Kind::CameraTarget;
        if (!p.Exactly(at + 2, at + 1, "<vessel name, or NONE>")) {
            return false;
        }
        if (p.Words()[at + 1] == "NONE") {
            event.name.clear();
            return true;
        }
        return p.Name(at + 1, event.name, "vessel");
    }
    return p.Fail("CAMERA needs POS, VEL or TARGET, not " + Quoted(what) + NonAsciiNote(what));
}

// SPAWN name class [POS x y z] [VEL x y z], starting at word `at`.
bool ParseSpawn(LineParser &p, std::size_t at, ScenarioEvent &event) {
    event.kind = ScenarioEvent::Kind::Spawn;
    auto spawn = std::make_shared<SpawnedVessel>();
    if (!p.Name(at + 1, event.name, "vessel") || !p.Name(at + 2, spawn->className, "class")) {
        return false;
    }
    event.spawn = spawn;
    bool given[2] = {false, false}; // POS, VEL
    for (std::size_t i = at + 3; i < p.Count(); i += 4) {
        const std::string_view what = p.Words()[i];
        VECTOR3 *target = what == "POS"   ? &spawn->position
                          : what == "VEL" ? &spawn->velocity
                                          : nullptr;
        if (target == nullptr) {
            return p.Fail("SPAWN takes POS and VEL, not " + Quoted(what) + NonAsciiNote(what));
        }
        // As a repeated header line is: which of the two was meant cannot be told.
        if (std::exchange(given[target == &spawn->velocity], true)) {
            return p.Fail("SPAWN is given " + std::string(what) + " twice");
        }
        if (i + 4 > p.Count()) {
            return p.Fail(std::string(what) + " needs three numbers");
        }
        if (!p.Vector(i + 1, *target)) {
            return false;
        }
    }
    return true;
}

// Checks that no two vessels share a name, reporting the first vessel, in the order of the
// scenario's vessels and then its events, whose name came before. Camera targets are resolved
// while the run goes on, since a saved scenario may still name a vessel that no longer exists.
// The names are views of the scenario's own strings, not held a second time.
bool CheckNamesUnique(const ScenarioDescription &scenario, std::string &error) {
    std::unordered_set<std::string_view> names;
    names.reserve(scenario.vessels.size() + scenario.events.size());
    const auto again = [&](const std::string &name, int line) {
        if (names.insert(name).second) {
            return false;
        }
        error =
            LinePlace(scenario.fileName, line) + "a vessel named '" + name + "' is there already";
        return true;
    };
    for (const VesselEntry &vessel : scenario.vessels) {
        if (again(vessel.name, vessel.line)) {
            return false;
        }
    }
    for (const ScenarioEvent &event : scenario.events) {
        if (event.kind == ScenarioEvent::Kind::Spawn && again(event.name, event.line)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool IsValidName(const std::string &name) {
    constexpr const char *allowed =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.";
    return !name.empty() && name[0] != '.' && name.find_first_not_of(allowed) == std::string::npos;
}

const char *WhyNotACheckpointName(const std::string &path) {
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) {
        return "a checkpoint is a file inside the working folder; an absolute path is refused";
    }
    for (std::size_t start = 0, slash = 0; slash != std::string::npos; start = slash + 1) {
        slash = path.find('/', start);
        const std::string part = path.substr(start, slash - start);
        if (part == "..") {
            return "a checkpoint is a file inside the working folder; '..' is refused";
        }
        if (!IsValidName(part)) {
            return "a checkpoint's name takes letters, digits, '_', '-' and '.', not first, in "
                   "folders separated by '/'";
        }
        // Windows opens its devices under these names, whatever the extension; '#' stands for
        // the digit of a numbered one, which no valid name holds.
        std::string stem = part.substr(0, part.find('.'));
        if (stem.size() == 4 && stem[3] >= '0' && stem[3] <= '9') {
            stem[3] = '#';
        }
        for (const char *device : {"CON", "PRN", "AUX", "NUL", "COM#", "LPT#"}) {
            if (EqualsIgnoringAsciiCase(stem, device)) {
                return "a checkpoint may not take the name of a Windows device";
            }
        }
    }
    constexpr std::string_view extension = ".scn";
    if (path.size() <= extension.size() ||
        path.compare(path.size() - extension.size(), extension.size(), extension) != 0) {
        return "a checkpoint's name ends in .scn";
    }
    return nullptr;
}

bool ParseScenario(const TextFile &file, ScenarioDescription &scenario, std::string &error,
                   const ReadProgress &progress) {
    scenario = ScenarioDescription();
    scenario.fileName = file.name;
    // The clock's lines, each with the line that gave it (0 while none did).
    struct ClockLine {
        std::string_view keyword;
        double ScenarioDescription::*value;
        int line;
    } clockLines[] = {{"TIME", &ScenarioDescription::time, 0},
                      {"STEP", &ScenarioDescription::step, 0},
                      {"END", &ScenarioDescription::end, 0},
                      {"ORIGIN", &ScenarioDescription::origin, 0}};
    double shortestEvery = std::numeric_limits<double>::infinity(); // of an AT ... EVERY line
    int everyLine = 0;
    VesselEntry *openVessel = nullptr;
    // Events and vessels take their memory once, at its final size (grown by doubling, they would
    // hold up to three times that while the old copy moves to the new): as many as lines whose
    // first word is AT or VESSEL, which a vessel block's lines can only overcount.
    std::size_t eventLines = 0;
    std::size_t vesselLines = 0;
    TextLines counting(file.text);
    for (std::string_view line; counting.Next(line);) {
        const std::string_view first = NextWord(line);
        eventLines += first == "AT";
        vesselLines += first == "VESSEL";
    }
    scenario.events.reserve(eventLines);
    scenario.vessels.reserve(vesselLines);

    TextLines lines(file.text);
    LineParser p(file.name, error);
    for (std::string_view line; lines.Next(line);) {
        const int number = lines.Number();
        if (progress && number % 65536 == 0) {
            progress(static_cast<double>(line.data() - file.text.data()) /
                     static_cast<double>(file.text.size()));
        }
        if (openVessel != nullptr) {
            // The block's lines are the module's, delivered as they stand but for indentation and
            // comments; only END_VESSEL (with a comment, if any) closes the block, and a VESSEL
            // line means that it was never closed.
            const std::string_view text = BlockText(line);
            std::string_view rest = text;
            const std::string_view first = NextWord(rest);
            if (first != "END_VESSEL" && first != "VESSEL") {
                if (!text.empty()) { // else a blank line or a comment: the host's
                    openVessel->block.Add(text, number);
                }
                continue;
            }
            p.Read(text, number);
            if (first == "VESSEL") {
                return p.Fail("VESSEL inside the block of " + openVessel->name +
                              ", which has no END_VESSEL");
            }
            if (p.Count() > 1) {
                return p.Fail("END_VESSEL takes nothing after it, found " + Quoted(p.Words()[1]));
            }
            openVessel = nullptr;
            continue;
        }
        p.Read(line, number);
        if (p.Count() == 0) {
            continue;
        }
        if (p.Count() > mostWords) {
            return p.Fail("more than " + std::to_string(mostWords) +
                          " words; no line of a scenario takes that many");
        }
        const std::string_view keyword = p.Words()[0];
        ClockLine *const clockLine =
            std::find_if(std::begin(clockLines), std::end(clockLines),
                         [&](const ClockLine &clock) { return clock.keyword == keyword; });
        if (clockLine != std::end(clockLines)) {
            if (clockLine->line != 0) {
                return p.Fail(std::string(keyword) + " is given twice, here and at line " +
                              std::to_string(clockLine->line));
            }
            clockLine->line = number;
            double &value = scenario.*clockLine->value;
            if (!p.Exactly(2, 1, "<seconds>") || !p.Number(1, value)) {
                return false;
            }
            if (clockLine->value == &ScenarioDescription::step && value <= 0.0) {
                return p.Fail("STEP must be greater than zero");
            }
        } else if (keyword == "CAMERA") {
            ScenarioEvent event;
            if (!ParseCamera(p, 1, event)) {
                return false;
            }
            if (event.kind == ScenarioEvent::Kind::CameraTarget) {
                scenario.cameraTarget = event.name;
            } else {
                (event.kind == ScenarioEvent::Kind::CameraPosition ? scenario.cameraPosition
                                                                   : scenario.cameraVelocity) =
                    event.vector;
            }
        } else if (keyword == "VESSEL") {
            VesselEntry vessel;
            vessel.line = number;
            if (!p.Exactly(3, 1, "<name> <class>") || !p.Name(1, vessel.name, "vessel") ||
                !p.Name(2, vessel.className, "class")) {
                return false;
            }
            scenario.vessels.push_back(std::move(vessel));
            openVessel = &scenario.vessels.back();
        } else if (keyword == "AT") {
            ScenarioEvent event;
            event.line = number;
            if (!p.Number(1, event.time)) {
                return false;
            }
            if (p.Count() < 3) {
                return p.Fail("AT needs an event: CAMERA, SPAWN or SAVE");
            }
            std::size_t at = 2;
            if (p.Words()[2] == "EVERY") {
                // AT t EVERY T SAVE f: at t, and every T seconds after.
                if (!p.Number(3, event.every)) {
                    return false;
                }
                if (!(event.every > 0.0) || p.Count() < 5 || p.Words()[4] != "SAVE") {
                    return p.Fail("EVERY needs a time greater than 0 and a SAVE: AT t EVERY T SAVE "
                                  "<file>");
                }
                at = 4;
                if (event.every < shortestEvery) {
                    shortestEvery = event.every;
                    everyLine = number;
                }
            }
            const std::string_view what = p.Words()[at];
            if (what == "CAMERA") {
                if (!ParseCamera(p, 3, event)) {
                    return false;
                }
            } else if (what == "SPAWN") {
                if (!ParseSpawn(p, 2, event)) {
                    return false;
                }
            } else if (what == "SAVE") {
                if (!p.Exactly(at + 2, at + 1, "<file>")) {
                    return false;
                }
                event.kind = ScenarioEvent::Kind::Save;
                event.name = std::string(p.Words()[at + 1]);
                if (const char *why = WhyNotACheckpointName(event.name)) {
                    return p.Fail("SAVE " + Quoted(event.name) + ": " + why);
                }
            } else {
                return p.Fail("unknown event " + Quoted(what) + " (CAMERA, SPAWN or SAVE)" +
                              NonAsciiNote(what));
            }
            scenario.events.push_back(std::move(event));
        } else {
            return p.Fail("unknown keyword " + Quoted(keyword) + NonAsciiNote(keyword));
        }
    }

    if (openVessel != nullptr) {
        error = LinePlace(file.name, openVessel->line) + "VESSEL " + openVessel->name +
                " has no END_VESSEL";
        return false;
    }
    const int stepLine = clockLines[1].line;
    const int endLine = clockLines[2].line;
    if (stepLine == 0 || endLine == 0) {
        error = file.name + ": the scenario needs " +
                (stepLine == 0 && endLine == 0 ? "STEP and END"
                 : stepLine == 0               ? "STEP, the length of a step"
                                               : "END, the time at which the run ends");
        return false;
    }
    if (scenario.end < scenario.time) {
        error = file.name + ": END lies before TIME";
        return false;
    }
    if (shortestEvery < scenario.step) {
        // At most one checkpoint a step: a shorter period would only repeat it.
        error = LinePlace(file.name, everyLine) +
                "EVERY is shorter than STEP; a SAVE is written at most once a step";
        return false;
    }
    // Most scenarios list their events in order already; sorting those would only take a buffer.
    const auto earlier = [](const ScenarioEvent &a, const ScenarioEvent &b) {
        return a.time < b.time;
    };
    if (!std::is_sorted(scenario.events.begin(), scenario.events.end(), earlier)) {
        std::stable_sort(scenario.events.begin(), scenario.events.end(), earlier);
    }
    return CheckNamesUnique(scenario, error);
}

void WriteScenarioHeader(TextOut &out, const ScenarioDescription &scenario) {
    out << "TIME " << FormatExact(scenario.time) << '\n';
    if (scenario.ClockOrigin() != scenario.time) {
        out << "ORIGIN " << FormatExact(scenario.origin) << '\n';
    }
    out << "STEP " << FormatExact(scenario.step) << '\n';
    out << "END " << FormatExact(scenario.end) << '\n';
    out << "CAMERA POS " << VectorText(scenario.cameraPosition);
    out << "\nCAMERA VEL " << VectorText(scenario.cameraVelocity);
    out << "\nCAMERA TARGET " << (scenario.cameraTarget.empty() ? "NONE" : scenario.cameraTarget)
        << '\n';
}

void WriteVesselStart(TextOut &out, const std::string &name, const std::string &className) {
    out << "\nVESSEL " << name << ' ' << className << '\n';
}

void WriteVesselItem(TextOut &out, std::string_view key, std::string_view value) {
    out << "  " << key << ' ' << value << '\n';
}

void WriteVesselEnd(TextOut &out) {
    out << "END_VESSEL\n";
}

void WriteVesselEntry(TextOut &out, const VesselEntry &vessel) {
    WriteVesselStart(out, vessel.name, vessel.className);
    SourceLines::Cursor lines(vessel.block);
    std::string_view line;
    for (int number = 0; lines.Next(line, number);) {
        out << "  " << line << '\n';
    }
    WriteVesselEnd(out);
}

void WriteScenarioEvents(TextOut &out, const ScenarioEvent *first, const ScenarioEvent *last) {
    if (first != last) {
        out << '\n';
    }
    for (const ScenarioEvent *event = first; event != last; ++event) {
        if (!std::isfinite(event->time)) {
            continue; // a repeated SAVE whose time no longer advances: done
        }
        out << "AT " << FormatExact(event->time) << ' ';
        if (event->every > 0.0) {
            out << "EVERY " << FormatExact(event->every) << ' ';
        }
        switch (event->kind) {
        case ScenarioEvent::Kind::CameraPosition:
            out << "CAMERA POS " << VectorText(event->vector);
            break;
        case ScenarioEvent::Kind::CameraVelocity:
            out << "CAMERA VEL " << VectorText(event->vector);
            break;
        case ScenarioEvent::Kind::CameraTarget:
            out << "CAMERA TARGET " << (event->name.empty() ? "NONE" : event->name);
            break;
        case ScenarioEvent::Kind::Spawn:
            out << "SPAWN " << event->name << ' ' << event->spawn->className << " POS "
                << VectorText(event->spawn->position) << " VEL "
                << VectorText(event->spawn->velocity);
            break;
        case ScenarioEvent::Kind::Save:
            out << "SAVE " << event->name;
            break;
        }
        out << '\n';
    }
}

std::string FormatScenario(const ScenarioDescription &scenario) {
    StringOut out;
    WriteScenarioHeader(out, scenario);
    for (const VesselEntry &vessel : scenario.vessels) {
        WriteVesselEntry(out, vessel);
    }
    WriteScenarioEvents(out, scenario.events.data(),
                        scenario.events.data() + scenario.events.size());
    return out.Text();
}

} // namespace standin
