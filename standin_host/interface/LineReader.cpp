#include "standin_host/interface/LineReader.h"

#include <cstring>

namespace standin {

bool LineReader::Next(char *&line) {
    std::string_view text;
    if (!lines.Next(text, currentNumber)) {
        return false;
    }
    // Copied into storage kept from line to line, which only ever grows: the module is handed a
    // C string, so what stands past its NUL (the end of a longer line handed out before, to this
    // vessel or another) is no part of it.
    if (current.size() <= text.size()) {
        current.resize(text.size() + 1);
    }
    std::memcpy(&current[0], text.data(), text.size());
    current[text.size()] = '\0';
    line = current.data();
    return true;
}

} // namespace standin
