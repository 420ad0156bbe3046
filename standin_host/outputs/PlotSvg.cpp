#include "standin_host/outputs/PlotSvg.h"

#include "standin_host/text/BidiControl.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace standin {
namespace {

constexpr double pictureWidth = 1200.0;
constexpr double plotLeft = 190.0;
constexpr double plotRight = 1150.0;
constexpr double distanceHeight = 300.0;
constexpr double aliveHeight = 220.0;
constexpr std::size_t directLabelLanes = 8;
// Ticks are counted, not summed up, so that a clock far from zero cannot stall them.
constexpr int maxTicks = 20;
const char *const fontFamily = "sans-serif";

// Okabe and Ito's colours, which stay apart under the common colour-vision deficiencies; yellow
// and black are left out (yellow is faint on white, black marks deletions and targets). Every
// vessel also gets a marker shape and a dash pattern: 6, 5 and 4 repeat together only after 60.
const char *const palette[] = {"#E69F00", "#56B4E9", "#009E73", "#0072B2", "#D55E00", "#CC79A7"};
const char *const dashes[] = {"", "10 5", "2 4", "12 4 3 4"};
constexpr int shapeCount = 5;

const char *ColourOf(std::size_t lane) {
    return palette[lane % (sizeof palette / sizeof *palette)];
}
const char *DashOf(std::size_t lane) {
    return dashes[lane % (sizeof dashes / sizeof *dashes)];
}

std::string N(double value) {
    return FormatFixed(value, 1);
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t Utf8Length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F) ||
        (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F)) {
        return 0;
    }
    return length;
}

// The code point of a well-formed UTF-8 sequence of two or three bytes.
unsigned CodePointOf(std::string_view sequence) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(sequence[i]) & 0x3Fu;
    };
    return sequence.size() == 2
               ? (static_cast<unsigned char>(sequence[0]) & 0x1Fu) << 6 | byte(1)
               : (static_cast<unsigned char>(sequence[0]) & 0x0Fu) << 12 | byte(1) << 6 | byte(2);
}

