#include "standin_host/outputs/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace standin {
namespace {

namespace fs = std::filesystem;

// Everything the program's streams hold goes out before an output written to the same file.
void FlushStreams() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

std::string CannotWrite(const std::string &path, const std::string &why) {
    return path + ": cannot write: " + why;
}

// Why a checkpoint's folder cannot be reached from the working folder, as it is now.
std::string WayText(int reason) {
    return reason == ELOOP ? "a symbolic link stands on its way; a checkpoint is reached from the "
                             "working folder without links"
           : reason == EXDEV ? std::string("its way leads out of the working folder")
                             : SystemErrorText(reason);
}

// The refusals that hold for every output, before the run and again when it is written.
bool Refused(const std::string &path, const FileFacts &facts, std::string &error) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\') &&
        facts.kind != FileFacts::Kind::Unreachable) {
        error = CannotWrite(path, std::string("the name ends in '") + path.back() +
                                      "', which names a folder");
        return true;
    }
    switch (facts.kind) {
    case FileFacts::Kind::Unreachable:
        error = CannotWrite(path, facts.reason == ELOOP ? std::string("a loop of symbolic links")
                                  : facts.reason == ENOTDIR
                                      ? std::string("a part of the path is a file, not a folder")
                                      : SystemErrorText(facts.reason));
        return true;
    case FileFacts::Kind::Folder:
        error = CannotWrite(path, "is a folder");
        return true;
    case FileFacts::Kind::Other:
        if (facts.standardStream == 0) {
            error = CannotWrite(path, "is a socket or the like; an output is a file, a device or a "
                                      "FIFO");
            return true;
        }
        return false;
    case FileFacts::Kind::Regular:
    case FileFacts::Kind::Fifo:
    case FileFacts::Kind::Device:
        if (facts.readOnly && facts.standardStream == 0) {
            error = CannotWrite(
                path, facts.readOnlyReason == 0 ? std::string("the file is read-only (its owner "
                                                              "protected it)")
                      : facts.readOnlyReason == EROFS ? std::string("the file system is read-only")
                      : facts.readOnlyReason == EPERM
                          ? std::string("the file is append-only or immutable, so it cannot be "
                                        "replaced")
                          : SystemErrorText(facts.readOnlyReason));
            return true;
        }
        return false;
    case FileFacts::Kind::Missing:
        return false;
    }
    return false;
}

// The folder that a replaced output goes to, held open, and its name there: a checkpoint's from
// the working folder without links, another's where its links lead.
bool OpenFolderOf(const std::string &path, const Folder *beneath, Folder &folder, std::string &name,
                  std::string &error) {
    const fs::path target = beneath != nullptr ? fs::path(path) : FollowLinks(path);
    name = target.filename().string();
    if (beneath != nullptr ? folder.OpenBeneath(*beneath, path, name)
                           : folder.Open(FolderOf(target))) {
        return true;
    }
    error = CannotWrite(path, errno == ENOENT ? "the folder " + FolderOf(target) + " does not exist"
                              : beneath != nullptr ? WayText(errno)
                                                   : SystemErrorText(errno));
    return false;
}

} // namespace

bool CheckOutputFile(const std::string &path, const FileFacts &facts, std::string &error,
                     const Folder *beneath) {
    if (Refused(path, facts, error)) {
        return false;
    }
    if (facts.standardStream != 0 || facts.discards || facts.kind == FileFacts::Kind::Fifo) {
        return true;
    }
    if (facts.kind == FileFacts::Kind::Device) {
        // A terminal that this process has none of (cron, setsid) fails here, not at the end.
        const int reason = TryOpenDevice(path);
        if (reason != 0) {
            error = CannotWrite(path, SystemErrorText(reason));
            return false;
        }
        return true;
    }
    Folder folder;
    std::string name;
    if (!OpenFolderOf(path, beneath, folder, name, error)) {
        return false;
    }
    if (folder.MarkedUnreplaceable()) {
        error = CannotWrite(path, "the folder " + folder.PathOf(".") +
                                      " is append-only or immutable, so no file in it can be "
                                      "replaced");
        return false;
    }
    const int refusal = folder.TakesNewFiles(name);
    if (refusal != 0) {
        error = CannotWrite(path, refusal == EROFS ? "the folder " + folder.PathOf(".") +
                                                         " is on a read-only file system"
                                  : refusal == EACCES
                                      ? "the folder " + folder.PathOf(".") + " takes no new files"
                                      : SystemErrorText(refusal));
        return false;
    }
    if (name.size() > folder.LongestName()) {
        error = CannotWrite(path, "the name is longer than the " +
                                      std::to_string(folder.LongestName()) +
                                      " bytes that its folder takes");
        return false;
    }
    if (facts.kind == FileFacts::Kind::Regular && folder.MarkedUnreplaceable(name)) {
        error = CannotWrite(path, "the file is append-only or immutable, so it cannot be replaced");
        return false;
    }
    // Refused rather than written in place: a write in place would destroy the old file before
    // the new one is complete.
    if (facts.kind == FileFacts::Kind::Regular && folder.IsMountPoint(name)) {
        error = CannotWrite(path, "the file is a mount point (a bind-mounted file), which no "
                                  "rename can replace; mount its folder instead");
        return false;
    }
    return true;
}

