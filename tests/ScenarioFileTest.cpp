// The stand-in host's scenario file: what it parses, what it writes, and how it refuses input
// that is not a scenario.
#include "standin_host/scenario/ScenarioFile.h"
#include "tests/HostHarness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

using standin::ScenarioDescription;
using standin::ScenarioEvent;

standin::TextFile FromText(const std::string &name, const std::string &text) {
    return standin::TextFile{name, text};
}

bool SameBits(double a, double b) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

void ExpectSameVector(const VECTOR3 &a, const VECTOR3 &b) {
    EXPECT_TRUE(SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z))
        << brevlet_test::Describe(a) << " vs " << brevlet_test::Describe(b);
}

// A block's lines as "number: text", in order.
std::vector<std::string> Numbered(const standin::SourceLines &block) {
    std::vector<std::string> lines;
    standin::SourceLines::Cursor cursor(block);
    std::string_view line;
    for (int number = 0; cursor.Next(line, number);) {
        lines.push_back(std::to_string(number) + ": " + std::string(line));
    }
    return lines;
}

// A block's lines, without their numbers.
std::vector<std::string> Texts(const standin::SourceLines &block) {
    std::vector<std::string> lines = Numbered(block);
    for (std::string &line : lines) {
        line.erase(0, line.find(": ") + 2);
    }
    return lines;
}

// Everything that a scenario says, line numbers aside.
void ExpectSameScenario(const ScenarioDescription &a, const ScenarioDescription &b) {
    EXPECT_TRUE(SameBits(a.time, b.time));
    EXPECT_TRUE(SameBits(a.step, b.step));
    EXPECT_TRUE(SameBits(a.end, b.end));
    ExpectSameVector(a.cameraPosition, b.cameraPosition);
    ExpectSameVector(a.cameraVelocity, b.cameraVelocity);
    EXPECT_EQ(a.cameraTarget, b.cameraTarget);
    ASSERT_EQ(a.vessels.size(), b.vessels.size());
    for (std::size_t i = 0; i < a.vessels.size(); ++i) {
        SCOPED_TRACE("vessel " + a.vessels[i].name);
        EXPECT_EQ(a.vessels[i].name, b.vessels[i].name);
        EXPECT_EQ(a.vessels[i].className, b.vessels[i].className);
        EXPECT_EQ(Texts(a.vessels[i].block), Texts(b.vessels[i].block));
    }
    ASSERT_EQ(a.events.size(), b.events.size());
    for (std::size_t i = 0; i < a.events.size(); ++i) {
        SCOPED_TRACE("event " + std::to_string(i));
        const ScenarioEvent &x = a.events[i];
        const ScenarioEvent &y = b.events[i];
        EXPECT_TRUE(SameBits(x.time, y.time));
        EXPECT_EQ(x.kind, y.kind);
        ExpectSameVector(x.vector, y.vector);
        EXPECT_EQ(x.name, y.name);
        ASSERT_EQ(x.spawn != nullptr, y.spawn != nullptr);
        if (x.spawn != nullptr) {
            EXPECT_EQ(x.spawn->className, y.spawn->className);
            ExpectSameVector(x.spawn->position, y.spawn->position);
            ExpectSameVector(x.spawn->velocity, y.spawn->velocity);
        }
    }
}

const char fullScenario[] = R"(# Every part of a scenario, with numbers that are not round.
TIME 0.1
STEP 0.1   # a step of 0.1 s
END 12.3333333333333339
CAMERA POS 1e-9 -0 1e300
CAMERA VEL 0.3 -2.5e-3 +4
CAMERA TARGET Flare

VESSEL Flare Brevlet
  POS 0 0 200   # a comment, as on every line
	VEL 0 0 -1
  # a comment line, which the module never sees
  LIFETIME 0.33333333333333331
  NOTE a#b c #d
END_VESSEL

