// The two entry points through which the host creates and destroys the instances of a vessel
// module's class. A module exports them under these undecorated names.
#pragma once

#include "HostTypes.h"
#include "Linkage.h"

class VESSEL;

MODULE_EXPORT VESSEL *ovcInit(ObjectHandle vesselHandle, int flightModel);
MODULE_EXPORT void ovcExit(VESSEL *vessel);

using OvcInitFunction = VESSEL *(*)(ObjectHandle vesselHandle, int flightModel);
using OvcExitFunction = void (*)(VESSEL *vessel);
