#include "standin_host/platform/FileFacts.h"

#include <cerrno>
#include <system_error>
#include <utility>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace standin {
namespace {

namespace fs = std::filesystem;

// `folder` made absolute, its links followed as far as it exists; empty when that fails.
const std::string &Resolved(const std::string &folder, ResolvedFolders *folders) {
    static std::string once;
    if (folders != nullptr) {
        const auto known = folders->find(folder);
        if (known != folders->end()) {
            return known->second;
        }
    }
    std::error_code ec;
    const fs::path absolute = fs::absolute(folder, ec);
    fs::path resolved;
    if (!ec) {
        resolved = fs::weakly_canonical(absolute, ec);
    }
    std::string text = ec ? std::string() : resolved.string();
    if (folders == nullptr) {
        once = std::move(text);
        return once;
    }
    return folders->emplace(folder, std::move(text)).first->second;
}

// Where a file that is not there yet would be: the folder it would go to, resolved, and its name.
std::string IdentityOfMissing(const std::string &path, ResolvedFolders *folders) {
    const fs::path target = FollowLinks(path);
    const std::string &folder = Resolved(FolderOf(target), folders);
    return "new:" + (folder.empty() ? FolderOf(target) : folder) + "/" + target.filename().string();
}

#if !defined(_WIN32)
bool SameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
#endif

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

bool InsideWorkingFolder(const std::string &path, ResolvedFolders *folders) {
    const std::string &folder = Resolved(FolderOf(FollowLinks(path)), folders);
    const std::string &working = Resolved(".", folders);
    if (folder.empty() || working.empty()) {
        return false;
    }
    const fs::path inside = fs::path(folder).lexically_relative(working);
    return !inside.empty() && *inside.begin() != "..";
}

#if defined(_WIN32)
FileFacts ExamineFile(const std::string &path, ResolvedFolders *folders) {
    FileFacts facts;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        facts.identity = IdentityOfMissing(path, folders);
        return facts;
    }
    facts.kind = fs::is_directory(status)      ? FileFacts::Kind::Folder
                 : fs::is_regular_file(status) ? FileFacts::Kind::Regular
                                               : FileFacts::Kind::Device;
    facts.readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    facts.identity = "file:" + (ec ? fs::path(path) : canonical).string();
    return facts;
}
#else
FileFacts ExamineFile(const std::string &path, ResolvedFolders *folders) {
    FileFacts facts;
    struct stat target {};
    if (stat(path.c_str(), &target) != 0) {
        if (errno == ELOOP || errno == ENOTDIR) { // ENOTDIR: a part of the path is a file
            facts.kind = FileFacts::Kind::Unreachable;
            facts.reason = errno;
            return facts;
        }
        // Not there, or a part of the path is missing: the output's own checks tell which.
        facts.identity = IdentityOfMissing(path, folders);
        return facts;
    }
    facts.identity = "file:" + std::to_string(target.st_dev) + ":" + std::to_string(target.st_ino);
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
        if (fstat(fd, &stream) == 0 && SameFile(stream, target)) {
            facts.standardStream = fd;
            break;
        }
    }
    return facts;
}
#endif

} // namespace standin
