#include "standin_host/interface/ScenarioWriter.h"

#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/text/TextOut.h"

namespace standin {

void ScenarioWriter::WriteItem(const char *key, const std::string &value) {
    if (out != nullptr) {
        WriteVesselItem(*out, key, value);
    } else {
        lines.push_back(std::string(key) + ' ' + value);
    }
}

} // namespace standin
