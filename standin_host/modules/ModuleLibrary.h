// A vessel module loaded into the host process, with its two entry points.
#pragma once

#include "host/ModuleEntry.h"

#include <memory>
#include <string>

namespace standin {

class ModuleLibrary {
public:
    // Loads the module at `path` and finds ovcInit and ovcExit by their undecorated names. On
    // failure returns null and sets `error` to a message naming the path and the reason.
    static std::unique_ptr<ModuleLibrary> Load(const std::string &path, std::string &error);

    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary &) = delete;
    ModuleLibrary &operator=(const ModuleLibrary &) = delete;

    const std::string &Path() const { return path; }
    OvcInitFunction Init() const { return init; }
    OvcExitFunction Exit() const { return exit; }

    // The file name ending of a module on this platform.
    static const char *FileSuffix() {
#if defined(_WIN32)
        return ".dll";
#else
        return ".so";
#endif
    }

private:
    ModuleLibrary(std::string path, void *library, OvcInitFunction init, OvcExitFunction exit);

    std::string path;
    void *library;
    OvcInitFunction init;
    OvcExitFunction exit;
};

} // namespace standin
