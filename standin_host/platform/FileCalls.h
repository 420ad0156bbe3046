// The system's file calls that the outputs make, one function for each, so that the output
// policy (OutputFile) reads the same on every platform. Errors are the system's error numbers
// (errno), as the calls leave them.
#pragma once

#include <cstddef>
#include <string>

namespace standin {

// The system's text for an error number.
std::string SystemErrorText(int number);

// Creates `path` for writing, failing if anything is there already; -1 and errno on failure.
int OpenNewFile(const std::string &path);

// Opens an existing device or FIFO for writing in place. A FIFO's open waits for a reader; the
// wait ends with EINTR in `failure` when a signal asks the run to end.
int OpenInPlace(const std::string &path, bool fifo, int &failure);

// Writes all `size` bytes, going on after an interrupted call; false with the error number in
// `failure` (EIO for a write that took nothing). A pipe, FIFO or terminal that takes nothing for
// half a second after a signal that ends the run ends the write with EINTR.
bool WriteAll(int fd, const char *data, std::size_t size, int &failure);

// Flushes the file's data to the disk.
bool SyncFile(int fd);
int CloseFile(int fd);

// Gives the new file at `fd` the permissions of the file `like`, which it is to replace.
void KeepMode(int fd, const std::string &like);

// Renames `from` over `to`, replacing it in one step; false with the system's reason.
bool RenameOver(const std::string &from, const std::string &to, std::string &reason);

// Makes the renames in `folder` durable, where the system asks for that.
void SyncFolder(const std::string &folder);

// The longest file name that `folder` takes, in bytes.
std::size_t LongestName(const std::string &folder);

// Whether this process may create files in `folder`, as far as permissions tell; errno tells why
// not (EROFS: a read-only file system).
bool MayTakeNewFiles(const std::string &folder);

int ProcessId();

// Opens `path` to be read. A FIFO is waited for until its writer has written or closed it, and
// a signal that ends the run ends that wait: -1 with EINTR in `failure`. -1 and the system's
// reason in `failure` when it cannot be opened.
int OpenForReading(const std::string &path, int &failure);
// Reads up to `size` bytes of a file opened by OpenForReading: how many, 0 at its end, or -1 with
// the system's reason in `failure`. A FIFO whose writer stalls is waited for, and a signal that
// ends the run ends that wait: -1 with EINTR.
long ReadSome(int fd, char *data, std::size_t size, int &failure);

// Whether no process `pid` runs on this system any more (false where that cannot be told).
bool ProcessGone(int pid);

// Opens a device for writing without waiting and closes it again: 0 when it opened, else the
// system's reason (a terminal that this process has none of, a device that is not there).
int TryOpenDevice(const std::string &path);

// Whether the file or folder at `path` is marked append-only or immutable (chattr +a, +i), so
// that it cannot be replaced, nor a file in it renamed over, whatever its permissions say.
bool MarkedUnreplaceable(const std::string &path);

// Whether `path` is a regular file of this process's user, which a run may remove as its own.
bool OwnRegularFile(const std::string &path);

} // namespace standin
