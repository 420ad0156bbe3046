// brevlet_bench: what a Brevlet costs the host per step, against the floors, and what its debug
// line costs against snprintf. "--count ..." instead steps one fleet for an instruction count,
// "--count-format ..." formats debug lines for one.
#include "bench/Benchmarks.h"
#include "bench/MemoryFigures.h"
#include "bench/SummaryReporter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "--count") == 0) {
        return bench::RunInstructionCount(argc, argv);
    }
    if (argc > 1 && std::strcmp(argv[1], "--count-format") == 0) {
        return bench::RunFormatCount(argc, argv);
    }
    bench::RegisterStepBenchmarks();
    bench::RegisterFormatBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    bench::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary(std::cout, bench::MeasureMemory());
    benchmark::Shutdown();
    return 0;
}
