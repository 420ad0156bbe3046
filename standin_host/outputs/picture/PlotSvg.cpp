#include "standin_host/outputs/picture/PlotSvg.h"

#include "standin_host/outputs/picture/PlotAxes.h"
#include "standin_host/outputs/picture/PlotDistance.h"
#include "standin_host/outputs/picture/PlotStyle.h"
#include "standin_host/outputs/picture/PlotTimeline.h"
#include "standin_host/outputs/picture/SvgWriter.h"
#include "standin_host/text/NumberText.h"

namespace standin {

std::string RenderPlotSvg(const PlotRecord &record) {
    using namespace picture;
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

    // Generic font families only, no scripts, nothing outside the file.
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
