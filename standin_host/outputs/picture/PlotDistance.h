// The picture's lower panel, each vessel's distance from the camera over time, with the classes'
// culling limits; or, for more vessels than lanes fit, the spread of their distances.
#pragma once

#include "standin_host/outputs/PlotRecorder.h"
#include "standin_host/outputs/picture/PlotAxes.h"
#include "standin_host/outputs/picture/SvgWriter.h"

namespace standin {
namespace picture {

// Draws the panel with its title at `top`. Returns where its plot area ends.
double DistancePanel(SvgWriter &svg, const PlotRecord &record, const Scale &time, bool lanes,
                     double top);

} // namespace picture
} // namespace standin
