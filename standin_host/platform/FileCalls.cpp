#include "standin_host/platform/FileCalls.h"

#include "standin_host/platform/Process.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/text/MessageText.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif
#endif

namespace standin {
namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
// Windows writes bytes as given only in binary mode, has no FIFO to wait for, and shows its
// devices (NUL, CON) as no kind.
constexpr int openFlags = O_BINARY;
constexpr bool onWindows = true;
constexpr int noWait = 0;
int ReadyToRead(int /*fd*/) {
    return 1;
}
constexpr std::size_t mostAtOnce = 1u << 30;
bool Waits(int /*fd*/) {
    return false;
}
bool ReadyToWrite(int /*fd*/) {
    return true;
}
void KeepWaiting(int /*fd*/) {}
void Pause() {
    Sleep(20);
}
#else
constexpr int openFlags = O_CLOEXEC;
constexpr bool onWindows = false;
constexpr int noWait = O_NONBLOCK | O_NOCTTY;
// A file opened without waiting waits again for its writes.
void KeepWaiting(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
}
void Pause() {
    usleep(20000);
}
// A FIFO that has bytes, or whose writer came and left, within a short poll: 1, else 0 or -1.
int ReadyToRead(int fd) {
    pollfd wanted{fd, POLLIN, 0};
    return poll(&wanted, 1, 50);
}
constexpr std::size_t mostAtOnce = PIPE_BUF; // what a pipe that takes more takes without waiting
// A pipe, FIFO or terminal whose reader does not read would hold a write for ever, and the
// handler of the signals that end a run lets a blocked call go on. So such a file is written in
// pieces that fit once it takes more, waited for in short polls; a signal ends a wait in which it
// takes nothing for half a second. A reader that still reads finishes the write.
bool Waits(int fd) {
    struct stat facts {};
    return fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode);
}
bool ReadyToWrite(int fd) {
    constexpr int pollMilliseconds = 50;
    for (int waitedSinceSignal = 0; waitedSinceSignal < 500;) {
        pollfd wanted{fd, POLLOUT, 0};
        const int ready = poll(&wanted, 1, pollMilliseconds);
        if (ready != 0 && !(ready < 0 && errno == EINTR)) {
            return true; // ready, or a fault that the write reports
        }
        waitedSinceSignal += RunInterruptSignal() != 0 ? pollMilliseconds : 0;
    }
    return false;
}
#endif

// A named temporary file is "<name>.partial-<pid>-<n>", apart by the process id from those of
// other runs in the folder. Nothing ever removes a file by its name: a run removes only the
// temporary files that it made. `make` makes the file, or links it, as `temporary` (-1 and
// errno); it is named for the second signal before it exists.
template <typename Make>
int NameTemporary(const Folder &folder, const std::string &name, std::string &temporary, int &place,
                  Make make) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = name.substr(0, 120) + ".partial-" + std::to_string(getpid()) + "-" +
                    std::to_string(++counter);
        place = AddTemporaryFileToRemove(folder.PathOf(temporary).c_str());
        const int made = make();
        if (made >= 0) {
            return made;
        }
        const int failure = errno;
        ForgetTemporaryFile(place);
        temporary.clear();
        if (failure != EEXIST) {
            errno = failure;
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
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

#if defined(_WIN32)
// The file's identity as the system keeps it, from the open file; empty when it cannot be opened.
std::string SystemIdentity(const std::string &path) {
    const HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    BY_HANDLE_FILE_INFORMATION facts{};
    const bool known = GetFileInformationByHandle(file, &facts) != 0;
    CloseHandle(file);
    if (!known) {
        return {};
    }
    return std::to_string(facts.dwVolumeSerialNumber) + ":" +
           std::to_string((static_cast<unsigned long long>(facts.nFileIndexHigh) << 32) |
                          facts.nFileIndexLow);
}
// A name as the system compares it: letters in one case, without trailing dots and blanks.
std::string SystemName(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.pop_back();
    }
    for (char &c : name) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return name;
}
#else
std::string SystemIdentity(const struct stat &facts) {
    return std::to_string(facts.st_dev) + ":" + std::to_string(facts.st_ino);
}
std::string SystemIdentity(const std::string &path) {
    struct stat facts {};
    return stat(path.c_str(), &facts) == 0 ? SystemIdentity(facts) : std::string();
}
std::string SystemName(std::string name) {
    return name;
}
#endif