bool OutputFile::Open(const std::string &outputPath, std::string &error, const Folder *beneath) {
    Discard();
    path = outputPath;
    failure = 0;
    // A checkpoint is a file of the working folder, planned as one: whatever stands at its name
    // now is replaced, never followed nor written in place.
    if (beneath == nullptr) {
        const FileFacts facts = ExamineFile(path);
        if (Refused(path, facts, error)) {
            return false;
        }
        if (facts.standardStream != 0) {
            mode = Mode::Stream;
            fd = facts.standardStream;
            FlushStreams();
            return true;
        }
        if (facts.kind == FileFacts::Kind::Fifo || facts.kind == FileFacts::Kind::Device ||
            facts.kind == FileFacts::Kind::Other) {
            int reason = 0;
            fd = OpenInPlace(path, facts.kind == FileFacts::Kind::Fifo, reason);
            if (fd < 0) {
                error = CannotWrite(
                    path, reason == EINTR ? std::string("interrupted while waiting for a reader")
                                          : SystemErrorText(reason));
                return false;
            }
            mode = Mode::InPlace;
            return true;
        }
    }
    if (!OpenFolderOf(path, beneath, folder, name, error)) {
        return false;
    }
    fd = folder.CreateTemporary(name, temporary, temporaryPlace);
    if (fd < 0) {
        error = CannotWrite(path, SystemErrorText(errno));
        return false;
    }
    mode = Mode::Replace;
    return true;
}

bool OutputFile::Write(const char *data, std::size_t size) {
    if (mode == Mode::Closed || failure != 0) {
        return false;
    }
    if (mode == Mode::Stream) {
        FlushStreams();
    }
    if (WriteAll(fd, data, size, failure)) {
        return true;
    }
    if (mode == Mode::Replace) {
        // The space that the file took goes back at once, for the outputs still to be written
        // (on a full disk, the scenario saved after a trace that failed). Finish reports it.
        CloseFile(fd);
        fd = -1;
        folder.Remove(temporary, temporaryPlace);
    }
    return false;
}

bool OutputFile::Finish(std::string &error) {
    Drain();
    const Mode finished = mode;
    int reason = failure;
    if (finished == Mode::Closed) {
        error = CannotWrite(path, "not open");
        return false;
    }
    if (reason == 0 && finished == Mode::Replace && !SyncFile(fd)) {
        reason = errno;
    }
    bool done = reason == 0;
    int placing = 0;
    if (done && finished == Mode::Replace) {
        done = folder.Place(fd, temporary, temporaryPlace, name, placing);
    }
    // A device's or FIFO's close may still fail; a replaced file was closed as it was placed.
    if (finished == Mode::InPlace) {
        const bool closed = CloseFile(fd) == 0;
        fd = -1;
        if (!closed && done) {
            done = false;
            reason = errno;
        }
    }
    if (!done) {
        error = reason != 0 ? CannotWrite(path, reason == EINTR ? "interrupted while its reader "
                                                                  "did not read"
                                                                : SystemErrorText(reason))
                            : path + ": cannot replace: " + SystemErrorText(placing);
    }
    Discard();
    return done;
}

void OutputFile::Discard() {
    Drop();
    if ((mode == Mode::Replace || mode == Mode::InPlace) && fd >= 0) {
        CloseFile(fd);
    }
    if (mode == Mode::Replace) {
        folder.Remove(temporary, temporaryPlace);
    }
    fd = -1;
    mode = Mode::Closed;
}

bool WriteOutputFile(const std::string &path, const std::string &content, std::string &error) {
    OutputFile file;
    if (!file.Open(path, error)) {
        return false;
    }
    file.Write(content.data(), content.size());
    return file.Finish(error);
}

} // namespace standin
