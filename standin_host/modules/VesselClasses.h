// The vessel classes of a run: each class's configuration file, found by the class's name in the
// configuration folder, and the module that implements it.
#pragma once

#include "standin_host/modules/ModuleLibrary.h"
#include "standin_host/scenario/TextFile.h"
#include "standin_host/text/SourceLines.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace standin {

struct VesselClass {
    std::string name;
    TextFile config; // its configuration file
    // The file's lines, split once for the class and handed to every vessel's clbkSetClassCaps.
    SourceLines configLines;
    const ModuleLibrary *module; // shared by every class that names the same module
};

class VesselClasses {
public:
    VesselClasses(std::string configFolder, std::string moduleFolder);

    // The class `name`, read from "<config folder>/<name>.cfg" on first use. Its module is the one
    // named by the file's "Module = ..." line, or by the class name when there is none, found as
    // "<module folder>/<module><suffix>". Null with a message when the class cannot be had.
    const VesselClass *Find(const std::string &name, std::string &error);

private:
    std::string configFolder;
    std::string moduleFolder;
    std::map<std::string, std::unique_ptr<ModuleLibrary>> modules;
    std::map<std::string, std::unique_ptr<VesselClass>> classes;
};

} // namespace standin
