#include "standin_host/outputs/OutputFile.h"

#include "standin_host/platform/FileCalls.h"
#include "standin_host/platform/FileFacts.h"
#include "standin_host/platform/RunInterrupt.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <system_error>

namespace standin {
namespace {

namespace fs = std::filesystem;

// A temporary file is named "<target's name>.partial-<pid>-<six letters>", so that a later run can
// tell the files of a run that died (SIGKILL, a power cut) and remove them.
constexpr char partialMark[] = ".partial-";

// A fresh file beside `target`, created exclusively, so that no existing file is ever taken. It is
// named for a second signal to remove (`place`, see AddTemporaryFileToRemove) before it exists, so
// that no signal finds it created and not yet named; the name carries this process's id, so that
// what such a signal might remove first is nobody else's.
int CreateTemporary(const fs::path &target, std::string &temporary, int &failure, int &place) {
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
        name.append(partialMark).append(std::to_string(ProcessId())).append("-").append(suffix);
        temporary = (fs::path(folder) / name).string();
        place = AddTemporaryFileToRemove(temporary.c_str());
        const int fd = OpenNewFile(temporary);
        failure = errno;
        if (fd >= 0) {
            return fd;
        }
        ForgetTemporaryFile(place);
        place = -1;
        if (failure != EEXIST) {
            return fd;
        }
    }
    failure = EEXIST;
    return -1;
}

// The process whose temporary file `name` is, or 0 for a name of another kind.
int TemporaryOwner(const std::string &name) {
    const std::size_t mark = name.rfind(partialMark);
    if (mark == std::string::npos) {
        return 0;
    }
    const std::size_t digits = mark + sizeof partialMark - 1;
    const std::size_t dash = name.find('-', digits);
    if (dash == std::string::npos || dash == digits || dash - digits > 9 ||
        name.size() != dash + 7) {
        return 0;
    }
    int pid = 0;
    for (std::size_t i = digits; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return 0;
        }
        pid = pid * 10 + (name[i] - '0');
    }
    return pid;
}

// Removes, once per folder and process, the temporary files that runs which died left in
// `folder`: this user's, named as above, of a process that no longer runs.
void RemoveDeadRunsFiles(const std::string &folder) {
    static std::set<std::string> cleared;
    if (!cleared.insert(folder).second) {
        return;
    }
    std::error_code ec;
    for (fs::directory_iterator entry(folder, ec), end; !ec && entry != end; entry.increment(ec)) {
        const std::string name = entry->path().filename().string();
        const int owner = TemporaryOwner(name);
        if (owner != 0 && owner != ProcessId() && ProcessGone(owner) &&
            OwnRegularFile(entry->path().string())) {
            std::error_code ignored;
            fs::remove(entry->path(), ignored);
        }
    }
}

// Everything the program's streams hold goes out before an output written to the same file.
void FlushStreams() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

// The refusals that hold for every output, before the run and again when it is written.
bool Refused(const std::string &path, const FileFacts &facts, std::string &error) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\') &&
        facts.kind != FileFacts::Kind::Unreachable) {
        error =
            path + ": cannot write: the name ends in '" + path.back() + "', which names a folder";
        return true;
    }
    switch (facts.kind) {
    case FileFacts::Kind::Unreachable:
        error =
            path + ": cannot write: " +
            (facts.reason == ELOOP     ? std::string("a loop of symbolic links")
             : facts.reason == ENOTDIR ? std::string("a part of the path is a file, not a folder")
                                       : SystemErrorText(facts.reason));
        return true;
    case FileFacts::Kind::Folder:
        error = path + ": cannot write: is a folder";
        return true;
    case FileFacts::Kind::Other:
        if (facts.standardStream == 0) {
            error = path + ": cannot write: is a socket or the like; an output is a file, a "
                           "device or a FIFO";
            return true;
        }
        return false;
    case FileFacts::Kind::Regular:
    case FileFacts::Kind::Fifo:
    case FileFacts::Kind::Device:
        if (facts.readOnly && facts.standardStream == 0) {
            error = path + ": cannot write: " +
                    (facts.readOnlyReason == 0 ? std::string("the file is read-only (its owner "
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

bool WrittenInPlace(const FileFacts &facts) {
    return facts.kind == FileFacts::Kind::Fifo || facts.kind == FileFacts::Kind::Device ||
           facts.kind == FileFacts::Kind::Other;
}

// What holds for every file replaced in `folder`, found out once.
bool CheckFolder(const std::string &path, const fs::path &target, const std::string &folder,
                 std::string &error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = path + ": cannot write: the folder " + folder + " does not exist";
        return false;
    }
    if (!MayTakeNewFiles(folder)) {
        error = path + ": cannot write: the folder " + folder +
                (errno == EROFS ? " is on a read-only file system" : " takes no new files");
        return false;
    }
    if (MarkedUnreplaceable(folder)) {
        error = path + ": cannot write: the folder " + folder +
                " is append-only or immutable, so no file in it can be replaced";
        return false;
    }
    // What permissions do not tell (a read-only file system, /proc) a trial file does.
    std::string trial;
    int failure = 0;
    int place = -1;
    const int fd = CreateTemporary(target, trial, failure, place);
    if (fd < 0) {
        error = path + ": cannot write: " +
                (failure == EROFS ? std::string("the file system is read-only")
                                  : SystemErrorText(failure));
        return false;
    }
    CloseFile(fd);
    std::remove(trial.c_str());
    ForgetTemporaryFile(place);
    return true;
}

} // namespace

bool CheckOutputFile(const std::string &path, const FileFacts &facts, OutputFolders &folders,
                     std::string &error) {
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
            error = path + ": cannot write: " + SystemErrorText(reason);
            return false;
        }
        return true;
    }
    const fs::path target = FollowLinks(path);
    const std::string folder = FolderOf(target);
    auto known = folders.find(folder);
    if (known == folders.end()) {
        if (!CheckFolder(path, target, folder, error)) {
            return false;
        }
        known = folders.emplace(folder, LongestName(folder)).first;
    }
    if (target.filename().string().size() > known->second) {
        error = path + ": cannot write: the name is longer than the " +
                std::to_string(known->second) + " bytes that its folder takes";
        return false;
    }
    if (facts.kind == FileFacts::Kind::Regular && MarkedUnreplaceable(target.string())) {
        error = path + ": cannot write: the file is append-only or immutable, so it cannot be "
                       "replaced";
        return false;
    }
    return true;
}

