// A stand-in host simulation with many vessels of one class, for stepping in the benchmarks.
#pragma once

#include "tests/RunParts.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

// What the vessels are asked to do in a step.
enum class Case { LimitsOff, Lifetime, Cull, Targeted };

// Which module implements the vessels: Brevlet, or one of the two floors it is measured against.
enum class Subject { Brevlet, InterfaceFloor, NullFloor };

struct CaseInfo {
    Case id;
    const char *name;
    const char *brevletClass; // the Brevlet's class configuration for this case
    const char *floorClass;   // the interface floor's: the host calls a Brevlet makes in it
};

const std::vector<CaseInfo> &Cases();
const CaseInfo &Info(Case id);
const char *Name(Subject subject);

// The step length of every case. No lifetime runs out within any run, and the targeted vessel's
// text changes only every thousandth step, so the host's logging of a changed debug line stays out
// of the figures while the line is still formatted and written in every step.
constexpr double stepLength = 1e-9;

class Fleet {
public:
    // Creates `count` vessels of the subject's class for the case. Untargeted vessels stand within
    // 1 km of the camera, so none is culled. In the targeted case the camera targets the first
    // vessel, which stands 5 km away, beyond its distance limit. Exits the process with a message
    // if the simulation cannot be set up.
    Fleet(Case caseId, Subject subject, std::size_t count);
    ~Fleet();
    Fleet(const Fleet &) = delete;
    Fleet &operator=(const Fleet &) = delete;

    // One step of the run's own loop, and `steps` of them in one go: as a run steps, without
    // the per-call look at where the run ends.
    void Step() { Steps(1); }
    void Steps(long steps);
    standin::Simulation &Simulation() { return run.simulation; }
    std::size_t Count() const { return count; }
    // Heap bytes in use per vessel after creating them all, host and module together; negative
    // where the C library cannot tell.
    double HeapBytesPerVessel() const { return heapBytesPerVessel; }

private:
    std::size_t count;
    double heapBytesPerVessel = -1.0;
    std::ostream discard;
    brevlet_test::RunParts run;
};

} // namespace bench