// Where a file that is not there yet would be: its folder, as the system knows it, and its name.
std::string IdentityOfMissing(const std::string &path) {
    const fs::path target = FollowLinks(path);
    const std::string folder = SystemIdentity(FolderOf(target));
    return "new:" + (folder.empty() ? FolderOf(target) : folder) + "/" +
           SystemName(target.filename().string());
}

} // namespace

std::string SystemErrorText(int number) {
    return std::strerror(number);
}

std::string FolderOf(const fs::path &path) {
    const fs::path parent = path.parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

fs::path FollowLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) {
            break;
        }
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) {
            break;
        }
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

FileFacts ExamineFile(const std::string &path) {
    FileFacts facts;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec.value() == ELOOP || ec.value() == ENOTDIR) { // ENOTDIR: a part of the path is a file
        facts.kind = FileFacts::Kind::Unreachable;
        facts.reason = ec.value();
        return facts;
    }
    if (!fs::exists(status)) {
        // Not there, or a part of the path is missing: the output's own checks tell which.
        facts.identity = IdentityOfMissing(path);
        return facts;
    }
    const std::string identity = SystemIdentity(path);
    facts.identity = identity.empty() ? "path:" + path : "file:" + identity;
    const fs::file_type type = status.type();
    facts.kind = type == fs::file_type::directory ? FileFacts::Kind::Folder
                 : type == fs::file_type::regular ? FileFacts::Kind::Regular
                 : type == fs::file_type::fifo    ? FileFacts::Kind::Fifo
                 : type == fs::file_type::block || type == fs::file_type::character || onWindows
                     ? FileFacts::Kind::Device
                     : FileFacts::Kind::Other;
    // Without any write permission the owner has protected the file, which root's rights do not
    // change; without this process's, it cannot be written anyway.
    constexpr fs::perms writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    facts.readOnly = (status.permissions() & writable) == fs::perms::none;
#if !defined(_WIN32)
    if (!facts.readOnly && access(path.c_str(), W_OK) != 0) {
        facts.readOnly = true;
        facts.reason = errno;
    }
    struct stat target {};
    struct stat null {};
    facts.discards = stat(path.c_str(), &target) == 0 && S_ISCHR(target.st_mode) &&
                     stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode) &&
                     target.st_rdev == null.st_rdev;
    // A device that discards is shared by whatever else goes there: no stream to keep apart.
    for (const int fd : {1, 2}) {
        struct stat stream {};
        if (!facts.discards && facts.standardStream == 0 && fstat(fd, &stream) == 0 &&
            "file:" + SystemIdentity(stream) == facts.identity) {
            facts.standardStream = fd;
        }
    }
#endif
    return facts;
}

