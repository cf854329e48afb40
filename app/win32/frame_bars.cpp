// The frame's toolbar and status bar: the buttons and indicators, the
// command prompts they show (status-bar text and tooltip, from the string
// table), and the states of commands in the menus and on the buttons.
#include "app/win32/main_frame.h"

#include <commctrl.h>

#include "app/win32/resource_ids.h"

namespace {

constexpr int kIndicatorWidth = 44;
constexpr int kIndicators[] = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
constexpr int kLockKeys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

std::wstring LoadText(UINT id) {
  const wchar_t* text = nullptr;
  // With a zero length the call hands out the resource's own read-only text.
  const int length = ::LoadStringW(Module(), id, reinterpret_cast<wchar_t*>(&text), 0);
  return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace

std::wstring CMainFrame::PromptOf(int id, bool tip) {
  const std::wstring text = LoadText(static_cast<UINT>(id));
  const std::size_t newline = text.find(L'\n');
  if (newline == std::wstring::npos) return tip ? std::wstring() : text;
  return tip ? text.substr(newline + 1) : text.substr(0, newline);
}

std::wstring CMainFrame::IdleText() const {
  return options.statusNote.empty() ? PromptOf(IDS_IDLE_MESSAGE, false) : options.statusNote;
}

void CMainFrame::SetMessageText(const std::wstring& text) {
  if (statusBar != nullptr) ::SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CMainFrame::CreateToolBar() {
  toolBar = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                              WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDW_TOOLBAR)), Module(), nullptr);
  ::SendMessageW(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // Magenta is the pictures' background: with it as their mask, the toolbar
  // draws a disabled button's picture greyed out, not as a grey block.
  HIMAGELIST pictures = ::ImageList_LoadImageW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), 16, 0, RGB(255, 0, 255),
                                               IMAGE_BITMAP, LR_CREATEDIBSECTION);
  ::SendMessageW(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pictures));
  // Print, separator, All Mount Points, separator, About, context help.
  const TBBUTTON buttons[] = {
      {0, ID_FILE_PRINT, 0, BTNS_BUTTON, {}, 0, 0},
      {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
      {1, ID_VIEW_ALL_MOUNT_POINTS, TBSTATE_ENABLED, BTNS_CHECK, {}, 0, 0},
      {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
      {2, ID_APP_ABOUT, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
      {3, ID_CONTEXT_HELP, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
  };
  ::SendMessageW(toolBar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
  ::SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);
}

void CMainFrame::CreateStatusBar() {
  statusBar = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDW_STATUS_BAR)), Module(),
                                nullptr);
  SetMessageText(IdleText());
}

void CMainFrame::LayoutStatusBar() {
  // The message pane takes what the three indicators leave.
  RECT client;
  ::GetClientRect(statusBar, &client);
  const int right = static_cast<int>(client.right) - ::GetSystemMetrics(SM_CXVSCROLL);
  const int edges[4] = {right - 3 * kIndicatorWidth, right - 2 * kIndicatorWidth, right - kIndicatorWidth, -1};
  ::SendMessageW(statusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
}

void CMainFrame::OnIdle() {
  if (window == nullptr) return;
  for (int i = 0; i < 3; ++i) {
    const bool on = (::GetKeyState(kLockKeys[i]) & 1) != 0;
    if (on == lockKeys[i]) continue;
    lockKeys[i] = on;
    const std::wstring text = on ? PromptOf(kIndicators[i], false) : std::wstring();
    ::SendMessageW(statusBar, SB_SETTEXTW, static_cast<WPARAM>(i + 1), reinterpret_cast<LPARAM>(text.c_str()));
  }
  ::SendMessageW(toolBar, TB_CHECKBUTTON, ID_VIEW_ALL_MOUNT_POINTS, MAKELPARAM(document->GetShowAllMountPoints(), 0));
}

void CMainFrame::OnInitMenuPopup(HMENU menu) {
  auto check = [menu](int id, bool on) { ::CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
  check(ID_VIEW_TOOLBAR, ::IsWindowVisible(toolBar) != FALSE);
  check(ID_VIEW_STATUS_BAR, ::IsWindowVisible(statusBar) != FALSE);
  check(ID_VIEW_ALL_MOUNT_POINTS, document->GetShowAllMountPoints());
  // No handler: shown disabled, as their accelerator and button are.
  for (const int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW}) ::EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
}

void CMainFrame::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
  const UINT flags = HIWORD(wParam);
  if (flags == 0xFFFF && lParam == 0) {
    // The menu closed.
    SetMessageText(IdleText());
    return;
  }
  const bool item = (flags & (MF_POPUP | MF_SEPARATOR)) == 0;
  int id = LOWORD(wParam);
  // The recent files share one prompt.
  if (id > ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + static_cast<int>(RecentFiles::kMost)) id = ID_FILE_MRU_FILE1;
  SetMessageText(item ? PromptOf(id, false) : std::wstring());
}

bool CMainFrame::OnNotify(const NMHDR& header, LRESULT& result) {
  if (treeView != nullptr && treeView->OnNotify(header, result)) return true;
  if (header.code == TTN_GETDISPINFOW) {
    auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
    tipText = PromptOf(static_cast<int>(header.idFrom), true);
    info.lpszText = tipText.data();
    return true;
  }
  if (header.hwndFrom == toolBar && header.code == TBN_HOTITEMCHANGE) {
    const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
    SetMessageText((hot.dwFlags & HICF_LEAVING) != 0 ? IdleText() : PromptOf(hot.idNew, false));
    result = 0;
    return true;
  }
  return false;
}
