// Short ways to state what a panel should show.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ui/form_state.h"

// Failure messages name a control by its number.
inline std::ostream& operator<<(std::ostream& out, ControlId id) {
  return out << static_cast<int>(id);
}

// The cells of a list row, or the lines of a list box.
using Cells = std::vector<std::wstring>;

// The slice colours of the panels' charts.
constexpr unsigned kWhite = 0x00FFFFFF;
constexpr unsigned kBlue = 0x00FF0000;

// One member of every item, in order.
template <class Item, class Member>
std::vector<Member> Each(const std::vector<Item>& items, Member Item::*member) {
  std::vector<Member> out;
  for (const Item& item : items) out.push_back(item.*member);
  return out;
}

inline std::vector<std::wstring> Headings(const ListViewState& list) { return Each(list.columns, &ListColumn::heading); }
inline std::vector<int> Widths(const ListViewState& list) { return Each(list.columns, &ListColumn::widthChars); }
inline std::vector<std::wstring> Labels(const PieChartContent& chart) { return Each(chart.slices, &ChartSlice::label); }
inline std::vector<int> Values(const PieChartContent& chart) { return Each(chart.slices, &ChartSlice::value); }
inline std::vector<ColorRef> Fills(const PieChartContent& chart) { return Each(chart.slices, &ChartSlice::fillColor); }

// Every slice of the panels has black text and a percentage value.
inline bool AllBlackPercentages(const PieChartContent& chart) {
  for (const ChartSlice& s : chart.slices)
    if (s.textColor != 0 || !s.valueIsPercent) return false;
  return true;
}

// True when every control of the closed range has this visibility.
inline bool RangeVisible(const FormState& form, ControlId first, ControlId last, bool visible) {
  for (int id = static_cast<int>(first); id <= static_cast<int>(last); ++id)
    if (form.Visible(ControlId{id}) != visible) return false;
  return true;
}
