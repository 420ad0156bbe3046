#include "standin_host/platform/FileCalls.h"

#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/platform/TerminalWidth.h"
#include "standin_host/text/MessageText.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

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
#include <linux/openat2.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#endif
#endif

namespace standin {
namespace {

namespace fs = std::filesystem;

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

namespace {

// A named temporary file is "<name>.partial-<pid>-<n>", unique among this process's and, by the
// process id, apart from those of other runs in the folder. Nothing ever removes a file by its
// name: a run removes only the temporary files that it made.
std::string TemporaryName(const std::string &name) {
    static unsigned counter = 0;
    return name.substr(0, 120) + ".partial-" + std::to_string(ProcessId()) + "-" +
           std::to_string(++counter);
}

// The parts of a way that stays beneath its start: a relative path, no "..", no empty part.
bool SplitBeneath(const std::string &file, fs::path &parent, std::string &name) {
    const fs::path normal = fs::path(file).lexically_normal();
    if (normal.has_root_name() || normal.has_root_directory() ||
        (!normal.empty() && *normal.begin() == "..")) {
        errno = EXDEV;
        return false;
    }
    name = normal.filename().string();
    if (name.empty() || name == "." || name == "..") {
        errno = EISDIR;
        return false;
    }
    parent = normal.parent_path();
    return true;
}

} // namespace

std::string Folder::PathOf(const std::string &name) const {
    return path == "." ? name : (fs::path(path) / name).string();
}

// Where the system makes unnamed files, a named one exists only for a moment; elsewhere it is
// named for the second signal before it exists, so that no signal finds it made and unnamed.
int Folder::CreateTemporary(const std::string &name, std::string &temporary, int &place) const {
    temporary.clear();
    place = -1;
    const int unnamed = CreateUnnamed();
    if (unnamed >= 0 || errno != EOPNOTSUPP) {
        return unnamed;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryName(name);
        place = AddTemporaryFileToRemove(PathOf(temporary).c_str());
        const int file = CreateNamed(temporary);
        if (file >= 0) {
            TemporaryFileOpened(place, file);
            return file;
        }
        const int failure = errno;
        ForgetTemporaryFile(place);
        place = -1;
        temporary.clear();
        if (failure != EEXIST) {
            errno = failure;
            return -1;
        }
    }
    return -1;
}

void Folder::Remove(std::string &temporary, int &place) const {
    if (!temporary.empty()) {
        RemoveNamed(temporary);
        temporary.clear();
    }
    ForgetTemporaryFile(place);
    place = -1;
}

#if defined(_WIN32)
int ProcessId() {
    return _getpid();
}
Folder::~Folder() = default;
bool Folder::Open(const std::string &folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        errno = attributes == INVALID_FILE_ATTRIBUTES ? ENOENT : ENOTDIR;
        return false;
    }
    path = folder;
    fd = 0;
    return true;
}
// Windows makes files by path, so each part on the way is asked once here, and again before each
// write; a reparse point (a symbolic link, a junction, a mount point) is no way for a checkpoint.
bool Folder::OpenBeneath(const Folder &base, const std::string &file, std::string &name) {
    fs::path parent;
    if (!SplitBeneath(file, parent, name)) {
        return false;
    }
    fs::path way = base.path;
    for (const fs::path &part : parent / name) {
        way /= part;
        const DWORD attributes = GetFileAttributesA(way.string().c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            errno = ELOOP;
            return false;
        }
    }
    return Open((fs::path(base.path) / parent).string());
}
int Folder::CreateUnnamed() const {
    errno = EOPNOTSUPP;
    return -1;
}
int Folder::CreateNamed(const std::string &name) const {
    return _open(PathOf(name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                 _S_IREAD | _S_IWRITE);
}
void Folder::RemoveNamed(const std::string &name) const {
    std::remove(PathOf(name).c_str());
}
bool SyncFile(int file) {
    return _commit(file) == 0;
}
bool Folder::Place(int &file, std::string &temporary, int &place, const std::string &name,
                   int &failure) const {
    // An open file cannot be renamed; write-through: the rename is on disk when the call returns.
    const bool closed = _close(file) == 0;
    file = -1;
    if (!closed) {
        failure = errno;
        return false;
    }
    if (!MoveFileExA(PathOf(temporary).c_str(), PathOf(name).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failure = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
        return false;
    }
    ForgetTemporaryFile(place);
    place = -1;
    temporary.clear();
    return true;
}
bool Folder::IsMountPoint(const std::string & /*name*/) const {
    return false; // a file is no mount point on Windows
}
bool Folder::MarkedUnreplaceable(const std::string & /*name*/) const {
    return false;
}
std::size_t Folder::LongestName() const {
    return 255;
}
int OpenInPlace(const std::string &path, bool /*fifo*/, int &failure) {
    const int fd = _open(path.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
    failure = errno;
    return fd;
}
int CloseFile(int fd) {
    return _close(fd);
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
int TryOpenDevice(const std::string &path) {
    const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        return errno;
    }
    _close(fd);
    return 0;
}
#else
int ProcessId() {
    return static_cast<int>(getpid());
}
Folder::~Folder() {
    if (fd >= 0) {
        close(fd);
    }
}
bool Folder::Open(const std::string &folder) {
    const int opened = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0) {
        return false;
    }
    if (fd >= 0) {
        close(fd);
    }
    fd = opened;
    path = folder;
    return true;
}
// The kernel walks the way itself where it can (openat2, Linux 5.6), refusing every link and any
// way out; elsewhere each part is opened from the one before without following a link.
bool Folder::OpenBeneath(const Folder &base, const std::string &file, std::string &name) {
    fs::path parent;
    if (!SplitBeneath(file, parent, name)) {
        return false;
    }
    const std::string way = parent.empty() ? "." : parent.string();
    int opened = -1;
#if defined(SYS_openat2)
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    opened = static_cast<int>(syscall(SYS_openat2, base.fd, way.c_str(), &how, sizeof how));
    if (opened < 0 && errno != ENOSYS && errno != EPERM) { // EPERM: a filter that denies it
        return false;
    }
#endif
    if (opened < 0) {
        opened = dup(base.fd);
        for (const fs::path &part : parent) {
            const int next =
                openat(opened, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            const int failure = errno;
            close(opened);
            if (next < 0) {
                errno = failure == ENOTDIR && fs::is_symlink(fs::symlink_status(base.PathOf(file)))
                            ? ELOOP
                            : failure;
                return false;
            }
            opened = next;
        }
    }
    struct stat last {};
    if (fstatat(opened, name.c_str(), &last, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(last.st_mode)) {
        close(opened);
        errno = ELOOP;
        return false;
    }
    if (fd >= 0) {
        close(fd);
    }
    fd = opened;
    path = base.PathOf(way);
    return true;
}
// An unnamed file (O_TMPFILE) is named only once complete, through /proc.
int Folder::CreateUnnamed() const {
    static const bool named = access("/proc/self/fd", X_OK) == 0;
    const int file = named ? openat(fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
    if (file < 0 && (!named || errno == EISDIR || errno == EINVAL)) {
        errno = EOPNOTSUPP; // a kernel or file system without O_TMPFILE
    }
    return file;
}
int Folder::CreateNamed(const std::string &name) const {
    return openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
void Folder::RemoveNamed(const std::string &name) const {
    unlinkat(fd, name.c_str(), 0);
}
bool SyncFile(int file) {
    return fsync(file) == 0;
}
bool Folder::Place(int &file, std::string &temporary, int &place, const std::string &name,
                   int &failure) const {
    struct stat old {};
    if (fstatat(fd, name.c_str(), &old, 0) == 0) {
        fchmod(file, old.st_mode & 07777);
    }
    // An unnamed file takes a temporary name first: a link cannot replace a file.
    for (int attempt = 0; temporary.empty() && attempt < 100; ++attempt) {
        temporary = TemporaryName(name);
        place = AddTemporaryFileToRemove(PathOf(temporary).c_str());
        const std::string self = "/proc/self/fd/" + std::to_string(file);
        if (linkat(AT_FDCWD, self.c_str(), fd, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            failure = errno;
            ForgetTemporaryFile(place);
            place = -1;
            temporary.clear();
            if (failure != EEXIST) {
                return false;
            }
        }
    }
    const bool closed = close(file) == 0;
    failure = errno;
    file = -1;
    if (!closed || temporary.empty() || renameat(fd, temporary.c_str(), fd, name.c_str()) != 0) {
        failure = !closed ? failure : temporary.empty() ? EEXIST : errno;
        return false;
    }
    ForgetTemporaryFile(place);
    place = -1;
    temporary.clear();
    fsync(fd); // the rename is durable once its folder is flushed
    return true;
}
// A bind-mounted file is the root of a mount; where the system does not say so, a file on another
// device than its folder is one.
bool Folder::IsMountPoint(const std::string &name) const {
#if defined(STATX_ATTR_MOUNT_ROOT)
    struct statx facts {};
    if (statx(fd, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &facts) == 0 &&
        (facts.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
        return (facts.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    }
#endif
    struct stat file {};
    struct stat folder {};
    return fstatat(fd, name.c_str(), &file, AT_SYMLINK_NOFOLLOW) == 0 && fstat(fd, &folder) == 0 &&
           file.st_dev != folder.st_dev;
}
bool Folder::MarkedUnreplaceable(const std::string &name) const {
#if defined(__linux__)
    const int file =
        name.empty()
            ? fd
            : openat(fd, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0) {
        return false; // what cannot be opened to ask is refused, if at all, by the write
    }
    int flags = 0;
    const bool marked = ioctl(file, FS_IOC_GETFLAGS, &flags) == 0 &&
                        (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
    if (file != fd) {
        close(file);
    }
    return marked;
#else
    (void)name;
    return false;
#endif
}
std::size_t Folder::LongestName() const {
    const long most = fpathconf(fd, _PC_NAME_MAX);
    return most > 0 ? static_cast<std::size_t>(most) : 255;
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
int CloseFile(int fd) {
    return close(fd);
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
int TryOpenDevice(const std::string &path) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    close(fd);
    return 0;
}
#endif

} // namespace standin
