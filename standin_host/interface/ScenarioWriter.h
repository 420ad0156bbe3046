// The host's side of oapiWriteScenario_float and SaveDefaultState: a file handle that collects
// the lines of one vessel's scenario block.
#pragma once

#include <string>
#include <vector>

namespace standin {

class ScenarioWriter {
public:
    void WriteItem(const char *key, const std::string &value);
    const std::vector<std::string> &Lines() const { return lines; }

private:
    std::vector<std::string> lines;
};

} // namespace standin
