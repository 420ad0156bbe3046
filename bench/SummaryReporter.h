// The console report of Google Benchmark, followed by a summary of the run: nanoseconds per
// vessel-step for every case and subject with the module's own cost above the interface floor,
// the debug line formatting against snprintf, and the memory per vessel.
#pragma once

#include "bench/MemoryFigures.h"

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run> &runs) override;

    void PrintSummary(std::ostream &out, const MemoryFigures &memory) const;

private:
    struct Result {
        double nanoseconds = 0.0; // CPU time per iteration
        double allocationsPerStep = 0.0;
        bool median = false;
        bool failed = false;
    };

    // A result by its registered name, or null if there is none.
    const Result *Find(const std::string &name) const;
    void PrintSteps(std::ostream &out) const;
    void PrintScaling(std::ostream &out) const;
    void PrintFormatting(std::ostream &out) const;

    std::map<std::string, Result> results;
};

} // namespace bench
