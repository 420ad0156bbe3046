#include "standin_host/outputs/picture/PlotAxes.h"

#include "standin_host/outputs/picture/PlotStyle.h"
#include "standin_host/text/NumberText.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace picture {
namespace {

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

} // namespace

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

} // namespace picture
} // namespace standin
