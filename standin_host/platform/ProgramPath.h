// Where this program's own file is, asked of the system.
#pragma once

#include <string>

namespace standin {

// The path of this program, where the modules are looked for by default; argv[0] does not tell it
// when the program was found on the search path, so it is only the fallback.
std::string ProgramPath(const char *argv0);

} // namespace standin
