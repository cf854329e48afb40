#include "tests/win32/form/form_readback.h"

#include "app/win32/form/detail_pane.h"

#include <commctrl.h>

#include <vector>

#include "app/win32/form/pie_chart_window.h"
#include "ui/form_layout.h"
#include "ui/text/form_dump.h"

namespace {

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

class ControlsReading : public FormReading {
 public:
  explicit ControlsReading(const Win32DetailPane& p) : pane(p) {}

  ControlId PanelOnDisplay() const override {
    // The panel whose frame stands 5 pixels below the top of the view.
    for (const PanelInfo& panel : Panels()) {
      HWND box = pane.Control(panel.groupBoxId);
      RECT r{};
      if (box == nullptr || !GetWindowRect(box, &r)) continue;
      POINT topLeft{r.left, r.top};
      ScreenToClient(pane.Viewport(), &topLeft);
      if (topLeft.y == 5) return panel.groupBoxId;
    }
    return kNoControl;
  }
  bool Shown(ControlId id) const override { return (GetWindowLongW(pane.Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
  std::wstring Text(ControlId id) const override { return WindowText(pane.Control(id)); }
  bool Checked(ControlId id) const override {
    return SendMessageW(pane.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  std::vector<std::wstring> ColumnHeadings(ControlId id) const override {
    HWND list = pane.Control(id);
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::wstring> headings;
    for (int c = 0; c < count; ++c) {
      wchar_t text[512] = L"";
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT;
      column.pszText = text;
      column.cchTextMax = 512;
      SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
      headings.emplace_back(text);
    }
    return headings;
  }
  bool FullRowSelect(ControlId id) const override {
    return (SendMessageW(pane.Control(id), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT) != 0;
  }
  std::vector<std::vector<std::wstring>> Rows(ControlId id) const override {
    HWND list = pane.Control(id);
    const std::size_t columns = ColumnHeadings(id).size();
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::vector<std::wstring>> rows(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) {
      for (std::size_t c = 0; c < columns; ++c) {
        wchar_t text[2048] = L"";
        LVITEMW item{};
        item.iSubItem = static_cast<int>(c);
        item.pszText = text;
        item.cchTextMax = 2048;
        SendMessageW(list, LVM_GETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
        rows[static_cast<std::size_t>(r)].emplace_back(text);
      }
    }
    return rows;
  }
  std::vector<std::wstring> ListBoxLines(ControlId id) const override {
    HWND box = pane.Control(id);
    const int count = static_cast<int>(SendMessageW(box, LB_GETCOUNT, 0, 0));
    std::vector<std::wstring> lines;
    for (int i = 0; i < count; ++i) {
      const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, i, 0);
      std::wstring line(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
      const LRESULT got = SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
      line.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
      lines.push_back(line);
    }
    return lines;
  }
  std::vector<Slice> Slices(ControlId id) const override {
    std::vector<Slice> slices;
    if (const Win32PieChart* chart = Win32PieChart::FromWindow(pane.Control(id)))
      for (const PieSlice& s : chart->Chart().Slices()) slices.push_back({s.label, s.fillColor});
    return slices;
  }

 private:
  const Win32DetailPane& pane;
};

}  // namespace

std::string DumpControls(const Win32DetailPane& pane) { return DumpForm(ControlsReading(pane)); }
