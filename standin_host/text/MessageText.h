// Text from the user's files as it appears in the host's messages and run log.
#pragma once

#include <string>
#include <string_view>

namespace standin {

// Appends `text` with control characters (C0, DEL and C1), bidirectional controls (which reorder
// the text around them) and bytes that are not UTF-8 written as \xNN, so that whatever a file
// holds, it cannot steer the terminal that shows the message nor disguise what it says.
void AppendEscaped(std::string &out, std::string_view text);
std::string Escaped(std::string_view text);

// The text in quotes, escaped; an overlong text is cut and the cut is marked, so that a message
// stays one readable line whatever the file holds.
std::string Quoted(std::string_view text);

// For a word that should be ASCII: " (it holds U+00A0 no-break space, which is not ASCII)" for
// its first other character, since many of them look like a blank or a letter; empty when the
// word is all ASCII.
std::string NonAsciiNote(std::string_view word);

} // namespace standin
