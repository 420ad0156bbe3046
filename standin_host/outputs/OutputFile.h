// Writing the host's output files (the saved scenario, every SAVE, the trace, the picture) by one
// rule, without destroying what is there:
// - a regular file, or the file that a symbolic link names, is replaced: the new text goes to a
//   file of the run's own in the same folder (unnamed where the system offers it, O_TMPFILE),
//   flushed to disk and renamed over the old one only when complete, so that a failure or a power
//   cut leaves the old file or the new one. An existing file without write permission is refused
//   (its owner protected it), and so is one that no rename can replace (a mount point, a
//   bind-mounted file, an append-only or immutable one);
// - each of the user's outputs holds its folder open from the plan to the run's end, so that a
//   folder renamed or swapped for a link cannot lead its write elsewhere; a checkpoint (a SAVE) is
//   reached from the working folder, held the same way, without following a link at any step,
//   when it is planned and again each time it is written;
// - a device or FIFO is written in place; a signal that ends the run ends a wait for its reader;
// - the file that the standard output or error writes is written through that stream, after
//   everything the program's streams hold so far;
// - a folder, a socket and a loop of symbolic links are refused.
#pragma once

#include "standin_host/platform/FileCalls.h"
#include "standin_host/text/TextOut.h"

#include <cstddef>
#include <string>

namespace standin {

// One output, planned before the run and written when the run comes to it, as often as a
// checkpoint is: until Finish, a file that was there stays as it was, and Discard (or the
// destructor) leaves no temporary file.
class OutputFile final : public TextOut {
public:
    OutputFile() = default;
    ~OutputFile() { Discard(); }

    // Plans writing `path`, whose `facts` are known, by the rule above (a checkpoint: from
    // `beneath`, the working folder), and opens a replaced file's folder and in it the temporary
    // file that the first write fills; a checkpoint lets both go once they are proven. The error
    // starts with the path.
    bool Plan(const std::string &path, const FileFacts &facts, std::string &error,
              const Folder *beneath = nullptr);
    // Begins a write of the planned output. A device or FIFO is opened only now: a FIFO's open
    // waits for a reader, and a device held from the plan would be kept from others for the whole
    // run (a serial line takes one writer at a time). A file replaced once already gets a new
    // temporary file; a checkpoint, in its folder reached again from the working folder.
    bool Open(std::string &error);
    // Appends `size` bytes. After a failed write the rest is dropped; Finish reports it.
    bool Write(const char *data, std::size_t size);
    // Makes the output complete: a replaced file is flushed to disk and renamed over the target.
    bool Finish(std::string &error);
    // Drops what was written: the temporary file goes, the target stays as it was.
    void Discard();

private:
    void Emit(std::string_view text) override { Write(text.data(), text.size()); }
    // Why a replaced file's folder refuses it.
    std::string FolderRefuses(int reason) const;

    enum class Mode { Unplanned, Replace, InPlace, Stream };

    Mode mode = Mode::Unplanned;
    bool fifo = false;
    std::string path;                // as given
    std::string folderPath;          // Replace: the folder, as the messages name it
    Folder folder;                   // Replace: the folder of the file replaced at the end
    const Folder *working = nullptr; // a checkpoint: the working folder, whence it is reached
    std::string name;                // Replace: its name there
    int fd = -1;
    int failure = 0; // the first write's error number, or 0
};

} // namespace standin
