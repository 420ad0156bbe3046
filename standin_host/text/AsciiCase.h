// Keys that fold case for ASCII letters only: the user's locale, and any letter beyond ASCII,
// play no part, so that a key reads the same on every system. The module folds its keys with a
// copy of its own (vessel/TextScan.cpp), since it is built alone and takes nothing of the host.
#pragma once

#include <cstddef>
#include <string_view>

namespace standin {

constexpr char FoldAsciiCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace standin
