// One list of the detail form as a virtual list view: it keeps the rows it
// shows and hands the control a cell's text only when the row comes into
// view, so that ten thousand rows fill as quickly as ten.
#pragma once

// The platform's headers, with the version the rest of the program asks for.
#include "platform/win_types.h"

#include <commctrl.h>

#include <vector>

#include "ui/form_state.h"

class Win32FormList {
 public:
  explicit Win32FormList(HWND listView) : list(listView) {}

  // Shows these columns, rows and extended style in place of the ones before,
  // with no row selected and the first row at the top.
  void ShowRows(const ListViewState& state);
  // Whether it shows these columns, this style, and these rows standing for
  // the same nodes.
  bool Shows(const ListViewState& state) const;
  // Answers the control's request for a cell's text.
  void FillItem(NMLVDISPINFOW& request) const;

  HWND Window() const { return list; }
  std::size_t RowCount() const { return rows.size(); }

 private:
  int AverageCharWidth();

  HWND list;
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  std::uint32_t extendedStyle = 0;
  int averageCharWidth = 0;  // of the list's font; 0 until measured
};
