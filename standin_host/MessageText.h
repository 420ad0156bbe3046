// Text from the user's files as it appears in the host's messages.
#pragma once

#include <string>
#include <string_view>

namespace standin {

// The text in quotes, control characters escaped; an overlong text is cut and the cut is marked,
// so that a message stays one readable line whatever the file holds.
std::string Quoted(std::string_view text);

} // namespace standin
