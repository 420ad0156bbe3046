#include "standin_host/outputs/OutputFile.h"

#include "standin_host/platform/FileCalls.h"
#include "standin_host/platform/FileFacts.h"
#include "standin_host/platform/RunInterrupt.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace standin {
namespace {

namespace fs = std::filesystem;

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
        const int fd = OpenNewFile(temporary);
        if (fd >= 0 || errno != EEXIST) {
            failure = errno;
            return fd;
        }
    }
    failure = EEXIST;
    return -1;
}

// Everything the program's streams hold goes out before an output written to the same file.
void FlushStreams() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

// The refusals that hold for every output, before the run and again when it is written.
bool Refused(const std::string &path, const FileFacts &facts, std::string &error) {
    switch (facts.kind) {
    case FileFacts::Kind::Unreachable:
        error = path + ": cannot write: " +
                (facts.reason == ELOOP ? std::string("a loop of symbolic links")
                                       : SystemErrorText(facts.reason));
        return true;
    case FileFacts::Kind::Folder:
        error = path + ": cannot write: is a folder";
        return true;
    case FileFacts::Kind::Regular:
    case FileFacts::Kind::Fifo:
    case FileFacts::Kind::Device:
    case FileFacts::Kind::Other:
        if (facts.readOnly && facts.standardStream == 0) {
            error = path + ": cannot write: the file is read-only (its owner protected it)";
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

} // namespace

bool CheckOutputFile(const std::string &path, std::string &error) {
    const FileFacts facts = ExamineFile(path);
    if (Refused(path, facts, error)) {
        return false;
    }
    if (facts.standardStream != 0 || WrittenInPlace(facts)) {
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
        error = path + ": cannot write: " + SystemErrorText(failure);
        return false;
    }
    const int place = AddTemporaryFileToRemove(trial.c_str()); // a second signal removes it too
    CloseFile(fd);
    std::remove(trial.c_str());
    ForgetTemporaryFile(place);
    return true;
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
    fd = CreateTemporary(target, temporary, reason);
    if (fd < 0) {
        error = path + ": cannot write: " + SystemErrorText(reason);
        return false;
    }
    mode = Mode::Replace;
    temporaryPlace = AddTemporaryFileToRemove(temporary.c_str());
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
    return WriteAll(fd, data, size, failure);
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
    if (finished != Mode::Stream) {
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
