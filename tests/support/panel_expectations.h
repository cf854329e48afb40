// Short ways to state what a panel should show.
#pragma once

#include <string>
#include <vector>

#include "ui/form_state.h"

inline std::vector<std::wstring> Headings(const ListViewState& list) {
  std::vector<std::wstring> h;
  for (const ListColumn& c : list.columns) h.push_back(c.heading);
  return h;
}

inline std::vector<int> Widths(const ListViewState& list) {
  std::vector<int> w;
  for (const ListColumn& c : list.columns) w.push_back(c.widthChars);
  return w;
}

inline std::vector<std::wstring> Labels(const PieChartContent& chart) {
  std::vector<std::wstring> labels;
  for (const ChartSlice& s : chart.slices) labels.push_back(s.label);
  return labels;
}

inline std::vector<unsigned> Fills(const PieChartContent& chart) {
  std::vector<unsigned> fills;
  for (const ChartSlice& s : chart.slices) fills.push_back(s.fillColor);
  return fills;
}

inline std::vector<int> Values(const PieChartContent& chart) {
  std::vector<int> values;
  for (const ChartSlice& s : chart.slices) values.push_back(s.value);
  return values;
}

// Every slice of the panels has black text and a percentage value.
inline bool AllBlackPercentages(const PieChartContent& chart) {
  for (const ChartSlice& s : chart.slices)
    if (s.textColor != 0 || !s.valueIsPercent) return false;
  return true;
}

// True when every control of the closed range has this visibility.
inline bool RangeVisible(const FormState& form, int first, int last, bool visible) {
  for (int id = first; id <= last; ++id)
    if (form.Visible(id) != visible) return false;
  return true;
}
