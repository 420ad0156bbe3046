// The real stand-in host given files it cannot use: each is refused with a clear message that
// names the file (and the line, where there is one) and a non-zero exit, nothing crashes, and an
// output scenario that was there already is left exactly as it was. Input that only the module
// understands, overlong lines and CRLF line ends are taken.
#include "tests/hardening/HostProcess.h"
#include "tests/hardening/InProcessHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using hardening::TempFolder;

const char baseScenario[] = "STEP 1\n"
                            "END 3\n"
                            "CAMERA POS 0 0 0\n"
                            "VESSEL A Brevlet\n"
                            "  POS 0 0 10\n"
                            "END_VESSEL\n";
const char baseConfig[] = "Module = Brevlet\nLifeTime = 5\n";
const char previousOutput[] = "TIME 0\nSTEP 1\nEND 1\n# saved before; must survive\n";

const std::string megabyte(1 << 20, ' ');

// Writes the scenario and the class configuration and returns the host's arguments, with the
// output "out.scn" in the folder.
std::vector<std::string> HostArguments(const TempFolder &folder, const std::string &scenario,
                                       const std::string &config = baseConfig,
                                       const std::string &scenarioName = "run.scn") {
    folder.Write("config/Brevlet.cfg", config);
    return {folder.Write(scenarioName, scenario),
            "--config",
            folder / "config",
            "--modules",
            hardening::ModuleFolder(),
            "--output",
            folder / "out.scn"};
}

// A class whose module is `module`, in a module folder of its own holding `moduleFile`.
std::vector<std::string> RunWithModule(const TempFolder &folder, const std::string &module,
                                       const std::string &moduleFile) {
    std::vector<std::string> arguments =
        HostArguments(folder, baseScenario, "Module = " + module + "\nLifeTime = 5\n");
    arguments[4] = folder / "modules";
    fs::create_directories(folder.Path() / "modules");
    if (!moduleFile.empty()) {
        fs::copy_file(moduleFile, folder.Path() / "modules" / (module + ".so"));
    }
    return arguments;
}

struct RefusedCase {
    const char *name;
    std::vector<std::string> (*setUp)(const TempFolder &folder);
    // Matched against the host's error output. The system's reason, which follows "cannot open: "
    // and the like, is in the user's language, so it is not matched.
    const char *message;
};

