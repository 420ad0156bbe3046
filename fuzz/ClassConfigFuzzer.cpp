// A class configuration file of arbitrary text, handed line by line through the host's line
// reader to a new Brevlet's clbkSetClassCaps. Besides the sanitizers' checks: the vessel refuses
// the focus whatever the file holds, and both parameters come out as an independent reading of
// the file gives them.
#include "fuzz/FuzzLines.h"
#include "fuzz/ReferenceNumber.h"
#include "fuzz/SameBits.h"
#include "host/ModuleEntry.h"
#include "host/Vessel.h"
#include "standin_host/interface/LineReader.h"
#include "standin_host/interface/ModuleServices.h"
#include "standin_host/interface/VesselRecord.h"
#include "standin_host/outputs/RunLog.h"
#include "vessel/Brevlet.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

using fuzzing::SameBits;

// SetEnableFocus reaches the vessel's record through the host's services, which answer here
// without a simulation behind them.
struct Host {
    std::ostringstream logText;
    standin::RunLog log{logText, 1.0};
    standin::ModuleServices services{log, "fuzz.cfg"};
};

bool KeyStartsLine(const std::string &line, const char *key) {
    const std::size_t length = std::strlen(key);
    if (line.size() < length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        char c = line[i];
        char k = key[i];
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
        k = (k >= 'A' && k <= 'Z') ? static_cast<char>(k + ('a' - 'A')) : k;
        if (c != k) {
            return false;
        }
    }
    return true;
}

// The value of `key` after the whole file: the number after the first '=' behind the key on the
// last line that has one.
double Expected(const std::vector<std::string> &lines, const char *key, const char *otherKey,
                double initial) {
    double value = initial;
    for (const std::string &text : lines) {
        // A line that starts with "LifeTime" is never read as "MaxCamDistance".
        if (!KeyStartsLine(text, key) || (otherKey != nullptr && KeyStartsLine(text, otherKey))) {
            continue;
        }
        const std::size_t equals = text.find('=', std::strlen(key));
        if (equals == std::string::npos) {
            continue;
        }
        if (const auto number = fuzzing::ReadReferenceNumber(text.c_str() + equals + 1)) {
            value = number->value;
        }
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static Host host;
    std::vector<std::string> lines;
    if (!fuzzing::SplitLines(data, size, lines)) {
        return 0;
    }
    const standin::SourceLines numbered = fuzzing::Numbered(lines);
    standin::VesselRecord record;
    VESSEL *vessel = ovcInit(&record, 1);
    if (vessel == nullptr) {
        std::abort();
    }
    static const std::string fileName = "fuzz.cfg";
    std::string buffer;
    standin::LineReader reader(fileName, numbered, buffer);
    auto *brevlet = static_cast<Brevlet *>(vessel);
    brevlet->clbkSetClassCaps(&reader);

    if (record.focusEnabled) {
        std::abort();
    }
    if (!SameBits(brevlet->GetLifetime(), Expected(lines, "LifeTime", nullptr, 0.0)) ||
        !SameBits(brevlet->GetMaxCamDistance(),
                  Expected(lines, "MaxCamDistance", "LifeTime", 0.0))) {
        std::abort();
    }
    ovcExit(vessel);
    return 0;
}
