// A vessel's distance from the camera, as the trace and the picture show it.
#pragma once

#include "standin_host/interface/VesselRecord.h"

#include <cmath>

namespace standin {

// The plain sum of squares, and where that overflows, the slower form that does not, so that a
// vessel 1e200 m away is shown 1e200 m away, not infinitely far.
inline double CameraDistance(const VesselRecord &vessel, const VECTOR3 &camera) {
    const double dx = vessel.position.x - camera.x;
    const double dy = vessel.position.y - camera.y;
    const double dz = vessel.position.z - camera.z;
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!std::isinf(distance)) {
        return distance;
    }
    // A difference that itself overflows is farther than any double; hypot of an infinity is NaN
    // in some C++ libraries.
    if (std::isinf(dx) || std::isinf(dy) || std::isinf(dz)) {
        return distance;
    }
    return std::hypot(dx, dy, dz);
}

} // namespace standin
