// How the run's picture looks: its width and plot area, and the colour, dash pattern and marker
// that tell each vessel apart, the same in every panel.
#pragma once

#include "standin_host/outputs/picture/SvgWriter.h"

#include <cstddef>
#include <string>

namespace standin {
namespace picture {

constexpr double pictureWidth = 1200.0;
constexpr double plotLeft = 190.0; // room for the lanes' names and the value axis
constexpr double plotRight = 1150.0;

// Text with a white halo, readable over lines and bars.
extern const char *const halo;

// Vessel `lane`'s colour, and its dash pattern as an attribute (" stroke-dasharray=...", or
// nothing for a solid line).
const char *ColourOf(std::size_t lane);
std::string DashAttribute(std::size_t lane);

// Vessel `lane`'s marker of radius about `r` at (x, y), in its colour and its shape.
void Marker(SvgWriter &svg, std::size_t lane, double x, double y, double r);
// The mark of a deletion.
void Cross(SvgWriter &svg, double x, double y, double r);

} // namespace picture
} // namespace standin