// Text as XML character data. A file name may hold any bytes; what is not well-formed UTF-8, the
// control characters (C0, which XML does not allow, DEL and C1), and the bidirectional controls,
// which would reorder the text around them, become '?', so that the picture always loads and
// shows the name as it is.
std::string Escaped(std::string_view text) {
    std::string escaped;
    while (!text.empty()) {
        const std::size_t length = Utf8Length(text);
        const char c = text[0];
        // U+FFFE and U+FFFF (EF BF BE, EF BF BF) are no XML characters either.
        const bool notXml = (length == 1 && static_cast<unsigned char>(c) < 0x20) ||
                            (length == 3 && text.substr(0, 2) == "\xEF\xBF" &&
                             static_cast<unsigned char>(text[2]) >= 0xBE);
        if (length == 0 || notXml) {
            escaped += '?';
            text.remove_prefix(1);
            continue;
        }
        const unsigned codePoint =
            length == 2 || length == 3 ? CodePointOf(text.substr(0, length)) : 0;
        if ((length == 1 && c == '\x7F') || (length == 2 && codePoint <= 0x9F) ||
            IsBidiControl(codePoint)) {
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

// The fewest decimals that tell the steps of `step` apart, for the times in labels.
int DecimalsFor(double step) {
    int decimals = 0;
    double scaled = step;
    while (decimals < 9 && std::fabs(scaled - std::round(scaled)) > 1e-9 * std::max(1.0, scaled)) {
        scaled *= 10.0;
        ++decimals;
    }
    return decimals;
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

// A tick's label; a tick at zero reads "0", never "-0".
std::string TickText(double value, const Ticks &ticks) {
    return FormatFixed(std::fabs(value) < ticks.step * 1e-6 ? 0.0 : value, ticks.decimals);
}

class Picture {
public:
    void Text(double x, double y, std::string_view text, double size, std::string_view extra = "") {
        out += "<text x=\"" + N(x) + "\" y=\"" + N(y) + "\" font-size=\"" + N(size) + "\"";
        if (!extra.empty()) {
            out += " ";
            out += extra;
        }
        out += ">" + Escaped(text) + "</text>\n";
    }
    void Line(double x1, double y1, double x2, double y2, std::string_view style) {
        out += "<line x1=\"" + N(x1) + "\" y1=\"" + N(y1) + "\" x2=\"" + N(x2) + "\" y2=\"" +
               N(y2) + "\" " + std::string(style) + "/>\n";
    }
    void Rect(double x, double y, double w, double h, std::string_view style) {
        out += "<rect x=\"" + N(x) + "\" y=\"" + N(y) + "\" width=\"" + N(std::max(w, 0.0)) +
               "\" height=\"" + N(h) + "\" " + std::string(style) + "/>\n";
    }
    void Marker(std::size_t lane, double x, double y, double r) {
        const std::string style =
            std::string("fill=\"") + ColourOf(lane) + "\" stroke=\"#000\" stroke-width=\"1.5\"";
        switch (lane % shapeCount) {
        case 0:
            out += "<circle cx=\"" + N(x) + "\" cy=\"" + N(y) + "\" r=\"" + N(r) + "\" " + style +
                   "/>\n";
            return;
        case 1:
            Rect(x - r, y - r, 2 * r, 2 * r, style);
            return;
        case 2:
            Polygon({x, y - r * 1.2, x + r * 1.1, y + r * 0.8, x - r * 1.1, y + r * 0.8}, style);
            return;
        case 3:
            Polygon({x, y - r * 1.3, x + r * 1.1, y, x, y + r * 1.3, x - r * 1.1, y}, style);
            return;
        default:
            Polygon({x - r * 1.1, y - r * 0.8, x + r * 1.1, y - r * 0.8, x, y + r * 1.2}, style);
            return;
        }
    }
    void Cross(double x, double y, double r) {
        const std::string style = "stroke=\"#000\" stroke-width=\"3\" stroke-linecap=\"round\"";
        Line(x - r, y - r, x + r, y + r, style);
        Line(x - r, y + r, x + r, y - r, style);
    }
    void Polygon(std::initializer_list<double> points, std::string_view style) {
        out += "<polygon points=\"";
        bool first = true;
        for (const double value : points) {
            out += (first ? "" : " ") + N(value);
            first = false;
        }
        out += "\" " + std::string(style) + "/>\n";
    }
    void Raw(std::string_view text) { out += text; }
    std::string &Body() { return out; }

private:
    std::string out;
};

// Text with a white halo, readable over lines and bars.
const char *const halo = "stroke=\"#fff\" stroke-width=\"4\" paint-order=\"stroke\"";

void TimeAxis(Picture &picture, const Scale &time, double top, double bottom) {
    const Ticks ticks = NiceTicks(time.from, time.to, 10);
    for (int k = 0; k <= maxTicks; ++k) {
        const double t = ticks.first + ticks.step * k;
        if (t > time.to + ticks.step * 1e-9) {
            break;
        }
        const double x = time(t);
        picture.Line(x, top, x, bottom, "stroke=\"#ddd\" stroke-width=\"1\"");
        picture.Line(x, bottom, x, bottom + 6, "stroke=\"#000\" stroke-width=\"1\"");
        picture.Text(x, bottom + 22, TickText(t, ticks), 14, "text-anchor=\"middle\"");
    }
    picture.Line(plotLeft, bottom, plotRight, bottom, "stroke=\"#000\" stroke-width=\"1.5\"");
    picture.Text((plotLeft + plotRight) / 2, bottom + 44, "simulation time (s)", 15,
                 "text-anchor=\"middle\"");
}

void ValueAxis(Picture &picture, const Scale &value, const std::string &title, double top,
               double bottom) {
    const Ticks ticks = NiceTicks(value.from, value.to, 6);
    for (int k = 0; k <= maxTicks; ++k) {
        const double v = ticks.first + ticks.step * k;
        if (v > value.to + ticks.step * 1e-9) {
            break;
        }
        const double y = value(v);
        picture.Line(plotLeft, y, plotRight, y, "stroke=\"#ddd\" stroke-width=\"1\"");
        picture.Line(plotLeft - 6, y, plotLeft, y, "stroke=\"#000\" stroke-width=\"1\"");
        picture.Text(plotLeft - 10, y + 5, TickText(v, ticks), 14, "text-anchor=\"end\"");
    }
    picture.Line(plotLeft, top, plotLeft, bottom, "stroke=\"#000\" stroke-width=\"1.5\"");
    const double middle = (top + bottom) / 2;
    picture.Text(plotLeft - 90, middle, title, 15,
                 "text-anchor=\"middle\" transform=\"rotate(-90 " + N(plotLeft - 90) + " " +
                     N(middle) + ")\"");
}

void LaneLegend(Picture &picture, double y) {
    picture.Rect(plotLeft, y - 8, 40, 16, "fill=\"#999\"");
    picture.Text(plotLeft + 50, y + 5, "alive: from creation to deletion", 14);
    picture.Rect(plotLeft + 310, y - 12, 40, 24,
                 "fill=\"url(#targeted)\" stroke=\"#000\" stroke-width=\"2\"");
    picture.Text(plotLeft + 360, y + 5, "the camera targets it (kept at any distance)", 14);
    picture.Cross(plotLeft + 690, y, 7);
    picture.Text(plotLeft + 705, y + 5, "deleted at the module's request", 14);
}

// One lane per vessel. Labels sit above the bars when the lanes are tall enough.
double Lanes(Picture &picture, const PlotRecord &record, const Scale &time, double top,
             int decimals) {
    const std::size_t count = record.lanes.size();
    const bool roomy = count <= 12;
    const double laneHeight = roomy ? 52.0 : 30.0;
    const double bar = roomy ? 8.0 : 6.0;
    const double box = roomy ? 12.0 : 9.0;
    const double bottom = top + laneHeight * double(count) + 10;
    picture.Raw("<g id=\"lanes\" data-time-from=\"" + FormatExact(time.from) +
                "\" data-time-to=\"" + FormatExact(time.to) + "\" data-x-from=\"" + N(plotLeft) +
                "\" data-x-to=\"" + N(plotRight) + "\" data-lane-height=\"" + N(laneHeight) +
                "\">\n");
    TimeAxis(picture, time, top, bottom);
    for (std::size_t i = 0; i < count; ++i) {
        const PlotLane &lane = record.lanes[i];
        const double centre = top + laneHeight * double(i) + (roomy ? 32.0 : 18.0);
        const double from = time(lane.created);
        const double to = time(lane.wasDeleted ? lane.deleted : record.stopped);
        picture.Raw("<g class=\"lane\" data-vessel=\"" + Escaped(lane.name) + "\" data-y=\"" +
                    N(centre) + "\" data-colour=\"" + ColourOf(i) + "\">\n");
        picture.Text(plotLeft - 12, centre + 5, lane.name, roomy ? 16 : 13,
                     "text-anchor=\"end\" font-weight=\"bold\"");
        picture.Rect(from, centre - bar, to - from, 2 * bar,
                     std::string("fill=\"") + ColourOf(i) + "\"");
        for (const PlotInterval &interval : lane.targeted) {
            picture.Rect(time(interval.from), centre - box, time(interval.to) - time(interval.from),
                         2 * box, "fill=\"url(#targeted)\" stroke=\"#000\" stroke-width=\"2\"");
        }
        const std::string when =
            FormatFixed(lane.wasDeleted ? lane.deleted : record.stopped, decimals) + " s";
        const std::string away = FormatFixed(lane.distance.back().distance, 0) + " m away";
        std::string label = lane.wasDeleted ? "deleted at " : "still there at ";
        label.append(when).append(", ").append(away);
        const double labelWidth = double(label.size()) * (roomy ? 7.5 : 6.5);
        if (lane.wasDeleted) {
            picture.Cross(to, centre, roomy ? 8 : 6);
        }
        if (roomy) {
            const double x = std::clamp(to, plotLeft + labelWidth / 2, plotRight - labelWidth / 2);
            picture.Text(x, centre - 17, label, 14, std::string("text-anchor=\"middle\" ") + halo);
        } else if (to + 12 + labelWidth <= pictureWidth) {
            picture.Text(to + 12, centre + 4, label, 12, halo);
        } else {
            picture.Text(to - 12, centre - 9, label, 12,
                         std::string("text-anchor=\"end\" ") + halo);
        }
        picture.Raw("</g>\n");
    }
    picture.Raw("</g>\n");
    return bottom;
}

// The number of vessels alive, the highest count of each column, as a filled curve.
double AliveCurve(Picture &picture, const PlotRecord &record, const Scale &time, double top) {
    const double bottom = top + aliveHeight;
    std::size_t most = 1;
    for (const PlotColumn &column : record.columns) {
        most = std::max(most, column.aliveMax);
    }
    const Ticks ticks = NiceTicks(0, double(most), 5);
    const Scale count{0, std::ceil(double(most) / ticks.step) * ticks.step, bottom, top};
    TimeAxis(picture, time, top, bottom);
    ValueAxis(picture, count, "vessels alive", top, bottom);
    std::string points;
    const double columnTime = (time.to - time.from) / PlotRecorder::Columns;
    std::size_t shown = 0;
    for (std::size_t c = 0; c < record.columns.size(); ++c) {
        const PlotColumn &column = record.columns[c];
        if (!column.hasAlive) {
            continue;
        }
        const double x = time(time.from + columnTime * double(c));
        const double y = count(double(column.aliveMax));
        if (points.empty()) {
            points = N(x) + "," + N(bottom);
        }
        points += " " + N(x) + "," + N(y) + " " + N(x + 2) + "," + N(y);
        ++shown;
    }
    if (shown != 0) {
        picture.Raw("<polyline points=\"" + points +
                    "\" fill=\"none\" stroke=\"#0072B2\" stroke-width=\"2\"/>\n");
    }
    return bottom;
}

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

void LimitLines(Picture &picture, const PlotRecord &record, const Scale &distance) {
    for (const PlotLimit &limit : record.limits) {
        const double y = distance(limit.distance);
        picture.Line(plotLeft, y, plotRight, y,
                     "stroke=\"#000\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"");
        picture.Text(plotLeft + 6, y - 7,
                     "MaxCamDistance of class " + limit.className + ": " +
                         FormatExact(limit.distance) +
                         " m; farther away, a vessel is deleted unless the camera targets it",
                     13, halo);
    }
}

void DistanceCurves(Picture &picture, const PlotRecord &record, const Scale &time,
                    const Scale &distance) {
    for (std::size_t i = 0; i < record.lanes.size(); ++i) {
        const PlotLane &lane = record.lanes[i];
        std::string points;
        for (const PlotSample &sample : lane.distance) {
            points += (points.empty() ? "" : " ") + N(time(sample.time)) + "," +
                      N(distance(std::min(sample.distance, distance.to)));
        }
        picture.Raw("<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + ColourOf(i) +
                    "\" stroke-width=\"2.5\"" +
                    (*DashOf(i) != '\0' ? std::string(" stroke-dasharray=\"") + DashOf(i) + "\""
                                        : std::string()) +
                    "/>\n");
        const PlotSample &last = lane.distance.back();
        const double x = time(last.time);
        const double y = distance(std::min(last.distance, distance.to));
        if (lane.wasDeleted) {
            picture.Marker(i, x, y, 7);
        }
        if (record.lanes.size() <= directLabelLanes) {
            const bool roomOnRight = x + 14 + double(lane.name.size()) * 9 <= pictureWidth;
            picture.Text(roomOnRight ? x + 12 : x - 12, y - 8, lane.name, 15,
                         std::string(roomOnRight ? "" : "text-anchor=\"end\" ") +
                             "font-weight=\"bold\" " + halo);
        }
    }
}

// The spread of all vessels' distances, column by column, and their mean.
void DistanceSpread(Picture &picture, const PlotRecord &record, const Scale &time,
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
        upper += " " + N(x) + "," + N(distance(std::min(column.distanceMax, distance.to)));
        lower.insert(0, " " + N(x) + "," + N(distance(std::min(column.distanceMin, distance.to))));
        mean += " " + N(x) + "," + N(distance(std::min(at, distance.to)));
    }
    if (mean.empty()) {
        return;
    }
    picture.Raw(
        "<polygon points=\"" + upper + lower +
        "\" fill=\"#56B4E9\" fill-opacity=\"0.45\" stroke=\"#0072B2\" stroke-width=\"1\"/>\n");
    picture.Raw(
        "<polyline points=\"" + mean +
        "\" fill=\"none\" stroke=\"#D55E00\" stroke-width=\"2.5\" stroke-dasharray=\"10 5\"/>\n");
}

double DistanceLegend(Picture &picture, const PlotRecord &record, bool lanes, double y) {
    if (!lanes) {
        picture.Rect(plotLeft, y - 8, 40, 16,
                     "fill=\"#56B4E9\" fill-opacity=\"0.45\" stroke=\"#0072B2\"");
        picture.Text(plotLeft + 50, y + 5, "nearest to farthest of the vessels alive", 14);
        picture.Line(plotLeft + 380, y, plotLeft + 420, y,
                     "stroke=\"#D55E00\" stroke-width=\"2.5\" stroke-dasharray=\"10 5\"");
        picture.Text(plotLeft + 430, y + 5, "their mean distance", 14);
        return y + 30;
    }
    constexpr int perRow = 5;
    for (std::size_t i = 0; i < record.lanes.size(); ++i) {
        const double x = plotLeft + 190.0 * double(i % perRow);
        const std::size_t row = i / perRow;
        const double rowY = y + 26.0 * double(row);
        picture.Raw("<line x1=\"" + N(x) + "\" y1=\"" + N(rowY) + "\" x2=\"" + N(x + 44) +
                    "\" y2=\"" + N(rowY) + "\" stroke=\"" + ColourOf(i) +
                    "\" stroke-width=\"2.5\"" +
                    (*DashOf(i) != '\0' ? std::string(" stroke-dasharray=\"") + DashOf(i) + "\""
                                        : std::string()) +
                    "/>\n");
        picture.Marker(i, x + 22, rowY, 6);
        picture.Text(x + 54, rowY + 5, record.lanes[i].name, 14);
    }
    const std::size_t rows = (record.lanes.size() + perRow - 1) / perRow;
    return y + 26.0 * double(rows) + 8;
}

} // namespace

std::string RenderPlotSvg(const PlotRecord &record) {
    const bool lanes = record.vesselsCreated <= PlotRecorder::MaxLanes;
    const double end = record.end > record.start ? record.end : record.start + 1.0;
    const Scale time{record.start, end, plotLeft, plotRight};
    const int decimals = DecimalsFor(record.step);
    Picture picture;

    const std::string title = "The run of " + record.scenarioName;
    picture.Text(plotLeft - 150, 38, title, 24, "font-weight=\"bold\"");
    picture.Text(plotLeft - 150, 64,
                 std::to_string(record.vesselsCreated) + " vessel" +
                     (record.vesselsCreated == 1 ? "" : "s") + ", " +
                     std::to_string(record.vesselsDeleted) + " deleted; steps of " +
                     FormatExact(record.step) + " s from " + FormatFixed(record.start, decimals) +
                     " s to " + FormatFixed(record.stopped, decimals) + " s" +
                     (record.stopped < record.end - record.step / 2 ? ", stopped early" : ""),
                 15, "fill=\"#333\"");

    double y = 104;
    if (lanes) {
        picture.Text(plotLeft - 150, y, "When each vessel lived", 18, "font-weight=\"bold\"");
        LaneLegend(picture, y + 28);
        y = Lanes(picture, record, time, y + 44, decimals);
    } else {
        picture.Text(plotLeft - 150, y,
                     "Vessels alive (lanes are drawn for up to " +
                         std::to_string(PlotRecorder::MaxLanes) + " vessels)",
                     18, "font-weight=\"bold\"");
        y = AliveCurve(picture, record, time, y + 20);
    }

    y += 84;
    picture.Text(plotLeft - 150, y, "Distance from the camera", 18, "font-weight=\"bold\"");
    y = DistanceLegend(picture, record, lanes, y + 28);
    const double top = y + 6;
    const double bottom = top + distanceHeight;
    const Scale distance{0.0, DistanceTop(record, lanes), bottom, top};
    TimeAxis(picture, time, top, bottom);
    ValueAxis(picture, distance, "distance (m)", top, bottom);
    LimitLines(picture, record, distance);
    if (lanes) {
        DistanceCurves(picture, record, time, distance);
    } else {
        DistanceSpread(picture, record, time, distance);
    }
    const double height = bottom + 60;

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      N(pictureWidth) + "\" height=\"" + N(height) + "\" viewBox=\"0 0 " +
                      N(pictureWidth) + " " + N(height) + "\" font-family=\"" + fontFamily +
                      "\">\n<title>" + Escaped(title) + "</title>\n" +
                      "<defs><pattern id=\"targeted\" width=\"8\" height=\"8\" "
                      "patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
                      "<rect width=\"3\" height=\"8\" fill=\"#000\"/></pattern></defs>\n"
                      "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    svg += picture.Body();
    svg += "</svg>\n";
    return svg;
}

} // namespace standin
