// What the host learns of a path before it reads or writes it: the kind of file that it ends in,
// symbolic links followed, and an identity by which two paths to one file compare equal: the one
// that the system gives the file, never the text of its path.
#pragma once

#include <filesystem>
#include <string>

namespace standin {

struct FileFacts {
    enum class Kind {
        Missing,     // nothing there yet
        Regular,     // a file
        Folder,      // a folder
        Fifo,        // a named pipe, or the pipe of a standard stream
        Device,      // a device, or a terminal
        Other,       // a socket or the like
        Unreachable, // the path cannot be followed: a loop of links, a part that is no folder
    };
    Kind kind = Kind::Missing;
    int reason = 0;        // Unreachable: the system's error number (ELOOP for a loop of links)
    bool readOnly = false; // an existing file without write permission, for anyone or this process
    // readOnly: 0 when no one may write it (its owner protected it), else the system's reason
    // (EROFS: a read-only file system; EACCES: this process may not).
    int readOnlyReason = 0;
    bool discards = false;  // a device that takes and drops everything written, like /dev/null
    int standardStream = 0; // 1 or 2 when it is the file that the standard output or error writes
    // Equal for two paths to one file: where it exists, its device and inode (on Windows, the
    // volume's serial number and the file's index, from the open file), so that several names,
    // links, letter case and short names are seen through; else its folder's identity and its
    // name (on Windows, its letters folded and trailing dots and blanks dropped, as the system
    // does). Empty when unreachable.
    std::string identity;
};

FileFacts ExamineFile(const std::string &path);

// The file that a write to `path` ends in: symbolic links followed, a dangling one's too, so that
// the link stays and the file it names is written. A loop is left for ExamineFile to report.
std::filesystem::path FollowLinks(std::filesystem::path path);

// The folder of `path`, "." for a bare name.
std::string FolderOf(const std::filesystem::path &path);

} // namespace standin
