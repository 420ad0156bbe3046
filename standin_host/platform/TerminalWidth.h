// The terminal that shows the error stream, where the progress line goes: whether there is one,
// and how many columns wide it is.
#pragma once

#include <cstddef>

namespace standin {

// The width of the terminal of the error stream, asked of the system each time (the window may
// have been resized); 80 when it cannot be told, as when the stream is not a terminal.
std::size_t ErrorStreamColumns();

// Whether the error stream goes to a terminal, where a progress line that redraws itself belongs.
bool ErrorStreamIsTerminal();

// Whether the standard output shows on a terminal, where each line of the run log goes at once.
bool OutputStreamIsTerminal();

} // namespace standin
