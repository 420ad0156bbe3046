// One vessel as the simulation keeps it: the record that the interface and the observers see, and
// the module's instance, which only the simulation calls.
#pragma once

#include "host/Vessel.h"
#include "standin_host/interface/VesselRecord.h"

namespace standin {

struct SimVessel : VesselRecord {
    // The module's instance, seen as the callback class that every vessel class derives from;
    // null once the module has destroyed it.
    VESSEL2 *instance = nullptr;
};

} // namespace standin
