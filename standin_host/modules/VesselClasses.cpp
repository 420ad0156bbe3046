#include "standin_host/modules/VesselClasses.h"

#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/text/MessageText.h"

#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace standin {
namespace {

// Sets `module` to the value of the configuration's "Module = name" line, if it has one; the
// last one counts.
bool FindModuleName(const TextFile &config, std::string &module, std::string &error) {
    return ForEachConfigValue(config.text, "Module", [&](std::string_view value, int number) {
        module = std::string(value);
        if (!IsValidName(module)) {
            error = LinePlace(config.name, number) + Quoted(module) + " is not a valid module name";
            return false;
        }
        return true;
    });
}

} // namespace

VesselClasses::VesselClasses(std::string configFolder, std::string moduleFolder)
    : configFolder(std::move(configFolder)), moduleFolder(std::move(moduleFolder)) {}

const VesselClass *VesselClasses::Find(const std::string &name, std::string &error) {
    const auto known = classes.find(name);
    if (known != classes.end()) {
        return known->second.get();
    }
    if (!IsValidName(name)) {
        error = Quoted(name) + " is not a valid class name";
        return nullptr;
    }
    auto vesselClass = std::make_unique<VesselClass>();
    vesselClass->name = name;
    const std::string path = configFolder + "/" + name + ".cfg";
    // A scenario saved elsewhere, or continued from another folder, has no files beside it.
    const auto fail = [&](const std::string &file, const char *option) {
        error = "class " + name + ": " + error;
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) {
            error += std::string(" (") + option + ")";
        }
        return nullptr;
    };
    if (!ReadTextFile(path, vesselClass->config, error, {}, mostConfigurationBytes)) {
        return fail(path, "--config names the folder of the class configurations");
    }
    TextLines lines(vesselClass->config.text);
    for (std::string_view line; lines.Next(line);) {
        vesselClass->configLines.Add(line, lines.Number());
    }
    std::string moduleName = name;
    if (!FindModuleName(vesselClass->config, moduleName, error)) {
        return nullptr;
    }
    auto module = modules.find(moduleName);
    if (module == modules.end()) {
        const std::string modulePath =
            moduleFolder + "/" + moduleName + ModuleLibrary::FileSuffix();
        std::unique_ptr<ModuleLibrary> loaded = ModuleLibrary::Load(modulePath, error);
        if (!loaded) {
            return fail(modulePath, "--modules names the folder of the modules");
        }
        module = modules.emplace(moduleName, std::move(loaded)).first;
    }
    vesselClass->module = module->second.get();
    return classes.emplace(name, std::move(vesselClass)).first->second.get();
}

} // namespace standin
