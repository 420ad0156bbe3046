#include "standin_host/interface/ScenarioWriter.h"

namespace standin {

void ScenarioWriter::WriteItem(const char *key, const std::string &value) {
    lines.push_back(std::string(key) + ' ' + value);
}

} // namespace standin
