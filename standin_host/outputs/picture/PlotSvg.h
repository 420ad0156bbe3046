// The run's picture as one self-contained SVG: a title, a timeline of the vessels (one lane each,
// or the number alive when there are many), and their distances to the camera over the same time
// axis. Generic font families only, no scripts, nothing outside the file.
#pragma once

#include "standin_host/outputs/PlotRecorder.h"

#include <string>

namespace standin {

std::string RenderPlotSvg(const PlotRecord &record);

} // namespace standin
