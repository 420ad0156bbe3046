#include "MessageText.h"

namespace standin {

std::string Quoted(std::string_view text) {
    constexpr std::size_t longest = 60;
    if (text.size() <= longest) {
        return "'" + std::string(text) + "'";
    }
    return "'" + std::string(text.substr(0, longest)) + "...' (" + std::to_string(text.size()) +
           " characters)";
}

} // namespace standin
