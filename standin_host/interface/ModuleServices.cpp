#include "standin_host/interface/ModuleServices.h"

#include "standin_host/interface/LineReader.h"
#include "standin_host/scenario/TextFile.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <string_view>
#include <utility>

namespace standin {
namespace {

// "KEY x y z" with the key matched exactly as the line's first word, the host's own state lines:
// false for a line of another key; else true, with `value` read or `problem` saying why not.
bool ParseVectorItem(std::string_view line, std::string_view key, VECTOR3 &value,
                     std::string &problem) {
    if (line.substr(0, key.size()) != key ||
        (line.size() > key.size() && !IsBlank(line[key.size()]))) {
        return false;
    }
    std::string_view rest = line.substr(key.size());
    double parts[3] = {};
    std::size_t count = 0; // of the words after the key, up to 4
    for (std::string_view word; count < 4 && !(word = NextWord(rest)).empty(); ++count) {
        if (count < 3 && problem.empty() && !ParseFiniteNumber(word, parts[count])) {
            problem = Quoted(word) + " " + WhyNotAFiniteNumber(word);
        }
    }
    if (problem.empty() && count != 3) {
        problem = "expected 4 words: " + std::string(key) + " x y z; found " +
                  std::to_string(count + 1) + (NextWord(rest).empty() ? "" : " or more");
    }
    if (problem.empty()) {
        value = VECTOR3{parts[0], parts[1], parts[2]};
    }
    return true;
}

} // namespace

ModuleServices *ModuleServices::active = nullptr;

ModuleServices::ModuleServices(LogSink &log, std::string scenarioName)
    : log(log), scenarioName(std::move(scenarioName)), previousActive(active) {
    active = this;
}

ModuleServices::~ModuleServices() {
    active = previousActive;
}

void ModuleServices::ParseDefaultLine(const char *line, VesselStatus &status) {
    const LineReader *source = status.source;
    const std::string &file = source != nullptr ? source->FileName() : scenarioName;
    const int number = source != nullptr ? source->CurrentLineNumber() : 0;
    std::string problem;
    if (ParseVectorItem(line, "POS", status.position, problem) ||
        ParseVectorItem(line, "VEL", status.velocity, problem)) {
        // A typo in a number would leave the vessel at 0 0 0: the run is refused, as for a
        // number of the scenario's own lines.
        if (!problem.empty() && lineError.empty()) {
            lineError = LinePlace(file, number) + problem;
        }
        return;
    }
    // Neither the module nor the host takes this line: say so, and go on.
    log.Warning(file, number, "scenario line not understood: " + Quoted(line));
}

} // namespace standin
