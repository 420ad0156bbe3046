// The host's side of oapiWriteScenario_float and SaveDefaultState: a file handle that takes the
// lines of one vessel's scenario block, straight into a saved scenario as it is written.
#pragma once

#include <string>

namespace standin {

class TextOut;

class ScenarioWriter {
public:
    // Writes each line into `out` as the block of a saved scenario, as it comes.
    explicit ScenarioWriter(TextOut &out) : out(out) {}

    void WriteItem(const char *key, const std::string &value);

private:
    TextOut &out;
};

} // namespace standin
