#include "standin_host/text/Utf8.h"

namespace standin {

Utf8Character DecodeUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return {1, lead};
    }
    std::size_t length = 0;
    unsigned codePoint = 0;
    unsigned lowest = 0; // below it, a shorter form would have done: overlong
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        codePoint = lead & 0x1f;
        lowest = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        codePoint = lead & 0x0f;
        lowest = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        codePoint = lead & 0x07;
        lowest = 0x10000;
    } else {
        return {};
    }
    if (length > text.size()) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xc0) != 0x80) {
            return {};
        }
        codePoint = codePoint << 6 | (next & 0x3f);
    }
    const bool surrogate = codePoint >= 0xd800 && codePoint <= 0xdfff;
    if (codePoint < lowest || codePoint > 0x10ffff || surrogate) {
        return {};
    }
    return {length, codePoint};
}

} // namespace standin
