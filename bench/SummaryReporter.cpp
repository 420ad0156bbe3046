#include "bench/SummaryReporter.h"

#include "bench/Benchmarks.h"

#include <cstdio>

namespace bench {
namespace {

std::string StepName(Case caseId, Subject subject, std::size_t count) {
    return std::string("step/") + Key(caseId) + "/" + Key(subject) + "/" + std::to_string(count);
}

// printf-style formatting into a string, for the table rows.
template <typename... Arguments> std::string Format(const char *format, Arguments... arguments) {
    char text[200];
    std::snprintf(text, sizeof text, format, arguments...);
    return text;
}

} // namespace

void SummaryReporter::ReportRuns(const std::vector<Run> &runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) {
            continue;
        }
        Result &result = results[run.run_name.function_name];
        if (result.median && !median) {
            continue;
        }
        result.median = median;
        result.failed = run.error_occurred;
        result.nanoseconds =
            run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        const auto allocations = run.counters.find("allocs/step");
        result.allocationsPerStep =
            allocations != run.counters.end() ? allocations->second.value : 0.0;
    }
}

const SummaryReporter::Result *SummaryReporter::Find(const std::string &name) const {
    const auto found = results.find(name);
    return found != results.end() && !found->second.failed ? &found->second : nullptr;
}

void SummaryReporter::PrintSummary(std::ostream &out, const MemoryFigures &memory) const {
    PrintSteps(out);
    PrintScaling(out);
    PrintFormatting(out);
    out << "\nMemory: sizeof(Brevlet) = " << memory.brevletSize << " bytes in "
        << memory.allocationsPerInstance
        << " heap allocation(s) per instance; the host's record, sizeof(standin::SimVessel) = "
        << memory.hostRecordSize << " bytes";
    if (memory.heapBytesPerVessel >= 0.0) {
        out << Format("; heap in use per vessel, host and module, after creating %zu: %.0f bytes",
                      memory.fleetSize, memory.heapBytesPerVessel);
    }
    out << ".\n";
}

void SummaryReporter::PrintSteps(std::ostream &out) const {
    out << "\nPer vessel-step, CPU time in ns (the median where repeated); "
           "module's own = Brevlet - interface floor\n"
        << Format("%-20s %8s %9s %10s %10s %13s %12s\n", "case", "vessels", "Brevlet", "interface",
                  "null floor", "module's own", "allocs/step");
    for (const CaseInfo &info : Cases()) {
        for (const std::size_t count :
             info.id == Case::Targeted ? std::vector<std::size_t>{1} : FleetSizes()) {
            const Result *brevlet = Find(StepName(info.id, Subject::Brevlet, count));
            const Result *floor = Find(StepName(info.id, Subject::InterfaceFloor, count));
            const Result *null = Find(StepName(info.id, Subject::NullFloor, count));
            if (brevlet == nullptr || floor == nullptr || null == nullptr) {
                continue;
            }
            const double n = static_cast<double>(count);
            out << Format("%-20s %8zu %9.2f %10.2f %10.2f %13.2f %12g\n", info.name, count,
                          brevlet->nanoseconds / n, floor->nanoseconds / n, null->nanoseconds / n,
                          (brevlet->nanoseconds - floor->nanoseconds) / n,
                          brevlet->allocationsPerStep);
        }
    }
}

void SummaryReporter::PrintScaling(std::ostream &out) const {
    const std::size_t small = FleetSizes().front();
    const std::size_t large = FleetSizes().back();
    out << Format("\nBrevlet's cost per vessel-step at %zu vessels against %zu:", large, small);
    for (const CaseInfo &info : Cases()) {
        const Result *atSmall = Find(StepName(info.id, Subject::Brevlet, small));
        const Result *atLarge = Find(StepName(info.id, Subject::Brevlet, large));
        if (atSmall != nullptr && atLarge != nullptr && atSmall->nanoseconds > 0.0) {
            out << Format(" %s %.2fx;", info.name,
                          (atLarge->nanoseconds / static_cast<double>(large)) /
                              (atSmall->nanoseconds / static_cast<double>(small)));
        }
    }
    out << '\n';
}

void SummaryReporter::PrintFormatting(std::ostream &out) const {
    out << "\nDebug line, ns per line\n"
        << Format("%-12s %15s %10s %10s  %s\n", "values", "WriteDebugLine", "snprintf", "speed-up",
                  "text");
    for (const FormatValues &values : FormatValueSets()) {
        const std::string prefix = std::string("format/") + values.name + "/";
        const Result *ours = Find(prefix + "WriteDebugLine");
        const Result *theirs = Find(prefix + "snprintf");
        if (ours == nullptr || theirs == nullptr) {
            const auto failed = results.find(prefix + "WriteDebugLine");
            if (failed != results.end()) {
                out << Format("%-12s differs from snprintf: see above\n", values.name);
            }
            continue;
        }
        out << Format("%-12s %15.1f %10.1f %9.1fx  identical\n", values.name, ours->nanoseconds,
                      theirs->nanoseconds, theirs->nanoseconds / ours->nanoseconds);
    }
}

} // namespace bench
