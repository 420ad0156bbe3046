#include "standin_host/interface/ScenarioWriter.h"

#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/text/TextOut.h"

namespace standin {

void ScenarioWriter::WriteItem(const char *key, const std::string &value) {
    WriteVesselItem(out, key, value);
}

} // namespace standin
