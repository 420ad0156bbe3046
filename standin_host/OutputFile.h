// Writing the host's output files (the saved scenario at the end and every SAVE event) without
// destroying what is there: a regular file, or the file that a symbolic link names, is replaced
// through a fresh temporary file and a rename, flushed to disk before and after, so that a power
// cut leaves the old file or the new one; a device or FIFO is written in place; a folder is
// refused.
#pragma once

#include <string>

namespace standin {

// Checks before the run what can be known about writing `path` at its end: the folder exists and
// takes new files, the name fits the file system, the target is not a folder. The error starts
// with the path.
bool CheckOutputFile(const std::string &path, std::string &error);

// Writes `content` to `path` as described above. On failure the target is as it was and no
// temporary file is left; the error starts with the path.
bool WriteOutputFile(const std::string &path, const std::string &content, std::string &error);

} // namespace standin
