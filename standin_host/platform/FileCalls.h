// The system's file calls that the host makes, so that the output policy (OutputFile) reads the
// same on every platform, and what the host learns of a path before it reads or writes it. Errors
// are the system's error numbers (errno).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace standin {

// The system's text for an error number.
std::string SystemErrorText(int number);

// A path as the host finds it, symbolic links followed.
struct FileFacts {
    enum class Kind {
        Missing,
        Regular,
        Folder,
        Fifo,        // a named pipe, or the pipe of a standard stream
        Device,      // a device, or a terminal
        Other,       // a socket or the like
        Unreachable, // a loop of links, or a part of the path that is no folder
    };
    Kind kind = Kind::Missing;
    // Unreachable: the system's reason (ELOOP, ENOTDIR). Read-only: 0 when no one may write the
    // file (its owner protected it), else the system's reason (EROFS, EACCES, EPERM).
    int reason = 0;
    bool readOnly = false;
    bool discards = false;  // a device that drops everything written, like /dev/null
    int standardStream = 0; // 1 or 2 when it is the file that the standard output or error writes
    // Two paths to one file compare equal, by the system's identity of the file, never the text of
    // its path: device and inode (on Windows, the volume's serial number and the file's index).
    // A missing file's is its folder's and its name (on Windows folded as the system compares
    // names). Empty when unreachable.
    std::string identity;
};

FileFacts ExamineFile(const std::string &path);

// The file that a write to `path` ends in: symbolic links followed, a dangling one's too, so that
// the link stays and the file it names is written. A loop is left for ExamineFile to report.
std::filesystem::path FollowLinks(std::filesystem::path path);

// The folder of `path`, "." for a bare name.
std::string FolderOf(const std::filesystem::path &path);

// A folder held open, so that what becomes of its path while the run goes (renamed, swapped for a
// link) does not move the files made in it, and the temporary file that the host writes there.
class Folder {
public:
    Folder() = default;
    ~Folder() { Close(); }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    // Opens the folder `path`, links followed; false and errno on failure.
    bool Open(const std::string &path);
    // Opens the folder that holds `file` from `base` without following a link at any step, the
    // last part included, nor going out of `base`: errno ELOOP for a link (on Windows a reparse
    // point), EXDEV for an absolute path or a way out with "..". `name` is set to the file's name.
    bool OpenBeneath(const Folder &base, const std::string &file, std::string &name);
    // Removes the temporary file and lets the folder go; Open and OpenBeneath may take one again.
    void Close();

    // Creates the temporary file, to become `name`, that no other run can take for its own:
    // unnamed where the system offers it, else a new named one, which a second signal removes
    // (AddTemporaryFileToRemove). -1 and errno.
    int CreateTemporary(const std::string &name);
    // Closes the temporary file `file` and gives it the name `name`, replacing what is there in one
    // step, durably; the permissions of a file replaced go to the new one.
    bool Place(int &file, const std::string &name, int &failure);
    // Removes the temporary file, if it has a name.
    void Remove();

    // Why no rename can replace `name` here, or 0: EPERM when it (no name: the folder) is marked
    // append-only or immutable (chattr +a, +i), EBUSY when it is a mount point (bind-mounted).
    int Unreplaceable(const std::string &name = {}) const;
    // The longest file name that the folder takes, in bytes.
    std::size_t LongestName() const;
    // The path of `name` in the folder, for messages and the second signal.
    std::string PathOf(const std::string &name) const;

private:
#if defined(_WIN32)
    void *handle = nullptr; // Windows makes files by path: the handle keeps the path to the folder
#else
    int fd = -1;
#endif
    std::string path;
    std::string temporary; // the temporary file's name, if it has one
    int place = -1;        // where the second signal finds it
};

// Opens an existing device or FIFO for writing in place, never as the controlling terminal. A
// FIFO's open waits for a reader; a signal that ends the run ends the wait with EINTR in `failure`.
// A device that this process cannot have (a terminal it has none of) fails at once.
int OpenInPlace(const std::string &path, bool fifo, int &failure);

// Writes all `size` bytes; false with the error number in `failure` (EIO for a write that took
// nothing). A pipe, FIFO or terminal that takes nothing for half a second after a signal that ends
// the run ends the write with EINTR.
bool WriteAll(int fd, const char *data, std::size_t size, int &failure);

bool SyncFile(int fd);
int CloseFile(int fd);

// Opens `path` to be read; -1 and the system's reason in `failure`. ReadSome reads up to `size`
// bytes: how many, 0 at the end, or -1 and the reason. A FIFO is waited for until its writer
// writes or leaves, and a signal that ends the run ends the wait: -1 and EINTR.
int OpenForReading(const std::string &path, int &failure);
long ReadSome(int fd, char *data, std::size_t size, int &failure);

} // namespace standin
