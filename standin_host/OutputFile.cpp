#include "OutputFile.h"

#include "RunInterrupt.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace standin {
namespace {

namespace fs = std::filesystem;

// How the output's target is written.
enum class Target {
    Replace, // a regular file or none yet: a temporary file and a rename
    InPlace, // a device or a FIFO: opened and written directly
    Stream,  // the very file that the standard output or error stream writes: written through it
    Folder,  // refused
};

std::string Reason(int number) {
    return std::strerror(number);
}

// ---- the platform's file calls ----

#if defined(_WIN32)
int OpenNew(const std::string &path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int OpenExisting(const std::string &path) {
    return _open(path.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY);
}
long WriteSome(int fd, const char *data, std::size_t size) {
    return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
bool SyncFile(int fd) {
    return _commit(fd) == 0;
}
int CloseFile(int fd) {
    return _close(fd);
}
void KeepMode(int /*fd*/, const std::string & /*like*/) {}
bool Rename(const std::string &from, const std::string &to, std::string &reason) {
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
    return true; // the trial file below tells
}
int ProcessId() {
    return _getpid();
}
#else
int OpenNew(const std::string &path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int OpenExisting(const std::string &path) {
    return open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
}
long WriteSome(int fd, const char *data, std::size_t size) {
    return static_cast<long>(write(fd, data, size));
}
bool SyncFile(int fd) {
    return fsync(fd) == 0;
}
int CloseFile(int fd) {
    return close(fd);
}
// The replacement keeps the permissions of the file it replaces.
void KeepMode(int fd, const std::string &like) {
    struct stat old {};
    if (stat(like.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    }
}
bool Rename(const std::string &from, const std::string &to, std::string &reason) {
    if (std::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    reason = Reason(errno);
    return false;
}
// Makes the rename itself durable.
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
#endif

bool WriteAll(int fd, const std::string &content, int &failure) {
    std::size_t done = 0;
    while (done < content.size()) {
        const long written = WriteSome(fd, content.data() + done, content.size() - done);
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

// ---- where the output goes ----

std::string FolderOf(const fs::path &path) {
    const fs::path parent = path.parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// The file that a write to `path` ends in: symbolic links followed, a dangling one's too, so that
// the link stays and the file it names is replaced. A loop of links is left for the open to report.
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

// The standard stream, 1 or 2, whose file `path` is, or 0. /dev/stdout redirected to a file names
// that file: replaced, it would be cut off from the stream, and written anew from its start, it
// would be overwritten by what the stream writes next.
int StandardStreamOf(const std::string &path) {
#if defined(_WIN32)
    (void)path;
#else
    struct stat target {};
    if (stat(path.c_str(), &target) == 0) {
        for (const int fd : {1, 2}) {
            struct stat stream {};
            if (fstat(fd, &stream) == 0 && stream.st_dev == target.st_dev &&
                stream.st_ino == target.st_ino) {
                return fd;
            }
        }
    }
#endif
    return 0;
}

Target Classify(const std::string &path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
        return Target::Folder;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        return Target::InPlace;
    }
    return fs::exists(status) && StandardStreamOf(path) != 0 ? Target::Stream : Target::Replace;
}

// A fresh file beside `target`, created exclusively, so that no existing file is ever taken.
int CreateTemporary(const fs::path &target, std::string &temporary, int &failure) {
    static unsigned counter = 0;
    constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    // The name stays short enough for any file system, whatever the target's length.
    const std::string stem = target.filename().string().substr(0, 120);
    const std::string folder = FolderOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto mix = static_cast<unsigned long long>(
                       std::chrono::steady_clock::now().time_since_epoch().count()) ^
                   (static_cast<unsigned long long>(ProcessId()) << 32) ^
                   (static_cast<unsigned long long>(++counter) * 2654435761u);
        std::string suffix;
        for (int i = 0; i < 6; ++i) {
            suffix += letters[mix % 36];
            mix /= 36;
        }
        std::string name = stem;
        name.append(".partial-").append(suffix);
        temporary = (fs::path(folder) / name).string();
        const int fd = OpenNew(temporary);
        if (fd >= 0 || errno != EEXIST) {
            failure = errno;
            return fd;
        }
    }
    failure = EEXIST;
    return -1;
}

bool WriteInPlace(const std::string &path, const std::string &content, std::string &error) {
    const int fd = OpenExisting(path);
    int failure = errno;
    if (fd < 0) {
        error = path + ": cannot write: " + Reason(failure);
        return false;
    }
    const bool written = WriteAll(fd, content, failure);
    if (CloseFile(fd) != 0 && written) {
        failure = errno;
    } else if (written) {
        return true;
    }
    error = path + ": cannot write: " + Reason(failure);
    return false;
}

// Written after everything that the program's streams hold so far, where they go on writing.
bool WriteThroughStream(const std::string &path, const std::string &content, std::string &error) {
    const int fd = StandardStreamOf(path);
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    int failure = 0;
    if (fd != 0 && WriteAll(fd, content, failure)) {
        return true;
    }
    error = path + ": cannot write: " + Reason(fd != 0 ? failure : ENOENT);
    return false;
}

bool Replace(const std::string &path, const std::string &content, std::string &error) {
    const fs::path target = FollowLinks(path);
    std::string temporary;
    int failure = 0;
    const int fd = CreateTemporary(target, temporary, failure);
    if (fd < 0) {
        error = path + ": cannot write: " + Reason(failure);
        return false;
    }
    SetTemporaryFileToRemove(temporary.c_str());
    KeepMode(fd, target.string());
    bool written = WriteAll(fd, content, failure);
    if (written && !SyncFile(fd)) {
        failure = errno;
        written = false;
    }
    if (CloseFile(fd) != 0 && written) {
        failure = errno;
        written = false;
    }
    std::string reason;
    if (!written) {
        reason = Reason(failure);
    } else if (Rename(temporary, target.string(), reason)) {
        SetTemporaryFileToRemove(nullptr);
        SyncFolder(FolderOf(target));
        return true;
    }
    std::remove(temporary.c_str());
    SetTemporaryFileToRemove(nullptr);
    error = path + (written ? ": cannot replace: " : ": cannot write: ") + reason;
    return false;
}

} // namespace

bool CheckOutputFile(const std::string &path, std::string &error) {
    const Target kind = Classify(path);
    if (kind == Target::Folder) {
        error = path + ": cannot write: is a folder";
        return false;
    }
    if (kind == Target::InPlace || kind == Target::Stream) {
        return true;
    }
    const fs::path target = FollowLinks(path);
    const std::string folder = FolderOf(target);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = path + ": cannot write: the folder " + folder + " does not exist";
        return false;
    }
    const std::size_t longest = LongestName(folder);
    if (target.filename().string().size() > longest) {
        error = path + ": cannot write: the name is longer than the " + std::to_string(longest) +
                " bytes that its folder takes";
        return false;
    }
    if (!MayTakeNewFiles(folder)) {
        error = path + ": cannot write: the folder " + folder + " takes no new files";
        return false;
    }
    // What permissions do not tell (a read-only file system, /proc) a trial file does.
    std::string trial;
    int failure = 0;
    const int fd = CreateTemporary(target, trial, failure);
    if (fd < 0) {
        error = path + ": cannot write: " + Reason(failure);
        return false;
    }
    SetTemporaryFileToRemove(trial.c_str()); // a second signal in between removes it too
    CloseFile(fd);
    std::remove(trial.c_str());
    SetTemporaryFileToRemove(nullptr);
    return true;
}

bool WriteOutputFile(const std::string &path, const std::string &content, std::string &error) {
    switch (Classify(path)) {
    case Target::Folder:
        error = path + ": cannot write: is a folder";
        return false;
    case Target::InPlace:
        return WriteInPlace(path, content, error);
    case Target::Stream:
        return WriteThroughStream(path, content, error);
    case Target::Replace:
        break;
    }
    return Replace(path, content, error);
}

} // namespace standin
