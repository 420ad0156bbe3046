#include "standin_host/outputs/picture/PlotTimeline.h"

#include "standin_host/outputs/picture/PlotStyle.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace picture {
namespace {

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
        const double to = time(lane.wasDeleted ? lane.deleted : record.stopped);
        svg.Raw("<g class=\"lane\" data-vessel=\"" + XmlText(lane.name) + "\" data-y=\"" +
                SvgNumber(centre) + "\" data-colour=\"" + ColourOf(i) + "\">\n");
        svg.Text(plotLeft - 12, centre + 5, lane.name, roomy ? 16 : 13,
                 "text-anchor=\"end\" font-weight=\"bold\"");
        svg.Rect(from, centre - bar, to - from, 2 * bar,
                 std::string("fill=\"") + ColourOf(i) + "\"");
        // Intervals, and the gaps between them, narrower than a pixel are drawn as one: a camera
        // that turns to and fro many times a pixel shows where it kept the vessel, in a few boxes.
        auto targeted = [&](double left, double right) {
            svg.Rect(left, centre - box, right - left, 2 * box,
                     "fill=\"url(#targeted)\" stroke=\"#000\" stroke-width=\"2\"");
        };
        bool open = false;
        double left = 0.0;
        double right = 0.0;
        for (const PlotInterval &interval : lane.targeted) {
            const double start = time(interval.from);
            const double stop = time(interval.to);
            if (open && start - right < 1.0) {
                right = std::max(right, stop);
                continue;
            }
            if (open) {
                targeted(left, right);
            }
            open = true;
            left = start;
            right = stop;
        }
        if (open) {
            targeted(left, right);
        }
        const std::string when =
            FormatFixed(lane.wasDeleted ? lane.deleted : record.stopped, decimals) + " s";
        const std::string away = FormatFixed(lane.distance.back().distance, 0) + " m away";
        std::string label = lane.wasDeleted ? "deleted at " : "still there at ";
        label.append(when).append(", ").append(away);
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
    std::size_t shown = 0;
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
        ++shown;
    }
    if (shown != 0) {
        svg.Raw("<polyline points=\"" + points +
                "\" fill=\"none\" stroke=\"#0072B2\" stroke-width=\"2\"/>\n");
    }
    return bottom;
}

} // namespace

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

} // namespace picture
} // namespace standin
