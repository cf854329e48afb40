// A pie chart's drawing list as a standalone SVG document, for the terminal
// program's chart files.
#pragma once

#include <string>
#include <vector>

#include "ui/pie_chart.h"

// The chart as a standalone SVG document of the client area's size.
std::string RenderPieSvg(const std::vector<PieDrawOp>& ops, PixelSize client);
