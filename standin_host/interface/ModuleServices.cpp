#include "standin_host/interface/ModuleServices.h"

#include "standin_host/interface/LineReader.h"
#include "standin_host/interface/VesselStatus.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace standin {
namespace {

// "KEY x y z" with the key matched exactly; the host's own state lines.
bool ParseVectorItem(std::string_view line, std::string_view key, VECTOR3 &value) {
    if (line.substr(0, key.size()) != key) {
        return false;
    }
    std::string_view rest = line.substr(key.size());
    double parts[3];
    for (double &part : parts) {
        const std::size_t start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos || start == 0) {
            return false;
        }
        rest = rest.substr(start);
        const std::size_t end = std::min(rest.find_first_of(" \t"), rest.size());
        if (!ParseFiniteNumber(rest.substr(0, end), part)) {
            return false;
        }
        rest = rest.substr(end);
    }
    if (rest.find_first_not_of(" \t") != std::string_view::npos) {
        return false;
    }
    value = VECTOR3{parts[0], parts[1], parts[2]};
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
    if (ParseVectorItem(line, "POS", status.position) ||
        ParseVectorItem(line, "VEL", status.velocity)) {
        return;
    }
    // Neither the module nor the host takes this line: say so, and go on.
    const LineReader *source = status.source;
    log.Warning(source != nullptr ? source->FileName() : scenarioName,
                source != nullptr ? source->CurrentLineNumber() : 0,
                "scenario line not understood: " + Quoted(line));
}

} // namespace standin
