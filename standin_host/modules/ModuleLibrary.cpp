#include "standin_host/modules/ModuleLibrary.h"

#include "standin_host/modules/ModuleFormat.h"

#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace standin {
namespace {

#if defined(_WIN32)
void *OpenLibrary(const std::string &path, std::string &reason) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        const DWORD code = GetLastError();
        const std::string missing =
            code == ERROR_MOD_NOT_FOUND ? MissingImportsReason(path) : std::string();
        reason = "not a loadable module" + (missing.empty() ? " " : ": " + missing + " ") +
                 "(Windows error " + std::to_string(code) + ")";
    }
    return reinterpret_cast<void *>(module);
}
void *FindSymbol(void *library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void CloseLibrary(void *library) {
    FreeLibrary(static_cast<HMODULE>(library));
}
#else
void *OpenLibrary(const std::string &path, std::string &reason) {
    // A path without a slash would be searched for on the library path; the host means this file.
    const std::string exact = path.find('/') == std::string::npos ? "./" + path : path;
    void *library = dlopen(exact.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char *message = dlerror();
        reason = std::string("not a loadable module: ") + (message ? message : "unknown error");
    }
    return library;
}
void *FindSymbol(void *library, const char *name) {
    return dlsym(library, name);
}
void CloseLibrary(void *library) {
    dlclose(library);
}
#endif

template <typename Function> Function AsFunction(void *symbol) {
    // Converting an object pointer from the loader to a function pointer is how both platforms'
    // loaders are meant to be used.
    Function function = nullptr;
    static_assert(sizeof function == sizeof symbol, "function and object pointers differ in size");
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

} // namespace

std::unique_ptr<ModuleLibrary> ModuleLibrary::Load(const std::string &path, std::string &error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        error = path + ": no such module file";
        return nullptr;
    }
    const std::string otherHost = OtherHostReason(path);
    if (!otherHost.empty()) {
        error = path + ": not a module for this host: " + otherHost;
        return nullptr;
    }
    std::string reason;
    void *library = OpenLibrary(path, reason);
    if (library == nullptr) {
        const std::string foreign = ForeignModuleReason(path);
        error = path + ": " + (foreign.empty() ? reason : "not a loadable module: " + foreign);
        return nullptr;
    }
    void *init = FindSymbol(library, "ovcInit");
    void *exit = FindSymbol(library, "ovcExit");
    if (init == nullptr || exit == nullptr) {
        error = path + ": not a vessel module: it does not export " +
                (init == nullptr && exit == nullptr ? "ovcInit and ovcExit"
                 : init == nullptr                  ? "ovcInit"
                                                    : "ovcExit");
        CloseLibrary(library);
        return nullptr;
    }
    return std::unique_ptr<ModuleLibrary>(new ModuleLibrary(
        path, library, AsFunction<OvcInitFunction>(init), AsFunction<OvcExitFunction>(exit)));
}

ModuleLibrary::ModuleLibrary(std::string path, void *library, OvcInitFunction init,
                             OvcExitFunction exit)
    : path(std::move(path)), library(library), init(init), exit(exit) {}

ModuleLibrary::~ModuleLibrary() {
    CloseLibrary(library);
}

const char *ModuleLibrary::FileSuffix() {
#if defined(_WIN32)
    return ".dll";
#else
    return ".so";
#endif
}

} // namespace standin
