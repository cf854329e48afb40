#include "app/win32/main_frame.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>

#include "app/common/report_heading.h"
#include "app/common/viewer_prompts.h"
#include "app/win32/html_help.h"
#include "app/win32/resource_ids.h"
#include "platform/wide_text.h"

namespace {

constexpr int kSplitBarWidth = 6;
constexpr int kSmallestPane = 20;
constexpr wchar_t kCaption[] = L"Quelbrin";
constexpr wchar_t kHelpFailed[] = L"Failed to launch help.";

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

// "server.json" for a machine file, "this machine" for the running one.
std::wstring ViewedMachineName(const MachineSource& source) {
  if (!source.machineFile) return L"this machine";
  return PathFromUtf8(*source.machineFile).filename().wstring();
}

bool IsWithin(HWND window, HWND ancestor) {
  for (HWND w = window; w != nullptr; w = ::GetParent(w))
    if (w == ancestor) return true;
  return false;
}

// The wait cursor while a rescan runs; the one before comes back afterwards.
class WaitCursor {
 public:
  WaitCursor() : before(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { ::SetCursor(before); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR before;
};

void RegisterFrameClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = procedure;
    c.hInstance = Module();
    c.hIcon = ::LoadIconW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    c.hIconSm = static_cast<HICON>(::LoadImageW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                LR_SHARED));
    c.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINFRAME);
    c.lpszClassName = CMainFrame::kWindowClass;
    return ::RegisterClassExW(&c) != 0;
  }();
  (void)registered;
}

}  // namespace

// Message boxes of the scan: modal over the frame, with the program's name as
// caption.
class CMainFrame::MessageBoxPrompt : public WindowPrompt {
 public:
  explicit MessageBoxPrompt(CMainFrame& frame) : frame_(frame) {}
  void ShowMessageBox(const std::wstring& text) override {
    ::MessageBoxW(frame_.window, text.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
  }

 private:
  CMainFrame& frame_;
};

CMainFrame::CMainFrame(Platform& platform, Prompt* prompt, FrameOptions frameOptions)
    : options(std::move(frameOptions)) {
  if (prompt == nullptr) {
    ownPrompt = std::make_unique<MessageBoxPrompt>(*this);
    prompt = ownPrompt.get();
  }
  userPrompt = prompt;
  viewedPlatform = &platform;
  scanPrompt = std::make_unique<ScanPrompt>(*prompt, [this] { CloseSplash(); });
  document = std::make_unique<CQuelbrinDoc>(platform, *scanPrompt, this);
  document->SetShowAllMountPoints(options.showAllMountPoints);
  recentFiles = std::make_unique<RecentFiles>(options.settingsKey);
  recentFiles->Load();
  RegisterFrameClass(&CMainFrame::WindowProc);
  accelerators = ::LoadAcceleratorsW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME));
  // WM_CREATE builds the bars and panes; the splash comes up first and
  // follows everything after it.
  ::CreateWindowExW(0, kWindowClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                    960, 720, nullptr, nullptr, Module(), this);
}

CMainFrame::~CMainFrame() {
  splash.reset();
  if (window != nullptr && ::IsWindow(window)) {
    options.quitOnClose = false;
    ::DestroyWindow(window);
  }
  pane.reset();
  treeView.reset();
  if (printerMode != nullptr) ::GlobalFree(printerMode);
  if (printerNames != nullptr) ::GlobalFree(printerNames);
}