const RefusedCase refusedCases[] = {
    {"MissingScenario",
     [](const TempFolder &f) {
         auto arguments = HostArguments(f, baseScenario);
         arguments[0] = f / "none.scn";
         return arguments;
     },
     R"(standin-host: .*/none\.scn: cannot open: )"},
    {"ScenarioIsAFolder",
     [](const TempFolder &f) {
         auto arguments = HostArguments(f, baseScenario);
         fs::create_directory(f / "folder.scn");
         arguments[0] = f / "folder.scn";
         return arguments;
     },
     R"(.*/folder\.scn: is a folder, not a file)"},
    {"EmptyScenario", [](const TempFolder &f) { return HostArguments(f, ""); },
     R"(.*/run\.scn: the scenario needs STEP and END)"},
    {"BinaryScenarioWithNul",
     [](const TempFolder &f) {
         return HostArguments(f, std::string("\x7f"
                                             "ELF\x02\x01\x01\0\0\0\n",
                                             11));
     },
     R"(.*/run\.scn:1: holds a NUL byte; not a text file)"},
    {"BinaryScenarioWithoutNul",
     [](const TempFolder &f) { return HostArguments(f, "\xff\xfe\x80\x01 x\n"); },
     // Control characters are escaped in the message.
     R"(.*/run\.scn:1: unknown keyword '\\xff\\xfe\\x80\\x01' \(it holds the byte \\xff, )"},
    // UTF-16 is named, with or without its byte-order mark, little- or big-endian.
    {"Utf16Scenario",
     [](const TempFolder &f) { return HostArguments(f, std::string("\xff\xfeS\0T\0E\0P\0", 10)); },
     R"(.*/run\.scn: is UTF-16 text; save it as UTF-8 \(or ASCII\))"},
    {"Utf16ScenarioWithoutByteOrderMark",
     [](const TempFolder &f) { return HostArguments(f, std::string("\0S\0T\0E\0P", 8)); },
     R"(.*/run\.scn: holds a NUL byte in every other place, as UTF-16 text does; save it as UTF-8)"},
    {"Utf16ClassConfiguration",
     [](const TempFolder &f) {
         return HostArguments(f, baseScenario, std::string("M\0o\0d\0u\0l\0e\0", 12));
     },
     R"(.*/run\.scn:4: class Brevlet: .*/Brevlet\.cfg: holds a NUL byte in every other place, as UTF-16)"},
    {"NulInsideAScenarioLine",
     [](const TempFolder &f) {
         return HostArguments(f, std::string(baseScenario) + "VESSEL B Brevlet\n  LIFE" +
                                     std::string(1, '\0') + "TIME 2\nEND_VESSEL\n");
     },
     R"(.*/run\.scn:8: holds a NUL byte; not a text file)"},
    {"NulInsideAClassConfigurationLine",
     [](const TempFolder &f) {
         return HostArguments(f, baseScenario,
                              "Module = Brevlet\nLifeTime = 5" + std::string(1, '\0') + "0\n");
     },
     R"(.*/run\.scn:4: class Brevlet: .*/Brevlet\.cfg:2: holds a NUL byte; not a text file)"},
    // A file of NULs (a link to /dev/zero, a sparse file) is no UTF-16 either.
    {"ClassConfigurationOfNulsAlone",
     [](const TempFolder &f) { return HostArguments(f, baseScenario, std::string(4096, '\0')); },
     R"(.*/run\.scn:4: class Brevlet: .*/Brevlet\.cfg:1: holds a NUL byte; not a text file)"},
    {"MegabyteLineWithAnUnknownKeyword",
     [](const TempFolder &f) {
         return HostArguments(f, std::string(baseScenario) + "LAUNCH" + std::string(1 << 20, 'x') +
                                     " now\n");
     },
     R"(.*/run\.scn:7: unknown keyword 'LAUNCHx{54}\.\.\.' \(1048582 characters\))"},
    {"DuplicateVesselNames",
     [](const TempFolder &f) {
         return HostArguments(f, std::string(baseScenario) + "VESSEL A Brevlet\nEND_VESSEL\n");
     },
     R"(.*/run\.scn:7: a vessel named 'A' is there already)"},
    {"SpawnOfAVesselNameInUse",
     [](const TempFolder &f) {
         return HostArguments(f, std::string(baseScenario) + "AT 1 SPAWN A Brevlet\n");
     },
     R"(.*/run\.scn:7: a vessel named 'A' is there already)"},
    {"ClassNameThatLeavesTheConfigFolder",
     [](const TempFolder &f) {
         return HostArguments(f, "STEP 1\nEND 3\nVESSEL A ../Brevlet\nEND_VESSEL\n");
     },
     R"(.*/run\.scn:3: '\.\./Brevlet' is not a valid class name)"},
    {"UnknownClass",
     [](const TempFolder &f) {
         return HostArguments(f, "STEP 1\nEND 3\nVESSEL A Nonesuch\nEND_VESSEL\n");
     },
     R"(.*/run\.scn:3: class Nonesuch: .*/config/Nonesuch\.cfg: cannot open: )"},
    {"ConfigFolderWithoutTheClass",
     [](const TempFolder &f) {
         auto arguments = HostArguments(f, baseScenario);
         fs::create_directory(f / "empty");
         arguments[2] = f / "empty";
         return arguments;
     },
     R"(.*/run\.scn:4: class Brevlet: .*/empty/Brevlet\.cfg: cannot open: )"},
    {"ConfigFolderMissing",
     [](const TempFolder &f) {
         auto arguments = HostArguments(f, baseScenario);
         arguments[2] = f / "nowhere";
         return arguments;
     },
     R"(.*/run\.scn:4: class Brevlet: .*/nowhere/Brevlet\.cfg: cannot open: )"},
    {"ModuleMissing", [](const TempFolder &f) { return RunWithModule(f, "Gone", ""); },
     R"(.*/run\.scn:4: class Brevlet: .*/modules/Gone\.so: no such module file \(--modules names the folder of the modules\))"},
    {"ModuleWithoutEntryPoints",
     [](const TempFolder &f) { return RunWithModule(f, "Bare", BREVLET_MODULE_WITHOUT_ENTRIES); },
     R"(.*/run\.scn:4: class Brevlet: .*/Bare\.so: not a vessel module: it does not export )"
     R"(ovcInit and ovcExit)"},
    {"ModuleThatIsNotALibrary",
     [](const TempFolder &f) {
         return RunWithModule(f, "Text", f.Write("text.so", "just some text\n"));
     },
     R"(.*/run\.scn:4: class Brevlet: .*/Text\.so: not a loadable module)"},
    {"OutputInAMissingFolder",
     [](const TempFolder &f) {
         auto arguments = HostArguments(f, baseScenario);
         arguments[6] = f / "nowhere/out.scn";
         return arguments;
     },
     R"(.*/nowhere/out\.scn: cannot write: the folder .*/nowhere does not exist)"},
    {"OutputThatIsAFolder",
     [](const TempFolder &f) {
         auto arguments = HostArguments(f, baseScenario);
         fs::create_directory(f / "folder-out.scn");
         arguments[6] = f / "folder-out.scn";
         return arguments;
     },
     R"(.*/folder-out\.scn: cannot write: is a folder)"},
    // Not even root may create files in /proc: the run goes to its end and the final write fails.
    {"OutputWhereNothingCanBeWritten",
     [](const TempFolder &f) {
         auto arguments = HostArguments(f, baseScenario);
         arguments[6] = "/proc/brevlet-hardening.scn";
         return arguments;
     },
     R"(/proc/brevlet-hardening\.scn: cannot write: )"},
    {"SaveEventIntoAMissingFolder",
     [](const TempFolder &f) {
         return HostArguments(f, std::string(baseScenario) + "AT 1 SAVE nowhere/mid.scn\n");
     },
     // Refused before the run starts, with the line of the event.
     R"(.*/run\.scn:\d+: nowhere/mid\.scn: cannot write: the folder nowhere does not exist)"},
    {"OutputNameLongerThanTheFileSystemTakes",
     [](const TempFolder &f) {
         auto arguments = HostArguments(f, baseScenario);
         arguments[6] = f / std::string(300, 'n');
         return arguments;
     },
     R"(: cannot write: the name is longer than the 255 bytes that its folder takes)"},
    {"RunOfMoreThan10To12Steps",
     [](const TempFolder &f) { return HostArguments(f, "STEP 0.001\nEND 1e12\n"); },
     R"(run\.scn: the run would take 1e\+15 steps of STEP 0\.001 from TIME 0 to END )"
     R"(1e\+12; more than 10\^12)"},
    {"CameraPositionThatOverflows",
     [](const TempFolder &f) {
         return HostArguments(f, "STEP 1\nEND 3\nCAMERA POS 1e308 0 0\nCAMERA VEL 1e308 0 0\n");
     },
     R"(the camera position overflows in the step after simulation time 0; a scenario holding )"},
    {"VesselPositionThatOverflows",
     [](const TempFolder &f) {
         return HostArguments(f, "STEP 1\nEND 5\nVESSEL Far Brevlet\n  POS 1e308 0 0\n"
                                 "  VEL 5e307 0 0\nEND_VESSEL\n");
     },
     R"(the position of vessel Far overflows in the step after simulation time 1; )"},
    {"ClockThatOverflows",
     [](const TempFolder &f) {
         return HostArguments(f, "TIME 1.7e308\nSTEP 1e308\nEND 1.79e308\n");
     },
     R"(run\.scn: the clock overflows: TIME 1\.7e\+308 and STEP 1e\+308 make no finite number)"},
    {"ModuleFor32BitX86",
     [](const TempFolder &f) {
         std::string elf("\x7f"
                         "ELF\x01\x01\x01",
                         7);
         elf.resize(64, '\0');
         elf[18] = 3; // i386
         return RunWithModule(f, "Old", f.Write("old.so", elf));
     },
     R"(.*/Old\.so: not a loadable module: built for 32-bit i386 \(32-bit x86\); this host )"},
    {"ModuleForWindows",
     [](const TempFolder &f) {
         std::string dll = "MZ";
         dll.resize(0x88, '\0');
         dll[0x3c] = '\x80';
         dll.replace(0x80, 6, std::string("PE\0\0\x64\x86", 6));
         return RunWithModule(f, "Win", f.Write("win.dll", dll));
     },
     R"(.*/Win\.so: not a loadable module: a Windows DLL for x86-64, not a module for Linux)"},
    {"ClockThatCannotAdvance",
     [](const TempFolder &f) {
         return HostArguments(f, "TIME 1e17\nSTEP 1\nEND 1.0000000000001e17\n");
     },
     R"(.*/run\.scn: the clock does not advance by STEP 1 at TIME 1e\+17)"},
};

