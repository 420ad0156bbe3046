#include "vessel/ClassConfig.h"

#include "vessel/TextScan.h"

#include <cstring>

namespace brevlet {
namespace {

constexpr char lifetimeKey[] = "LifeTime";
constexpr char maxCamDistanceKey[] = "MaxCamDistance";

} // namespace

void ReadClassConfigLine(const char *line, ClassSettings &settings) {
    double *target = nullptr;
    const char *scanStart = nullptr;
    if (StartsWithKey(line, lifetimeKey)) {
        target = &settings.lifetime;
        scanStart = line + (sizeof lifetimeKey - 1);
    } else if (StartsWithKey(line, maxCamDistanceKey)) {
        target = &settings.maxCamDistance;
        scanStart = line + (sizeof maxCamDistanceKey - 1);
    } else {
        return;
    }
    const char *equals = std::strchr(scanStart, '=');
    if (equals != nullptr) {
        ScanNumber(equals + 1, *target);
    }
}

} // namespace brevlet
