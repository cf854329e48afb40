// Prints the panel on display in a form state for a terminal: the panel's
// title, each label with its value, check boxes as [x] or [ ], lists as aligned
// tables, list boxes, and chart slices.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/pie_chart.h"

class FormState;

void PrintForm(const FormState& form, std::ostream& out, std::size_t width = 80);

struct PanelChart {
  ControlId id;
  std::wstring title;
  PixelSize size;  // the chart's size on the form
  std::vector<PieDrawOp> ops;
};
// The visible charts of the panel on display, each drawn at its size on the form.
std::vector<PanelChart> DrawPanelCharts(const FormState& form);

struct ChartFile {
  std::string fileName;  // from the chart's title, e.g. "disk-partition-allocation.svg"
  std::string svg;
};
// The visible charts of the panel on display, drawn at their size on the form.
std::vector<ChartFile> RenderPanelCharts(const FormState& form);
