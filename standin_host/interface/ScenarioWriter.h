// The host's side of oapiWriteScenario_float and SaveDefaultState: a file handle that takes the
// lines of one vessel's scenario block, straight into a saved scenario as it is written.
#pragma once

#include "standin_host/scenario/ScenarioFile.h"

#include <string>

namespace standin {

class ScenarioWriter {
public:
    explicit ScenarioWriter(TextOut &out) : out(out) {}

    void WriteItem(const char *key, const std::string &value) { WriteVesselItem(out, key, value); }

private:
    TextOut &out;
};

} // namespace standin
