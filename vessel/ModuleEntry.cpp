// The module's entry points: the host creates and destroys Brevlet instances through them.
#include "host/ModuleEntry.h"
#include "vessel/Brevlet.h"

#include <new>

VESSEL *ovcInit(ObjectHandle vesselHandle, int flightModel) {
    // A failed allocation yields null, which tells the host that no vessel was created; an
    // exception must never cross into the host.
    auto *brevlet = new (std::nothrow) Brevlet(vesselHandle, flightModel);
    return brevlet; // converts to the VESSEL base, which need not share the Brevlet's address
}

void ovcExit(VESSEL *vessel) {
    // The host holds the VESSEL base; convert back to the Brevlet that owns it before deleting.
    delete static_cast<Brevlet *>(vessel);
}
