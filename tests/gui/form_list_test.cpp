// A long list on the form: every row reaches the control in order, no cell
// is cut, and new rows drop the selection of the old ones.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "ui/widgets/form_list.h"

namespace {

using gui::FrameOnSample;
using gui::Pump;

TEST(FormList, ALongListShowsEveryCellWholeAndInOrder) {
  FrameOnSample f("workstation.json");
  auto* list = static_cast<CFormList*>(f.Detail().Control(ControlId::AllMountPointsList));
  ListViewState state;
  state.columns = {{L"Name", 4}, {L"Size", 4}};
  // Far more rows than are measured as drawn. The texts with the most
  // characters are narrow ones; the widest are few, short, and late.
  for (int i = 0; i < 400; ++i) {
    ListRow row;
    if (i % 97 == 96)
      row.cells = {std::wstring(18 + i % 5, L'W'), L"MMMMMMMM"};
    else if (i % 2 == 0)
      row.cells = {std::wstring(40, L'i'), std::to_wstring(i)};
    else
      row.cells = {L"Volume " + std::to_wstring(1000 + i), L""};
    state.rows.push_back(row);
  }
  list->ShowRows(state);
  list->SetItemState(3, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  ASSERT_EQ(list->GetSelectedItemCount(), 1);
  state.rows.pop_back();
  list->ShowRows(state);
  Pump(10);
  EXPECT_EQ(list->GetSelectedItemCount(), 0);
  ASSERT_EQ(list->GetItemCount(), static_cast<int>(state.rows.size()));
  wxWindow* rows = list->RowsWindow();
  for (int c = 0; c < 2; ++c) {
    const int width = list->GetColumnWidth(c);
    for (int r = 0; r < list->GetItemCount(); ++r) {
      const wxString cell = list->GetItemText(r, c);
      const std::wstring& expected = state.rows[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)];
      ASSERT_EQ(cell.ToStdWstring(), expected) << "row " << r << " column " << c;
      // The list cuts a text that comes within 8 pixels of the column's edge.
      EXPECT_LE(rows->GetTextExtent(cell).x + 8, width) << "row " << r << " column " << c;
    }
  }
}

}  // namespace
