// The picture's axes: a linear scale from values to pixels, round tick values, and the time and
// value axes drawn with their grid lines and labels.
#pragma once

#include "standin_host/outputs/picture/SvgWriter.h"

#include <string>

namespace standin {
namespace picture {

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
Ticks NiceTicks(double from, double to, int wanted);

// The time axis at `bottom` across the plot area, its grid lines up to `top`.
void TimeAxis(SvgWriter &svg, const Scale &time, double top, double bottom);
// The value axis at the plot area's left, from `bottom` up to `top`, with its title.
void ValueAxis(SvgWriter &svg, const Scale &value, const std::string &title, double top,
               double bottom);

} // namespace picture
} // namespace standin
