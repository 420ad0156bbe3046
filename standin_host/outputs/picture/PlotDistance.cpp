#include "standin_host/outputs/picture/PlotDistance.h"

#include "standin_host/outputs/picture/PlotStyle.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace picture {
namespace {

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
        svg.Raw("<line x1=\"" + SvgNumber(x) + "\" y1=\"" + SvgNumber(rowY) + "\" x2=\"" +
                SvgNumber(x + 44) + "\" y2=\"" + SvgNumber(rowY) + "\" stroke=\"" + ColourOf(i) +
                "\" stroke-width=\"2.5\"" + DashAttribute(i) + "/>\n");
        Marker(svg, i, x + 22, rowY, 6);
        svg.Text(x + 54, rowY + 5, record.lanes[i].name, 14);
    }
    const std::size_t rows = (record.lanes.size() + perRow - 1) / perRow;
    return y + 26.0 * double(rows) + 8;
}

} // namespace

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

} // namespace picture
} // namespace standin
