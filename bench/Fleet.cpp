#include "bench/Fleet.h"

#include <cstdlib>
#include <iostream>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace bench {
namespace {

const char *ClassFor(const CaseInfo &info, Subject subject) {
    switch (subject) {
    case Subject::Brevlet:
        return info.brevletClass;
    case Subject::InterfaceFloor:
        return info.floorClass;
    case Subject::NullFloor:
        break;
    }
    return "NullFloor";
}

// A position within a cube of 800 m around the camera at the origin: at most 693 m away.
std::string PositionLine(std::size_t index) {
    constexpr std::size_t side = 81;
    const auto coordinate = [](std::size_t value) {
        return std::to_string(static_cast<int>(value % side) * 10 - 400);
    };
    return "POS " + coordinate(index) + " " + coordinate(index / side) + " " +
           coordinate(index / (side * side));
}

// Bytes of heap in use, or a negative value where the C library cannot tell.
double HeapInUse() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    return static_cast<double>(mallinfo2().uordblks);
#else
    return -1.0;
#endif
}

standin::ScenarioDescription FleetScenario(Case caseId, Subject subject, std::size_t count) {
    const bool targeted = caseId == Case::Targeted;
    standin::ScenarioDescription scenario;
    scenario.fileName = "benchmark";
    scenario.step = stepLength;
    scenario.end = 1.0;
    const std::string className = ClassFor(Info(caseId), subject);
    scenario.vessels.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        standin::VesselEntry entry;
        entry.name = "v" + std::to_string(i);
        entry.className = className;
        entry.block.Add(targeted && i == 0 ? "POS 3000 4000 0" : PositionLine(i), 1);
        scenario.vessels.push_back(std::move(entry));
    }
    if (targeted) {
        scenario.cameraTarget = "v0";
    }
    return scenario;
}

} // namespace

const std::vector<CaseInfo> &Cases() {
    static const std::vector<CaseInfo> cases = {
        {Case::LimitsOff, "limits off", "BrevletOff", "FloorTargetOnce"},
        {Case::Lifetime, "lifetime", "BrevletLifetime", "FloorTargetOnce"},
        {Case::Cull, "cull, not targeted", "BrevletCull", "FloorCull"},
        {Case::Targeted, "targeted", "BrevletCull", "FloorTargeted"},
    };
    return cases;
}

const CaseInfo &Info(Case id) {
    for (const CaseInfo &info : Cases()) {
        if (info.id == id) {
            return info;
        }
    }
    return Cases().front();
}

const char *Name(Subject subject) {
    switch (subject) {
    case Subject::Brevlet:
        return "Brevlet";
    case Subject::InterfaceFloor:
        return "interface floor";
    case Subject::NullFloor:
        break;
    }
    return "null floor";
}

Fleet::Fleet(Case caseId, Subject subject, std::size_t count)
    : count(count), discard(nullptr),
      run(FleetScenario(caseId, subject, count), BENCH_CONFIG_FOLDER, BENCH_MODULE_FOLDER, discard,
          std::cerr) {
    standin::Simulation &simulation = run.simulation;
    std::string error;
    const double heapBefore = HeapInUse();
    const bool started = simulation.Start(error);
    if (heapBefore >= 0.0 && count > 0) {
        heapBytesPerVessel = (HeapInUse() - heapBefore) / static_cast<double>(count);
    }
    if (!started || simulation.Vessels().size() != count ||
        (caseId == Case::Targeted && simulation.CameraTarget() == nullptr)) {
        std::cerr << "brevlet_bench: cannot set up " << count << " vessels of class "
                  << ClassFor(Info(caseId), subject) << ": "
                  << (error.empty() ? "not every vessel was created" : error) << '\n';
        std::exit(1);
    }
}

Fleet::~Fleet() = default;

void Fleet::Steps(long steps) {
    standin::Simulation &simulation = run.simulation;
    std::string error;
    if (!simulation.Advance(simulation.Time() + static_cast<double>(steps) * stepLength, error)) {
        std::cerr << "brevlet_bench: the run stopped: " << error << '\n';
        std::exit(1);
    }
}

} // namespace bench
