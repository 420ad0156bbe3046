// Reading UTF-8 one character at a time, for the host's messages and its picture, which must show
// whatever bytes a file or a file name holds without passing on what is not well-formed.
#pragma once

#include <cstddef>
#include <string_view>

namespace standin {

struct Utf8Character {
    std::size_t length = 0; // 1 to 4 bytes; 0: no well-formed character starts the text
    unsigned codePoint = 0;
};

// The character at the start of `text`. Overlong forms, surrogates, code points beyond U+10FFFF,
// stray continuation bytes and a sequence cut short are no character (length 0).
Utf8Character DecodeUtf8(std::string_view text);

} // namespace standin
