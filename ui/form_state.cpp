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
  for (int id : EditIds()) edits[id];
  for (int id : CheckBoxIds()) checks[id] = false;
  for (int id : ListViewIds()) lists[id];
  for (int id : ListBoxIds()) listBoxes[id].sorted = id == kSortedListBoxId;
  for (int id : PieChartIds()) charts[id];
  for (int id : RetitledFrameIds()) frameTitles[id] = TemplateFrameTitle(id);
  for (int id : AllControlIds()) visible[id] = !HiddenInTemplate(id);
  panelOnDisplay = 0;
}

void FormState::ShowControlRange(int firstId, int lastId, bool show) {
  for (auto it = visible.lower_bound(firstId); it != visible.end() && it->first <= lastId; ++it) it->second = show;
}

void FormState::ShowPanel(int groupBoxId) {
  for (const PanelInfo& panel : Panels()) ShowControlRange(panel.firstId, panel.lastId, panel.groupBoxId == groupBoxId);
  panelOnDisplay = groupBoxId;
}

StorageNode* FormState::NodeAtRow(int listId, int row) const {
  const ListViewState& list = lists.at(listId);
  if (row < 0 || static_cast<std::size_t>(row) >= list.rows.size()) return nullptr;
  return list.rows[static_cast<std::size_t>(row)].node;
}
