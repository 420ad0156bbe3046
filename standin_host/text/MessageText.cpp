#include "standin_host/text/MessageText.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>

namespace standin {
namespace {

// The characters that text from a file must not show as they are: the control characters (C0,
// DEL and C1), which steer a terminal and are no XML, and Unicode's bidirectional controls, which
// reorder the text around them for display, so that a name holding one can read as another name.
constexpr bool IsControlCharacter(unsigned codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7f && codePoint <= 0x9f) ||
           codePoint == 0x061c ||                          // Arabic letter mark
           codePoint == 0x200e || codePoint == 0x200f ||   // left-to-right, right-to-left marks
           (codePoint >= 0x202a && codePoint <= 0x202e) || // embeddings and overrides
           (codePoint >= 0x2066 && codePoint <= 0x2069);   // isolates
}

// Names of the characters that pass for a blank, a minus or a quote in an editor.
constexpr struct {
    unsigned codePoint;
    const char *name;
} characterNames[] = {
    {0xa0, "no-break space"},
    {0xad, "soft hyphen"},
    {0x2002, "space of typographic width"},
    {0x2003, "space of typographic width"},
    {0x2009, "space of typographic width"},
    {0x200b, "zero width space"},
    {0x202f, "narrow no-break space"},
    {0x3000, "ideographic space"},
    {0xfeff, "byte-order mark"},
    {0x2010, "dash"},
    {0x2013, "dash"},
    {0x2014, "dash"},
    {0x2212, "minus sign"},
    {0x2018, "typographic quote"},
    {0x2019, "typographic quote"},
    {0x201c, "typographic quote"},
    {0x201d, "typographic quote"},
};

} // namespace

Utf8Character DecodeUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return {1, lead};
    }
    if (lead < 0xc2 || lead > 0xf4) {
        return {};
    }
    const std::size_t length = lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    if (length > text.size()) {
        return {};
    }
    unsigned codePoint = lead & (0x7fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xc0) != 0x80) {
            return {};
        }
        codePoint = codePoint << 6 | (next & 0x3f);
    }
    // Below the lowest of its length, a shorter form would have done: overlong.
    constexpr unsigned lowest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = codePoint >= 0xd800 && codePoint <= 0xdfff;
    if (codePoint < lowest[length] || codePoint > 0x10ffff || surrogate) {
        return {};
    }
    return {length, codePoint};
}

void AppendEscaped(std::string &out, std::string_view text) {
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
        const Utf8Character character = DecodeUtf8(text.substr(i));
        if (character.length != 0 && !IsControlCharacter(character.codePoint)) {
            out.append(text.substr(i, character.length));
            i += character.length;
            continue;
        }
        const std::size_t end = i + std::max<std::size_t>(character.length, 1);
        for (; i < end; ++i) {
            fmt::format_to(std::back_inserter(out), "\\x{:02x}",
                           static_cast<unsigned char>(text[i]));
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
    if (text.size() > longest) {
        return quoted + "...' (" + std::to_string(text.size()) + " characters)";
    }
    return quoted + "'";
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
            return fmt::format(" (it holds the byte \\x{:02x}, which is not UTF-8 text)", byte);
        }
        const char *name = "";
        for (const auto &known : characterNames) {
            name = known.codePoint == codePoint ? known.name : name;
        }
        return fmt::format(" (it holds U+{:0{}X}{}{}, which is not ASCII)", codePoint,
                           codePoint > 0xffff ? 6 : 4, *name != '\0' ? " " : "", name);
    }
    return {};
}

std::string XmlText(std::string_view text) {
    std::string escaped;
    while (!text.empty()) {
        const Utf8Character character = DecodeUtf8(text);
        const std::size_t length = character.length;
        const char c = text[0];
        // U+FFFE and U+FFFF are no XML characters either; their first byte goes, the rest show as
        // bytes that are no UTF-8.
        const bool notXml = character.codePoint == 0xfffe || character.codePoint == 0xffff;
        if (length == 0 || notXml || IsControlCharacter(character.codePoint)) {
            escaped += '?';
            text.remove_prefix(notXml ? 1 : std::max<std::size_t>(length, 1));
            continue;
        }
        const std::string_view shown = c == '&'   ? "&amp;"
                                       : c == '<' ? "&lt;"
                                       : c == '>' ? "&gt;"
                                       : c == '"' ? "&quot;"
                                                  : text.substr(0, length);
        escaped.append(shown);
        text.remove_prefix(length);
    }
    return escaped;
}

} // namespace standin
