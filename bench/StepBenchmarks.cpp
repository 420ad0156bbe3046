// Stepping N vessels through the stand-in host's own step loop, for every case and subject.
#include "bench/Benchmarks.h"
#include "tests/AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#if defined(__has_include)
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define BENCH_HAS_CALLGRIND 1
#endif
#endif

namespace bench {
namespace {

constexpr Subject subjects[] = {Subject::Brevlet, Subject::InterfaceFloor, Subject::NullFloor};

std::vector<std::size_t> SizesFor(Case caseId) {
    return caseId == Case::Targeted ? std::vector<std::size_t>{1} : FleetSizes();
}

void StepFleet(benchmark::State &state, Case caseId, Subject subject, std::size_t count) {
    Fleet fleet(caseId, subject, count);
    fleet.Step(); // first touches of every vessel, outside the measurement
    const std::size_t allocationsBefore = brevlet_test::CurrentAllocationCounts().allocations;
    for (auto _ : state) {
        fleet.Step();
    }
    const std::size_t allocations =
        brevlet_test::CurrentAllocationCounts().allocations - allocationsBefore;
    state.counters["allocs/step"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
    state.counters["per_vessel_step"] = benchmark::Counter(
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

const std::vector<std::size_t> &FleetSizes() {
    static const std::vector<std::size_t> sizes = {1000, 100000};
    return sizes;
}

const char *Key(Case caseId) {
    switch (caseId) {
    case Case::LimitsOff:
        return "off";
    case Case::Lifetime:
        return "lifetime";
    case Case::Cull:
        return "cull";
    case Case::Targeted:
        break;
    }
    return "targeted";
}

const char *Key(Subject subject) {
    switch (subject) {
    case Subject::Brevlet:
        return "brevlet";
    case Subject::InterfaceFloor:
        return "interface";
    case Subject::NullFloor:
        break;
    }
    return "null";
}

bool CaseFromKey(const std::string &key, Case &caseId) {
    for (const CaseInfo &info : Cases()) {
        if (key == Key(info.id)) {
            caseId = info.id;
            return true;
        }
    }
    return false;
}

bool SubjectFromKey(const std::string &key, Subject &subject) {
    for (const Subject candidate : subjects) {
        if (key == Key(candidate)) {
            subject = candidate;
            return true;
        }
    }
    return false;
}

void RegisterStepBenchmarks() {
    for (const CaseInfo &info : Cases()) {
        for (const std::size_t count : SizesFor(info.id)) {
            for (const Subject subject : subjects) {
                const std::string name = std::string("step/") + Key(info.id) + "/" + Key(subject) +
                                         "/" + std::to_string(count);
                benchmark::RegisterBenchmark(name.c_str(), StepFleet, info.id, subject, count);
            }
        }
    }
}

int RunInstructionCount(int argc, char **argv) {
    Case caseId{};
    Subject subject{};
    if (argc != 6 || !CaseFromKey(argv[2], caseId) || !SubjectFromKey(argv[3], subject) ||
        std::atol(argv[4]) <= 0 || std::atol(argv[5]) <= 0) {
        std::cerr << "usage: brevlet_bench --count off|lifetime|cull|targeted "
                     "brevlet|interface|null <vessels> <steps>\n";
        return 2;
    }
    const auto count = static_cast<std::size_t>(std::atol(argv[4]));
    const long steps = std::atol(argv[5]);
    Fleet fleet(caseId, subject, count);
    fleet.Step(); // first touches, outside the count
#if defined(BENCH_HAS_CALLGRIND)
    CALLGRIND_TOGGLE_COLLECT;
#endif
    fleet.Steps(steps);
#if defined(BENCH_HAS_CALLGRIND)
    CALLGRIND_TOGGLE_COLLECT;
#endif
    return 0;
}

} // namespace bench
