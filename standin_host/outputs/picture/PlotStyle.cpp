#include "standin_host/outputs/picture/PlotStyle.h"

namespace standin {
namespace picture {
namespace {

// Okabe and Ito's colours, which stay apart under the common colour-vision deficiencies; yellow
// and black are left out (yellow is faint on white, black marks deletions and targets). Every
// vessel also gets a marker shape and a dash pattern: 6, 5 and 4 repeat together only after 60.
const char *const palette[] = {"#E69F00", "#56B4E9", "#009E73", "#0072B2", "#D55E00", "#CC79A7"};
const char *const dashes[] = {"", "10 5", "2 4", "12 4 3 4"};
constexpr int shapeCount = 5;

} // namespace

const char *const halo = "stroke=\"#fff\" stroke-width=\"4\" paint-order=\"stroke\"";

const char *ColourOf(std::size_t lane) {
    return palette[lane % (sizeof palette / sizeof *palette)];
}

std::string DashAttribute(std::size_t lane) {
    const char *dash = dashes[lane % (sizeof dashes / sizeof *dashes)];
    return *dash != '\0' ? std::string(" stroke-dasharray=\"") + dash + "\"" : std::string();
}

void Marker(SvgWriter &svg, std::size_t lane, double x, double y, double r) {
    const std::string style =
        std::string("fill=\"") + ColourOf(lane) + "\" stroke=\"#000\" stroke-width=\"1.5\"";
    switch (lane % shapeCount) {
    case 0:
        svg.Circle(x, y, r, style);
        return;
    case 1:
        svg.Rect(x - r, y - r, 2 * r, 2 * r, style);
        return;
    case 2:
        svg.Polygon({x, y - r * 1.2, x + r * 1.1, y + r * 0.8, x - r * 1.1, y + r * 0.8}, style);
        return;
    case 3:
        svg.Polygon({x, y - r * 1.3, x + r * 1.1, y, x, y + r * 1.3, x - r * 1.1, y}, style);
        return;
    default:
        svg.Polygon({x - r * 1.1, y - r * 0.8, x + r * 1.1, y - r * 0.8, x, y + r * 1.2}, style);
        return;
    }
}

void Cross(SvgWriter &svg, double x, double y, double r) {
    const std::string style = "stroke=\"#000\" stroke-width=\"3\" stroke-linecap=\"round\"";
    svg.Line(x - r, y - r, x + r, y + r, style);
    svg.Line(x - r, y + r, x + r, y - r, style);
}

} // namespace picture
} // namespace standin
