#include "app/win32/form/detail_pane.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app/win32/form/form_list_view.h"
#include "app/win32/form/form_template.h"
#include "app/win32/form/pie_chart_window.h"
#include "ui/form_layout.h"

namespace {

constexpr wchar_t kPaneClass[] = L"QuelbrinDetailPane";
constexpr wchar_t kViewportClass[] = L"QuelbrinFormViewport";
// Posted to the pane: a double click on row lParam of list wParam.
constexpr UINT kDoubleClickMessage = WM_APP + 1;

// Each notch of the wheel, and each arrow of a scroll bar, moves the form by
// this much (times the lines the system asks for, for the wheel).
constexpr int kLinePixels = 16;

void RegisterWindowClass(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = proc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = name;
  RegisterClassExW(&cls);  // fails harmlessly when a second pane registers it again
}

int Width(const RECT& r) { return static_cast<int>(r.right - r.left); }
int Height(const RECT& r) { return static_cast<int>(r.bottom - r.top); }

}  // namespace

Win32DetailPane::Win32DetailPane(HWND parent, CQuelbrinDoc& document, ProgressSink* progress)
    : doc(document), progressHook([this] { PushForm(); }, progress), form(document, &progressHook) {
  INITCOMMONCONTROLSEX controlsToUse{sizeof controlsToUse, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controlsToUse);
  RegisterWindowClass(kPaneClass, &Win32DetailPane::PaneProc);
  RegisterWindowClass(kViewportClass, DefWindowProcW);
  pane = CreateWindowExW(WS_EX_CONTROLPARENT, kPaneClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                         parent, nullptr, GetModuleHandleW(nullptr), this);
  if (pane == nullptr) return;
  viewport = CreateWindowExW(WS_EX_CONTROLPARENT, kViewportClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                             0, 0, 0, pane, nullptr, GetModuleHandleW(nullptr), nullptr);
  CreateForm();
  subscription = doc.Subscribe(*this);
}

Win32DetailPane::~Win32DetailPane() {
  subscription.Reset();
  if (pane != nullptr) {
    // The windows go first, telling this object nothing more.
    SetWindowLongPtrW(pane, GWLP_USERDATA, 0);
    if (formWindow != nullptr) SetWindowLongPtrW(formWindow, DWLP_USER, 0);
    DestroyWindow(pane);
  }
}

void Win32DetailPane::CreateForm() {
  formTemplate = BuildFormTemplate(Win32PieChart::ClassName());
  formWindow = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                          reinterpret_cast<const DLGTEMPLATE*>(formTemplate.data()), viewport,
                                          &Win32DetailPane::FormProc, reinterpret_cast<LPARAM>(this));
  if (formWindow == nullptr) return;
  for (const FormControl& c : FormControls()) {
    HWND control = GetDlgItem(formWindow, static_cast<int>(c.id));
    if (control == nullptr) continue;
    controls[c.id] = control;
    if (c.kind == ControlKind::ListView) lists[c.id] = std::make_unique<Win32FormList>(control);
  }
}

HWND Win32DetailPane::Control(ControlId id) const {
  const auto it = controls.find(id);
  return it != controls.end() ? it->second : nullptr;
}

const Win32FormList* Win32DetailPane::List(ControlId id) const {
  const auto it = lists.find(id);
  return it != lists.end() ? it->second.get() : nullptr;
}

Win32PieChart* Win32DetailPane::Chart(ControlId id) const { return Win32PieChart::FromWindow(Control(id)); }

void Win32DetailPane::OnInitialUpdate() {
  form.OnInitialUpdate();
  PushForm();
}

void Win32DetailPane::OnUpdate(UpdateHint hint, StorageNode* node) {
  form.OnUpdate(hint, node);
  // A shown node reached the controls already, before its splash closed.
  PushForm();
}

