#include "standin_host/outputs/picture/SvgWriter.h"

#include "standin_host/text/BidiControl.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/Utf8.h"

#include <algorithm>

namespace standin {

std::string SvgNumber(double value) {
    return FormatFixed(value, 1);
}

std::string XmlText(std::string_view text) {
    std::string escaped;
    while (!text.empty()) {
        const Utf8Character character = DecodeUtf8(text);
        const std::size_t length = character.length;
        const char c = text[0];
        // U+FFFE and U+FFFF are no XML characters either.
        const bool notXml = (length == 1 && static_cast<unsigned char>(c) < 0x20) ||
                            character.codePoint == 0xfffe || character.codePoint == 0xffff;
        if (length == 0 || notXml) {
            escaped += '?';
            text.remove_prefix(1);
            continue;
        }
        if ((length == 1 && c == '\x7F') || (length == 2 && character.codePoint <= 0x9F) ||
            IsBidiControl(character.codePoint)) {
            escaped += '?';
            text.remove_prefix(length);
            continue;
        }
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return escaped;
}

void SvgWriter::Text(double x, double y, std::string_view text, double size,
                     std::string_view extra) {
    out += "<text x=\"" + SvgNumber(x) + "\" y=\"" + SvgNumber(y) + "\" font-size=\"" +
           SvgNumber(size) + "\"";
    if (!extra.empty()) {
        out += " ";
        out += extra;
    }
    out += ">" + XmlText(text) + "</text>\n";
}

void SvgWriter::Line(double x1, double y1, double x2, double y2, std::string_view style) {
    out += "<line x1=\"" + SvgNumber(x1) + "\" y1=\"" + SvgNumber(y1) + "\" x2=\"" + SvgNumber(x2) +
           "\" y2=\"" + SvgNumber(y2) + "\" " + std::string(style) + "/>\n";
}

void SvgWriter::Rect(double x, double y, double w, double h, std::string_view style) {
    out += "<rect x=\"" + SvgNumber(x) + "\" y=\"" + SvgNumber(y) + "\" width=\"" +
           SvgNumber(std::max(w, 0.0)) + "\" height=\"" + SvgNumber(h) + "\" " +
           std::string(style) + "/>\n";
}

void SvgWriter::Circle(double x, double y, double r, std::string_view style) {
    out += "<circle cx=\"" + SvgNumber(x) + "\" cy=\"" + SvgNumber(y) + "\" r=\"" + SvgNumber(r) +
           "\" " + std::string(style) + "/>\n";
}

void SvgWriter::Polygon(std::initializer_list<double> points, std::string_view style) {
    out += "<polygon points=\"";
    bool first = true;
    for (const double value : points) {
        out += (first ? "" : " ") + SvgNumber(value);
        first = false;
    }
    out += "\" " + std::string(style) + "/>\n";
}

} // namespace standin
