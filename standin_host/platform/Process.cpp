#include "standin_host/platform/Process.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/ioctl.h>
#include <system_error>
#include <unistd.h>
#endif

namespace standin {
namespace {

bool IsTerminal(int stream) {
#if defined(_WIN32)
    return _isatty(stream) != 0;
#else
    return isatty(stream) != 0;
#endif
}

} // namespace

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

void OpenClosedStandardStreams() {
#if defined(_WIN32)
    // The C runtime keeps the numbers 0, 1 and 2 for a process started without those handles (it
    // marks them as having none), so that no file it opens takes them; asking it about a number
    // that it holds closed would risk its invalid-parameter handler.
#else
    for (int stream = 0; stream <= 2; ++stream) {
        if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number is taken, which is this one: those below it are open.
        const int fd = open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY);
        if (fd >= 0 && fd != stream) {
            dup2(fd, stream);
            close(fd);
        }
    }
#endif
}

std::size_t ErrorStreamColumns() {
#if defined(_WIN32)
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info) != 0 &&
        info.srWindow.Right >= info.srWindow.Left) {
        return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left) + 1;
    }
#elif defined(TIOCGWINSZ)
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
#endif
    return 80; // the usual width
}

bool ErrorStreamIsTerminal() {
    return IsTerminal(2);
}

bool OutputStreamIsTerminal() {
    return IsTerminal(1);
}

} // namespace standin
