// The process's standard input, output and error as the host relies on them.
#pragma once

namespace standin {

// Opens the null device on each of the standard input, output and error that the process was
// started without (`>&-`). Called first, before anything is opened: otherwise the first file that
// the run opens would take the free number, and the log or the messages would go into it (a
// trace, a saved scenario). What goes to a closed stream is then lost, as into /dev/null. Windows
// keeps those numbers itself; there it does nothing.
void OpenClosedStandardStreams();

} // namespace standin
