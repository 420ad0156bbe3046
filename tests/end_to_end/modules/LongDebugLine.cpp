// A module that writes more than the debug line's buffer holds, as a module that trusts a size of
// its own does: 300 characters and a terminator where the host said 256 bytes. The host shows the
// line cut where its buffer ends, the same in the log and in the trace.
#include "host/HostServices.h"
#include "host/ModuleEntry.h"
#include "host/Vessel.h"

#include <cstring>
#include <new>

namespace {

class LongDebugLine final : public VESSEL2 {
public:
    LongDebugLine(ObjectHandle vesselHandle, int flightModel)
        : VESSEL2(vesselHandle, flightModel) {}
    void clbkPostStep(double /*simTime*/, double /*stepLength*/, double /*mjd*/) override {
        char *line = oapiDebugString();
        std::memset(line, 'x', 300);
        line[300] = '\0';
    }
};

} // namespace

VESSEL *ovcInit(ObjectHandle vesselHandle, int flightModel) {
    return new (std::nothrow) LongDebugLine(vesselHandle, flightModel);
}

void ovcExit(VESSEL *vessel) {
    delete static_cast<LongDebugLine *>(vessel);
}
