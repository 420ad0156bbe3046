// Text from the user's files as it appears in the host's messages, run log and picture.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace standin {

// One UTF-8 character, so that whatever bytes a file or a file name holds are shown without
// passing on what is not well-formed.
struct Utf8Character {
    std::size_t length = 0; // 1 to 4 bytes; 0: no well-formed character starts the text
    unsigned codePoint = 0;
};

// The character at the start of `text`. Overlong forms, surrogates, code points beyond U+10FFFF,
// stray continuation bytes and a sequence cut short are no character (length 0).
Utf8Character DecodeUtf8(std::string_view text);

// Appends `text` with its control characters and the bytes that are not UTF-8 written as \xNN:
// whatever a file holds cannot steer the terminal that shows the message nor disguise it.
void AppendEscaped(std::string &out, std::string_view text);
std::string Escaped(std::string_view text);

// The text in quotes, escaped; an overlong text is cut, and the cut marked, so that a message
// stays one readable line.
std::string Quoted(std::string_view text);

// For a word that should be ASCII: " (it holds U+00A0 no-break space, which is not ASCII)" for
// its first other character, which may look like a blank or a letter; empty for an ASCII word.
std::string NonAsciiNote(std::string_view word);

// Text as XML character data: what is not well-formed UTF-8, the control characters, U+FFFE and
// U+FFFF become '?', so that the picture always loads, whatever bytes a name holds.
std::string XmlText(std::string_view text);

} // namespace standin
