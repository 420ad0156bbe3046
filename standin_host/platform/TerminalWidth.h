// How many columns wide the terminal is that shows the error stream.
#pragma once

#include <cstddef>

namespace standin {

// The width of the terminal of the error stream, asked of the system each time (the window may
// have been resized); 80 when it cannot be told, as when the stream is not a terminal.
std::size_t ErrorStreamColumns();

} // namespace standin
