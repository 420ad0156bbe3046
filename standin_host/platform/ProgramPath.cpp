#include "standin_host/platform/ProgramPath.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <filesystem>
#include <system_error>
#endif

namespace standin {

std::string ProgramPath(const char *argv0) {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        return std::string(path, length);
    }
#else
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return self.string();
    }
#endif
    return argv0 != nullptr ? argv0 : ""; // started with no arguments at all
}

} // namespace standin
