// Churn: creates, configures, loads, steps, saves and destroys Brevlets through the entry points
// of the real module, cycle after cycle, and reports the resident memory at the start, the middle
// and the end. Without AddressSanitizer, whose quarantine holds freed memory back on purpose, the
// resident memory must stay flat; under it, LeakSanitizer checks at exit that nothing leaked.
//
// usage: brevlet_churn [CYCLES [MAX_GROWTH_KIB]]
#include "host/Vessel.h"
#include "standin_host/interface/LineReader.h"
#include "standin_host/interface/ModuleServices.h"
#include "standin_host/interface/ScenarioWriter.h"
#include "standin_host/interface/VesselRecord.h"
#include "standin_host/modules/ModuleLibrary.h"
#include "standin_host/outputs/RunLog.h"
#include "standin_host/text/TextOut.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BREVLET_CHURN_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define BREVLET_CHURN_ASAN 1
#endif

namespace {

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

standin::SourceLines Lines(std::initializer_list<const char *> texts) {
    standin::SourceLines lines;
    int number = 0;
    for (const char *text : texts) {
        lines.Add(text, ++number);
    }
    return lines;
}

// One vessel's whole life. In odd cycles the camera targets the vessel. Half the cycles load a
// scenario block whose lifetime runs out in the third step; the others take a status record 2 km
// from the camera, where the vessel is culled by distance unless it is targeted.
bool Cycle(const standin::ModuleLibrary &module, standin::ModuleServices &services, long cycle,
           const standin::SourceLines &config, const standin::SourceLines &block) {
    standin::VesselRecord record;
    VESSEL *created = module.Init()(&record, 1);
    if (created == nullptr) {
        std::cerr << "cycle " << cycle << ": ovcInit returned null\n";
        return false;
    }
    auto *vessel = static_cast<VESSEL2 *>(created);
    static const std::string configName = "Brevlet.cfg";
    static const std::string scenarioName = "churn.scn";
    std::string buffer;
    standin::LineReader configReader(configName, config, buffer);
    vessel->clbkSetClassCaps(&configReader);
    standin::VesselStatus status;
    if (cycle % 4 < 2) {
        standin::LineReader blockReader(scenarioName, block, buffer);
        vessel->clbkLoadStateEx(&blockReader, &status);
    } else {
        status.position = VECTOR3{0.0, 0.0, 2000.0};
        vessel->clbkSetStateEx(&status);
    }
    record.position = status.position;
    services.SetCameraTarget(cycle % 2 == 1 ? &record : nullptr);
    for (int step = 0; step < 3; ++step) {
        vessel->clbkPostStep(static_cast<double>(step + 1), 1.0, 51544.5);
    }
    standin::StringOut saved;
    standin::ScenarioWriter writer(saved);
    vessel->clbkSaveState(&writer);
    services.SetCameraTarget(nullptr);
    module.Exit()(created);
    return !saved.Text().empty();
}

} // namespace

int main(int argc, char **argv) {
    const long cycles = argc > 1 ? std::atol(argv[1]) : 20000;
    const long maxGrowthKiB = argc > 2 ? std::atol(argv[2]) : 512;
    if (cycles < 2) {
        std::cerr << "usage: brevlet_churn [CYCLES [MAX_GROWTH_KIB]]\n";
        return 2;
    }
    std::string error;
    const auto module = standin::ModuleLibrary::Load(
        std::string(BREVLET_MODULE_FOLDER) + "/Brevlet" + standin::ModuleLibrary::FileSuffix(),
        error);
    if (!module) {
        std::cerr << error << '\n';
        return 1;
    }
    // The host services that the callbacks call answer without a simulation behind them.
    std::ostringstream logText;
    standin::RunLog log(logText, 1.0);
    standin::ModuleServices services(log, "");
    services.SetCameraPosition(VECTOR3{0.0, 0.0, 0.0});

    const auto config = Lines({"Module = Brevlet", "LifeTime = 10", "MaxCamDistance = 1000",
                               "Mass = 5 ; the host's business"});
    const auto block = Lines({"POS 0 0 500", "VEL 0 0 1", "LIFETIME 2.5"});

    // The first cycles settle the allocator; the measurement starts after them.
    const long warmUp = cycles / 10;
    long start = 0;
    long middle = 0;
    for (long cycle = 0; cycle < cycles; ++cycle) {
        if (cycle == warmUp) {
            start = ResidentKiB();
        } else if (cycle == warmUp + (cycles - warmUp) / 2) {
            middle = ResidentKiB();
        }
        if (!Cycle(*module, services, cycle, config, block)) {
            return 1;
        }
    }
    const long end = ResidentKiB();
    std::printf("cycles %ld; resident memory: start %ld KiB, middle %ld KiB, end %ld KiB\n", cycles,
                start, middle, end);
#if defined(BREVLET_CHURN_ASAN)
    std::printf("built with AddressSanitizer: its quarantine holds freed memory back, so the "
                "resident memory is not judged; LeakSanitizer checks for leaks at exit\n");
    (void)maxGrowthKiB;
#else
    if (end - start > maxGrowthKiB) {
        std::printf("resident memory grew by %ld KiB, more than %ld KiB\n", end - start,
                    maxGrowthKiB);
        return 1;
    }
#endif
    return 0;
}
