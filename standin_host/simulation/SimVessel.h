// One vessel as the simulation keeps it: the record that the interface and the observers see, and
// the module's instance, which only the simulation calls.
#pragma once

#include "host/Vessel.h"
#include "standin_host/interface/VesselRecord.h"

#include <cstdint>

namespace standin {

struct SimVessel : VesselRecord {
    // The small fields first, in the record's tail padding where a compiler puts them there: a
    // million vessels take 16 MB less.

    // Destroyed and out of the run since the end of its step; its entry is dropped later, with
    // many others at once.
    bool gone = false;
    // How many vessels were created before it, modulo 2^32: the order of a step's deletions.
    std::uint32_t order = 0;
    // The module's instance; null once the module has destroyed it.
    VESSEL2 *instance = nullptr;
};

} // namespace standin
