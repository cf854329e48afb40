// A pie chart's drawing list as SVG: a standalone document for the terminal
// program's chart files, or an element for a report page.
#pragma once

#include <string>
#include <vector>

#include "ui/pie_chart.h"

// The chart as a standalone SVG document of the client area's size.
std::string RenderPieSvg(const std::vector<PieDrawOp>& ops, PixelSize client);
// The same chart as an <svg> element to place inside an HTML page; `label`
// names it for readers that do not see it.
std::string PieSvgElement(const std::vector<PieDrawOp>& ops, PixelSize client, const std::wstring& label);
