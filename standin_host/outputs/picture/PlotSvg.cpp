#include "standin_host/outputs/picture/PlotSvg.h"

#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

namespace standin {
namespace {

// `value` with one decimal, as coordinates and sizes are written: whatever the process locale.
std::string SvgNumber(double value) {
    return FormatFixed(value, 1);
}

// The picture's numbers, text and shapes, appended to one string. `extra` and `style` are further
// attributes, written as they are.
class SvgWriter {
public:
    void Text(double x, double y, std::string_view text, double size, std::string_view extra = "") {
        out += "<text x=\"" + SvgNumber(x) + "\" y=\"" + SvgNumber(y) + "\" font-size=\"" +
               SvgNumber(size) + "\"" + (extra.empty() ? "" : " ") + std::string(extra) + ">" +
               XmlText(text) + "</text>\n";
    }
    void Line(double x1, double y1, double x2, double y2, std::string_view style) {
        out += "<line x1=\"" + SvgNumber(x1) + "\" y1=\"" + SvgNumber(y1) + "\" x2=\"" +
               SvgNumber(x2) + "\" y2=\"" + SvgNumber(y2) + "\" " + std::string(style) + "/>\n";
    }
    void Rect(double x, double y, double w, double h, std::string_view style) {
        out += "<rect x=\"" + SvgNumber(x) + "\" y=\"" + SvgNumber(y) + "\" width=\"" +
               SvgNumber(std::max(w, 0.0)) + "\" height=\"" + SvgNumber(h) + "\" " +
               std::string(style) + "/>\n";
    }
    void Circle(double x, double y, double r, std::string_view style) {
        out += "<circle cx=\"" + SvgNumber(x) + "\" cy=\"" + SvgNumber(y) + "\" r=\"" +
               SvgNumber(r) + "\" " + std::string(style) + "/>\n";
    }
    void Polygon(std::initializer_list<double> points, std::string_view style) {
        std::string list;
        for (const double value : points) {
            list += (list.empty() ? "" : " ") + SvgNumber(value);
        }
        Raw("<polygon points=\"" + list + "\" " + std::string(style) + "/>\n");
    }
    // Markup made by the caller, such as a group or a long polyline.
    void Raw(std::string_view text) { out += text; }
    const std::string &Body() const { return out; }

private:
    std::string out;
};

constexpr double pictureWidth = 1200.0;
constexpr double plotLeft = 190.0; // room for the lanes' names and the value axis
constexpr double plotRight = 1150.0;

// Text with a white halo, readable over lines and bars.
constexpr const char *halo = "stroke=\"#fff\" stroke-width=\"4\" paint-order=\"stroke\"";

// Okabe and Ito's colours, which stay apart under the common colour-vision deficiencies; yellow
// and black are left out (yellow is faint on white, black marks deletions and targets). Every
// vessel also gets a marker shape and a dash pattern: 6, 5 and 4 repeat together only after 60.
const char *const palette[] = {"#E69F00", "#56B4E9", "#009E73", "#0072B2", "#D55E00", "#CC79A7"};
const char *const dashes[] = {"", "10 5", "2 4", "12 4 3 4"};
constexpr int shapeCount = 5;

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

struct Scale {
    double from;
    double to;
    double pixelFrom;
    double pixelTo;
    double operator()(double value) const {
        return pixelFrom + (value - from) / (to - from) * (pixelTo - pixelFrom);
    }
};

struct Ticks {
    double first;
    double step;
    int decimals;
};

// Ticks are counted, not summed up, so that a clock far from zero cannot stall them.
constexpr int maxTicks = 20;

// A tick's label; a tick at zero reads "0", never "-0".
std::string TickText(double value, const Ticks &ticks) {
    return FormatFixed(std::fabs(value) < ticks.step * 1e-6 ? 0.0 : value, ticks.decimals);
}

// Calls `draw` with each tick of `ticks` up to `to`, the last one included.
template <typename Draw> void ForEachTick(const Ticks &ticks, double to, Draw draw) {
    for (int k = 0; k <= maxTicks; ++k) {
        const double at = ticks.first + ticks.step * k;
        if (at > to + ticks.step * 1e-9) {
            break;
        }
        draw(at);
    }
}

// Round tick values (1, 2 or 5 times a power of ten), about `wanted` of them.
Ticks NiceTicks(double from, double to, int wanted) {
    const double raw = (to - from) / wanted;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / magnitude;
    const double nice = fraction <= 1.0   ? 1.0
                        : fraction <= 2.0 ? 2.0
                        : fraction <= 5.0 ? 5.0
                                          : 10.0;
    const double step = nice * magnitude;
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return Ticks{std::ceil(from / step - 1e-9) * step, step, decimals};
}

void TimeAxis(SvgWriter &svg, const Scale &time, double top, double bottom) {
    const Ticks ticks = NiceTicks(time.from, time.to, 10);
    ForEachTick(ticks, time.to, [&](double t) {
        const double x = time(t);
        svg.Line(x, top, x, bottom, "stroke=\"#ddd\" stroke-width=\"1\"");
        svg.Line(x, bottom, x, bottom + 6, "stroke=\"#000\" stroke-width=\"1\"");
        svg.Text(x, bottom + 22, TickText(t, ticks), 14, "text-anchor=\"middle\"");
    });
    svg.Line(plotLeft, bottom, plotRight, bottom, "stroke=\"#000\" stroke-width=\"1.5\"");
    svg.Text((plotLeft + plotRight) / 2, bottom + 44, "simulation time (s)", 15,
             "text-anchor=\"middle\"");
}

void ValueAxis(SvgWriter &svg, const Scale &value, const std::string &title, double top,
               double bottom) {
    const Ticks ticks = NiceTicks(value.from, value.to, 6);
    ForEachTick(ticks, value.to, [&](double v) {
        const double y = value(v);
        svg.Line(plotLeft, y, plotRight, y, "stroke=\"#ddd\" stroke-width=\"1\"");
        svg.Line(plotLeft - 6, y, plotLeft, y, "stroke=\"#000\" stroke-width=\"1\"");
        svg.Text(plotLeft - 10, y + 5, TickText(v, ticks), 14, "text-anchor=\"end\"");
    });
    svg.Line(plotLeft, top, plotLeft, bottom, "stroke=\"#000\" stroke-width=\"1.5\"");
    const double middle = (top + bottom) / 2;
    svg.Text(plotLeft - 90, middle, title, 15,
             "text-anchor=\"middle\" transform=\"rotate(-90 " + SvgNumber(plotLeft - 90) + " " +
                 SvgNumber(middle) + ")\"");
}

constexpr double aliveHeight = 220.0;

void LaneLegend(SvgWriter &svg, double y) {
    svg.Rect(plotLeft, y - 8, 40, 16, "fill=\"#999\"");
    svg.Text(plotLeft + 50, y + 5, "alive: from creation to deletion", 14);
    svg.Rect(plotLeft + 310, y - 12, 40, 24,
             "fill=\"url(#targeted)\" stroke=\"#000\" stroke-width=\"2\"");
    svg.Text(plotLeft + 360, y + 5, "the camera targets it (kept at any distance)", 14);
    Cross(svg, plotLeft + 690, y, 7);
    svg.Text(plotLeft + 705, y + 5, "deleted at the module's request", 14);
}

// One lane per vessel. Labels sit above the bars when the lanes are tall enough. The group's
// data- attributes let a reader of the file (and the tests) map times and lanes to pixels.
double Lanes(SvgWriter &svg, const PlotRecord &record, const Scale &time, double top,
             int decimals) {
    const std::size_t count = record.lanes.size();
    const bool roomy = count <= 12;
    const double laneHeight = roomy ? 52.0 : 30.0;
    const double bar = roomy ? 8.0 : 6.0;
    const double box = roomy ? 12.0 : 9.0;
    const double bottom = top + laneHeight * double(count) + 10;
    svg.Raw("<g id=\"lanes\" data-time-from=\"" + FormatExact(time.from) + "\" data-time-to=\"" +
            FormatExact(time.to) + "\" data-x-from=\"" + SvgNumber(plotLeft) + "\" data-x-to=\"" +
            SvgNumber(plotRight) + "\" data-lane-height=\"" + SvgNumber(laneHeight) + "\">\n");
    TimeAxis(svg, time, top, bottom);
    for (std::size_t i = 0; i < count; ++i) {
        const PlotLane &lane = record.lanes[i];
        const double centre = top + laneHeight * double(i) + (roomy ? 32.0 : 18.0);
        const double from = time(lane.created);
        const double end = lane.wasDeleted ? lane.deleted : record.stopped;
        const double to = time(end);
        svg.Raw("<g class=\"lane\" data-vessel=\"" + XmlText(lane.name) + "\" data-y=\"" +
                SvgNumber(centre) + "\" data-colour=\"" + ColourOf(i) + "\">\n");
        svg.Text(plotLeft - 12, centre + 5, lane.name, roomy ? 16 : 13,
                 "text-anchor=\"end\" font-weight=\"bold\"");
        svg.Rect(from, centre - bar, to - from, 2 * bar,
                 std::string("fill=\"") + ColourOf(i) + "\"");
        // Intervals, and the gaps between them, narrower than a pixel are drawn as one: a camera
        // that turns to and fro many times a pixel shows where it kept the vessel, in a few boxes.
        for (std::size_t k = 0; k < lane.targeted.size();) {
            const double left = time(lane.targeted[k].from);
            double right = time(lane.targeted[k].to);
            while (++k < lane.targeted.size() && time(lane.targeted[k].from) - right < 1.0) {
                right = std::max(right, time(lane.targeted[k].to));
            }
            svg.Rect(left, centre - box, right - left, 2 * box,
                     "fill=\"url(#targeted)\" stroke=\"#000\" stroke-width=\"2\"");
        }
        const std::string label = (lane.wasDeleted ? "deleted at " : "still there at ") +
                                  FormatFixed(end, decimals) + " s, " +
                                  FormatFixed(lane.distance.back().distance, 0) + " m away";
        const double labelWidth = double(label.size()) * (roomy ? 7.5 : 6.5);
        if (lane.wasDeleted) {
            Cross(svg, to, centre, roomy ? 8 : 6);
        }
        if (roomy) {
            const double x = std::clamp(to, plotLeft + labelWidth / 2, plotRight - labelWidth / 2);
            svg.Text(x, centre - 17, label, 14, std::string("text-anchor=\"middle\" ") + halo);
        } else if (to + 12 + labelWidth <= pictureWidth) {
            svg.Text(to + 12, centre + 4, label, 12, halo);
        } else {
            svg.Text(to - 12, centre - 9, label, 12, std::string("text-anchor=\"end\" ") + halo);
        }
        svg.Raw("</g>\n");
    }
    svg.Raw("</g>\n");
    return bottom;
}

// The number of vessels alive, the highest count of each column, as a filled curve.
double AliveCurve(SvgWriter &svg, const PlotRecord &record, const Scale &time, double top) {
    const double bottom = top + aliveHeight;
    std::size_t most = 1;
    for (const PlotColumn &column : record.columns) {
        most = std::max(most, column.aliveMax);
    }
    const Ticks ticks = NiceTicks(0, double(most), 5);
    const Scale count{0, std::ceil(double(most) / ticks.step) * ticks.step, bottom, top};
    TimeAxis(svg, time, top, bottom);
    ValueAxis(svg, count, "vessels alive", top, bottom);
    std::string points;
    const double columnTime = (time.to - time.from) / PlotRecorder::Columns;
    for (std::size_t c = 0; c < record.columns.size(); ++c) {
        const PlotColumn &column = record.columns[c];
        if (!column.hasAlive) {
            continue;
        }
        const double x = time(time.from + columnTime * double(c));
        const double y = count(double(column.aliveMax));
        if (points.empty()) {
            points = SvgNumber(x) + "," + SvgNumber(bottom);
        }
        points +=
            " " + SvgNumber(x) + "," + SvgNumber(y) + " " + SvgNumber(x + 2) + "," + SvgNumber(y);
    }
    if (!points.empty()) {
        svg.Raw("<polyline points=\"" + points +
                "\" fill=\"none\" stroke=\"#0072B2\" stroke-width=\"2\"/>\n");
    }
    return bottom;
}

// The upper panel, with its title at `top`: a lane per vessel, or the number alive for more
// vessels than lanes fit. `decimals` are the times' in labels. Returns where it ends.
double TimelinePanel(SvgWriter &svg, const PlotRecord &record, const Scale &time, bool lanes,
                     double top, int decimals) {
    if (lanes) {
        svg.Text(plotLeft - 150, top, "When each vessel lived", 18, "font-weight=\"bold\"");
        LaneLegend(svg, top + 28);
        return Lanes(svg, record, time, top + 44, decimals);
    }
    svg.Text(plotLeft - 150, top,
             "Vessels alive (lanes are drawn for up to " + std::to_string(PlotRecorder::MaxLanes) +
                 " vessels)",
             18, "font-weight=\"bold\"");
    return AliveCurve(svg, record, time, top + 20);
}

constexpr double distanceHeight = 300.0;
// Up to this many vessels, each curve carries its vessel's name at its end.
constexpr std::size_t directLabelLanes = 8;

// The top of the distance scale: a round value above every distance and limit shown.
double DistanceTop(const PlotRecord &record, bool lanes) {
    double most = 0.0;
    if (lanes) {
        for (const PlotLane &lane : record.lanes) {
            for (const PlotSample &sample : lane.distance) {
                most = std::max(most, sample.distance);
            }
        }
    } else {
        for (const PlotColumn &column : record.columns) {
            most = std::max(most, column.distanceMax);
        }
    }
    for (const PlotLimit &limit : record.limits) {
        most = std::max(most, limit.distance);
    }
    if (!std::isfinite(most * 1.05) || most <= 0.0) {
        return std::isfinite(most) && most > 0.0 ? most : 1.0;
    }
    const Ticks ticks = NiceTicks(0, most * 1.05, 6);
    return std::ceil(most * 1.05 / ticks.step) * ticks.step;
}

void LimitLines(SvgWriter &svg, const PlotRecord &record, const Scale &distance) {
    for (const PlotLimit &limit : record.limits) {
        const double y = distance(limit.distance);
        svg.Line(plotLeft, y, plotRight, y,
                 "stroke=\"#000\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"");
        svg.Text(plotLeft + 6, y - 7,
                 "MaxCamDistance of class " + limit.className + ": " + FormatExact(limit.distance) +
                     " m; farther away, a vessel is deleted unless the camera targets it",
                 13, halo);
    }
}

// A distance above the scale is drawn at its top.
void DistanceCurves(SvgWriter &svg, const PlotRecord &record, const Scale &time,
                    const Scale &distance) {
    for (std::size_t i = 0; i < record.lanes.size(); ++i) {
        const PlotLane &lane = record.lanes[i];
        std::string points;
        for (const PlotSample &sample : lane.distance) {
            points += (points.empty() ? "" : " ") + SvgNumber(time(sample.time)) + "," +
                      SvgNumber(distance(std::min(sample.distance, distance.to)));
        }
        svg.Raw("<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + ColourOf(i) +
                "\" stroke-width=\"2.5\"" + DashAttribute(i) + "/>\n");
        const PlotSample &last = lane.distance.back();
        const double x = time(last.time);
        const double y = distance(std::min(last.distance, distance.to));
        if (lane.wasDeleted) {
            Marker(svg, i, x, y, 7);
        }
        if (record.lanes.size() <= directLabelLanes) {
            const bool roomOnRight = x + 14 + double(lane.name.size()) * 9 <= pictureWidth;
            svg.Text(roomOnRight ? x + 12 : x - 12, y - 8, lane.name, 15,
                     std::string(roomOnRight ? "" : "text-anchor=\"end\" ") +
                         "font-weight=\"bold\" " + halo);
        }
    }
}

// The spread of all vessels' distances, column by column, and their mean.
void DistanceSpread(SvgWriter &svg, const PlotRecord &record, const Scale &time,
                    const Scale &distance) {
    std::string upper;
    std::string lower;
    std::string mean;
    const double columnTime = (time.to - time.from) / PlotRecorder::Columns;
    for (std::size_t c = 0; c < record.columns.size(); ++c) {
        const PlotColumn &column = record.columns[c];
        if (column.distanceCount == 0) {
            continue;
        }
        const double x = time(time.from + columnTime * double(c));
        const double at = column.distanceSum / double(column.distanceCount);
        upper += " " + SvgNumber(x) + "," +
                 SvgNumber(distance(std::min(column.distanceMax, distance.to)));
        lower.insert(0, " " + SvgNumber(x) + "," +
                            SvgNumber(distance(std::min(column.distanceMin, distance.to))));
        mean += " " + SvgNumber(x) + "," + SvgNumber(distance(std::min(at, distance.to)));
    }
    if (mean.empty()) {
        return;
    }
    svg.Raw("<polygon points=\"" + upper + lower +
            "\" fill=\"#56B4E9\" fill-opacity=\"0.45\" stroke=\"#0072B2\" stroke-width=\"1\"/>\n");
    svg.Raw("<polyline points=\"" + mean +
            "\" fill=\"none\" stroke=\"#D55E00\" stroke-width=\"2.5\" "
            "stroke-dasharray=\"10 5\"/>\n");
}

double DistanceLegend(SvgWriter &svg, const PlotRecord &record, bool lanes, double y) {
    if (!lanes) {
        svg.Rect(plotLeft, y - 8, 40, 16,
                 "fill=\"#56B4E9\" fill-opacity=\"0.45\" stroke=\"#0072B2\"");
        svg.Text(plotLeft + 50, y + 5, "nearest to farthest of the vessels alive", 14);
        svg.Line(plotLeft + 380, y, plotLeft + 420, y,
                 "stroke=\"#D55E00\" stroke-width=\"2.5\" stroke-dasharray=\"10 5\"");
        svg.Text(plotLeft + 430, y + 5, "their mean distance", 14);
        return y + 30;
    }
    constexpr int perRow = 5;
    for (std::size_t i = 0; i < record.lanes.size(); ++i) {
        const double x = plotLeft + 190.0 * double(i % perRow);
        const std::size_t row = i / perRow;
        const double rowY = y + 26.0 * double(row);
        svg.Line(x, rowY, x + 44, rowY,
                 std::string("stroke=\"") + ColourOf(i) + "\" stroke-width=\"2.5\"" +
                     DashAttribute(i));
        Marker(svg, i, x + 22, rowY, 6);
        svg.Text(x + 54, rowY + 5, record.lanes[i].name, 14);
    }
    const std::size_t rows = (record.lanes.size() + perRow - 1) / perRow;
    return y + 26.0 * double(rows) + 8;
}

// The lower panel, with its title at `top`: each vessel's distance from the camera with the
// classes' culling limits, or the spread of all distances. Returns where its plot area ends.
double DistancePanel(SvgWriter &svg, const PlotRecord &record, const Scale &time, bool lanes,
                     double top) {
    svg.Text(plotLeft - 150, top, "Distance from the camera", 18, "font-weight=\"bold\"");
    const double plotTop = DistanceLegend(svg, record, lanes, top + 28) + 6;
    const double bottom = plotTop + distanceHeight;
    const Scale distance{0.0, DistanceTop(record, lanes), bottom, plotTop};
    TimeAxis(svg, time, plotTop, bottom);
    ValueAxis(svg, distance, "distance (m)", plotTop, bottom);
    LimitLines(svg, record, distance);
    if (lanes) {
        DistanceCurves(svg, record, time, distance);
    } else {
        DistanceSpread(svg, record, time, distance);
    }
    return bottom;
}

} // namespace

std::string RenderPlotSvg(const PlotRecord &record) {
    const bool lanes = record.vesselsCreated <= PlotRecorder::MaxLanes;
    const double end = record.end > record.start ? record.end : record.start + 1.0;
    const Scale time{record.start, end, plotLeft, plotRight};
    const int decimals = DecimalsToTellApart(record.step, 0);
    SvgWriter svg;

    const std::string title = "The run of " + record.scenarioName;
    svg.Text(plotLeft - 150, 38, title, 24, "font-weight=\"bold\"");
    svg.Text(plotLeft - 150, 64,
             std::to_string(record.vesselsCreated) + " vessel" +
                 (record.vesselsCreated == 1 ? "" : "s") + ", " +
                 std::to_string(record.vesselsDeleted) + " deleted; steps of " +
                 FormatExact(record.step) + " s from " + FormatFixed(record.start, decimals) +
                 " s to " + FormatFixed(record.stopped, decimals) + " s" +
                 (record.stopped < record.end - record.step / 2 ? ", stopped early" : ""),
             15, "fill=\"#333\"");

    const double timelineEnd = TimelinePanel(svg, record, time, lanes, 104, decimals);
    const double height = DistancePanel(svg, record, time, lanes, timelineEnd + 84) + 60;

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      SvgNumber(pictureWidth) + "\" height=\"" + SvgNumber(height) +
                      "\" viewBox=\"0 0 " + SvgNumber(pictureWidth) + " " + SvgNumber(height) +
                      "\" font-family=\"sans-serif\">\n<title>" + XmlText(title) + "</title>\n" +
                      "<defs><pattern id=\"targeted\" width=\"8\" height=\"8\" "
                      "patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
                      "<rect width=\"3\" height=\"8\" fill=\"#000\"/></pattern></defs>\n"
                      "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    out += svg.Body();
    out += "</svg>\n";
    return out;
}

} // namespace standin
