// Writing SVG: the numbers, text and shapes of the run's picture, appended to one string. Every
// number has one decimal and a '.', whatever the process locale; every text is XML character data.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace standin {

// `value` with one decimal, as coordinates and sizes are written.
std::string SvgNumber(double value);

// Text as XML character data. A file name may hold any bytes; what is not well-formed UTF-8, the
// control characters (C0, which XML does not allow, DEL and C1), and the bidirectional controls,
// which would reorder the text around them, become '?', so that the picture always loads and
// shows the name as it is. (The run log escapes the same characters as \xNN instead: Escaped.)
std::string XmlText(std::string_view text);

class SvgWriter {
public:
    // `extra` and `style` are further attributes, written as they are.
    void Text(double x, double y, std::string_view text, double size, std::string_view extra = "");
    void Line(double x1, double y1, double x2, double y2, std::string_view style);
    void Rect(double x, double y, double w, double h, std::string_view style);
    void Circle(double x, double y, double r, std::string_view style);
    void Polygon(std::initializer_list<double> points, std::string_view style);
    // Markup made by the caller, such as a group or a long polyline.
    void Raw(std::string_view text) { out += text; }
    const std::string &Body() const { return out; }

private:
    std::string out;
};

} // namespace standin
