// The benchmarks of this program and the names they are registered under, which the summary reads
// back: "step/<case>/<subject>/<vessels>" and "format/<values>/<formatter>".
#pragma once

#include "bench/Fleet.h"

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

// The vessel counts of the untargeted cases; a targeted step is measured with one vessel, the one
// that the camera targets.
const std::vector<std::size_t> &FleetSizes();

const char *Key(Case caseId);
const char *Key(Subject subject);
bool CaseFromKey(const std::string &key, Case &caseId);
bool SubjectFromKey(const std::string &key, Subject &subject);

void RegisterStepBenchmarks();

// A set of value pairs that the debug line formatting is measured on.
struct FormatValues {
    const char *name;
    std::vector<std::pair<double, double>> pairs; // lifetime, maxCamDistance
};
const std::vector<FormatValues> &FormatValueSets();

// The formatter's text and snprintf's for the same pair, or an empty string where they agree.
std::string FormatMismatch(double lifetime, double maxCamDistance);

void RegisterFormatBenchmarks();

// Formats the debug line of one value set a given number of times with callgrind's collection on
// only around them: "--count-format WriteDebugLine|snprintf <set> <lines>".
int RunFormatCount(int argc, char **argv);

// Steps one fleet a given number of times with callgrind's collection on only around the steps:
// "--count <case> <subject> <vessels> <steps>". Returns the process exit code.
int RunInstructionCount(int argc, char **argv);

} // namespace bench
