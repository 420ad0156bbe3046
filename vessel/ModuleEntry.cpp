// The module's entry points: the host creates and destroys Brevlet instances through them.
#include "host/ModuleEntry.h"
#include "BrevletVersion.h"
#include "vessel/Brevlet.h"

#include <new>

// The module's version, in its bytes where `strings Brevlet.so` finds it. Nothing refers to it:
// external linkage keeps it in the module, hidden visibility out of the export table.
extern const char brevletModuleVersion[];
const char brevletModuleVersion[] = "Brevlet vessel module " BREVLET_VERSION;

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
