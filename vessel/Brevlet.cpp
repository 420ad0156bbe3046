// Brevlet's callbacks: its two parameters from the class configuration, its remaining lifetime in
// scenarios, and the step that counts down, culls and shows the debug line.
#include "vessel/Brevlet.h"

#include "host/HostServices.h"
#include "vessel/TextScan.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

constexpr char lifetimeKey[] = "LifeTime";
constexpr char maxCamDistanceKey[] = "MaxCamDistance";
constexpr char lifetimeItem[] = "LIFETIME";

// Below this limit a sum of squares that underflowed may decide wrongly: every distance whose
// squares all underflow is shorter than it.
constexpr double smallestPlainLimit = 0x1p-510;

} // namespace

Brevlet::Brevlet(ObjectHandle handle, int hostValue)
    : VESSEL2(handle, hostValue), lifetime(0.0), maxCamDistance(0.0) {}

Brevlet::~Brevlet() = default;

void Brevlet::clbkSetClassCaps(FileHandle cfg) {
    SetEnableFocus(false);
    // Every line is read to the end of the file: the last line of a key that yields a number
    // decides. Whatever stands between the key and the first '=' is passed over.
    char *line = nullptr;
    while (oapiReadScenario_nextline(cfg, line)) {
        double *target = &lifetime;
        const char *rest = line + (sizeof lifetimeKey - 1);
        if (!brevlet::StartsWithKey(line, lifetimeKey)) {
            target = &maxCamDistance;
            rest = line + (sizeof maxCamDistanceKey - 1);
            if (!brevlet::StartsWithKey(line, maxCamDistanceKey)) {
                continue;
            }
        }
        if (const char *equals = std::strchr(rest, '='); equals != nullptr) {
            brevlet::ScanNumber(equals + 1, *target);
        }
    }
}

void Brevlet::clbkSaveState(FileHandle scn) {
    SaveDefaultState(scn);
    // Every value is written, so that a reloaded vessel goes on exactly as it was: a block without
    // the item would take its class's lifetime instead, which restarts a countdown that was
    // switched off (0 or negative) or has just run out.
    char item[sizeof lifetimeItem]; // the host's writer takes a mutable key
    std::memcpy(item, lifetimeItem, sizeof item);
    oapiWriteScenario_float(scn, item, lifetime);
}

void Brevlet::clbkLoadStateEx(FileHandle scn, void *status) {
    char *line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        if (brevlet::StartsWithKey(line, lifetimeItem)) {
            // The number follows the key directly or after white space; the line is ours alone.
            brevlet::ScanNumber(line + (sizeof lifetimeItem - 1), lifetime);
        } else {
            ParseScenarioLineEx(line, status);
        }
    }
}

void Brevlet::clbkSetStateEx(const void *status) {
    DefSetStateEx(status);
}

// Where the plain sum of squares is within range it decides, bit for bit as in the step; where it
// overflowed or underflowed, the differences and the limit are scaled by a power of two, exactly,
// into a range where neither happens to a difference that counts. Not inlined: the step would
// keep its differences for it, at a cost in every step.
#if defined(__GNUC__)
[[gnu::noinline]]
#endif
bool Brevlet::FartherThanLimit(VECTOR3 camera, VECTOR3 own) const {
    double dx = camera.x - own.x;
    double dy = camera.y - own.y;
    double dz = camera.z - own.z;
    const double squares = dx * dx + dy * dy + dz * dz;
    if (squares >= DBL_MIN && squares <= DBL_MAX) {
        return std::sqrt(squares) > maxCamDistance;
    }
    const double scale = squares > DBL_MAX ? 0x1p-600 : 0x1p600;
    dx *= scale;
    dy *= scale;
    dz *= scale;
    // An infinite difference stays infinite and a NaN gives NaN, as on the plain path.
    return std::sqrt(dx * dx + dy * dy + dz * dz) > maxCamDistance * scale;
}

// Runs for every Brevlet after every step: it allocates nothing and does a fixed amount of work.
void Brevlet::clbkPostStep(double /*simTime*/, double stepLength, double /*mjd*/) {
    bool expire = false;
    if (lifetime > 0.0) {
        // A lifetime within a millionth of a step of the step's end runs out in it, as the host's
        // clock counts its events: ten steps of 0.1 leave about 1e-16 of a lifetime of 1.
        if (lifetime > stepLength * (1.0 + 1e-6)) {
            lifetime -= stepLength;
        } else {
            lifetime = 0.0;
            expire = true;
        }
    }

    // The vessel that the camera targets is never culled by distance.
    const ObjectHandle self = GetHandle();
    if (maxCamDistance > 0.0 && oapiCameraTarget() != self) {
        VECTOR3 camera;
        VECTOR3 own;
        oapiCameraGlobalPos(&camera);
        GetGlobalPos(own);
        const double dx = camera.x - own.x;
        const double dy = camera.y - own.y;
        const double dz = camera.z - own.z;
        const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        // Beyond the limit, decided again where the sum of squares may have overflowed (to an
        // infinite distance) or underflowed: under a limit so small, the floor is beyond it.
        const double floored = distance > smallestPlainLimit ? distance : smallestPlainLimit;
        if (floored > maxCamDistance && FartherThanLimit(camera, own)) {
            expire = true;
        }
    }

    if (oapiCameraTarget() == self) {
        brevlet::WriteDebugLine(oapiDebugString(), DebugStringCapacity, lifetime, maxCamDistance);
    }

    // Last: with a host that deletes at once, nothing of this instance may be touched after it.
    if (expire) {
        oapiDeleteVessel(self, nullptr);
    }
}
