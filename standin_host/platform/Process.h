// What the system tells of this process: its own file, its standard input, output and error as
// the host relies on them, and the terminal that shows the error stream, where the progress line
// goes.
#pragma once

#include <cstddef>
#include <string>

namespace standin {

// The path of this program, where the modules are looked for by default; argv[0] does not tell it
// when the program was found on the search path, so it is only the fallback.
std::string ProgramPath(const char *argv0);

// Opens the null device on each of the standard input, output and error that the process was
// started without (`>&-`). Called first, before anything is opened: otherwise the first file that
// the run opens would take the free number, and the log or the messages would go into it (a
// trace, a saved scenario). What goes to a closed stream is then lost, as into /dev/null. Windows
// keeps those numbers itself; there it does nothing.
void OpenClosedStandardStreams();

// The width of the terminal of the error stream, asked of the system each time (the window may
// have been resized); 80 when it cannot be told, as when the stream is not a terminal.
std::size_t ErrorStreamColumns();

// Whether the error stream goes to a terminal, where a progress line that redraws itself belongs.
bool ErrorStreamIsTerminal();

// Whether the standard output shows on a terminal, where each line of the run log goes at once.
bool OutputStreamIsTerminal();

} // namespace standin
