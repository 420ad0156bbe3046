#include "standin_host/modules/ModuleLibrary.h"

#include "standin_host/modules/ModuleFormat.h"
#include "standin_host/platform/Process.h"

#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <fstream>
#include <iterator>
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace standin {
namespace {

#if defined(_WIN32)
std::vector<std::string> ImportedFiles(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return PeImportedFiles(
        std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

bool IsProgram(const std::string &file) {
    return file.size() > 4 && _stricmp(file.c_str() + file.size() - 4, ".exe") == 0;
}

// Why the module at `path` must not be loaded into this host: it imports the host's services
// from a program of another name, which Windows would load as a second program beside this one
// (or, where there is none, fail with error 126). Empty when it does not.
std::string OtherHostReason(const std::string &path) {
    for (const std::string &file : ImportedFiles(path)) {
        // The host's own program is loaded under its name; another would be loaded beside it.
        if (IsProgram(file) && GetModuleHandleA(file.c_str()) == nullptr) {
            return "it imports the host's services from a program named " + file +
                   ", and this host is " +
                   std::filesystem::path(ProgramPath(nullptr)).filename().string() +
                   ": run it in a host of that name, or build it against the import library " +
                   "of this one";
        }
    }
    return {};
}

// The imports of the module at `path` that this process cannot find, in words with what to do;
// empty when all are found.
std::string MissingImportsReason(const std::string &path) {
    std::vector<std::string> missing;
    for (const std::string &file : ImportedFiles(path)) {
        if (IsProgram(file) || GetModuleHandleA(file.c_str()) != nullptr) {
            continue;
        }
        HMODULE found = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (found != nullptr) {
            FreeLibrary(found);
        } else {
            missing.push_back(file);
        }
    }
    if (missing.empty()) {
        return {};
    }
    std::string files = missing.front();
    for (std::size_t i = 1; i < missing.size(); ++i) {
        files += (i + 1 == missing.size() ? " and " : ", ") + missing[i];
    }
    return "it needs " + files + ", which Windows finds neither beside the host's program nor " +
           "on its search path; a module links its C++ runtime in (-static with MinGW-w64's " +
           "GCC), as the kit's example module does";
}

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
#if defined(_WIN32)
    if (const std::string otherHost = OtherHostReason(path); !otherHost.empty()) {
        error = path + ": not a module for this host: " + otherHost;
        return nullptr;
    }
#endif
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

} // namespace standin
