// What the file of a module that cannot be loaded tells of the reason, so that it is refused with
// the reason a user can act on, and not with the loader's own words ("wrong ELF class", "No such
// file or directory", Windows error 193, or error 126, "the specified module could not be found",
// which names no file).
#pragma once

#include <string>
#include <vector>

namespace standin {

// "a Windows DLL for x86-64; this host runs on Linux", "built for i386; this host is x86-64", or
// empty when the file is a library for this system and machine, or no library it knows.
std::string ForeignModuleReason(const std::string &path);

// The files a Windows image imports functions from, in the order of its import table
// ("KERNEL32.dll", "libstdc++-6.dll", "standin-host.exe"); none when `image` is no PE image, has
// no import table or one that leaves the file.
std::vector<std::string> PeImportedFiles(const std::string &image);

} // namespace standin
