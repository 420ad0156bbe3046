// The interface floor: a vessel whose step callback makes the host calls that a Brevlet makes in
// one benchmark case, and nothing else. Which calls those are comes from the class configuration:
//   CameraTargetQueries = 1 or 2   (how often oapiCameraTarget is asked)
//   PositionQueries = 0 or 1       (oapiCameraGlobalPos and GetGlobalPos, once each)
//   DebugString = 0 or 1           (oapiDebugString, without writing into it)
// The own handle is always asked for.
#include "host/HostServices.h"
#include "host/ModuleEntry.h"
#include "host/Vessel.h"
#include "vessel/TextScan.h"

#include <cstring>
#include <new>

namespace {

class InterfaceFloor final : public VESSEL2 {
public:
    using VESSEL2::VESSEL2;

    void clbkSetClassCaps(FileHandle cfg) override {
        char *line = nullptr;
        while (oapiReadScenario_nextline(cfg, line)) {
            const char *equals = std::strchr(line, '=');
            double value = 0.0;
            if (equals == nullptr || brevlet::ScanNumber(equals + 1, value) == nullptr) {
                continue;
            }
            if (brevlet::StartsWithKey(line, "CameraTargetQueries")) {
                secondTargetQuery = value >= 2.0;
            } else if (brevlet::StartsWithKey(line, "PositionQueries")) {
                positionQueries = value >= 1.0;
            } else if (brevlet::StartsWithKey(line, "DebugString")) {
                debugString = value >= 1.0;
            }
        }
    }

    void clbkPostStep(double /*simTime*/, double /*stepLength*/, double /*mjd*/) override {
        static_cast<void>(GetHandle());
        static_cast<void>(oapiCameraTarget());
        if (positionQueries) {
            VECTOR3 camera;
            VECTOR3 own;
            oapiCameraGlobalPos(&camera);
            GetGlobalPos(own);
        }
        if (secondTargetQuery) {
            static_cast<void>(oapiCameraTarget());
        }
        if (debugString) {
            static_cast<void>(oapiDebugString());
        }
    }

private:
    bool secondTargetQuery = false;
    bool positionQueries = false;
    bool debugString = false;
};

} // namespace

VESSEL *ovcInit(ObjectHandle vesselHandle, int flightModel) {
    return new (std::nothrow) InterfaceFloor(vesselHandle, flightModel);
}

void ovcExit(VESSEL *vessel) {
    delete static_cast<InterfaceFloor *>(vessel);
}
