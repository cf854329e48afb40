#include "ui/form_state.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <numeric>

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

void ListViewState::ResetToEmptyRows(std::initializer_list<ListColumn> headingsAndWidths, std::size_t count) {
  columns.assign(headingsAndWidths.begin(), headingsAndWidths.end());
  extendedStyle = kFullRowSelect;
  rows.resize(count);
  for (ListRow& row : rows) {
    row.node = nullptr;
    row.cells.resize(columns.size());
    for (std::wstring& cell : row.cells) cell.clear();
  }
}

namespace {
// A sorted box orders its lines by their letters folded to lower case.
char32_t Folded(wchar_t c) { return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c))); }

bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](wchar_t x, wchar_t y) { return Folded(x) < Folded(y); });
}
}  // namespace

void ListBoxState::Add(const std::wstring& line) {
  if (!sorted) {
    lines.push_back(line);
    return;
  }
  lines.insert(std::upper_bound(lines.begin(), lines.end(), line, LessIgnoringCase), line);
}

void ListBoxState::AddAll(const std::vector<std::wstring>& more) {
  std::vector<std::wstring> all = std::move(lines);
  all.insert(all.end(), more.begin(), more.end());
  lines.clear();
  if (!sorted) {
    lines = std::move(all);
    return;
  }
  // Each line's letters folded once, not at every comparison.
  std::vector<std::u32string> folded;
  folded.reserve(all.size());
  for (const std::wstring& line : all) {
    std::u32string& key = folded.emplace_back();
    key.reserve(line.size());
    for (wchar_t c : line) key.push_back(Folded(c));
  }
  // Equal lines in the order they came, those listed before first: where
  // placing them one by one puts them. Sorted by position rather than with
  // std::stable_sort, whose scratch buffer the address sanitizer takes for
  // a mismatched free.
  std::vector<std::size_t> order(all.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&folded](std::size_t a, std::size_t b) {
    const int c = folded[a].compare(folded[b]);
    return c < 0 || (c == 0 && a < b);
  });
  lines.reserve(all.size());
  for (std::size_t at : order) lines.push_back(std::move(all[at]));
}

namespace {
std::uint64_t NextListRevision() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}
}  // namespace

FormState::FormState() { Reset(); }

ListViewState& FormState::List(ControlId id) {
  ListViewState& list = lists.at(id);
  listRevisions[id] = NextListRevision();
  return list;
}

void FormState::Reset() {
  edits.clear();
  checks.clear();
  lists.clear();
  listRevisions.clear();
  listBoxes.clear();
  charts.clear();
  frameTitles.clear();
  visible.clear();
  for (const FormControl& c : FormControls()) {
    switch (c.kind) {
      case ControlKind::Edit:
        edits[c.id];
        break;
      case ControlKind::CheckBox:
        checks[c.id] = false;
        break;
      case ControlKind::ListView:
        lists[c.id];
        listRevisions[c.id] = NextListRevision();
        break;
      case ControlKind::ListBox:
        listBoxes[c.id].sorted = (c.style & kSorted) != 0;
        break;
      case ControlKind::PieChart:
        charts[c.id];
        break;
      case ControlKind::GroupBox:
        frameTitles[c.id] = c.text;
        break;
      case ControlKind::Label:
        break;
    }
    visible[c.id] = (c.style & kHiddenInTemplate) == 0;
  }
  panelOnDisplay = kNoControl;
}

void FormState::ShowControlRange(ControlId firstId, ControlId lastId, bool show) {
  for (auto it = visible.lower_bound(firstId); it != visible.end() && it->first <= lastId; ++it) it->second = show;
}

void FormState::ShowPanel(ControlId groupBoxId) {
  for (const FormControl& c : FormControls()) visible[c.id] = c.panel == groupBoxId;
  panelOnDisplay = groupBoxId;
}

StorageNode* FormState::NodeAtRow(ControlId listId, int row) const {
  const ListViewState& list = lists.at(listId);
  if (row < 0 || static_cast<std::size_t>(row) >= list.rows.size()) return nullptr;
  return list.rows[static_cast<std::size_t>(row)].node;
}
