// The debug line's formatting against snprintf with "%lf Dmax=%lfm", on the same values.
#include "bench/Benchmarks.h"
#include "host/HostServices.h"
#include "vessel/TextScan.h"

#include <benchmark/benchmark.h>

#include <cfloat>
#include <cstdio>
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

using Formatter = void (*)(char *buffer, std::size_t capacity, double lifetime,
                           double maxCamDistance);

void FormatWithSnprintf(char *buffer, std::size_t capacity, double lifetime,
                        double maxCamDistance) {
    std::snprintf(buffer, capacity, "%lf Dmax=%lfm", lifetime, maxCamDistance);
}

void FormatLines(benchmark::State &state, const FormatValues *values, Formatter format) {
    for (const auto &pair : values->pairs) {
        const std::string mismatch = FormatMismatch(pair.first, pair.second);
        if (!mismatch.empty()) {
            state.SkipWithError(mismatch.c_str());
            return;
        }
    }
    char line[DebugStringCapacity];
    const std::size_t count = values->pairs.size();
    std::size_t next = 0;
    for (auto _ : state) {
        const auto &pair = values->pairs[next];
        next = next + 1 == count ? 0 : next + 1;
        format(line, sizeof line, pair.first, pair.second);
        benchmark::DoNotOptimize(line);
        benchmark::ClobberMemory();
    }
    state.SetLabel("same text as snprintf");
}

} // namespace

const std::vector<FormatValues> &FormatValueSets() {
    static const std::vector<FormatValues> sets = {
        {"ordinary", {{12.5, 1000.0}, {3599.999999, 1000.0}, {0.0078125, 250.75}, {59.97, 5000.0}}},
        {"negative", {{-1.0, 0.0}, {-12.345678, -1000.0}, {-4e-7, -3.5}, {-3599.9999995, -1.0}}},
        {"very large", {{1e300, 1e15}, {DBL_MAX, 1e20}, {-1.7e308, 4.5e18}, {1e200, 1e100}}},
    };
    return sets;
}

std::string FormatMismatch(double lifetime, double maxCamDistance) {
    char ours[DebugStringCapacity];
    char theirs[DebugStringCapacity];
    brevlet::WriteDebugLine(ours, sizeof ours, lifetime, maxCamDistance);
    FormatWithSnprintf(theirs, sizeof theirs, lifetime, maxCamDistance);
    if (std::strcmp(ours, theirs) == 0) {
        return std::string();
    }
    return std::string("\"") + ours + "\" differs from snprintf's \"" + theirs + "\"";
}

void RegisterFormatBenchmarks() {
    for (const FormatValues &values : FormatValueSets()) {
        const std::string prefix = std::string("format/") + values.name + "/";
        benchmark::RegisterBenchmark((prefix + "WriteDebugLine").c_str(), FormatLines, &values,
                                     &brevlet::WriteDebugLine);
        benchmark::RegisterBenchmark((prefix + "snprintf").c_str(), FormatLines, &values,
                                     &FormatWithSnprintf);
    }
}

int RunFormatCount(int argc, char **argv) {
    const FormatValues *values = nullptr;
    for (const FormatValues &set : FormatValueSets()) {
        values = argc == 5 && std::strcmp(argv[3], set.name) == 0 ? &set : values;
    }
    const bool ours = argc == 5 && std::strcmp(argv[2], "WriteDebugLine") == 0;
    if (values == nullptr || (!ours && std::strcmp(argv[2], "snprintf") != 0) ||
        std::atol(argv[4]) <= 0) {
        std::cerr << "usage: brevlet_bench --count-format WriteDebugLine|snprintf "
                     "ordinary|negative|\"very large\" <lines>\n";
        return 2;
    }
    const Formatter format = ours ? &brevlet::WriteDebugLine : &FormatWithSnprintf;
    const long lines = std::atol(argv[4]);
    char line[DebugStringCapacity];
    format(line, sizeof line, 0.0, 0.0); // first touches, outside the count
#if defined(BENCH_HAS_CALLGRIND)
    CALLGRIND_TOGGLE_COLLECT;
#endif
    for (long i = 0; i < lines; ++i) {
        const auto &pair = values->pairs[static_cast<std::size_t>(i) % values->pairs.size()];
        format(line, sizeof line, pair.first, pair.second);
        benchmark::DoNotOptimize(line);
    }
#if defined(BENCH_HAS_CALLGRIND)
    CALLGRIND_TOGGLE_COLLECT;
#endif
    return 0;
}

} // namespace bench