VESSEL Ember.2 Brevlet # a comment after the words
    POS 5e-324 1.7976931348623157e308 -1
END_VESSEL   # a comment after the block's end

AT 8 SAVE checkpoint.scn
AT 3 CAMERA TARGET NONE
AT 3 CAMERA TARGET Ember.2
AT 4 CAMERA POS 0 0 -500
AT 4.5 CAMERA VEL 1 2 3
AT 5 SPAWN Spark Brevlet POS 0 10 0 VEL 0 1 0
AT 6 SPAWN Ash_1 Brevlet VEL 7 7 7
)";

TEST(ScenarioFile, ParseFormatParseGivesTheSameScenario) {
    ScenarioDescription first;
    std::string error;
    ASSERT_TRUE(standin::ParseScenario(FromText("full.scn", fullScenario), first, error)) << error;

    EXPECT_EQ(first.step, 0.1);
    EXPECT_EQ(first.end, 12.3333333333333339);
    EXPECT_EQ(first.cameraTarget, "Flare");
    ASSERT_EQ(first.vessels.size(), 2u);
    // The comment line 12 is left out; '#' inside a word is no comment.
    EXPECT_EQ(Numbered(first.vessels[0].block),
              (std::vector<std::string>{"10: POS 0 0 200", "11: VEL 0 0 -1",
                                        "13: LIFETIME 0.33333333333333331", "14: NOTE a#b c"}));
    ASSERT_EQ(first.events.size(), 7u);
    EXPECT_EQ(first.events[0].kind, ScenarioEvent::Kind::CameraTarget); // sorted by time,
    EXPECT_EQ(first.events[0].name, "");                                // ties in file order
    EXPECT_EQ(first.events[1].name, "Ember.2");
    EXPECT_EQ(first.events.back().kind, ScenarioEvent::Kind::Save);

    const std::string formatted = standin::FormatScenario(first);
    ScenarioDescription second;
    ASSERT_TRUE(standin::ParseScenario(FromText("formatted.scn", formatted), second, error))
        << error << "\n"
        << formatted;
    ExpectSameScenario(first, second);
    EXPECT_EQ(standin::FormatScenario(second), formatted);
}

// A repeated SAVE and the clock's origin read back as written; a scenario without ORIGIN counts
// from its TIME and writes none.
TEST(ScenarioFile, RepeatedSaveAndClockOriginReadBack) {
    const std::string text =
        "TIME 8.2\nORIGIN 0.1\nSTEP 0.3\nEND 30\nAT 8.5 EVERY 2.5 SAVE cp.scn\n";
    ScenarioDescription first;
    std::string error;
    ASSERT_TRUE(standin::ParseScenario(FromText("a.scn", text), first, error)) << error;
    EXPECT_EQ(first.ClockOrigin(), 0.1);
    ASSERT_EQ(first.events.size(), 1u);
    EXPECT_EQ(first.events[0].every, 2.5);
    const std::string formatted = standin::FormatScenario(first);
    EXPECT_NE(formatted.find("TIME 8.2\nORIGIN 0.1\nSTEP 0.3\n"), std::string::npos) << formatted;
    EXPECT_NE(formatted.find("\nAT 8.5 EVERY 2.5 SAVE cp.scn\n"), std::string::npos) << formatted;
    ScenarioDescription second;
    ASSERT_TRUE(standin::ParseScenario(FromText("b.scn", formatted), second, error)) << error;
    EXPECT_EQ(standin::FormatScenario(second), formatted);

    ScenarioDescription plain;
    ASSERT_TRUE(
        standin::ParseScenario(FromText("c.scn", "TIME 0.1\nSTEP 0.3\nEND 1\n"), plain, error));
    EXPECT_EQ(plain.ClockOrigin(), 0.1);
    EXPECT_EQ(standin::FormatScenario(plain).find("ORIGIN"), std::string::npos);
}

