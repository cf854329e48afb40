#include "ui/widgets/form_list.h"

#include <algorithm>

namespace {

// The list keeps 8 pixels of each column free beside a cell's text; a little
// more keeps neighbouring texts apart. A heading leaves room for the header's
// own frame.
constexpr int kCellMargin = 12;
constexpr int kHeadingMargin = 16;

// Up to this many cells of a column are measured as drawn: all of a short
// list, and in a long one those whose character widths add up to the most.
constexpr std::size_t kMeasuredCells = 64;
// Character widths added up can fall short of the drawn width by their
// rounding; a cell not measured gets this much more room.
constexpr int kEstimateSlack = 4;

}  // namespace

CFormList::CFormList(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style)
    : wxListCtrl(parent, id, pos, size, style | wxLC_REPORT | wxLC_VIRTUAL) {
  narrowWidths.fill(-1);
}

wxWindow* CFormList::RowsWindow() const {
  // The generic control's tallest child shows the rows; the other is the header.
  wxWindow* shown = const_cast<CFormList*>(this);
  int tallest = -1;
  for (wxWindow* child : GetChildren()) {
    if (child->GetSize().y > tallest) {
      tallest = child->GetSize().y;
      shown = child;
    }
  }
  return shown;
}

void CFormList::ShowRows(const ListViewState& state) {
  Freeze();
  // Emptying first drops the selection and the scroll position with the rows.
  DeleteAllItems();
  DeleteAllColumns();
  columns = state.columns;
  rows = state.rows;
  // The widths the columns ask for count average characters, too few for the
  // capitals and digits that tell rows apart: each column is widened to its
  // widest text as the list draws it.
  for (std::size_t c = 0; c < state.columns.size(); ++c)
    InsertColumn(static_cast<long>(c), wxString(state.columns[c].heading), wxLIST_FORMAT_LEFT,
                 ColumnWidth(state, c));
  SetItemCount(static_cast<long>(rows.size()));
  Thaw();
}

bool CFormList::Shows(const ListViewState& state) const {
  if (state.columns != columns || state.rows.size() != rows.size()) return false;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].cells != state.rows[i].cells || rows[i].node != state.rows[i].node) return false;
  return true;
}

wxString CFormList::OnGetItemText(long item, long column) const {
  if (item < 0 || static_cast<std::size_t>(item) >= rows.size() || column < 0) return wxString();
  const std::vector<std::wstring>& cells = rows[static_cast<std::size_t>(item)].cells;
  return static_cast<std::size_t>(column) < cells.size() ? wxString(cells[static_cast<std::size_t>(column)])
                                                         : wxString();
}

int CFormList::CharWidth(wchar_t c) {
  if (static_cast<unsigned>(c) < narrowWidths.size()) {
    int& width = narrowWidths[static_cast<unsigned>(c)];
    if (width < 0) width = RowsWindow()->GetTextExtent(wxString(c)).x;
    return width;
  }
  const auto [it, added] = wideWidths.try_emplace(c, 0);
  if (added) it->second = RowsWindow()->GetTextExtent(wxString(c)).x;
  return it->second;
}

int CFormList::EstimatedWidth(const std::wstring& text) {
  int width = 0;
  for (wchar_t c : text) width += CharWidth(c);
  return width;
}

int CFormList::ColumnWidth(const ListViewState& state, std::size_t column) {
  wxWindow* shown = RowsWindow();
  int width = state.columns[column].widthChars * shown->GetCharWidth();
  width = std::max(width, shown->GetTextExtent(wxString(state.columns[column].heading)).x + kHeadingMargin);
  // Measuring a text as drawn takes a layout of it; the widest texts are
  // found by their character widths and only they are measured.
  std::vector<std::pair<int, const std::wstring*>> cells;
  cells.reserve(state.rows.size());
  for (const ListRow& row : state.rows)
    if (column < row.cells.size() && !row.cells[column].empty())
      cells.emplace_back(0, &row.cells[column]);
  if (cells.size() > kMeasuredCells) {
    for (auto& [estimate, text] : cells) estimate = EstimatedWidth(*text);
    const auto widest = [](const auto& a, const auto& b) { return a.first > b.first; };
    std::nth_element(cells.begin(), cells.begin() + kMeasuredCells, cells.end(), widest);
    // The widest of those not measured, with room for the estimate's error.
    const auto rest = std::min_element(cells.begin() + kMeasuredCells, cells.end(), widest);
    width = std::max(width, rest->first + kEstimateSlack + kCellMargin);
    cells.resize(kMeasuredCells);
  }
  for (const auto& [estimate, text] : cells)
    width = std::max(width, shown->GetTextExtent(wxString(*text)).x + kCellMargin);
  return width;
}
