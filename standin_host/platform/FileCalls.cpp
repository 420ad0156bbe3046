#include "standin_host/platform/FileCalls.h"

#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/platform/TerminalWidth.h"
#include "standin_host/text/MessageText.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iostream>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif
#endif

namespace standin {
namespace {

#if defined(_WIN32)
long WriteSome(int fd, const char *data, std::size_t size) {
    return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
// Writes on Windows wait as the system has them wait.
class WriteWait {
public:
    explicit WriteWait(int /*fd*/) {}
    bool Ready() const { return true; }
    std::size_t Most(std::size_t size) const { return size; }
};
#else
long WriteSome(int fd, const char *data, std::size_t size) {
    return static_cast<long>(write(fd, data, size));
}
// A pipe, FIFO or terminal whose reader does not read would hold a write for ever, and the
// handler of the signals that end a run lets a blocked call go on. So such a file is written in
// pieces that fit once it takes more, and waited for in short polls; a signal ends a wait in which
// it takes nothing for half a second. A reader that still reads (a save that a signal comes during)
// finishes the write.
class WriteWait {
public:
    explicit WriteWait(int fd) : fd(fd) {
        struct stat facts {};
        waits = fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode);
    }
    bool Ready() const {
        constexpr int pollMilliseconds = 50;
        constexpr int giveUpMilliseconds = 500;
        int waitedSinceSignal = 0;
        while (waits) {
            pollfd wanted{fd, POLLOUT, 0};
            const int ready = poll(&wanted, 1, pollMilliseconds);
            if (ready != 0 && !(ready < 0 && errno == EINTR)) {
                return true; // ready, or a fault that the write reports
            }
            if (RunInterruptSignal() != 0 &&
                (waitedSinceSignal += pollMilliseconds) >= giveUpMilliseconds) {
                return false;
            }
        }
        return true;
    }
    // A pipe that takes more takes at least this much without waiting.
    std::size_t Most(std::size_t size) const {
        return waits ? std::min<std::size_t>(size, PIPE_BUF) : size;
    }

private:
    int fd;
    bool waits;
};
#endif

} // namespace

std::string SystemErrorText(int number) {
    return std::strerror(number);
}

bool WriteAll(int fd, const char *data, std::size_t size, int &failure) {
    const WriteWait wait(fd);
    std::size_t done = 0;
    while (done < size) {
        if (!wait.Ready()) {
            failure = EINTR;
            return false;
        }
        const long written = WriteSome(fd, data + done, wait.Most(size - done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            failure = written < 0 ? errno : EIO;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

#if defined(_WIN32)
int OpenNewFile(const std::string &path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int OpenInPlace(const std::string &path, bool /*fifo*/, int &failure) {
    const int fd = _open(path.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
    failure = errno;
    return fd;
}
bool SyncFile(int fd) {
    return _commit(fd) == 0;
}
int CloseFile(int fd) {
    return _close(fd);
}
void KeepMode(int /*fd*/, const std::string & /*like*/) {}
bool RenameOver(const std::string &from, const std::string &to, std::string &reason) {
    // Write-through: the rename is on disk when the call returns.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    reason = "Windows error " + std::to_string(GetLastError());
    return false;
}
void SyncFolder(const std::string & /*folder*/) {}
std::size_t LongestName(const std::string & /*folder*/) {
    return 255;
}
bool MayTakeNewFiles(const std::string & /*folder*/) {
    return true; // the output's trial file tells
}
int ProcessId() {
    return _getpid();
}
int OpenForReading(const std::string &path, int &failure) {
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    failure = errno;
    return fd;
}
long ReadSome(int fd, char *data, std::size_t size, int &failure) {
    const int got = _read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
    failure = errno;
    return got;
}
bool ProcessGone(int /*pid*/) {
    return false;
}
int TryOpenDevice(const std::string &path) {
    const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        return errno;
    }
    _close(fd);
    return 0;
}
bool MarkedUnreplaceable(const std::string & /*path*/) {
    return false;
}
bool OwnRegularFile(const std::string & /*path*/) {
    return false;
}
#else
int OpenNewFile(const std::string &path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
// A FIFO's open waits for a reader. It is tried without waiting, again and again, so that a signal
// that ends the run (whose handler lets blocked calls go on) ends the wait within a fraction of a
// second.
int OpenInPlace(const std::string &path, bool fifo, int &failure) {
    if (!fifo) {
        const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        failure = errno;
        return fd;
    }
    for (bool told = false;; told = true) {
        const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK); // writes wait for the reader
            return fd;
        }
        if (errno != ENXIO) { // ENXIO: no reader yet
            failure = errno;
            return -1;
        }
        // Someone at a terminal is told why nothing happens; a log file is not.
        if (!told && ErrorStreamIsTerminal()) {
            std::cerr << "standin-host: waiting for a reader of the FIFO " << Escaped(path)
                      << " (Ctrl-C ends the wait)\n"
                      << std::flush;
        }
        if (RunInterruptSignal() != 0) {
            failure = EINTR;
            return -1;
        }
        usleep(20000);
    }
}
bool SyncFile(int fd) {
    return fsync(fd) == 0;
}
int CloseFile(int fd) {
    return close(fd);
}
void KeepMode(int fd, const std::string &like) {
    struct stat old {};
    if (stat(like.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    }
}
bool RenameOver(const std::string &from, const std::string &to, std::string &reason) {
    if (std::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    reason = SystemErrorText(errno);
    return false;
}
// A rename is durable only once its folder is flushed too.
void SyncFolder(const std::string &folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
std::size_t LongestName(const std::string &folder) {
    const long most = pathconf(folder.c_str(), _PC_NAME_MAX);
    return most > 0 ? static_cast<std::size_t>(most) : 255;
}
bool MayTakeNewFiles(const std::string &folder) {
    return access(folder.c_str(), W_OK | X_OK) == 0;
}
int ProcessId() {
    return static_cast<int>(getpid());
}
// A FIFO's open for reading waits for a writer, and a read for its bytes; the handler of a signal
// lets both go on. So it is opened without waiting and stays so: each wait, for the first bytes
// and for those of a writer that stalls, is made of short polls, in which a signal ends it.
int OpenForReading(const std::string &path, int &failure) {
    struct stat facts {};
    const bool fifo = stat(path.c_str(), &facts) == 0 && S_ISFIFO(facts.st_mode);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | (fifo ? O_NONBLOCK : 0));
    if (fd < 0 || !fifo) {
        failure = errno;
        return fd;
    }
    while (true) {
        pollfd wanted{fd, POLLIN, 0};
        const int ready = poll(&wanted, 1, 50);
        if (ready > 0) {
            break; // bytes, or a writer that came and left
        }
        if (ready < 0 && errno != EINTR) {
            failure = errno;
            close(fd);
            return -1;
        }
        if (RunInterruptSignal() != 0) {
            failure = EINTR;
            close(fd);
            return -1;
        }
    }
    return fd;
}
long ReadSome(int fd, char *data, std::size_t size, int &failure) {
    while (true) {
        const long got = static_cast<long>(read(fd, data, size));
        if (got >= 0) {
            return got;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            failure = errno;
            return -1;
        }
        if (RunInterruptSignal() != 0) {
            failure = EINTR;
            return -1;
        }
        pollfd wanted{fd, POLLIN, 0};
        poll(&wanted, 1, 50);
    }
}
bool ProcessGone(int pid) {
    return pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}
int TryOpenDevice(const std::string &path) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    close(fd);
    return 0;
}
bool MarkedUnreplaceable(const std::string &path) {
#if defined(__linux__)
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false; // what cannot be opened to ask is refused, if at all, by the write
    }
    int flags = 0;
    const bool marked =
        ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
    close(fd);
    return marked;
#else
    (void)path;
    return false;
#endif
}
bool OwnRegularFile(const std::string &path) {
    struct stat facts {};
    return lstat(path.c_str(), &facts) == 0 && S_ISREG(facts.st_mode) && facts.st_uid == getuid();
}
#endif

} // namespace standin
