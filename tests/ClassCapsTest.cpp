// Reading LifeTime and MaxCamDistance from the class configuration file.
#include "standin_host/interface/LineReader.h"
#include "tests/HostHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using brevlet_test::HostHarness;

struct ConfigCase {
    std::vector<std::string> lines; // after the "Module = Brevlet" line
    double lifetime;
    double maxCamDistance;
};

const ConfigCase configCases[] = {
    {{"LifeTime = 30"}, 30, 0},
    {{"MaxCamDistance = 5e3"}, 0, 5000},
    {{"LifeTime = 10", "MaxCamDistance = 1000"}, 10, 1000},
    // The key's case does not matter and no blanks are needed.
    {{"lifetime=30"}, 30, 0},
    {{"LIFETIME = 30"}, 30, 0},
    {{"maxcamdistance=1e3"}, 0, 1000},
    // Without "=" the line is skipped.
    {{"LifeTime 30"}, 0, 0},
    {{"LifeTime"}, 0, 0},
    {{"MaxCamDistance"}, 0, 0},
    // Whatever stands between the key and the first "=" is passed over.
    {{"LifeTimeScale = 2"}, 2, 0},
    {{"LifeTime: 1 = 2"}, 2, 0},
    {{"MaxCamDistanceLimit=7"}, 0, 7},
    // No number after the "=" leaves the value as it was; text after the number is ignored.
    {{"LifeTime = abc"}, 0, 0},
    {{"LifeTime ="}, 0, 0},
    {{"LifeTime =   "}, 0, 0},
    {{"LifeTime == 4"}, 0, 0},
    {{"LifeTime = 30 s"}, 30, 0},
    {{"LifeTime = 10 ; seconds"}, 10, 0},
    // The decimal point is '.' whatever the locale; a comma ends the number.
    {{"LifeTime = 3.5"}, 3.5, 0},
    {{"LifeTime = 3,5"}, 3, 0},
    {{"LifeTime = +4", "MaxCamDistance = .5"}, 4, 0.5},
    {{"LifeTime = inf", "MaxCamDistance = 0x10"}, 0, 0},
    {{"LifeTime = 1e400"}, std::numeric_limits<double>::infinity(), 0},
    // A key counts only at the very start of the line.
    {{" LifeTime = 30"}, 0, 0},
    {{"\tMaxCamDistance = 30"}, 0, 0},
    {{"; LifeTime = 30"}, 0, 0},
    {{"MaxCam = 7"}, 0, 0},
    // The last line that yields a number decides.
    {{"LifeTime = 10", "LifeTime = 20"}, 20, 0},
    {{"LifeTime = 10", "LifeTime = x", "LifeTime"}, 10, 0},
    {{"MaxCamDistance = 1", "LifeTime = 5", "MaxCamDistance = 2"}, 5, 2},
    {{"MaxCamDistance = 200", "MaxCamDistance = 700"}, 0, 700},
    {{"MaxCamDistance = 700", "MaxCamDistance = metres"}, 0, 700},
    {{"MaxCamDistance = 1000m"}, 0, 1000},
    {{"MaxCamDistance = 1e400"}, 0, std::numeric_limits<double>::infinity()},
    // Zero and negative values are kept as they are.
    {{"LifeTime = 0", "MaxCamDistance = 0"}, 0, 0},
    {{"LifeTime = -5", "MaxCamDistance = -1"}, -5, -1},
    {{"LifeTime = -0"}, -0.0, 0},
    // Other lines of the file are the host's concern.
    {{"; comment", "", "Module = Brevlet", "Mass = 50"}, 0, 0},
};

std::string Describe(const ConfigCase &c) {
    std::string text = "configuration:";
    for (const std::string &line : c.lines) {
        text += " [" + line + "]";
    }
    return text;
}

TEST(ClassCaps, ReadsTheTwoParametersFromTheClassConfiguration) {
    for (const ConfigCase &c : configCases) {
        SCOPED_TRACE(Describe(c));
        HostHarness host(c.lines);
        standin::SimVessel &vessel = host.CreateFromBlock("Probe", {});
        const Brevlet &brevlet = HostHarness::Module(vessel);
        EXPECT_EQ(brevlet.GetLifetime(), c.lifetime);
        EXPECT_EQ(std::signbit(brevlet.GetLifetime()), std::signbit(c.lifetime));
        EXPECT_EQ(brevlet.GetMaxCamDistance(), c.maxCamDistance);
        EXPECT_FALSE(vessel.focusEnabled);
    }
}

// The configuration is read to its end even when both keys have been found, and a vessel
// spawned from a status record takes the same parameters.
TEST(ClassCaps, ReadsEveryLineAndAppliesToSpawnedVessels) {
    HostHarness host({"LifeTime = 8", "MaxCamDistance = 900", "Mass = 50", "Size = 1"});
    standin::SimVessel &spawned = host.CreateFromStatus("Spawned", standin::VesselStatus());
    EXPECT_EQ(HostHarness::Module(spawned).GetLifetime(), 8);
    EXPECT_EQ(HostHarness::Module(spawned).GetMaxCamDistance(), 900);

    std::string buffer;
    standin::LineReader reader(host.Class().config.name, host.Class().configLines, buffer);
    spawned.instance->clbkSetClassCaps(&reader);
    char *line = nullptr;
    EXPECT_FALSE(reader.Next(line)) << "lines were left unread";
}

} // namespace
