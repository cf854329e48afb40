// What a detail pane's controls show now, as far as the form state says it, so
// that pushing a new form state touches only the controls that change. Shared
// by every toolkit's pane; the lists keep their own rows, and only the
// revision of each is kept here.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/pie_chart.h"

// Empty before the first push.
struct PushedForm {
  std::map<ControlId, bool> visible;
  std::map<ControlId, std::wstring> edits;
  std::map<ControlId, bool> checks;
  std::map<ControlId, std::wstring> frameTitles;
  std::map<ControlId, std::uint64_t> listRevisions;
  std::map<ControlId, std::vector<std::wstring>> listBoxLines;
  std::map<ControlId, PieChartContent> charts;
};

// Brings a control in line with `value` when it shows something else, or
// nothing yet, and remembers what it shows.
template <class T, class Apply>
void PushIfChanged(std::map<ControlId, T>& shown, ControlId id, const T& value, Apply apply) {
  const auto [it, added] = shown.try_emplace(id, value);
  if (!added) {
    if (it->second == value) return;
    it->second = value;
  }
  apply(value);
}
