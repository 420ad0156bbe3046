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

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The blanks at the start of `text`, counted with a loop: a search for either of two characters
// would call the C library once for every character.
std::size_t BlanksAtStart(std::string_view text) {
    std::size_t count = 0;
    while (count < text.size() && IsBlank(text[count])) {
        ++count;
    }
    return count;
}

// "KEY x y z" with the key matched exactly; the host's own state lines.
bool ParseVectorItem(std::string_view line, std::string_view key, VECTOR3 &value) {
    if (line.substr(0, key.size()) != key) {
        return false;
    }
    std::string_view rest = line.substr(key.size());
    double parts[3];
    for (double &part : parts) {
        const std::size_t start = BlanksAtStart(rest);
        if (start == 0 || start == rest.size()) {
            return false;
        }
        rest.remove_prefix(start);
        std::size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) {
            ++end;
        }
        if (!ParseFiniteNumber(rest.substr(0, end), part)) {
            return false;
        }
        rest.remove_prefix(end);
    }
    if (BlanksAtStart(rest) != rest.size()) {
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