bool WriteAll(int fd, const char *data, std::size_t size, int &failure) {
    const bool waits = Waits(fd);
    for (std::size_t done = 0; done < size;) {
        if (waits && !ReadyToWrite(fd)) {
            failure = EINTR;
            return false;
        }
        const std::size_t most = waits ? mostAtOnce : 1u << 30;
        const long written = static_cast<long>(write(fd, data + done, std::min(size - done, most)));
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

std::string Folder::PathOf(const std::string &name) const {
    return path == "." ? name : (fs::path(path) / name).string();
}

// Where the system makes unnamed files (O_TMPFILE, named only once complete, through /proc), a
// named one exists only for a moment; elsewhere it is named for the second signal before it
// exists, so that no signal finds it made and unnamed. A folder that makes no unnamed file (a
// kernel or file system without them, a folder removed, which says EPERM) is asked for a named
// one, whose refusal tells why.
int Folder::CreateTemporary(const std::string &name) {
#if defined(O_TMPFILE)
    static const bool named = access("/proc/self/fd", X_OK) == 0;
    const int unnamed = named ? openat(fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
    if (unnamed >= 0) {
        return unnamed;
    }
#endif
    const int file = NameTemporary(*this, name, temporary, place, [&] {
#if defined(_WIN32)
        return open(PathOf(temporary).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY,
                    _S_IREAD | _S_IWRITE);
#else
        return openat(fd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    });
    TemporaryFileOpened(place, file);
    return file;
}

void Folder::Remove() {
    if (!temporary.empty()) {
#if defined(_WIN32)
        std::remove(PathOf(temporary).c_str());
#else
        unlinkat(fd, temporary.c_str(), 0);
#endif
        temporary.clear();
    }
    ForgetTemporaryFile(place);
}

bool Folder::Place(int &file, const std::string &name, int &failure) {
#if !defined(_WIN32)
    struct stat old {};
    if (fstatat(fd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode)) {
        fchmod(file, old.st_mode & 0777); // a set-user-ID bit is no part of a text's permissions
    }
    // An unnamed file takes a temporary name first: a link cannot replace a file.
    const std::string self = "/proc/self/fd/" + std::to_string(file);
    if (temporary.empty() && NameTemporary(*this, name, temporary, place, [&] {
                                 return linkat(AT_FDCWD, self.c_str(), fd, temporary.c_str(),
                                               AT_SYMLINK_FOLLOW);
                             }) < 0) {
        failure = errno;
        return false;
    }
#endif
    const bool closed = close(file) == 0; // Windows renames no open file
    failure = errno;
    file = -1;
    if (!closed) {
        return false;
    }
#if defined(_WIN32)
    // Write-through: the rename is on disk when the call returns.
    if (!MoveFileExA(PathOf(temporary).c_str(), PathOf(name).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failure = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
        return false;
    }
#else
    if (renameat(fd, temporary.c_str(), fd, name.c_str()) != 0) {
        failure = errno;
        return false;
    }
    fsync(fd); // the rename is durable once its folder is flushed
#endif
    ForgetTemporaryFile(place);
    temporary.clear();
    return true;
}

void Folder::Close() {
    Remove();
#if defined(_WIN32)
    if (handle != nullptr) {
        CloseHandle(handle);
        handle = nullptr;
    }
#else
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
#endif
}

// A FIFO's open waits for a reader, and the handler of the signals that end a run lets a blocked
// call go on: so it is tried without waiting, again and again, and a signal ends the wait.
int OpenInPlace(const std::string &path, bool fifo, int &failure) {
    for (bool told = false;; told = true) {
        const int fd = open(path.c_str(), O_WRONLY | openFlags | noWait);
        if (fd >= 0) {
            KeepWaiting(fd); // writes wait for the reader
            return fd;
        }
        failure = errno;
        if (!fifo || failure != ENXIO) { // ENXIO: no reader yet
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
        Pause();
    }
}

// A FIFO's open for reading waits for a writer, and a read for its bytes: so it is opened without
// waiting and stays so, and each wait is made of short polls, in which a signal ends it.
int OpenForReading(const std::string &path, int &failure) {
    std::error_code ec;
    const bool fifo = fs::is_fifo(path, ec);
    const int fd = open(path.c_str(), O_RDONLY | openFlags | (fifo ? noWait : 0));
    failure = errno;
    for (int ready = 0; fd >= 0 && fifo && (ready = ReadyToRead(fd)) <= 0;) {
        failure = ready < 0 && errno != EINTR ? errno : EINTR;
        if (failure != EINTR || RunInterruptSignal() != 0) {
            close(fd);
            return -1;
        }
    }
    return fd;
}

long ReadSome(int fd, char *data, std::size_t size, int &failure) {
    while (true) {
        const long got = static_cast<long>(read(fd, data, std::min<std::size_t>(size, INT_MAX)));
        if (got >= 0) {
            return got;
        }
        failure = errno;
        if (failure != EAGAIN && failure != EWOULDBLOCK && failure != EINTR) {
            return -1;
        }
        if (RunInterruptSignal() != 0) {
            failure = EINTR;
            return -1;
        }
        ReadyToRead(fd);
    }
}

int CloseFile(int fd) {
    return close(fd);
}

#if defined(_WIN32)
// Held open without sharing its deletion, the folder cannot be renamed, removed or swapped for a
// link while the run holds it, nor can a folder above it (Windows renames no folder that holds an
// open file): its path keeps leading to it.
bool Folder::Open(const std::string &folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        errno = attributes == INVALID_FILE_ATTRIBUTES ? ENOENT : ENOTDIR;
        return false;
    }
    const HANDLE opened =
        CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        errno = EACCES;
        return false;
    }
    Close();
    handle = opened;
    path = folder;
    return true;
}
// Each part on the way is asked once, before the folder is held; a reparse point (a symbolic link,
// a junction, a mount point) is no way for a checkpoint.
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
bool SyncFile(int file) {
    return _commit(file) == 0;
}
int Folder::Unreplaceable(const std::string & /*name*/) const {
    return 0; // Windows marks no file so, and a file is no mount point there
}
std::size_t Folder::LongestName() const {
    return 255;
}
#else
bool Folder::Open(const std::string &folder) {
    const int opened = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (opened < 0) {
        return false;
    }
    Close();
    fd = opened;
    path = folder;
    return true;
}
// Each part is opened from the one before without following a link, so that no folder renamed or
// swapped for a link meanwhile can lead the way elsewhere.
bool Folder::OpenBeneath(const Folder &base, const std::string &file, std::string &name) {
    fs::path parent;
    if (!SplitBeneath(file, parent, name)) {
        return false;
    }
    const auto isLink = [](int folder, const char *part) {
        struct stat facts {};
        return fstatat(folder, part, &facts, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(facts.st_mode);
    };
    int opened = dup(base.fd);
    for (const fs::path &part : parent) {
        const int next =
            openat(opened, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int failure = errno;
        if (next < 0) {
            errno = isLink(opened, part.c_str()) ? ELOOP : failure; // the system says ENOTDIR
            close(opened);
            return false;
        }
        close(opened);
        opened = next;
    }
    if (isLink(opened, name.c_str())) {
        close(opened);
        errno = ELOOP;
        return false;
    }
    Close();
    fd = opened;
    path = base.PathOf(parent.empty() ? "." : parent.string());
    return true;
}
bool SyncFile(int file) {
    return fsync(file) == 0;
}
// A bind-mounted file is the root of a mount; where the system does not say so, a file on another
// device than its folder is one.
int Folder::Unreplaceable(const std::string &name) const {
#if defined(__linux__)
    const int asked =
        name.empty()
            ? fd
            : openat(fd, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    int flags = 0;
    // What cannot be opened to ask is refused, if at all, by the write.
    const bool marked = asked >= 0 && ioctl(asked, FS_IOC_GETFLAGS, &flags) == 0 &&
                        (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
    if (asked >= 0 && asked != fd) {
        close(asked);
    }
    if (marked) {
        return EPERM;
    }
#endif
#if defined(STATX_ATTR_MOUNT_ROOT)
    struct statx facts {};
    if (statx(fd, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &facts) == 0 &&
        (facts.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
        return (facts.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0 ? EBUSY : 0;
    }
#endif
    struct stat file {};
    struct stat folder {};
    return fstatat(fd, name.c_str(), &file, AT_SYMLINK_NOFOLLOW) == 0 && fstat(fd, &folder) == 0 &&
                   file.st_dev != folder.st_dev
               ? EBUSY
               : 0;
}
std::size_t Folder::LongestName() const {
    const long most = fpathconf(fd, _PC_NAME_MAX);
    return most > 0 ? static_cast<std::size_t>(most) : 255;
}
#endif

} // namespace standin
