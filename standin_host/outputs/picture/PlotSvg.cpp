#include "standin_host/outputs/picture/PlotSvg.h"

#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

namespace standin {
namespace {

// A coordinate or a size, with one decimal whatever the process locale.
std::string Px(double value) {
    return FormatFixed(value, 1);
}

// "x,y", as the points of polylines and polygons are written.
std::string Point(double x, double y) {
    return fmt::format("{},{}", Px(x), Px(y));
}

// The picture's markup, appended to one string. `style` holds further attributes, written as
// they are.
class SvgWriter {
public:
    // One line of markup.
    template <typename... Args> void Write(fmt::format_string<Args...> format, Args &&...args) {
        fmt::format_to(std::back_inserter(out), format, std::forward<Args>(args)...);
        out += '\n';
    }
    void Text(double x, double y, std::string_view text, double size, std::string_view style = "") {
        Write(R"(<text x="{}" y="{}" font-size="{}"{}{}>{}</text>)", Px(x), Px(y), Px(size),
              style.empty() ? "" : " ", style, XmlText(text));
    }
    void Line(double x1, double y1, double x2, double y2, std::string_view style) {
        Write(R"(<line x1="{}" y1="{}" x2="{}" y2="{}" {}/>)", Px(x1), Px(y1), Px(x2), Px(y2),
              style);
    }
    void Rect(double x, double y, double w, double h, std::string_view style) {
        Write(R"(<rect x="{}" y="{}" width="{}" height="{}" {}/>)", Px(x), Px(y),
              Px(std::max(w, 0.0)), Px(h), style);
    }
    void Circle(double x, double y, double r, std::string_view style) {
        Write(R"(<circle cx="{}" cy="{}" r="{}" {}/>)", Px(x), Px(y), Px(r), style);
    }
    // `kind` is "polygon" or "polyline"; `points` as the caller made them.
    void Shape(const char *kind, std::string_view points, std::string_view style) {
        Write(R"(<{} points="{}" {}/>)", kind, points, style);
    }
    // A polygon through `corners`, "x y x y ...".
    void Polygon(std::initializer_list<double> corners, std::string_view style) {
        std::string points;
        for (const double value : corners) {
            points += (points.empty() ? "" : " ") + Px(value);
        }
        Shape("polygon", points, style);
    }
    const std::string &Body() const { return out; }

private:
    std::string out;
};

constexpr double pictureWidth = 1200.0;
constexpr double plotLeft = 190.0; // room for the lanes' names and the value axis
constexpr double plotRight = 1150.0;

// Text with a white halo, readable over lines and bars.
constexpr const char *halo = R"(stroke="#fff" stroke-width="4" paint-order="stroke")";
constexpr const char *targetedBox = R"svg(fill="url(#targeted)" stroke="#000" stroke-width="2")svg";

// Okabe and Ito's colours, which stay apart under the common colour-vision deficiencies; yellow
// and black are left out (yellow is faint on white, black marks deletions and targets). Every
// vessel also gets a marker shape and a dash pattern: 6, 5 and 4 repeat together only after 60.
const char *const palette[] = {"#E69F00", "#56B4E9", "#009E73", "#0072B2", "#D55E00", "#CC79A7"};
const char *const dashes[] = {"", "10 5", "2 4", "12 4 3 4"};
constexpr int shapeCount = 5;

const char *ColourOf(std::size_t lane) {
    return palette[lane % std::size(palette)];
}

// A curve's colour, width and dash pattern.
std::string CurveStyle(std::size_t lane) {
    std::string style = fmt::format(R"(stroke="{}" stroke-width="2.5")", ColourOf(lane));
    if (const char *dash = dashes[lane % std::size(dashes)]; *dash != '\0') {
        style += fmt::format(R"( stroke-dasharray="{}")", dash);
    }
    return style;
}

void Marker(SvgWriter &svg, std::size_t lane, double x, double y, double r) {
    const std::string style =
        fmt::format(R"(fill="{}" stroke="#000" stroke-width="1.5")", ColourOf(lane));
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
    const char *style = R"(stroke="#000" stroke-width="3" stroke-linecap="round")";
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
    // A value beyond the scale's end is drawn at its end.
    double AtMost(double value) const { return (*this)(std::min(value, to)); }
};

// A round step (1, 2 or 5 times a power of ten) for about `wanted` ticks from `from` to `to`.
double TickStep(double from, double to, int wanted) {
    const double raw = (to - from) / wanted;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / magnitude;
    const double nice = fraction <= 1.0   ? 1.0
                        : fraction <= 2.0 ? 2.0
                        : fraction <= 5.0 ? 5.0
                                          : 10.0;
    return nice * magnitude;
}

// `value` rounded up to the next of about `wanted` round ticks from zero.
double RoundedUp(double value, int wanted) {
    const double step = TickStep(0, value, wanted);
    return std::ceil(value / step) * step;
}

// Ticks are counted, not summed up, so that a clock far from zero cannot stall them.
constexpr int maxTicks = 20;

// Calls `draw` with each round tick from `from` to `to`, about `wanted` of them, and its label.
template <typename Draw> void ForEachTick(double from, double to, int wanted, Draw draw) {
    const double step = TickStep(from, to, wanted);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    const double first = std::ceil(from / step - 1e-9) * step;
    for (int k = 0; k <= maxTicks; ++k) {
        const double at = first + step * k;
        if (at > to + step * 1e-9) {
            break;
        }
        // A tick at zero reads "0", never "-0".
        draw(at, FormatFixed(std::fabs(at) < step * 1e-6 ? 0.0 : at, decimals));
    }
}

constexpr const char *gridLine = R"(stroke="#ddd" stroke-width="1")";
constexpr const char *tickLine = R"(stroke="#000" stroke-width="1")";
constexpr const char *axisLine = R"(stroke="#000" stroke-width="1.5")";

void TimeAxis(SvgWriter &svg, const Scale &time, double top, double bottom) {
    ForEachTick(time.from, time.to, 10, [&](double t, const std::string &label) {
        const double x = time(t);
        svg.Line(x, top, x, bottom, gridLine);
        svg.Line(x, bottom, x, bottom + 6, tickLine);
        svg.Text(x, bottom + 22, label, 14, R"(text-anchor="middle")");
    });
    svg.Line(plotLeft, bottom, plotRight, bottom, axisLine);
    svg.Text((plotLeft + plotRight) / 2, bottom + 44, "simulation time (s)", 15,
             R"(text-anchor="middle")");
}

void ValueAxis(SvgWriter &svg, const Scale &value, const std::string &title, double top,
               double bottom) {
    ForEachTick(value.from, value.to, 6, [&](double v, const std::string &label) {
        const double y = value(v);
        svg.Line(plotLeft, y, plotRight, y, gridLine);
        svg.Line(plotLeft - 6, y, plotLeft, y, tickLine);
        svg.Text(plotLeft - 10, y + 5, label, 14, R"(text-anchor="end")");
    });
    svg.Line(plotLeft, top, plotLeft, bottom, axisLine);
    const double middle = (top + bottom) / 2;
    svg.Text(plotLeft - 90, middle, title, 15,
             fmt::format(R"svg(text-anchor="middle" transform="rotate(-90 {} {})")svg",
                         Px(plotLeft - 90), Px(middle)));
}

constexpr double aliveHeight = 220.0;

void LaneLegend(SvgWriter &svg, double y) {
    svg.Rect(plotLeft, y - 8, 40, 16, R"(fill="#999")");
    svg.Text(plotLeft + 50, y + 5, "alive: from creation to deletion", 14);
    svg.Rect(plotLeft + 310, y - 12, 40, 24, targetedBox);
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
    svg.Write(R"(<g id="lanes" data-time-from="{}" data-time-to="{}" data-x-from="{}" )"
              R"(data-x-to="{}" data-lane-height="{}">)",
              FormatExact(time.from), FormatExact(time.to), Px(plotLeft), Px(plotRight),
              Px(laneHeight));
    TimeAxis(svg, time, top, bottom);
    for (std::size_t i = 0; i < count; ++i) {
        const PlotLane &lane = record.lanes[i];
        const double centre = top + laneHeight * double(i) + (roomy ? 32.0 : 18.0);
        const double from = time(lane.created);
        const double end = lane.deleted.value_or(record.stopped);
        const double to = time(end);
        svg.Write(R"(<g class="lane" data-vessel="{}" data-y="{}" data-colour="{}">)",
                  XmlText(lane.name), Px(centre), ColourOf(i));
        svg.Text(plotLeft - 12, centre + 5, lane.name, roomy ? 16 : 13,
                 R"(text-anchor="end" font-weight="bold")");
        svg.Rect(from, centre - bar, to - from, 2 * bar, fmt::format(R"(fill="{}")", ColourOf(i)));
        // Intervals, and the gaps between them, narrower than a pixel are drawn as one: a camera
        // that turns to and fro many times a pixel shows where it kept the vessel, in a few boxes.
        for (std::size_t k = 0; k < lane.targeted.size();) {
            const double left = time(lane.targeted[k].from);
            double right = time(lane.targeted[k].to);
            while (++k < lane.targeted.size() && time(lane.targeted[k].from) - right < 1.0) {
                right = std::max(right, time(lane.targeted[k].to));
            }
            svg.Rect(left, centre - box, right - left, 2 * box, targetedBox);
        }
        const std::string label =
            fmt::format("{} {} s, {} m away", lane.deleted ? "deleted at" : "still there at",
                        FormatFixed(end, decimals), FormatFixed(lane.distance.back().distance, 0));
        const double labelWidth = double(label.size()) * (roomy ? 7.5 : 6.5);
        if (lane.deleted) {
            Cross(svg, to, centre, roomy ? 8 : 6);
        }
        if (roomy) {
            const double x = std::clamp(to, plotLeft + labelWidth / 2, plotRight - labelWidth / 2);
            svg.Text(x, centre - 17, label, 14, fmt::format(R"(text-anchor="middle" {})", halo));
        } else if (to + 12 + labelWidth <= pictureWidth) {
            svg.Text(to + 12, centre + 4, label, 12, halo);
        } else {
            svg.Text(to - 12, centre - 9, label, 12, fmt::format(R"(text-anchor="end" {})", halo));
        }
        svg.Write("</g>");
    }
    svg.Write("</g>");
    return bottom;
}

// The number of vessels alive, the highest count of each column, as a filled curve.
double AliveCurve(SvgWriter &svg, const PlotRecord &record, const Scale &time, double top) {
    const double bottom = top + aliveHeight;
    std::size_t most = 1;
    for (const PlotColumn &column : record.columns) {
        most = std::max(most, column.aliveMax);
    }
    const Scale count{0, RoundedUp(double(most), 5), bottom, top};
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
            points = Point(x, bottom);
        }
        points += " " + Point(x, y) + " " + Point(x + 2, y);
    }
    if (!points.empty()) {
        svg.Shape("polyline", points, R"(fill="none" stroke="#0072B2" stroke-width="2")");
    }
    return bottom;
}

// The upper panel, with its title at `top`: a lane per vessel, or the number alive for more
// vessels than lanes fit. `decimals` are the times' in labels. Returns where it ends.
double TimelinePanel(SvgWriter &svg, const PlotRecord &record, const Scale &time, bool lanes,
                     double top, int decimals) {
    if (lanes) {
        svg.Text(plotLeft - 150, top, "When each vessel lived", 18, R"(font-weight="bold")");
        LaneLegend(svg, top + 28);
        return Lanes(svg, record, time, top + 44, decimals);
    }
    svg.Text(
        plotLeft - 150, top,
        fmt::format("Vessels alive (lanes are drawn for up to {} vessels)", PlotRecorder::MaxLanes),
        18, R"(font-weight="bold")");
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
    return RoundedUp(most * 1.05, 6);
}

void LimitLines(SvgWriter &svg, const PlotRecord &record, const Scale &distance) {
    for (const PlotLimit &limit : record.limits) {
        const double y = distance(limit.distance);
        svg.Line(plotLeft, y, plotRight, y,
                 R"(stroke="#000" stroke-width="1.5" stroke-dasharray="6 4")");
        svg.Text(plotLeft + 6, y - 7,
                 fmt::format("MaxCamDistance of class {}: {} m; farther away, a vessel is deleted "
                             "unless the camera targets it",
                             limit.className, FormatExact(limit.distance)),
                 13, halo);
    }
}

void DistanceCurves(SvgWriter &svg, const PlotRecord &record, const Scale &time,
                    const Scale &distance) {
    for (std::size_t i = 0; i < record.lanes.size(); ++i) {
        const PlotLane &lane = record.lanes[i];
        std::string points;
        for (const PlotSample &sample : lane.distance) {
            points += (points.empty() ? "" : " ") +
                      Point(time(sample.time), distance.AtMost(sample.distance));
        }
        svg.Shape("polyline", points, R"(fill="none" )" + CurveStyle(i));
        const PlotSample &last = lane.distance.back();
        const double x = time(last.time);
        const double y = distance.AtMost(last.distance);
        if (lane.deleted) {
            Marker(svg, i, x, y, 7);
        }
        if (record.lanes.size() <= directLabelLanes) {
            const bool roomOnRight = x + 14 + double(lane.name.size()) * 9 <= pictureWidth;
            svg.Text(roomOnRight ? x + 12 : x - 12, y - 8, lane.name, 15,
                     fmt::format(R"({}font-weight="bold" {})",
                                 roomOnRight ? "" : R"(text-anchor="end" )", halo));
        }
    }
}

const std::string spreadBand = R"(fill="#56B4E9" fill-opacity="0.45" stroke="#0072B2")";
const std::string meanCurve = R"(stroke="#D55E00" stroke-width="2.5" stroke-dasharray="10 5")";

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
        upper += " " + Point(x, distance.AtMost(column.distanceMax));
        lower.insert(0, " " + Point(x, distance.AtMost(column.distanceMin)));
        mean += " " + Point(x, distance.AtMost(at));
    }
    if (mean.empty()) {
        return;
    }
    svg.Shape("polygon", upper + lower, spreadBand + R"( stroke-width="1")");
    svg.Shape("polyline", mean, R"(fill="none" )" + meanCurve);
}

double DistanceLegend(SvgWriter &svg, const PlotRecord &record, bool lanes, double y) {
    if (!lanes) {
        svg.Rect(plotLeft, y - 8, 40, 16, spreadBand);
        svg.Text(plotLeft + 50, y + 5, "nearest to farthest of the vessels alive", 14);
        svg.Line(plotLeft + 380, y, plotLeft + 420, y, meanCurve);
        svg.Text(plotLeft + 430, y + 5, "their mean distance", 14);
        return y + 30;
    }
    constexpr int perRow = 5;
    for (std::size_t i = 0; i < record.lanes.size(); ++i) {
        const double x = plotLeft + 190.0 * double(i % perRow);
        const std::size_t row = i / perRow;
        const double rowY = y + 26.0 * double(row);
        svg.Line(x, rowY, x + 44, rowY, CurveStyle(i));
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
    svg.Text(plotLeft - 150, top, "Distance from the camera", 18, R"(font-weight="bold")");
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
    svg.Text(plotLeft - 150, 38, title, 24, R"(font-weight="bold")");
    svg.Text(plotLeft - 150, 64,
             fmt::format("{} vessel{}, {} deleted; steps of {} s from {} s to {} s{}",
                         record.vesselsCreated, record.vesselsCreated == 1 ? "" : "s",
                         record.vesselsDeleted, FormatExact(record.step),
                         FormatFixed(record.start, decimals), FormatFixed(record.stopped, decimals),
                         record.stopped < record.end - record.step / 2 ? ", stopped early" : ""),
             15, R"(fill="#333")");

    const double timelineEnd = TimelinePanel(svg, record, time, lanes, 104, decimals);
    const double height = DistancePanel(svg, record, time, lanes, timelineEnd + 84) + 60;

    return fmt::format(
        R"(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{0}" height="{1}" viewBox="0 0 {0} {1}" )"
        R"(font-family="sans-serif">
<title>{2}</title>
<defs><pattern id="targeted" width="8" height="8" patternUnits="userSpaceOnUse" )"
        R"svg(patternTransform="rotate(45)"><rect width="3" height="8" fill="#000"/>)svg"
        R"(</pattern></defs>
<rect width="100%" height="100%" fill="#fff"/>
{3}</svg>
)",
        Px(pictureWidth), Px(height), XmlText(title), svg.Body());
}

} // namespace standin