LRESULT CALLBACK CMainFrame::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CMainFrame*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<CMainFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT CMainFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      splash = std::make_unique<CSplashScreenThread>(window);
      CreateChildren();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      Command(LOWORD(wParam));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(wParam);
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
      break;
    }
    case WM_MENUSELECT:
      OnMenuSelect(wParam, lParam);
      return 0;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_SETCURSOR:
      if (helpMode) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HELP));
        return TRUE;
      }
      if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
        POINT at;
        ::GetCursorPos(&at);
        ::ScreenToClient(window, &at);
        const RECT bar = SplitBar();
        if (::PtInRect(&bar, at)) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (helpMode) {
        POINT screen = at;
        ::ClientToScreen(window, &screen);
        OnHelpClick(screen);
        return 0;
      }
      const RECT bar = SplitBar();
      if (::PtInRect(&bar, at)) {
        dragging = true;
        dragFrom = at.x;
        dragStartPosition = splitPosition;
        ::SetCapture(window);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging) {
        splitPosition = dragStartPosition + static_cast<short>(LOWORD(lParam)) - dragFrom;
        Layout();
      }
      return 0;
    case WM_LBUTTONUP:
      if (dragging) {
        dragging = false;
        ::ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      dragging = false;
      if (helpMode && reinterpret_cast<HWND>(lParam) != window) EndHelpMode();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && IsWithin(focus, window) && focus != window) focusBeforeDeactivation = focus;
      }
      break;
    case WM_SETFOCUS:
      // The frame hands the focus on: to where it was, else to the tree.
      if (focusBeforeDeactivation != nullptr && ::IsWindow(focusBeforeDeactivation) &&
          ::IsWindowVisible(focusBeforeDeactivation))
        ::SetFocus(focusBeforeDeactivation);
      else if (treeView != nullptr)
        ::SetFocus(treeView->Window());
      return 0;
    case WM_HELP:
      // F1 in a dialog or menu of the frame: the book at its first page.
      ShowHelpTopic(nullptr, nullptr);
      return TRUE;
    case WM_CLOSE:
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      // The splash's window is owned by this one and lives on another thread.
      splash.reset();
      ::ImageList_Destroy(reinterpret_cast<HIMAGELIST>(::SendMessageW(toolBar, TB_GETIMAGELIST, 0, 0)));
      if (options.quitOnClose) ::PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      HWND closing = window;
      ::SetWindowLongPtrW(closing, GWLP_USERDATA, 0);
      window = nullptr;
      return ::DefWindowProcW(closing, message, wParam, lParam);
    }
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void CMainFrame::CreateChildren() {
  CreateToolBar();
  CreateStatusBar();
  treeView = std::make_unique<CDiskTreeView>(window, IDW_PANE_FIRST, *document, this);
  pane = std::make_unique<Win32DetailPane>(window, *document, this);
  wchar_t className[16] = L"";
  ::GetClassNameW(pane->Window(), className, static_cast<int>(std::size(className)));
  paneIsDialog = std::wstring(className) == L"#32770";
  ::DragAcceptFiles(window, TRUE);
  recentFiles->FillMenu(RecentFilesMenu(), ID_FILE_MRU_FILE1);
  Layout();
}

void CMainFrame::InitialUpdate() {
  treeView->OnInitialUpdate();
  pane->OnInitialUpdate();
  UpdateCaption();
  if (options.source.machineFile) RememberMachineFile(*options.source.machineFile);
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
}

void CMainFrame::UpdateCaption() {
  ::SetWindowTextW(window, (ViewedMachineName(options.source) + L" - " + kCaption).c_str());
}

RECT CMainFrame::SplitBar() const {
  RECT client;
  ::GetClientRect(window, &client);
  RECT bar{splitPosition, client.top, splitPosition + kSplitBarWidth, client.bottom};
  if (toolBar != nullptr && ::IsWindowVisible(toolBar)) {
    RECT r;
    ::GetWindowRect(toolBar, &r);
    bar.top += r.bottom - r.top;
  }
  if (statusBar != nullptr && ::IsWindowVisible(statusBar)) {
    RECT r;
    ::GetWindowRect(statusBar, &r);
    bar.bottom -= r.bottom - r.top;
  }
  return bar;
}

void CMainFrame::Layout() {
  if (window == nullptr || treeView == nullptr || pane == nullptr) return;
  RECT client;
  ::GetClientRect(window, &client);
  if (toolBar != nullptr) ::SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);
  if (statusBar != nullptr) {
    ::SendMessageW(statusBar, WM_SIZE, 0, 0);
    LayoutStatusBar();
  }
  // Neither pane goes below its smallest width while the frame has room.
  const int widest = static_cast<int>(client.right) - kSplitBarWidth - kSmallestPane;
  if (splitPosition > widest) splitPosition = widest;
  if (splitPosition < kSmallestPane) splitPosition = kSmallestPane;
  const RECT bar = SplitBar();
  const int height = static_cast<int>(bar.bottom - bar.top);
  ::MoveWindow(treeView->Window(), 0, bar.top, splitPosition, height, TRUE);
  ::MoveWindow(pane->Window(), bar.right, bar.top, std::max(0, static_cast<int>(client.right - bar.right)), height,
               TRUE);
  ::InvalidateRect(window, &bar, TRUE);
}