TEST(ScenarioFile, MalformedLinesAreReportedWithFileAndLine) {
    struct Case {
        const char *text;
        const char *error;
    };
    const Case cases[] = {
        {"STEP 1\nEND 5\nWARP 9\n", "bad.scn:3: unknown keyword 'WARP'"},
        {"STEP 0\nEND 5\n", "bad.scn:1: STEP must be greater than zero"},
        {"STEP -1\nEND 5\n", "bad.scn:1: STEP must be greater than zero"},
        {"STEP x\nEND 5\n", "bad.scn:1: 'x' is not a finite number"},
        {"STEP 1,5\nEND 5\n", "bad.scn:1: '1,5' is not a finite number"},
        {"STEP 1\nEND inf\n", "bad.scn:2: 'inf' is not a finite number"},
        {"STEP 1\nEND 1e999\n", "bad.scn:2: '1e999' is too large for a number"},
        {"STEP 1e-400\nEND 5\n", "bad.scn:1: '1e-400' is too small, reads as 0"},
        {"STEP 0.00001e-320\nEND 5\n", "bad.scn:1: '0.00001e-320' is too small, reads as 0"},
        {"STEP 1\nEND 5\nSTEP 2\n", "bad.scn:3: STEP is given twice, here and at line 1"},
        // Characters that look like a blank or a letter are named; control characters escaped.
        {"STEP 1\nEND 5\nCAMERA\xc2\xa0POS 0 0 0\n",
         "bad.scn:3: unknown keyword 'CAMERA\xc2\xa0POS' (it holds U+00A0 no-break space, which is "
         "not ASCII)"},
        {"STEP 1\nEND 5\nWARP\xc2\x9b\x1b\n",
         "bad.scn:3: unknown keyword 'WARP\\xc2\\x9b\\x1b' (it holds U+009B, which is not ASCII)"},
        // A right-to-left override would show the rest of the message reversed.
        {"STEP 1\nEND 5\nWARP\xe2\x80\xae"
         "9\n",
         "bad.scn:3: unknown keyword 'WARP\\xe2\\x80\\xae9' (it holds U+202E, which is not "
         "ASCII)"},
        {"STEP 0x10\nEND 5\n", "bad.scn:1: '0x10' is not a finite number"},
        {"STEP\nEND 5\n", "bad.scn:1: expected 2 words: STEP <seconds>; found 1"},
        {"STEP 1 2\nEND 5\n", "bad.scn:1: expected 2 words: STEP <seconds>; found 3"},
        {"STEP 1\nEND 5\nCAMERA\n", "bad.scn:3: CAMERA needs POS, VEL or TARGET"},
        {"STEP 1\nEND 5\nCAMERA ZOOM 2\n",
         "bad.scn:3: CAMERA needs POS, VEL or TARGET, not 'ZOOM'"},
        {"STEP 1\nEND 5\nCAMERA POS 1 2\n",
         "bad.scn:3: expected 5 words: CAMERA POS x y z; found 4"},
        {"STEP 1\nEND 5\nCAMERA POS 1 2 nan\n", "bad.scn:3: 'nan' is not a finite number"},
        {"STEP 1\nEND 5\nCAMERA TARGET\n",
         "bad.scn:3: expected 3 words: CAMERA TARGET <vessel name, or NONE>; found 2"},
        {"STEP 1\nEND 5\nVESSEL A\n",
         "bad.scn:3: expected 3 words: VESSEL <name> <class>; found 2"},
        {"STEP 1\nEND 5\nVESSEL ../A Brevlet\nEND_VESSEL\n",
         "bad.scn:3: '../A' is not a valid vessel name (letters, digits, '_', '-', '.')"},
        {"STEP 1\nEND 5\nVESSEL A ../../etc/passwd\nEND_VESSEL\n",
         "bad.scn:3: '../../etc/passwd' is not a valid class name (letters, digits, '_', '-', "
         "'.')"},
        {"STEP 1\nEND 5\nVESSEL NONE Brevlet\nEND_VESSEL\n",
         "bad.scn:3: NONE means no camera target; it cannot name a vessel"},
        {"STEP 1\nEND 5\nVESSEL A Brevlet\n  POS 0 0 0\n", "bad.scn:3: VESSEL A has no END_VESSEL"},
        {"STEP 1\nEND 5\nVESSEL A Brevlet\nEND_VESSEL x\nVESSEL B Brevlet\nEND_VESSEL\n",
         "bad.scn:4: END_VESSEL takes nothing after it, found 'x'"},
        {"STEP 1\nEND 5\nVESSEL A Brevlet\nEND_VESSEL\nVESSEL A Brevlet\nEND_VESSEL\n",
         "bad.scn:5: a vessel named 'A' is there already"},
        {"STEP 1\nEND 5\nVESSEL A Brevlet\nEND_VESSEL\nAT 1 SPAWN A Brevlet\n",
         "bad.scn:5: a vessel named 'A' is there already"},
        // The first repeat in the order of vessels, then events by time, not by name.
        {"STEP 1\nEND 5\nVESSEL B Brevlet\nEND_VESSEL\nVESSEL A Brevlet\nEND_VESSEL\n"
         "AT 2 SPAWN A Brevlet\nAT 1 SPAWN B Brevlet\nAT 3 SPAWN A Brevlet\n",
         "bad.scn:8: a vessel named 'B' is there already"},
        {"STEP 1\nEND 5\nAT\n", "bad.scn:3: a number is missing"},
        {"STEP 1\nEND 5\nAT 1\n", "bad.scn:3: AT needs an event: CAMERA, SPAWN or SAVE"},
        {"STEP 1\nEND 5\nAT soon SAVE x.scn\n", "bad.scn:3: 'soon' is not a finite number"},
        {"STEP 1\nEND 5\nAT 1 EXPLODE\n",
         "bad.scn:3: unknown event 'EXPLODE' (CAMERA, SPAWN or SAVE)"},
        {"STEP 1\nEND 5\nAT 1 SAVE\n", "bad.scn:3: expected 4 words: AT 1 SAVE <file>; found 3"},
        {"STEP 1\nEND 5\nAT 1 SPAWN B\n", "bad.scn:3: a class name is missing"},
        {"STEP 1\nEND 5\nAT 1 SPAWN B Brevlet POS 1 2\n", "bad.scn:3: POS needs three numbers"},
        {"STEP 1\nEND 5\nAT 1 SPAWN B Brevlet ROT 1 2 3\n",
         "bad.scn:3: SPAWN takes POS and VEL, not 'ROT'"},
        {"STEP 1\nEND 5\nAT 1 SPAWN X Brevlet POS 1 2 3 POS 4 5 6\n",
         "bad.scn:3: SPAWN is given POS twice"},
        {"STEP 1\nEND 5\nAT 1 SPAWN X Brevlet VEL 1 2 3 POS 0 0 0 VEL 4 5 6\n",
         "bad.scn:3: SPAWN is given VEL twice"},
        {"STEP 1\nEND 5\nAT 1 EVERY 0 SAVE x.scn\n",
         "bad.scn:3: EVERY needs a time greater than 0 and a SAVE: AT t EVERY T SAVE <file>"},
        {"STEP 1\nEND 5\nAT 1 EVERY 2 CAMERA TARGET NONE\n",
         "bad.scn:3: EVERY needs a time greater than 0 and a SAVE: AT t EVERY T SAVE <file>"},
        {"STEP 1\nEND 5\nAT 1 EVERY 2 SAVE\n",
         "bad.scn:3: expected 6 words: AT 1 EVERY 2 SAVE <file>; found 5"},
        {"STEP 1\nEND 5\nAT 1 EVERY 2 SAVE a.scn\nAT 1 EVERY 0.5 SAVE b.scn\n",
         "bad.scn:4: EVERY is shorter than STEP; a SAVE is written at most once a step"},
        {"ORIGIN 1\nSTEP 1\nORIGIN 2\nEND 5\n",
         "bad.scn:3: ORIGIN is given twice, here and at line 1"},
        {"END 5\n", "bad.scn: the scenario needs STEP, the length of a step"},
        {"STEP 1\n", "bad.scn: the scenario needs END, the time at which the run ends"},
        {"", "bad.scn: the scenario needs STEP and END"},
        {"TIME 6\nSTEP 1\nEND 5\n", "bad.scn: END lies before TIME"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ScenarioDescription scenario;
        std::string error;
        EXPECT_FALSE(standin::ParseScenario(FromText("bad.scn", c.text), scenario, error));
        EXPECT_EQ(error, c.error);
    }
}

// A file with "\r\n", "\r" or "\r\r\n" line ends reads exactly like the same file with "\n".
TEST(ScenarioFile, EveryLineEndParsesLikeLf) {
    const auto withLineEnds = [](const std::string &text, const std::string &end) {
        std::string converted;
        for (const char c : text) {
            converted += c == '\n' ? end : std::string(1, c);
        }
        return converted;
    };
    brevlet_test::TempFolder folder;
    standin::TextFile lfFile;
    std::string error;
    ASSERT_TRUE(standin::ReadTextFile(folder.Write("lf.scn", fullScenario), lfFile, error))
        << error;
    ScenarioDescription lf;
    ASSERT_TRUE(standin::ParseScenario(lfFile, lf, error)) << error;

    for (const std::string end : {"\r\n", "\r", "\r\r\n"}) {
        SCOPED_TRACE("line end of " + std::to_string(end.size()) + " bytes");
        standin::TextFile file;
        ASSERT_TRUE(standin::ReadTextFile(
            folder.Write("other.scn", withLineEnds(fullScenario, end)), file, error))
            << error;
        ScenarioDescription other;
        ASSERT_TRUE(standin::ParseScenario(file, other, error)) << error;
        ExpectSameScenario(lf, other);
        for (const standin::VesselEntry &vessel : other.vessels) {
            standin::SourceLines::Cursor lines(vessel.block);
            std::string_view line;
            for (int number = 0; lines.Next(line, number);) {
                EXPECT_EQ(line.find('\r'), std::string::npos) << line;
            }
        }

        // Errors name the same line either way.
        standin::TextFile badFile;
        ASSERT_TRUE(standin::ReadTextFile(
            folder.Write("bad.scn", withLineEnds("STEP 1\nEND 5\n\nWARP 9\n", end)), badFile,
            error));
        ScenarioDescription bad;
        EXPECT_FALSE(standin::ParseScenario(badFile, bad, error));
        EXPECT_EQ(error, badFile.name + ":4: unknown keyword 'WARP'");
    }
}

// Windows opens a device for these stems in any letter case and with any extension; names that
// only begin like one are files.
TEST(ScenarioFile, CheckpointsNeverTakeAWindowsDeviceName) {
    const struct {
        const char *path;
        bool device;
    } cases[] = {
        {"con.scn", true},    {"PRN.scn", true},   {"Aux.old.scn", true},  {"sub/nUl.scn", true},
        {"COM1.scn", true},   {"lpt9.scn", true},  {"console.scn", false}, {"com.scn", false},
        {"COM10.scn", false}, {"CON1.scn", false}, {"lptx.scn", false},    {"nul/a.scn", true},
    };
    for (const auto &c : cases) {
        const char *why = standin::WhyNotACheckpointName(c.path);
        EXPECT_EQ(why != nullptr && std::strstr(why, "Windows device") != nullptr, c.device)
            << c.path;
        if (!c.device) {
            EXPECT_EQ(why, nullptr) << c.path << ": " << why;
        }
    }
}

} // namespace
