#include "standin_host/text/MessageText.h"

#include "standin_host/text/BidiControl.h"
#include "standin_host/text/Utf8.h"

namespace standin {
namespace {

void AppendHex(std::string &out, unsigned char byte) {
    constexpr char hex[] = "0123456789abcdef";
    out += "\\x";
    out += hex[byte >> 4];
    out += hex[byte & 0xf];
}

std::string CodePointText(unsigned codePoint) {
    constexpr char hex[] = "0123456789ABCDEF";
    std::string text = "U+";
    for (int shift = codePoint > 0xffff ? 20 : 12; shift >= 0; shift -= 4) {
        text += hex[(codePoint >> shift) & 0xf];
    }
    return text;
}

// Names of the characters that pass for a blank, a minus or a quote in an editor.
const char *CharacterName(unsigned codePoint) {
    switch (codePoint) {
    case 0xa0:
        return "no-break space";
    case 0xad:
        return "soft hyphen";
    case 0x2002:
    case 0x2003:
    case 0x2009:
        return "space of typographic width";
    case 0x200b:
        return "zero width space";
    case 0x202f:
        return "narrow no-break space";
    case 0x3000:
        return "ideographic space";
    case 0xfeff:
        return "byte-order mark";
    case 0x2010:
    case 0x2013:
    case 0x2014:
        return "dash";
    case 0x2212:
        return "minus sign";
    case 0x2018:
    case 0x2019:
    case 0x201c:
    case 0x201d:
        return "typographic quote";
    default:
        return nullptr;
    }
}

} // namespace

void AppendEscaped(std::string &out, std::string_view text) {
    // Control characters, C0 and C1, the bidirectional controls, and bytes that are not UTF-8 are
    // written as \xNN, so that a file cannot steer the user's terminal nor reorder what it shows.
    for (std::size_t i = 0; i < text.size();) {
        // A run of printable ASCII, the usual text, goes in one piece.
        std::size_t plain = i;
        while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7f) {
            ++plain;
        }
        if (plain > i) {
            out.append(text, i, plain - i);
            i = plain;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7f) {
                AppendHex(out, byte);
            } else {
                out += text[i];
            }
            ++i;
            continue;
        }
        const Utf8Character character = DecodeUtf8(text.substr(i));
        const std::size_t length = character.length;
        if (length == 0 || character.codePoint <= 0x9f || IsBidiControl(character.codePoint)) {
            const std::size_t bytes = length == 0 ? 1 : length;
            for (std::size_t k = 0; k < bytes; ++k) {
                AppendHex(out, static_cast<unsigned char>(text[i + k]));
            }
            i += bytes;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
}

std::string Escaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    AppendEscaped(escaped, text);
    return escaped;
}

std::string Quoted(std::string_view text) {
    constexpr std::size_t longest = 60;
    std::string quoted = "'";
    AppendEscaped(quoted, text.substr(0, longest));
    quoted += text.size() > longest ? "...'" : "'";
    if (text.size() > longest) {
        quoted += " (" + std::to_string(text.size()) + " characters)";
    }
    return quoted;
}

std::string NonAsciiNote(std::string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto byte = static_cast<unsigned char>(word[i]);
        if (byte < 0x80) {
            continue;
        }
        const Utf8Character character = DecodeUtf8(word.substr(i));
        const unsigned codePoint = character.codePoint;
        if (character.length == 0) {
            std::string note = " (it holds the byte ";
            AppendHex(note, byte);
            return note + ", which is not UTF-8 text)";
        }
        const char *name = CharacterName(codePoint);
        return " (it holds " + CodePointText(codePoint) + (name ? std::string(" ") + name : "") +
               ", which is not ASCII)";
    }
    return {};
}

} // namespace standin
