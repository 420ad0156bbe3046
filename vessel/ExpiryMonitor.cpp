// The per-step expiry logic: lifetime countdown, camera-distance cull, debug line and deletion
// request. It runs for every Brevlet after every step, so it allocates nothing and does a fixed
// amount of work.
#include "host/HostServices.h"
#include "vessel/Brevlet.h"
#include "vessel/DebugLine.h"

#include <cmath>

void Brevlet::clbkPostStep(double /*simTime*/, double stepLength, double /*mjd*/) {
    bool expire = false;
    if (lifetime > 0.0) {
        if (lifetime > stepLength) {
            lifetime -= stepLength;
        } else {
            // Runs out within this step, including exactly at its end.
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
        if (std::sqrt(dx * dx + dy * dy + dz * dz) > maxCamDistance) {
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
