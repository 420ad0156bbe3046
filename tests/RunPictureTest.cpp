// The run's trace and picture (--trace, --plot), from whole runs of the host with the real module.
#include "standin_host/outputs/PlotRecorder.h"
#include "standin_host/run/HostRun.h"
#include "tests/HostHarness.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>
#include <string>
#include <vector>

namespace {

using brevlet_test::ReadWhole;
using brevlet_test::TempFolder;

const std::string examples = BREVLET_EXAMPLES_FOLDER;

int RunHostIn(standin::HostOptions options, const TempFolder &folder) {
    options.moduleFolder = BREVLET_MODULE_FOLDER;
    options.outputPath = folder / "out.scn";
    std::ostringstream out;
    std::ostringstream err;
    return standin::RunHost(options, "", out, err);
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::size_t Count(const std::string &text, const std::string &part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Every row, with the host deleting at the end of the step and inside the request: the camera's
// target of the step stays on the row of a vessel that is deleted while targeted (Marker, 10 s).
TEST(RunTrace, CameraTargetRowByRow) {
    std::vector<std::string> expected = {
        "time,vessel,class,x,y,z,camera_distance,camera_target,debug_line,event",
        "0,Beacon,Brevlet,3000,4000,0,5000,1,,created", "0,Marker,Brevlet,0,300,0,300,0,,created"};
    for (int t = 1; t <= 4; ++t) {
        const std::string time = std::to_string(t);
        expected.push_back(time + ",Beacon,Brevlet,3000,4000,0,5000," +
                           (t < 4 ? "1," + std::to_string(60 - t) + ".000000 Dmax=1000.000000m,"
                                  : std::string("0,,deleted")));
        expected.push_back(time + ",Marker,Brevlet,0,300,0,300," +
                           (t < 4 ? "0,," : "1,6.000000 Dmax=1000.000000m,"));
    }
    for (int t = 5; t <= 10; ++t) {
        expected.push_back(std::to_string(t) + ",Marker,Brevlet,0,300,0,300,1," +
                           std::to_string(10 - t) + ".000000 Dmax=1000.000000m," +
                           (t == 10 ? "deleted" : ""));
    }
    for (const bool deleteAtOnce : {false, true}) {
        SCOPED_TRACE(deleteAtOnce ? "deleted at once" : "deleted at the end of the step");
        TempFolder folder;
        standin::HostOptions options;
        options.scenarioPath = examples + "/camera_target.scn";
        options.tracePath = folder / "trace.csv";
        options.deleteAtOnce = deleteAtOnce;
        ASSERT_EQ(RunHostIn(options, folder), 0);
        EXPECT_EQ(Lines(ReadWhole(options.tracePath)), expected);
    }
}

// Every third step only, but creations and deletions always; times read back as the host's own
// clock, summed from steps of 0.1 s, whatever the locale.
TEST(RunTrace, EveryNthStepKeepsEventsAndExactTimes) {
    TempFolder folder;
    standin::HostOptions options;
    options.scenarioPath = examples + "/culled_by_distance.scn";
    options.tracePath = folder / "trace.csv";
    options.traceEvery = 3;
    ASSERT_EQ(RunHostIn(options, folder), 0);
    const std::vector<std::string> lines = Lines(ReadWhole(options.tracePath));
    std::vector<int> steps = {0}; // created at the start, a row every third step, deleted at 50
    for (int step = 3; step < 50; step += 3) {
        steps.push_back(step);
    }
    steps.push_back(50);
    ASSERT_EQ(lines.size(), steps.size() + 1);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::string &row = lines[i + 1];
        const double clock = steps[i] * 0.1; // the clock counts its steps; it does not sum them
        double time = -1.0;
        const std::from_chars_result read =
            std::from_chars(row.data(), row.data() + row.size(), time);
        EXPECT_EQ(*read.ptr, ',') << row;
        EXPECT_EQ(time, clock) << row;
        const char *event = i == 0 ? ",created" : i + 1 == steps.size() ? ",deleted" : ",";
        EXPECT_EQ(row.substr(row.rfind(',')), event) << row;
    }
}

TEST(RunPicture, LanesTargetsAndDeletionsOfCameraTarget) {
    TempFolder folder;
    standin::HostOptions options;
    options.scenarioPath = examples + "/camera_target.scn";
    options.plotPath = folder / "run.svg";
    ASSERT_EQ(RunHostIn(options, folder), 0);
    const std::string svg = ReadWhole(options.plotPath);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_EQ(Count(svg, "</svg>"), 1u);
    EXPECT_EQ(Count(svg, "<script"), 0u);
    EXPECT_EQ(Count(svg, "href"), 0u);
    EXPECT_EQ(Count(svg, "font-family="), Count(svg, "font-family=\"sans-serif\""));
    EXPECT_NE(svg.find("The run of camera_target.scn"), std::string::npos);
    EXPECT_EQ(Count(svg, "<g class=\"lane\""), 2u);
    EXPECT_NE(svg.find("data-vessel=\"Beacon\""), std::string::npos);
    EXPECT_NE(svg.find(">deleted at 4 s, 5000 m away<"), std::string::npos);
    EXPECT_NE(svg.find(">deleted at 10 s, 300 m away<"), std::string::npos);
    // Two target intervals (Beacon to 3 s, Marker from 3 s) and the legend's sample.
    EXPECT_EQ(Count(svg, "fill=\"url(#targeted)\""), 3u);
    EXPECT_NE(svg.find("MaxCamDistance of class Brevlet: 1000 m"), std::string::npos);
}

// The picture's limit is the host's own reading of a "MaxCamDistance = <number>" line, as it reads
// the Module line: not the module's, which takes lines such as "MaxCamDistance = 1000m" as well.
TEST(RunPicture, DrawsTheLimitOfTheClassConfigurationsOwnLine) {
    struct Case {
        std::vector<std::string> lines; // after the "Module = Brevlet" line
        double limit;                   // 0: none drawn
    };
    const Case cases[] = {
        {{"MaxCamDistance = 1000  ; metres"}, 1000},
        {{"maxcamdistance=5e3"}, 5000},
        {{" MaxCamDistance\t= 250 "}, 250},
        {{"MaxCamDistance = 200", "MaxCamDistance = 700"}, 700},
        {{"MaxCamDistance = 700", "MaxCamDistance = metres"}, 700},
        {{"MaxCamDistance = 1000m"}, 0},
        {{"MaxCamDistanceLimit = 7"}, 0},
        {{"MaxCamDistance 30"}, 0},
        {{"MaxCamDistance = 1e400"}, 0},
        {{"MaxCamDistance = 0"}, 0},
        {{"MaxCamDistance = -1"}, 0},
        {{"LifeTime = 10", "; MaxCamDistance = 30"}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.back());
        brevlet_test::HostHarness host(c.lines);
        standin::PlotRecorder picture("probe.scn", 0, 10, 1);
        host.Sim().AddObserver(picture);
        host.CreateFromBlock("Probe", {});
        const std::vector<standin::PlotLimit> &limits = picture.Record().limits;
        if (c.limit > 0) {
            ASSERT_EQ(limits.size(), 1u);
            EXPECT_EQ(limits[0].className, "Brevlet");
            EXPECT_EQ(limits[0].distance, c.limit);
        } else {
            EXPECT_TRUE(limits.empty());
        }
    }
}

// Up to 40 vessels get lanes; above, the count of vessels alive takes their place.
TEST(RunPicture, ManyVesselsGiveACountInsteadOfLanes) {
    for (const int vessels : {40, 41}) {
        TempFolder folder;
        std::string scenario = "STEP 1\nEND 3\n";
        for (int i = 0; i < vessels; ++i) {
            scenario += "VESSEL V" + std::to_string(i) + " Brevlet\nPOS 0 0 " + std::to_string(i) +
                        "\nEND_VESSEL\n";
        }
        folder.Write("config/Brevlet.cfg", ReadWhole(examples + "/config/Brevlet.cfg"));
        standin::HostOptions options;
        options.scenarioPath = folder.Write("many.scn", scenario);
        options.plotPath = folder / "run.svg";
        ASSERT_EQ(RunHostIn(options, folder), 0);
        const std::string svg = ReadWhole(options.plotPath);
        EXPECT_EQ(Count(svg, "<g class=\"lane\""), vessels <= 40 ? 40u : 0u);
        EXPECT_EQ(Count(svg, "Vessels alive"), vessels <= 40 ? 0u : 1u);
    }
}

// A trace that cannot be opened stops the run before it starts; one whose writing fails (a full
// disk) fails the run once the scenario is saved.
TEST(RunTrace, UnwritableTraceFailsTheRun) {
    struct Case {
        const char *trace;
        bool saved;
    };
    std::vector<Case> cases = {{"missing/trace.csv", false}};
#if defined(__linux__)
    cases.push_back({"/dev/full", true});
#endif
    for (const Case &c : cases) {
        SCOPED_TRACE(c.trace);
        TempFolder folder;
        standin::HostOptions options;
        options.scenarioPath = examples + "/camera_target.scn";
        options.tracePath = c.trace[0] == '/' ? std::string(c.trace) : folder / c.trace;
        EXPECT_EQ(RunHostIn(options, folder), 1);
        EXPECT_EQ(ReadWhole(folder / "out.scn").empty(), !c.saved);
    }
}

} // namespace