class RefusedInput : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedInput, ClearMessageNonZeroExitOutputUntouched) {
    const RefusedCase &c = GetParam();
    TempFolder folder;
    const std::string output = folder.Write("out.scn", previousOutput);
    const std::vector<std::string> arguments = c.setUp(folder);

    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string());

    EXPECT_EQ(outcome.signal, 0) << "the host crashed:\n" << outcome.err;
    EXPECT_NE(outcome.exitCode, 0);
    EXPECT_NE(outcome.exitCode, -1);
    // One line of message, not a dump: overlong input is not echoed in full.
    ASSERT_LT(outcome.err.size(), 1000u) << outcome.err.substr(0, 2000);
    EXPECT_TRUE(std::regex_search(outcome.err, std::regex(c.message)))
        << "expected: " << c.message << "\nfound: " << outcome.err;
    EXPECT_EQ(hardening::ReadWhole(output), previousOutput);
    for (const auto &entry : fs::directory_iterator(folder.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos)
            << "temporary file left: " << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(StandInHost, RefusedInput, ::testing::ValuesIn(refusedCases),
                         [](const auto &instance) { return std::string(instance.param.name); });

// Without read permission a file cannot be opened, unless the tests run with the rights to read
// it anyway (as root does); then there is nothing to test.
TEST(RefusedInput, ScenarioWithoutReadPermission) {
    TempFolder folder;
    std::vector<std::string> arguments = HostArguments(folder, baseScenario);
    chmod(arguments[0].c_str(), 0);
    if (std::FILE *readable = std::fopen(arguments[0].c_str(), "rb")) {
        std::fclose(readable);
        GTEST_SKIP() << "a file without read permission is readable here (running as root)";
    }
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(arguments, folder.Path().string());
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(std::regex_search(outcome.err, std::regex(R"(run\.scn: cannot open: )")))
        << outcome.err;
}

struct TakenCase {
    const char *name;
    std::vector<std::string> (*setUp)(const TempFolder &folder);
    const char *log;      // matched against the run log
    const char *warnings; // matched against the error output; null: there must be none
};

const TakenCase takenCases[] = {
    {"ClassConfigurationKeysOnlyTheModuleOrNobodyKnows",
     [](const TempFolder &f) {
         return HostArguments(f, baseScenario,
                              "; comment\nModule = Brevlet\nMass = 5\nLifeTime = 2\nwhatever\n\n");
     },
     R"(\[t=2\.000\] deleted A)", nullptr},
    {"ScenarioLineThatNobodyTakes",
     [](const TempFolder &f) {
         return HostArguments(
             f, "STEP 1\nEND 3\nVESSEL A Brevlet\n  POS 0 0 1\n  THRUST 5\nEND_VESSEL\n");
     },
     R"(saved scenario to)", R"(.*/run\.scn:5: warning: scenario line not understood: 'THRUST 5')"},
    {"MegabyteClassConfigurationLine",
     [](const TempFolder &f) {
         return HostArguments(f, baseScenario, "Module = Brevlet\nLifeTime =" + megabyte + "2\n");
     },
     R"(\[t=2\.000\] deleted A)", nullptr},
    {"MegabyteScenarioBlockLine",
     [](const TempFolder &f) {
         return HostArguments(f, "STEP 1\nEND 3\nVESSEL A Brevlet\n  LIFETIME" + megabyte +
                                     "1\nEND_VESSEL\n");
     },
     R"(\[t=1\.000\] deleted A)", nullptr},
    {"MegabyteLineThatNobodyTakes",
     [](const TempFolder &f) {
         return HostArguments(f, "STEP 1\nEND 3\nVESSEL A Brevlet\n  THRUST" + megabyte +
                                     "\nEND_VESSEL\n");
     },
     // The warning names the line, cut short: it stays one readable line.
     R"(saved scenario to)",
     R"(:4: warning: scenario line not understood: 'THRUST {54}\.\.\.' \(\d+ characters\)\n$)"},
    {"ByteOrderMarksAndCameraTargetNone",
     [](const TempFolder &f) {
         return HostArguments(
             f, "\xef\xbb\xbf" + std::string(baseScenario) + "AT 1 CAMERA TARGET NONE\n",
             "\xef\xbb\xbf" + std::string(baseConfig));
     },
     R"(\[t=1\.000\] camera targets nothing)", nullptr},
    {"MegabyteComment",
     [](const TempFolder &f) {
         return HostArguments(f, std::string(baseScenario) + "#" + megabyte + "\n");
     },
     R"(saved scenario to)", nullptr},
};

class TakenInput : public ::testing::TestWithParam<TakenCase> {};

TEST_P(TakenInput, RunsToTheEnd) {
    const TakenCase &c = GetParam();
    TempFolder folder;
    const hardening::HostOutcome outcome =
        hardening::RunHostProcess(c.setUp(folder), folder.Path().string());
    EXPECT_EQ(outcome.signal, 0);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.substr(0, 2000);
    EXPECT_TRUE(std::regex_search(outcome.out, std::regex(c.log))) << outcome.out;
    if (c.warnings == nullptr) {
        EXPECT_EQ(outcome.err, "");
    } else {
        EXPECT_TRUE(std::regex_search(outcome.err, std::regex(c.warnings))) << outcome.err;
    }
    EXPECT_TRUE(fs::is_regular_file(folder / "out.scn"));
}

INSTANTIATE_TEST_SUITE_P(StandInHost, TakenInput, ::testing::ValuesIn(takenCases),
                         [](const auto &instance) { return std::string(instance.param.name); });

std::string WithLineEnds(const std::string &text, const std::string &lineEnd) {
    std::string converted;
    for (const char c : text) {
        converted += c == '\n' ? lineEnd : std::string(1, c);
    }
    return converted;
}

// The same scenario and configuration with "\r\n" line ends, "\r\r\n" from a file converted
// twice, or "\r" alone from an old Mac editor, run exactly as with "\n": the same log, the same
// saved scenarios.
TEST(CrlfLineEnds, ConfigureAndLoadExactlyLikeLf) {
    const std::string scenario = "STEP 0.5\nEND 6\nCAMERA POS 0 0 0\nCAMERA TARGET A\n"
                                 "VESSEL A Brevlet\n  POS 0 0 10\n  LIFETIME 2.5\nEND_VESSEL\n"
                                 "VESSEL B Brevlet\n  POS 0 0 1500\nEND_VESSEL\n"
                                 "AT 1 SPAWN C Brevlet POS 0 0 20\nAT 1.5 SAVE mid.scn\n";
    const std::string config = "Module = Brevlet\nLifeTime = 4\nMaxCamDistance = 1000\n";
    const std::string lineEnds[] = {"\n", "\r\n", "\r\r\n", "\r"};
    constexpr int kinds = sizeof lineEnds / sizeof *lineEnds;
    std::string logs[kinds];
    std::string saved[kinds];
    std::string mid[kinds];
    for (int i = 0; i < kinds; ++i) {
        TempFolder folder;
        const hardening::HostOutcome outcome =
            hardening::RunHostProcess(HostArguments(folder, WithLineEnds(scenario, lineEnds[i]),
                                                    WithLineEnds(config, lineEnds[i])),
                                      folder.Path().string());
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        // The log names the output; make the runs' folders alike.
        logs[i] = std::regex_replace(outcome.out, std::regex(folder.Path().string()), "DIR");
        saved[i] = hardening::ReadWhole(folder / "out.scn");
        mid[i] = hardening::ReadWhole(folder / "mid.scn");
    }
    for (int i = 1; i < kinds; ++i) {
        SCOPED_TRACE("line ends of " + std::to_string(lineEnds[i].size()) + " bytes");
        EXPECT_EQ(logs[i], logs[0]);
        EXPECT_EQ(saved[i], saved[0]);
        EXPECT_EQ(mid[i], mid[0]);
    }
    // And the runs did something worth comparing.
    EXPECT_NE(logs[0].find("deleted A"), std::string::npos) << logs[0];
    EXPECT_NE(logs[0].find("deleted B"), std::string::npos) << logs[0];
    EXPECT_NE(mid[0].find("LIFETIME"), std::string::npos) << mid[0];
}

} // namespace
