// One vessel as the simulation keeps it: the record that the interface and the observers see, and
// the module's instance, which only the simulation calls.
#pragma once

#include "host/Vessel.h"
#include "standin_host/interface/VesselRecord.h"

#include <cstdint>

namespace standin {

struct SimVessel : VesselRecord {
    // The small fields first, where compilers that may place them in the record's tail padding
    // do: a million vessels take 16 MB less.

    // Destroyed, and out of the run at the end of its step; its entry is dropped later, with
    // many others at once.
    bool gone = false;
    // The count of vessels created before it in the run, modulo 2^32: the deletions of a step go
    // in this order.
    std::uint32_t order = 0;
    // The module's instance, seen as the callback class that every vessel class derives from;
    // null once the module has destroyed it.
    VESSEL2 *instance = nullptr;
};

} // namespace standin
