#include "standin_host/outputs/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <utility>

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

constexpr const char *partIsAFile = "a part of the path is a file, not a folder";
constexpr const char *markedFile = "the file is append-only or immutable, so it cannot be replaced";

// Why the facts of the path refuse it, or nothing.
std::string Refusal(const std::string &path, const FileFacts &facts) {
    using Kind = FileFacts::Kind;
    if (!path.empty() && (path.back() == '/' || path.back() == '\\') &&
        facts.kind != Kind::Unreachable) {
        return std::string("the name ends in '") + path.back() + "', which names a folder";
    }
    if (facts.kind == Kind::Unreachable) {
        return facts.reason == ELOOP     ? "a loop of symbolic links"
               : facts.reason == ENOTDIR ? partIsAFile
                                         : SystemErrorText(facts.reason);
    }
    if (facts.kind == Kind::Folder) {
        return "is a folder";
    }
    if (facts.standardStream != 0) {
        return {};
    }
    if (facts.kind == Kind::Other) {
        return "is a socket or the like; an output is a file, a device or a FIFO";
    }
    if (!facts.readOnly) {
        return {};
    }
    return facts.reason == 0       ? "the file is read-only (its owner protected it)"
           : facts.reason == EROFS ? "the file system is read-only"
           : facts.reason == EPERM ? markedFile
                                   : SystemErrorText(facts.reason);
}

} // namespace

std::string OutputFile::FolderRefuses(int reason) const {
    return reason == ENOENT    ? "the folder " + folderPath + " does not exist"
           : reason == EROFS   ? "the folder " + folderPath + " is on a read-only file system"
           : reason == EACCES  ? "the folder " + folderPath + " takes no new files"
           : reason == ELOOP   ? "a symbolic link stands on its way; a checkpoint is reached from "
                                 "the working folder without links"
           : reason == ENOTDIR ? std::string(partIsAFile)
                               : SystemErrorText(reason);
}

bool OutputFile::Plan(const std::string &outputPath, const FileFacts &facts, std::string &error,
                      const Folder *beneath) {
    path = outputPath;
    // A checkpoint is a file of the working folder, planned as one: whatever stands at its name
    // now is replaced, never followed nor written in place.
    const fs::path target = beneath != nullptr ? fs::path(path) : FollowLinks(path);
    folderPath = FolderOf(target);
    name = target.filename().string();
    working = beneath;
    if (beneath != nullptr && !folder.OpenBeneath(*beneath, path, name)) {
        error = errno != ELOOP && errno != EXDEV
                    ? CannotWrite(path, FolderRefuses(errno))
                    : "SAVE " + path + " is " +
                          (errno == ELOOP ? "reached through a symbolic link, which could lead out "
                                            "of the working folder"
                                          : "outside the working folder") +
                          "; a scenario writes checkpoints only inside it, reached without links";
        return false;
    }
    if (const std::string refusal = Refusal(path, facts); !refusal.empty()) {
        error = CannotWrite(path, refusal);
        return false;
    }
    if (facts.standardStream != 0) {
        mode = Mode::Stream;
        fd = facts.standardStream;
        return true;
    }
    if (facts.kind == FileFacts::Kind::Fifo || facts.kind == FileFacts::Kind::Device) {
        mode = Mode::InPlace;
        fifo = facts.kind == FileFacts::Kind::Fifo;
        // A terminal that this process has none of (cron, setsid) fails here, not at the end.
        int reason = 0;
        const int device = fifo || facts.discards ? -1 : OpenInPlace(path, false, reason);
        if (reason != 0) {
            error = CannotWrite(path, SystemErrorText(reason));
            return false;
        }
        if (device >= 0) {
            CloseFile(device);
        }
        return true;
    }
    if (beneath == nullptr && !folder.Open(folderPath)) {
        error = CannotWrite(path, FolderRefuses(errno));
        return false;
    }
    if (folder.Unreplaceable() != 0) {
        error = CannotWrite(path, "the folder " + folderPath +
                                      " is append-only or immutable, so no file in it can be "
                                      "replaced");
        return false;
    }
    mode = Mode::Replace;
    fd = folder.CreateTemporary(name);
    if (fd < 0) {
        error = CannotWrite(path, FolderRefuses(errno));
        return false;
    }
    if (name.size() > folder.LongestName()) {
        error = CannotWrite(path, "the name is longer than the " +
                                      std::to_string(folder.LongestName()) +
                                      " bytes that its folder takes");
        return false;
    }
    // Refused rather than written in place: a write in place would destroy the old file before
    // the new one is complete.
    const int unreplaceable =
        facts.kind == FileFacts::Kind::Regular ? folder.Unreplaceable(name) : 0;
    if (unreplaceable != 0) {
        error = CannotWrite(path, unreplaceable == EPERM
                                      ? markedFile
                                      : "the file is a mount point (a bind-mounted file), which no "
                                        "rename can replace; mount its folder instead");
        return false;
    }
    // A scenario may name thousands of checkpoint files: each lets its folder and temporary file
    // go until it is written, and is reached again from the working folder, without links.
    if (working != nullptr) {
        Discard();
    }
    return true;
}

bool OutputFile::Open(std::string &error) {
    failure = 0;
    int reason = 0;
    if (mode == Mode::InPlace) {
        fd = OpenInPlace(path, fifo, reason);
    } else if (mode == Mode::Replace && fd < 0) {
        fd = working == nullptr || folder.OpenBeneath(*working, path, name)
                 ? folder.CreateTemporary(name)
                 : -1;
        reason = errno;
    }
    if (fd < 0) {
        error = CannotWrite(path, reason == 0       ? std::string("not open")
                                  : reason == EINTR ? std::string("interrupted while waiting for a "
                                                                  "reader")
                                  : mode == Mode::Replace ? FolderRefuses(reason)
                                                          : SystemErrorText(reason));
    }
    return fd >= 0;
}

bool OutputFile::Write(const char *data, std::size_t size) {
    if (fd < 0 || failure != 0) {
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
        Discard();
    }
    return false;
}

bool OutputFile::Finish(std::string &error) {
    Drain();
    int reason = failure;
    if (reason == 0 && mode == Mode::Replace && !SyncFile(fd)) {
        reason = errno;
    }
    int placing = 0;
    bool done = reason == 0 && (mode != Mode::Replace || folder.Place(fd, name, placing));
    // A device's or FIFO's close may still fail; a replaced file was closed as it was placed.
    if (mode == Mode::InPlace && CloseFile(std::exchange(fd, -1)) != 0 && done) {
        done = false;
        reason = errno;
    }
    if (!done) {
        error = reason != 0 ? CannotWrite(path, reason == EINTR ? "interrupted while its reader "
                                                                  "did not read"
                                                                : SystemErrorText(reason))
                            : path + ": cannot replace: " + FolderRefuses(placing);
    }
    Discard();
    return done;
}

// The plan stays: the user's own outputs are written into the folder held since the plan.
void OutputFile::Discard() {
    Drop();
    if (mode != Mode::Stream && fd >= 0) {
        CloseFile(fd);
        fd = -1;
    }
    folder.Remove();
    if (working != nullptr) {
        folder.Close();
    }
}

} // namespace standin
