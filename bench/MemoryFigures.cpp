#include "bench/MemoryFigures.h"

#include "bench/Benchmarks.h"
#include "standin_host/simulation/SimVessel.h"
#include "tests/AllocationCounter.h"
#include "vessel/Brevlet.h"

namespace bench {

MemoryFigures MeasureMemory() {
    MemoryFigures figures;
    figures.brevletSize = sizeof(Brevlet);
    figures.hostRecordSize = sizeof(standin::SimVessel);
    figures.fleetSize = FleetSizes().back();

    Fleet fleet(Case::Cull, Subject::Brevlet, figures.fleetSize);
    figures.heapBytesPerVessel = fleet.HeapBytesPerVessel();

    // One more instance straight through the module's entry points, so that only the module's
    // own allocations are counted.
    const standin::VesselRecord &first = fleet.Simulation().Vessels().front();
    const OvcInitFunction init = first.vesselClass->module->Init();
    const OvcExitFunction exit = first.vesselClass->module->Exit();
    standin::VesselRecord record;
    const std::size_t before = brevlet_test::CurrentAllocationCounts().allocations;
    VESSEL *instance = init(&record, 1);
    figures.allocationsPerInstance = brevlet_test::CurrentAllocationCounts().allocations - before;
    exit(instance);
    return figures;
}

} // namespace bench
