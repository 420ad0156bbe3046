// The host's side of oapiWriteScenario_float and SaveDefaultState: a file handle that takes the
// lines of one vessel's scenario block, straight into a saved scenario or into a list of lines.
#pragma once

#include <string>
#include <vector>

namespace standin {

class TextOut;

class ScenarioWriter {
public:
    // Collects the lines in Lines().
    ScenarioWriter() = default;
    // Writes each line into `out` as the block of a saved scenario, as it comes.
    explicit ScenarioWriter(TextOut &out) : out(&out) {}

    void WriteItem(const char *key, const std::string &value);
    const std::vector<std::string> &Lines() const { return lines; }

private:
    TextOut *out = nullptr;
    std::vector<std::string> lines;
};

} // namespace standin
