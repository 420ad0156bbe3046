#include "standin_host/platform/FileFacts.h"

#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace standin {
namespace {

namespace fs = std::filesystem;

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

#if defined(_WIN32)
FileFacts ExamineFile(const std::string &path) {
    FileFacts facts;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        facts.identity = IdentityOfMissing(path);
        return facts;
    }
    facts.kind = fs::is_directory(status)      ? FileFacts::Kind::Folder
                 : fs::is_regular_file(status) ? FileFacts::Kind::Regular
                                               : FileFacts::Kind::Device;
    facts.readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
    const std::string identity = SystemIdentity(path);
    facts.identity = identity.empty() ? "path:" + path : "file:" + identity;
    return facts;
}
#else
FileFacts ExamineFile(const std::string &path) {
    FileFacts facts;
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) {
        if (errno == ELOOP || errno == ENOTDIR) { // ENOTDIR: a part of the path is a file
            facts.kind = FileFacts::Kind::Unreachable;
            facts.reason = errno;
            return facts;
        }
        // Not there, or a part of the path is missing: the output's own checks tell which.
        facts.identity = IdentityOfMissing(path);
        return facts;
    }
    facts.identity = "file:" + SystemIdentity(target);
    if (S_ISDIR(target.st_mode)) {
        facts.kind = FileFacts::Kind::Folder;
        return facts;
    }
    facts.kind = S_ISREG(target.st_mode)                              ? FileFacts::Kind::Regular
                 : S_ISFIFO(target.st_mode)                           ? FileFacts::Kind::Fifo
                 : S_ISCHR(target.st_mode) || S_ISBLK(target.st_mode) ? FileFacts::Kind::Device
                                                                      : FileFacts::Kind::Other;
    // Without any write permission the owner has protected the file, which root's rights do not
    // change; without this process's, it cannot be written anyway.
    if ((target.st_mode & 0222) == 0) {
        facts.readOnly = true;
    } else if (access(path.c_str(), W_OK) != 0) {
        facts.readOnly = true;
        facts.readOnlyReason = errno;
    }
    struct stat null {};
    facts.discards = S_ISCHR(target.st_mode) && stat("/dev/null", &null) == 0 &&
                     S_ISCHR(null.st_mode) && target.st_rdev == null.st_rdev;
    if (facts.discards) {
        return facts; // shared by whatever else goes there; no stream to keep apart
    }
    for (const int fd : {1, 2}) {
        struct stat stream {};
        if (fstat(fd, &stream) == 0 && stream.st_dev == target.st_dev &&
            stream.st_ino == target.st_ino) {
            facts.standardStream = fd;
            break;
        }
    }
    return facts;
}
#endif

} // namespace standin
