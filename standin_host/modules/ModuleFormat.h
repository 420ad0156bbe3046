// Tells a module built for another system or machine by the header of its file, so that a
// module that cannot be loaded is refused with the reason a user can act on, and not with the
// loader's own words ("wrong ELF class", "No such file or directory", "error 193").
#pragma once

#include <string>

namespace standin {

// "a Windows DLL for x86-64; this host runs on Linux", "built for i386; this host is x86-64", or
// empty when the file is a library for this system and machine, or no library it knows.
std::string ForeignModuleReason(const std::string &path);

} // namespace standin
