#include "standin_host/platform/StandardStreams.h"

#include <cerrno>
#include <fcntl.h>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace standin {

void OpenClosedStandardStreams() {
    for (int stream = 0; stream <= 2; ++stream) {
#if defined(_WIN32)
        if (_get_osfhandle(stream) != -1) {
            continue;
        }
        const int fd = _open("NUL", stream == 0 ? _O_RDONLY : _O_WRONLY);
        if (fd >= 0 && fd != stream) {
            _dup2(fd, stream);
            _close(fd);
        }
#else
        if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number is taken, which is this one: those below it are open.
        const int fd = open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY);
        if (fd >= 0 && fd != stream) {
            dup2(fd, stream);
            close(fd);
        }
#endif
    }
}

} // namespace standin
