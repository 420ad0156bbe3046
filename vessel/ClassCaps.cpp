// Class capabilities: the vessel refuses the input focus and takes its two parameters from the
// class configuration file.
#include "../host/HostServices.h"
#include "Brevlet.h"
#include "TextScan.h"

#include <cstring>

namespace {

constexpr char lifetimeKey[] = "LifeTime";
constexpr char maxCamDistanceKey[] = "MaxCamDistance";

} // namespace

void Brevlet::clbkSetClassCaps(FileHandle cfg) {
    SetEnableFocus(false);

    // Every line is read to the end of the file; a later line for the same key overrides an
    // earlier one.
    char *line = nullptr;
    while (oapiReadScenario_nextline(cfg, line)) {
        double *target = nullptr;
        const char *scanStart = nullptr;
        if (brevlet::StartsWithKey(line, lifetimeKey)) {
            target = &lifetime;
            scanStart = line + (sizeof lifetimeKey - 1);
        } else if (brevlet::StartsWithKey(line, maxCamDistanceKey)) {
            target = &maxCamDistance;
            scanStart = line + (sizeof maxCamDistanceKey - 1);
        } else {
            continue;
        }
        // Whatever stands between the key and the first '=' is passed over.
        const char *equals = std::strchr(scanStart, '=');
        if (equals != nullptr) {
            brevlet::ScanNumber(equals + 1, *target);
        }
    }
}
