#include "standin_host/platform/TerminalWidth.h"

#if defined(_WIN32)
#include <cstdio>
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace standin {
namespace {

constexpr std::size_t usualColumns = 80;

} // namespace

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
    return usualColumns;
}

bool ErrorStreamIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

bool OutputStreamIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

} // namespace standin
