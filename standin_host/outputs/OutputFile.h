// Writing the host's output files (the saved scenario, every SAVE event, the trace, the picture)
// by one rule, without destroying what is there:
// - a regular file, or the file that a symbolic link names, is replaced through a fresh temporary
//   file ("<name>.partial-<pid>-<letters>") and a rename, flushed to disk before and after, so that
//   a power cut leaves the old file or the new one; an existing file without write permission is
//   refused (its owner protected it); a write that fails removes the temporary file at once, and
//   a run that replaces a file in a folder first removes the temporary files there of runs that
//   died;
// - a device or FIFO is written in place; a signal that ends the run ends a wait for its reader;
// - a socket is refused;
// - the file that the standard output or error writes is written through that stream, after
//   everything the program's streams hold so far;
// - a folder, and a loop of symbolic links, are refused.
#pragma once

#include "standin_host/platform/FileFacts.h"

#include <cstddef>
#include <map>
#include <streambuf>
#include <string>

namespace standin {

// The folders whose files a run replaces, each checked once: its longest name, in bytes.
using OutputFolders = std::map<std::string, std::size_t>;

// Checks before the run what can be known about writing `path`, whose `facts` are known: the rule
// above; a device opens (without waiting) and closes; a socket is refused; a replaced file's
// folder exists, takes new files (a trial file, once per folder in `folders`) and is not
// append-only or immutable, nor is the file; the name fits the file system. The error starts with
// the path.
bool CheckOutputFile(const std::string &path, const FileFacts &facts, OutputFolders &folders,
                     std::string &error);
bool CheckOutputFile(const std::string &path, std::string &error);

// One output, written as it comes and made complete at once: until Finish, a file that was there
// stays as it was, and Discard (or the destructor) leaves no temporary file.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { Discard(); }
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Opens `path` for writing; for a FIFO, waits for its reader. The error starts with the path.
    bool Open(const std::string &path, std::string &error);
    // Appends `size` bytes. After a failed write the rest is dropped; Finish reports it.
    bool Write(const char *data, std::size_t size);
    // Makes the output complete: a replaced file is flushed to disk and renamed over the target.
    bool Finish(std::string &error);
    // Drops what was written: the temporary file goes, the target stays as it was.
    void Discard();

private:
    enum class Mode { Closed, Replace, InPlace, Stream };

    Mode mode = Mode::Closed;
    std::string path;      // as given
    std::string target;    // Replace: the file replaced at the end, links followed
    std::string temporary; // Replace: the file written until then
    int fd = -1;
    int temporaryPlace = -1; // where the second signal finds the temporary file
    int failure = 0;         // the first write's error number, or 0
};

// Writes `content` to `path` as an OutputFile. On failure the target is as it was and no
// temporary file is left; the error starts with the path.
bool WriteOutputFile(const std::string &path, const std::string &content, std::string &error);

// A stream buffer that writes straight to an open OutputFile, for writers that take a stream.
class OutputFileBuffer : public std::streambuf {
public:
    explicit OutputFileBuffer(OutputFile &file) : file(file) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char *data, std::streamsize size) override;

private:
    OutputFile &file;
};

} // namespace standin
