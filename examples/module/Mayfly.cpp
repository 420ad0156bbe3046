// Mayfly: the smallest useful vessel module. A Mayfly lives for the number of steps that its class
// configuration gives (Steps = 3), shows how many it has left on the debug line while the camera
// targets it, and then asks the host to delete it.
#include "host/HostServices.h"
#include "host/ModuleEntry.h"
#include "host/Vessel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

class Mayfly : public VESSEL2 {
public:
    Mayfly(ObjectHandle vesselHandle, int flightModel) : VESSEL2(vesselHandle, flightModel) {}

    // The host hands over the class configuration, one line at a time.
    void clbkSetClassCaps(FileHandle cfg) override {
        char *line = nullptr;
        while (oapiReadScenario_nextline(cfg, line)) {
            if (std::strncmp(line, "Steps", 5) == 0 && std::strchr(line, '=') != nullptr) {
                // A whole number, which reads the same in every locale.
                stepsLeft = std::strtol(std::strchr(line, '=') + 1, nullptr, 10);
            }
        }
    }

    // After every step of the simulation.
    void clbkPostStep(double /*simTime*/, double /*stepLength*/, double /*mjd*/) override {
        --stepsLeft;
        if (oapiCameraTarget() == GetHandle()) {
            std::snprintf(oapiDebugString(), DebugStringCapacity, "Mayfly: %ld step%s left",
                          stepsLeft, stepsLeft == 1 ? "" : "s");
        }
        if (stepsLeft <= 0) {
            oapiDeleteVessel(GetHandle()); // at the end of this step
        }
    }

private:
    long stepsLeft = 1;
};

} // namespace

// The two entry points the host looks for, under these plain names.
VESSEL *ovcInit(ObjectHandle vesselHandle, int flightModel) {
    return new (std::nothrow) Mayfly(vesselHandle, flightModel);
}

void ovcExit(VESSEL *vessel) {
    delete static_cast<Mayfly *>(vessel);
}