void CMainFrame::Command(int id) {
  if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + static_cast<int>(RecentFiles::kMost)) {
    OpenRecentFile(static_cast<std::size_t>(id - ID_FILE_MRU_FILE1));
    return;
  }
  switch (id) {
    case ID_REFRESH:
      Rescan(document->GetShowAllMountPoints());
      break;
    case ID_VIEW_ALL_MOUNT_POINTS:
      Rescan(!document->GetShowAllMountPoints());
      break;
    case ID_FILE_OPEN_MACHINE:
      if (const std::wstring path = ChoosePath(false, L""); !path.empty()) OpenMachineFile(path);
      break;
    case ID_FILE_SAVE_MACHINE:
      // The machine's own name, as Export Report offers it.
      if (const std::wstring path = ChoosePath(true, PathFromUtf8(Utf8FromWide(MachineName(options.source)))
                                                          .replace_extension(L".json")
                                                          .wstring());
          !path.empty())
        SaveMachineFile(path);
      break;
    case ID_FILE_LIVE_MACHINE:
      ViewLiveMachine();
      break;
    case ID_FILE_EXPORT_REPORT:
      if (const std::wstring path = ChoosePath(true, PathFromUtf8(Utf8FromWide(MachineName(options.source)))
                                                          .replace_extension(L".html")
                                                          .wstring());
          !path.empty() && !ExportReport(path))
        ::MessageBoxW(window, (L"The report could not be written to " + path + L".").c_str(), kCaption,
                      MB_OK | MB_ICONEXCLAMATION);
      break;
    case ID_FILE_PRINT_SETUP:
      PrintSetup();
      break;
    case ID_APP_EXIT:
      ::PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    case ID_VIEW_TOOLBAR:
      ToggleBar(toolBar);
      break;
    case ID_VIEW_STATUS_BAR:
      ToggleBar(statusBar);
      break;
    case ID_WINDOW_SPLIT:
      BeginKeyboardSplit();
      break;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
      NextPane();
      break;
    case ID_APP_ABOUT:
      ShowAbout();
      break;
    case ID_HELP:
      // The program's own help call reports nothing when the book is missing.
      ShowHelpTopic(nullptr, nullptr);
      break;
    case ID_HELP_FINDER:
    case ID_DEFAULT_HELP:
      if (!ShowHelpTopic(window, nullptr)) ::MessageBoxW(window, kHelpFailed, kCaption, MB_OK | MB_ICONEXCLAMATION);
      break;
    case ID_CONTEXT_HELP:
      BeginHelpMode();
      break;
    default:
      // Print and Print Preview have no handler: they stay disabled.
      break;
  }
}

void CMainFrame::Rescan(bool showAll) {
  WaitCursor wait;
  document->Refresh(showAll);
  UpdateCaption();
}

void CMainFrame::ShowAbout() {
  ::DialogBoxParamW(
      Module(), MAKEINTRESOURCEW(IDD_ABOUTBOX), window,
      [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) return TRUE;
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
          ::EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        }
        return FALSE;
      },
      0);
}

void CMainFrame::PrintSetup() {
  PRINTDLGW setup{};
  setup.lStructSize = sizeof setup;
  setup.hwndOwner = window;
  setup.hDevMode = printerMode;
  setup.hDevNames = printerNames;
  setup.Flags = PD_PRINTSETUP;
  if (::PrintDlgW(&setup)) {
    printerMode = setup.hDevMode;
    printerNames = setup.hDevNames;
  }
}

void CMainFrame::ToggleBar(HWND bar) {
  ::ShowWindow(bar, ::IsWindowVisible(bar) ? SW_HIDE : SW_SHOW);
  Layout();
}

void CMainFrame::SetProgressText(const std::wstring& text) {
  if (splash != nullptr) splash->SetStatusText(text);
}

void CMainFrame::SetProgressRange(int lower, int upper) {
  if (splash != nullptr) splash->SetProgressBarRange(lower, upper);
}

void CMainFrame::StepProgress() {
  if (splash != nullptr) splash->StepProgressBar();
}

void CMainFrame::RestartSplash() {
  // A splash still up (left by a scan that showed no node) serves this scan
  // too; one whose dialog could not be made is replaced.
  if (splash != nullptr && !splash->Ended()) return;
  splash = std::make_unique<CSplashScreenThread>(window);
  // So that the whole rescan is shown; returns also when no dialog came up.
  splash->WaitUntilReady();
}

void CMainFrame::CloseSplash() {
  if (splash == nullptr) return;
  splash->PostClose();
  // Waits for the splash thread to end, whether or not its dialog was up yet.
  splash.reset();
  ++raisedBySplash;
  ::SetForegroundWindow(window);
}
