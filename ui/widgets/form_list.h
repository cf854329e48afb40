// CFormList: a list of the detail form. It keeps the rows it shows and hands
// the control each cell's text only when a row comes into view, so that a
// list of ten thousand rows fills as quickly as one of ten.
#pragma once

#include <array>
#include <unordered_map>
#include <vector>

#include "ui/form_state.h"

#include <wx/listctrl.h>

class CFormList : public wxListCtrl {
 public:
  CFormList(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style);

  // Shows these columns and rows in place of the ones before, with no row
  // selected and the first row at the top.
  void ShowRows(const ListViewState& state);
  // Whether it shows these columns, and these rows standing for the same nodes.
  bool Shows(const ListViewState& state) const;

  // The window that shows the rows, below the header.
  wxWindow* RowsWindow() const;

 protected:
  wxString OnGetItemText(long item, long column) const override;

 private:
  // How wide a column must be for its heading and for every cell to show whole.
  int ColumnWidth(const ListViewState& state, std::size_t column);
  // The sum of the text's character widths: close to its width as drawn,
  // without laying the text out.
  int EstimatedWidth(const std::wstring& text);
  int CharWidth(wchar_t c);

  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  // Widths of characters in the rows' font, -1 while not yet measured.
  std::array<int, 256> narrowWidths;
  std::unordered_map<wchar_t, int> wideWidths;
};
