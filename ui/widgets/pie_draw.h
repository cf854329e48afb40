// Renders a pie chart's drawing list on any device context: the chart window
// on the screen, and printed pages.
#pragma once

#include <vector>

#include <wx/dc.h>
#include <wx/font.h>

#include "ui/pie_chart.h"

void DrawPieOps(wxDC& dc, const std::vector<PieDrawOp>& ops, const wxFont& titleFont, const wxFont& labelFont);
