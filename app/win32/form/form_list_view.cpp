#include "app/win32/form/form_list_view.h"

#include <algorithm>

void Win32FormList::ShowRows(const ListViewState& state) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  // Emptying first drops the selection and the scroll position with the rows.
  SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
  while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0) != FALSE) {
  }
  columns = state.columns;
  rows = state.rows;
  extendedStyle = state.extendedStyle;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
               (extendedStyle & ListViewState::kFullRowSelect) != 0 ? LVS_EX_FULLROWSELECT : 0);
  const int charWidth = AverageCharWidth();
  for (std::size_t c = 0; c < columns.size(); ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[c].widthChars * charWidth;
    column.pszText = const_cast<wchar_t*>(columns[c].heading.c_str());
    column.iSubItem = static_cast<int>(c);
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  SendMessageW(list, LVM_SETITEMCOUNT, rows.size(), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

bool Win32FormList::Shows(const ListViewState& state) const {
  if (state.columns != columns || state.extendedStyle != extendedStyle || state.rows.size() != rows.size())
    return false;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].cells != state.rows[i].cells || rows[i].node != state.rows[i].node) return false;
  return true;
}

void Win32FormList::FillItem(NMLVDISPINFOW& request) const {
  LVITEMW& item = request.item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  item.pszText[0] = L'\0';
  // The control asks by its own indexes: checked against what is held.
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows.size() || item.iSubItem < 0) return;
  const std::vector<std::wstring>& cells = rows[static_cast<std::size_t>(item.iItem)].cells;
  if (static_cast<std::size_t>(item.iSubItem) >= cells.size()) return;
  const std::wstring& text = cells[static_cast<std::size_t>(item.iSubItem)];
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  std::copy_n(text.data(), n, item.pszText);
  item.pszText[n] = L'\0';
}

int Win32FormList::AverageCharWidth() {
  if (averageCharWidth > 0) return averageCharWidth;
  HDC dc = GetDC(list);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(dc, &metrics)) averageCharWidth = metrics.tmAveCharWidth;
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(list, dc);
  // A font that cannot be measured still leaves the columns readable.
  if (averageCharWidth <= 0) averageCharWidth = 6;
  return averageCharWidth;
}