bool CheckOutputFile(const std::string &path, std::string &error) {
    OutputFolders folders;
    return CheckOutputFile(path, ExamineFile(path), folders, error);
}

bool OutputFile::Open(const std::string &outputPath, std::string &error) {
    Discard();
    path = outputPath;
    failure = 0;
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
    int reason = 0;
    if (WrittenInPlace(facts)) {
        fd = OpenInPlace(path, facts.kind == FileFacts::Kind::Fifo, reason);
        if (fd < 0) {
            error = path + ": cannot write: " +
                    (reason == EINTR ? std::string("interrupted while waiting for a reader")
                                     : SystemErrorText(reason));
            return false;
        }
        mode = Mode::InPlace;
        return true;
    }
    target = FollowLinks(path).string();
    RemoveDeadRunsFiles(FolderOf(target));
    fd = CreateTemporary(target, temporary, reason, temporaryPlace);
    if (fd < 0) {
        temporary.clear();
        error = path + ": cannot write: " + SystemErrorText(reason);
        return false;
    }
    mode = Mode::Replace;
    KeepMode(fd, target);
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
        std::remove(temporary.c_str());
        temporary.clear();
        ForgetTemporaryFile(temporaryPlace);
        temporaryPlace = -1;
    }
    return false;
}

bool OutputFile::Finish(std::string &error) {
    const Mode finished = mode;
    int reason = failure;
    if (finished == Mode::Closed) {
        error = path + ": cannot write: not open";
        return false;
    }
    if (reason == 0 && finished == Mode::Replace && !SyncFile(fd)) {
        reason = errno;
    }
    if (finished != Mode::Stream && fd >= 0) {
        if (CloseFile(fd) != 0 && reason == 0) {
            reason = errno;
        }
        fd = -1;
    }
    std::string why = reason == EINTR ? std::string("interrupted while its reader did not read")
                      : reason != 0   ? SystemErrorText(reason)
                                      : std::string();
    bool done = reason == 0;
    if (done && finished == Mode::Replace) {
        done = RenameOver(temporary, target, why);
        if (done) {
            ForgetTemporaryFile(temporaryPlace);
            temporaryPlace = -1;
            temporary.clear();
            SyncFolder(FolderOf(target));
        }
    }
    const bool replacing = reason == 0 && finished == Mode::Replace;
    Discard();
    if (!done) {
        error = path + (replacing ? ": cannot replace: " : ": cannot write: ") + why;
    }
    return done;
}

void OutputFile::Discard() {
    if (mode == Mode::Replace || mode == Mode::InPlace) {
        if (fd >= 0) {
            CloseFile(fd);
        }
    }
    if (!temporary.empty()) {
        std::remove(temporary.c_str());
        temporary.clear();
    }
    ForgetTemporaryFile(temporaryPlace);
    temporaryPlace = -1;
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

OutputFileBuffer::int_type OutputFileBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    return file.Write(&byte, 1) ? c : traits_type::eof();
}

std::streamsize OutputFileBuffer::xsputn(const char *data, std::streamsize size) {
    return size > 0 && file.Write(data, static_cast<std::size_t>(size)) ? size : 0;
}

} // namespace standin
