// The scenario that a run would save at this moment, as text.
#pragma once

#include "standin_host/simulation/Simulation.h"
#include "standin_host/text/TextOut.h"

#include <string>

namespace brevlet_test {

inline std::string SavedScenario(const standin::Simulation &simulation) {
    standin::StringOut out;
    simulation.WriteScenario(out);
    return out.Text();
}

} // namespace brevlet_test
