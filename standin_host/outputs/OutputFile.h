// Writing the host's output files (the saved scenario, every SAVE, the trace, the picture) by one
// rule, without destroying what is there:
// - a regular file, or the file that a symbolic link names, is replaced: the new text goes to a
//   file of the run's own in the same folder, held open by its handle (unnamed where the system
//   offers it, O_TMPFILE), flushed to disk and renamed over the old one only when complete, so
//   that a failure or a power cut leaves the old file or the new one. An existing file without
//   write permission is refused (its owner protected it), and so is one that no rename can
//   replace (a mount point, a bind-mounted file, an append-only or immutable one);
// - a checkpoint (a SAVE) is reached from the working folder, held open, without following a link
//   at any step, so that a link swapped in during the run cannot lead its write elsewhere;
// - a device or FIFO is written in place; a signal that ends the run ends a wait for its reader;
// - the file that the standard output or error writes is written through that stream, after
//   everything the program's streams hold so far;
// - a folder, a socket and a loop of symbolic links are refused.
// Text reaches the file as TextOut, in chunks, so that no output stands in memory whole.
#pragma once

#include "standin_host/platform/FileCalls.h"
#include "standin_host/text/TextOut.h"

#include <cstddef>
#include <string>

namespace standin {

// Checks before the run what can be known about writing `path`, whose `facts` are known, by the
// rule above (a checkpoint from `beneath`, the working folder): a device opens (without waiting)
// and closes; a replaced file's folder exists and takes new files (a trial file), the name fits
// it, and the file can be replaced. The error starts with the path.
bool CheckOutputFile(const std::string &path, const FileFacts &facts, std::string &error,
                     const Folder *beneath = nullptr);

// One output, written as it comes and made complete at once: until Finish, a file that was there
// stays as it was, and Discard (or the destructor) leaves no temporary file.
class OutputFile final : public TextOut {
public:
    OutputFile() = default;
    ~OutputFile() { Discard(); }

    // Opens `path` for writing (a checkpoint: from `beneath`, the working folder); for a FIFO,
    // waits for its reader. The error starts with the path.
    bool Open(const std::string &path, std::string &error, const Folder *beneath = nullptr);
    // Appends `size` bytes. After a failed write the rest is dropped; Finish reports it.
    bool Write(const char *data, std::size_t size);
    // Makes the output complete: a replaced file is flushed to disk and renamed over the target.
    bool Finish(std::string &error);
    // Drops what was written: the temporary file goes, the target stays as it was.
    void Discard();

private:
    void Emit(std::string_view text) override { Write(text.data(), text.size()); }

    enum class Mode { Closed, Replace, InPlace, Stream };

    Mode mode = Mode::Closed;
    std::string path;      // as given
    Folder folder;         // Replace: the folder of the file replaced at the end
    std::string name;      // Replace: its name there
    std::string temporary; // Replace: the name of the file written until then, if it has one
    int fd = -1;
    int temporaryPlace = -1; // where the second signal finds the temporary file
    int failure = 0;         // the first write's error number, or 0
};

// Writes `content` to `path` as an OutputFile. On failure the target is as it was and no
// temporary file is left; the error starts with the path.
bool WriteOutputFile(const std::string &path, const std::string &content, std::string &error);

} // namespace standin