void Win32DetailPane::PushForm() {
  if (formWindow == nullptr) return;
  const FormState& now = form.Form();
  SendMessageW(formWindow, WM_SETREDRAW, FALSE, 0);
  for (const auto& [id, control] : controls)
    PushIfChanged(pushed.visible, id, now.Visible(id),
                  [control](bool shown) { ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE); });
  for (const auto& [id, text] : now.Edits())
    PushIfChanged(pushed.edits, id, text, [&](const std::wstring& t) { SetWindowTextW(Control(id), t.c_str()); });
  for (const auto& [id, checked] : now.Checks())
    PushIfChanged(pushed.checks, id, checked,
                  [&](bool c) { SendMessageW(Control(id), BM_SETCHECK, c ? BST_CHECKED : BST_UNCHECKED, 0); });
  for (ControlId id : ControlsOfKind(ControlKind::GroupBox))
    PushIfChanged(pushed.frameTitles, id, now.FrameTitle(id),
                  [&](const std::wstring& t) { SetWindowTextW(Control(id), t.c_str()); });
  // A list handed out for change since the last push may still hold the rows
  // it shows; those stay as they are, with their selection and scroll position.
  for (const auto& [id, list] : lists)
    PushIfChanged(pushed.listRevisions, id, now.ListRevision(id), [&, id = id, &list = list](std::uint64_t) {
      if (!list->Shows(now.List(id))) list->ShowRows(now.List(id));
    });
  for (ControlId id : ControlsOfKind(ControlKind::ListBox))
    PushIfChanged(pushed.listBoxLines, id, now.ListBox(id).lines, [&](const std::vector<std::wstring>& lines) {
      HWND box = Control(id);
      SendMessageW(box, LB_RESETCONTENT, 0, 0);
      for (const std::wstring& line : lines)
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    });
  for (ControlId id : ControlsOfKind(ControlKind::PieChart))
    PushIfChanged(pushed.charts, id, now.Chart(id), [&](const PieChartContent& chart) {
      if (Win32PieChart* c = Chart(id)) c->Show(chart);
    });
  SendMessageW(formWindow, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(formWindow, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  ScrollToPanel(now.PanelOnDisplay());
}

RECT Win32DetailPane::PlaceOf(HWND control) const {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, formWindow, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Win32DetailPane::ScrollToPanel(ControlId groupBoxId) {
  // Before any node, or after the model is gone: the form as created.
  // Otherwise the frame 5 pixels below the top, wherever the last panel left
  // the form; the sideways scroll stays.
  HWND box = Control(groupBoxId);
  panelOrigin = box == nullptr ? 0 : 5 - static_cast<int>(PlaceOf(box).top);
  scrollY = 0;
  LayoutPane();
}

int Win32DetailPane::PanelPlaceHeight() const {
  HWND box = Control(form.Form().PanelOnDisplay());
  return box == nullptr ? 0 : Height(PlaceOf(box)) + 10;
}

void Win32DetailPane::LayoutPane() {
  if (pane == nullptr || formWindow == nullptr || layingOut) return;
  RECT whole{}, formRect{};
  GetWindowRect(pane, &whole);
  GetWindowRect(formWindow, &formRect);
  const int formWidth = Width(formRect);
  const int panelHeight = PanelPlaceHeight();
  const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
  const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
  // One bar takes room from the other direction, so decide twice. A pane
  // without room for a bar's arrows has none.
  const bool room = Width(whole) >= barWidth + 2 * GetSystemMetrics(SM_CXHSCROLL) &&
                    Height(whole) >= barHeight + 2 * GetSystemMetrics(SM_CYVSCROLL);
  bool across = false, down = false;
  for (int i = 0; room && i < 2; ++i) {
    across = Width(whole) - (down ? barWidth : 0) < formWidth;
    down = Height(whole) - (across ? barHeight : 0) < panelHeight;
  }
  layingOut = true;
  ShowScrollBar(pane, SB_HORZ, across);
  ShowScrollBar(pane, SB_VERT, down);
  layingOut = false;
  RECT client{};
  GetClientRect(pane, &client);
  MoveWindow(viewport, 0, 0, client.right, client.bottom, TRUE);
  ScrollFormTo(scrollX, scrollY);
}

void Win32DetailPane::ScrollFormTo(int x, int y) {
  RECT shown{}, formRect{};
  GetClientRect(viewport, &shown);
  GetWindowRect(formWindow, &formRect);
  const int formWidth = Width(formRect);
  const int panelHeight = PanelPlaceHeight();
  scrollX = std::clamp(x, 0, std::max(0, formWidth - Width(shown)));
  scrollY = std::clamp(y, 0, std::max(0, panelHeight - Height(shown)));
  const LONG style = GetWindowLongW(pane, GWL_STYLE);
  layingOut = true;
  if ((style & WS_HSCROLL) != 0) {
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, formWidth - 1,
                    static_cast<UINT>(Width(shown)), scrollX, 0};
    SetScrollInfo(pane, SB_HORZ, &info, TRUE);
  }
  if ((style & WS_VSCROLL) != 0) {
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, panelHeight - 1,
                    static_cast<UINT>(Height(shown)), scrollY, 0};
    SetScrollInfo(pane, SB_VERT, &info, TRUE);
  }
  layingOut = false;
  POINT at{formRect.left, formRect.top};
  ScreenToClient(viewport, &at);
  if (at.x != -scrollX || at.y != panelOrigin - scrollY)
    SetWindowPos(formWindow, nullptr, -scrollX, panelOrigin - scrollY, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32DetailPane::OnScrollBar(int bar, int request) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(pane, bar, &info);
  const int page = std::max(1, static_cast<int>(info.nPage) - kLinePixels);
  int pos = info.nPos;
  switch (request) {
    case SB_LINEUP: pos -= kLinePixels; break;
    case SB_LINEDOWN: pos += kLinePixels; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = info.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = info.nMax; break;
    default: return;
  }
  if (bar == SB_HORZ)
    ScrollFormTo(pos, scrollY);
  else
    ScrollFormTo(scrollX, pos);
}

void Win32DetailPane::OnWheel(int pixels, bool sideways) {
  if (sideways)
    ScrollFormTo(scrollX + pixels, scrollY);
  else
    ScrollFormTo(scrollX, scrollY - pixels);
}

void Win32DetailPane::BringIntoView(HWND control) {
  if (control == nullptr || GetParent(control) != formWindow) return;
  const RECT place = PlaceOf(control);
  RECT shown{};
  GetClientRect(viewport, &shown);
  int x = scrollX, y = scrollY;
  const int top = static_cast<int>(place.top) + panelOrigin;
  const int left = static_cast<int>(place.left), right = static_cast<int>(place.right);
  if (right > x + Width(shown)) x = right - Width(shown);
  if (left < x) x = left;
  if (top + Height(place) > y + Height(shown)) y = top + Height(place) - Height(shown);
  if (top < y) y = top;
  ScrollFormTo(x, y);
}

const char* Win32DetailPane::HelpPageAt(POINT screenPoint) const {
  // The innermost visible control under the point: a field before the frame
  // around it.
  ControlId under = kNoControl;
  long smallest = 0;
  for (const auto& [id, control] : controls) {
    RECT r{};
    if (!IsWindowVisible(control) || !GetWindowRect(control, &r) || !PtInRect(&r, screenPoint)) continue;
    const long area = static_cast<long>(Width(r)) * Height(r);
    if (under == kNoControl || area < smallest) {
      under = id;
      smallest = area;
    }
  }
  const PanelInfo* panel = PanelOfControl(under != kNoControl ? under : form.Form().PanelOnDisplay());
  return panel != nullptr ? panel->helpPage : "index.html";
}

void Win32DetailPane::PostDoubleClick(ControlId listId, int row) {
  PostMessageW(pane, kDoubleClickMessage, static_cast<WPARAM>(listId), static_cast<LPARAM>(row));
  // The list's revision now says whether the rows are still those clicked.
  pendingRevision = form.Form().ListRevision(listId);
}

bool Win32DetailPane::OnFormNotify(const NMHDR& header, LRESULT& result) {
  const ControlId id{static_cast<int>(header.idFrom)};
  result = 0;
  if (lists.count(id) != 0) {
    switch (header.code) {
      case LVN_GETDISPINFOW:
        lists[id]->FillItem(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        return true;
      case NM_DBLCLK: {
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        activationTold = row >= 0;
        PostDoubleClick(id, row);
        return true;
      }
      case LVN_ITEMACTIVATE:
        // Enter on a row; a double click told of itself already.
        if (activationTold) {
          activationTold = false;
          return true;
        }
        {
          // The focused row is the one meant. Some lists tell of a key's
          // activation with a bare header, so the notification's own row
          // field is not read.
          const auto row = static_cast<int>(SendMessageW(header.hwndFrom, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
          if (row >= 0) PostDoubleClick(id, row);
        }
        return true;
      case NM_SETFOCUS:
        BringIntoView(header.hwndFrom);
        return true;
      default:
        break;
    }
  }
  return false;
}

INT_PTR CALLBACK Win32DetailPane::FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return FALSE;
  }
  auto* self = reinterpret_cast<Win32DetailPane*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  switch (message) {
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!self->OnFormNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_COMMAND:
      switch (HIWORD(wParam)) {
        case EN_SETFOCUS:
        case LBN_SETFOCUS:
        case BN_SETFOCUS:
          self->BringIntoView(reinterpret_cast<HWND>(lParam));
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

LRESULT CALLBACK Win32DetailPane::PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* created = static_cast<Win32DetailPane*>(create->lpCreateParams);
    created->pane = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<Win32DetailPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The frame may destroy its children before it destroys this object.
    self->pane = nullptr;
    self->formWindow = nullptr;
    self->controls.clear();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->OnPaneMessage(message, wParam, lParam);
}

LRESULT Win32DetailPane::OnPaneMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayoutPane();
      return 0;
    case WM_HSCROLL:
      OnScrollBar(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      OnScrollBar(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      const int pixels = GET_WHEEL_DELTA_WPARAM(wParam) * static_cast<int>(std::max(1u, lines)) * kLinePixels /
                         WHEEL_DELTA;
      // A tilt of the wheel, or the wheel with Shift, goes sideways; the
      // plain wheel moves only within the panel on display.
      if (message == WM_MOUSEHWHEEL)
        OnWheel(pixels, true);
      else if ((GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0)
        OnWheel(-pixels, true);
      else
        OnWheel(pixels, false);
      return 0;
    }
    case kDoubleClickMessage: {
      activationTold = false;
      const ControlId listId{static_cast<int>(wParam)};
      // Rows of a list that went out of view, or was refilled, since the
      // click are not the rows clicked.
      if (form.Form().Visible(listId) && form.Form().ListRevision(listId) == pendingRevision)
        OnListDoubleClick(listId, static_cast<int>(lParam));
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(pane, message, wParam, lParam);
}
