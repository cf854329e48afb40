// The frame's keyboard and pointer modes: moving the split bar with the
// keys, context help (a click names the page to show), switching panes, and
// the message loop that gives the frame the first look at each message.
#include "app/win32/main_frame.h"

#include "app/win32/html_help.h"
#include "app/win32/resource_ids.h"
#include "platform/wide_text.h"

namespace {

constexpr wchar_t kCaption[] = L"Quelbrin";
constexpr wchar_t kHelpFailed[] = L"Failed to launch help.";

bool IsWithin(HWND window, HWND ancestor) {
  for (HWND w = window; w != nullptr; w = ::GetParent(w))
    if (w == ancestor) return true;
  return false;
}

}  // namespace

void CMainFrame::NextPane() {
  // Two panes: next and previous are the same move.
  if (IsWithin(::GetFocus(), treeView->Window()))
    ::SetFocus(pane->Window());
  else
    ::SetFocus(treeView->Window());
}

void CMainFrame::BeginKeyboardSplit() {
  // The split bar follows the arrow keys until Enter keeps or Esc undoes it.
  splitKeyboardFrom = splitPosition;
  SetMessageText(L"Move the split bar with the arrow keys; Enter keeps it, Esc puts it back");
}

bool CMainFrame::OnSplitKey(WPARAM key) {
  const int step = (::GetKeyState(VK_CONTROL) & 0x8000) != 0 ? 1 : 8;
  switch (key) {
    case VK_LEFT:
      splitPosition -= step;
      break;
    case VK_RIGHT:
      splitPosition += step;
      break;
    case VK_ESCAPE:
      splitPosition = splitKeyboardFrom;
      [[fallthrough]];
    case VK_RETURN:
      splitKeyboardFrom = -1;
      SetMessageText(IdleText());
      break;
    default:
      return true;
  }
  Layout();
  return true;
}

void CMainFrame::BeginHelpMode() {
  helpMode = true;
  SetMessageText(PromptOf(IDS_HELP_MODE_MESSAGE, false));
  ::SetCapture(window);
  ::SetCursor(::LoadCursorW(nullptr, IDC_HELP));
}

void CMainFrame::EndHelpMode() {
  if (!helpMode) return;
  helpMode = false;
  if (::GetCapture() == window) ::ReleaseCapture();
  SetMessageText(IdleText());
}

void CMainFrame::OnHelpClick(POINT screenPoint) {
  const std::wstring page = HelpPageAt(screenPoint);
  EndHelpMode();
  if (!ShowHelpTopic(window, page.c_str())) ::MessageBoxW(window, kHelpFailed, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

std::wstring CMainFrame::HelpPageAt(POINT screenPoint) const {
  // By the windows' places: a point over a static text of the pane is
  // passed through by WindowFromPoint to the frame behind it.
  auto over = [screenPoint](HWND w) {
    RECT r;
    return w != nullptr && ::IsWindowVisible(w) && ::GetWindowRect(w, &r) && ::PtInRect(&r, screenPoint);
  };
  if (treeView != nullptr && over(treeView->Window())) return L"tree.html";
  if (pane != nullptr && over(pane->Window())) return WideFromUtf8(pane->HelpPageAt(screenPoint));
  if (over(toolBar) || over(statusBar)) return L"commands.html";
  return L"index.html";
}

bool CMainFrame::PreTranslateMessage(MSG& message) {
  if (window == nullptr) return false;
  if (message.message == WM_KEYDOWN && IsWithin(message.hwnd, window)) {
    if (helpMode && message.wParam == VK_ESCAPE) {
      EndHelpMode();
      return true;
    }
    if (splitKeyboardFrom >= 0) return OnSplitKey(message.wParam);
  }
  if (accelerators != nullptr && ::TranslateAcceleratorW(window, accelerators, &message)) return true;
  if (paneIsDialog && pane != nullptr && ::IsDialogMessageW(pane->Window(), &message)) return true;
  return false;
}

void PumpPendingMessages(CMainFrame& frame) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    if (frame.PreTranslateMessage(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  frame.OnIdle();
}

int RunMessageLoop(CMainFrame& frame) {
  MSG message;
  for (;;) {
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) frame.OnIdle();
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) return got == 0 ? static_cast<int>(message.wParam) : 1;
    if (frame.PreTranslateMessage(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

