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

// A path as the host finds it: the kind of file that it ends in, symbolic links followed, and an
// identity by which two paths to one file compare equal: the one that the system gives the file,
// never the text of its path.
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
    int reason = 0; // Unreachable: the system's error number (ELOOP for a loop of links)
    // An existing file without write permission: 0 when no one may write it (its owner protected
    // it), else the system's reason (EROFS: a read-only file system; EACCES: this process may not).
    bool readOnly = false;
    int readOnlyReason = 0;
    bool discards = false;  // a device that takes and drops everything written, like /dev/null
    int standardStream = 0; // 1 or 2 when it is the file that the standard output or error writes
    // Where it exists, its device and inode (on Windows, the volume's serial number and the file's
    // index, from the open file), so that several names, links, letter case and short names are
    // seen through; else its folder's identity and its name (on Windows, its letters folded and
    // trailing dots and blanks dropped, as the system does). Empty when unreachable.
    std::string identity;
};

FileFacts ExamineFile(const std::string &path);

// The file that a write to `path` ends in: symbolic links followed, a dangling one's too, so that
// the link stays and the file it names is written. A loop is left for ExamineFile to report.
std::filesystem::path FollowLinks(std::filesystem::path path);

// The folder of `path`, "." for a bare name.
std::string FolderOf(const std::filesystem::path &path);

// A folder held open, so that what becomes of its path while the run goes (renamed, swapped for a
// link) does not move the files made in it.
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
    // point: a link or a junction), EXDEV for an absolute path or a way out with "..". `name` is
    // set to the file's name in the folder.
    bool OpenBeneath(const Folder &base, const std::string &file, std::string &name);
    // Lets the folder go; Open and OpenBeneath may take one again.
    void Close();

    // Creates a file here, to become `name`, that no other run can take for its own: an unnamed
    // one where the system offers it (`temporary` then empty), else the new file `temporary`,
    // which a second signal removes (`place`, see AddTemporaryFileToRemove). -1 and errno.
    int CreateTemporary(const std::string &name, std::string &temporary, int &place) const;
    // Closes the file made by CreateTemporary and gives it the name `name`, replacing what is
    // there in one step, and makes that durable; the permissions of the file replaced go to the
    // new one. On failure, `temporary` names what Remove is to remove.
    bool Place(int &file, std::string &temporary, int &place, const std::string &name,
               int &failure) const;
    // Removes the temporary file, if it has a name.
    void Remove(std::string &temporary, int &place) const;

    // Whether `name` here is a mount point (a bind-mounted file), which no rename can replace.
    bool IsMountPoint(const std::string &name) const;
    // Whether the folder, or `name` in it, is marked append-only or immutable (chattr +a, +i).
    bool MarkedUnreplaceable(const std::string &name = {}) const;
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
};

// Opens an existing device or FIFO for writing in place, without making it the controlling
// terminal. A FIFO's open waits for a reader; the wait ends with EINTR in `failure` when a signal
// asks the run to end. A device's waits for nothing: one that this process cannot have (a
// terminal that it has none of) fails at once.
int OpenInPlace(const std::string &path, bool fifo, int &failure);

// Writes all `size` bytes, going on after an interrupted call; false with the error number in
// `failure` (EIO for a write that took nothing). A pipe, FIFO or terminal that takes nothing for
// half a second after a signal that ends the run ends the write with EINTR.
bool WriteAll(int fd, const char *data, std::size_t size, int &failure);

// Flushes the file's data to the disk.
bool SyncFile(int fd);
int CloseFile(int fd);

// Opens `path` to be read. A FIFO is waited for until its writer has written or closed it, and
// a signal that ends the run ends that wait: -1 with EINTR in `failure`. -1 and the system's
// reason in `failure` when it cannot be opened.
int OpenForReading(const std::string &path, int &failure);
// Reads up to `size` bytes of a file opened by OpenForReading: how many, 0 at its end, or -1 with
// the system's reason in `failure`. A FIFO whose writer stalls is waited for, and a signal that
// ends the run ends that wait: -1 with EINTR.
long ReadSome(int fd, char *data, std::size_t size, int &failure);

} // namespace standin
