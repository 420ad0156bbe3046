// The null floor: a vessel whose step callback does nothing, so that stepping it costs the host's
// loop and the call itself.
#include "host/ModuleEntry.h"
#include "host/Vessel.h"

#include <new>

namespace {

class NullFloor final : public VESSEL2 {
public:
    using VESSEL2::VESSEL2;
    void clbkPostStep(double /*simTime*/, double /*stepLength*/, double /*mjd*/) override {}
};

} // namespace

VESSEL *ovcInit(ObjectHandle vesselHandle, int flightModel) {
    return new (std::nothrow) NullFloor(vesselHandle, flightModel);
}

void ovcExit(VESSEL *vessel) {
    delete static_cast<NullFloor *>(vessel);
}
