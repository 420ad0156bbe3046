#include "standin_host/platform/StandardStreams.h"

#if !defined(_WIN32)
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace standin {

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

} // namespace standin
