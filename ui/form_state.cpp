#include "ui/form_state.h"

#include <algorithm>
#include <cwctype>

#include "ui/form_layout.h"

void ListViewState::Reset() {
  rows.clear();
  columns.clear();
  extendedStyle = kFullRowSelect;
}

void ListViewState::AddColumn(const std::wstring& heading, int widthChars) { columns.push_back({heading, widthChars}); }

void ListViewState::AddColumns(std::initializer_list<ListColumn> headingsAndWidths) {
  columns.insert(columns.end(), headingsAndWidths.begin(), headingsAndWidths.end());
}

ListRow& ListViewState::AddRow(StorageNode* node) {
  ListRow& row = rows.emplace_back();
  row.cells.resize(columns.size());
  row.node = node;
  return row;
}

namespace {
bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
    return std::towlower(static_cast<wint_t>(x)) < std::towlower(static_cast<wint_t>(y));
  });
}
}  // namespace

void ListBoxState::Add(const std::wstring& line) {
  if (!sorted) {
    lines.push_back(line);
    return;
  }
  lines.insert(std::upper_bound(lines.begin(), lines.end(), line, LessIgnoringCase), line);
}

FormState::FormState() { Reset(); }

void FormState::Reset() {
  edits.clear();
  checks.clear();
  lists.clear();
  listBoxes.clear();
  charts.clear();
  frameTitles.clear();
  visible.clear();
  for (ControlId id : EditIds()) edits[id];
  for (ControlId id : CheckBoxIds()) checks[id] = false;
  for (ControlId id : ListViewIds()) lists[id];
  for (ControlId id : ListBoxIds()) listBoxes[id].sorted = id == kSortedListBoxId;
  for (ControlId id : PieChartIds()) charts[id];
  for (ControlId id : RetitledFrameIds()) frameTitles[id] = TemplateFrameTitle(id);
  for (ControlId id : AllControlIds()) visible[id] = !HiddenInTemplate(id);
  panelOnDisplay = kNoControl;
}

void FormState::ShowControlRange(ControlId firstId, ControlId lastId, bool show) {
  for (auto it = visible.lower_bound(firstId); it != visible.end() && it->first <= lastId; ++it) it->second = show;
}

void FormState::ShowPanel(ControlId groupBoxId) {
  for (const PanelInfo& panel : Panels()) ShowControlRange(panel.firstId, panel.lastId, panel.groupBoxId == groupBoxId);
  panelOnDisplay = groupBoxId;
}

StorageNode* FormState::NodeAtRow(ControlId listId, int row) const {
  const ListViewState& list = lists.at(listId);
  if (row < 0 || static_cast<std::size_t>(row) >= list.rows.size()) return nullptr;
  return list.rows[static_cast<std::size_t>(row)].node;
}
