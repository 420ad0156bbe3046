// The picture's upper panel, when each vessel lived: a lane per vessel with its life, the times
// the camera targeted it and its deletion; or, for more vessels than lanes fit, the number alive.
#pragma once

#include "standin_host/outputs/PlotRecorder.h"
#include "standin_host/outputs/picture/PlotAxes.h"
#include "standin_host/outputs/picture/SvgWriter.h"

namespace standin {
namespace picture {

// Draws the panel with its title at `top`; `decimals` are the times' in labels. Returns where it
// ends.
double TimelinePanel(SvgWriter &svg, const PlotRecord &record, const Scale &time, bool lanes,
                     double top, int decimals);

} // namespace picture
} // namespace standin
