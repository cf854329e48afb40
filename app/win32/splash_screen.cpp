#include "app/win32/splash_screen.h"

#include <commctrl.h>

#include "app/win32/resource_ids.h"

namespace {

constexpr UINT WM_SPLASH_UPDATE = WM_USER + 1;
constexpr UINT WM_SPLASH_CLOSE = WM_USER + 2;

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

}  // namespace

void WaitHandlingSentMessages(HANDLE handle) {
  for (;;) {
    const DWORD woken = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woken != WAIT_OBJECT_0 + 1) return;
    // Peeking delivers the sent messages; nothing posted is taken.
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

CSplashScreenThread::CSplashScreenThread(HWND owner) : ownerFrame(owner) {
  readyEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread = ::CreateThread(nullptr, 0, &CSplashScreenThread::Run, this, 0, nullptr);
  if (thread == nullptr) {
    std::lock_guard<std::mutex> hold(lock);
    ended = true;
    ::SetEvent(readyEvent);
  }
}

CSplashScreenThread::~CSplashScreenThread() {
  PostClose();
  if (thread != nullptr) {
    WaitHandlingSentMessages(thread);
    ::CloseHandle(thread);
  }
  if (readyEvent != nullptr) ::CloseHandle(readyEvent);
}

DWORD WINAPI CSplashScreenThread::Run(void* param) {
  auto* self = static_cast<CSplashScreenThread*>(param);
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  HWND window = ::CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_SPLASH), self->ownerFrame,
                                     &CSplashScreenThread::DialogProc, reinterpret_cast<LPARAM>(self));
  DWORD code = 0;
  if (window != nullptr) {
    ::UpdateWindow(window);
    MSG message;
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
      if (::IsDialogMessageW(window, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    code = got == 0 ? static_cast<DWORD>(message.wParam) : 0;
  }
  {
    std::lock_guard<std::mutex> hold(self->lock);
    self->dialog = nullptr;
    self->ended = true;
  }
  // Also when the dialog never came up: whoever waits for it goes on.
  ::SetEvent(self->readyEvent);
  return code;
}

INT_PTR CALLBACK CSplashScreenThread::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  auto* self = reinterpret_cast<CSplashScreenThread*>(::GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      self = reinterpret_cast<CSplashScreenThread*>(lParam);
      ::SetWindowLongPtrW(window, DWLP_USER, lParam);
      HWND bar = ::GetDlgItem(window, IDC_SPLASH_PROGRESS);
      ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
      ::SendMessageW(bar, PBM_SETSTEP, 1, 0);
      ::SetDlgItemTextW(window, IDC_SPLASH_STATUS, L"Initializing");
      for (const int which : {ICON_BIG, ICON_SMALL}) {
        const int side = ::GetSystemMetrics(which == ICON_BIG ? SM_CXICON : SM_CXSMICON);
        auto* icon = static_cast<HICON>(
            ::LoadImageW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, side, side, LR_SHARED));
        ::SendMessageW(window, WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(icon));
      }
      bool closeNow;
      {
        std::lock_guard<std::mutex> hold(self->lock);
        self->statusText = L"Initializing";
        self->dialog = window;
        closeNow = self->closeRequested;
      }
      // A close asked for while the dialog was being made is not lost.
      if (closeNow) ::PostMessageW(window, WM_SPLASH_CLOSE, 0, 0);
      ::SetEvent(self->readyEvent);
      return TRUE;
    }
    case WM_SPLASH_UPDATE: {
      std::wstring text;
      {
        std::lock_guard<std::mutex> hold(self->lock);
        text = self->statusText;
      }
      ::SetDlgItemTextW(window, IDC_SPLASH_STATUS, text.c_str());
      ::UpdateWindow(window);
      return TRUE;
    }
    case WM_SPLASH_CLOSE:
      {
        std::lock_guard<std::mutex> hold(self->lock);
        self->dialog = nullptr;
      }
      ::DestroyWindow(window);
      ::PostQuitMessage(1);
      return TRUE;
    case WM_CLOSE:
    case WM_COMMAND:
      // Only the program closes the splash: the scan it follows is still running.
      return TRUE;
    default:
      return FALSE;
  }
}

bool CSplashScreenThread::WaitUntilReady() {
  WaitHandlingSentMessages(readyEvent);
  std::lock_guard<std::mutex> hold(lock);
  return dialog != nullptr;
}

HWND CSplashScreenThread::LiveDialog() const {
  // The window stays until a close that only this (the main) thread asks
  // for, so a handle read here is still the dialog's when it is used.
  std::lock_guard<std::mutex> hold(lock);
  return closeRequested ? nullptr : dialog;
}

bool CSplashScreenThread::SetStatusText(const std::wstring& text) {
  HWND window;
  {
    std::lock_guard<std::mutex> hold(lock);
    window = closeRequested ? nullptr : dialog;
    if (window == nullptr) return false;
    statusText = text;
  }
  return ::PostMessageW(window, WM_SPLASH_UPDATE, 0, 0) != FALSE;
}

void CSplashScreenThread::SetProgressBarRange(int lower, int upper) {
  HWND window = LiveDialog();
  if (window == nullptr) return;
  HWND bar = ::GetDlgItem(window, IDC_SPLASH_PROGRESS);
  // The bounds travel as two 16-bit halves: each keeps only its low bits.
  ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper)));
  ::SendMessageW(bar, PBM_SETSTEP, 1, 0);
  ::SendMessageW(bar, PBM_SETPOS, 0, 0);
}

void CSplashScreenThread::StepProgressBar() {
  HWND window = LiveDialog();
  if (window == nullptr) return;
  // The bar paints itself; only the text needs the update message, and a
  // post per step of a large machine would fill the thread's queue.
  ::SendMessageW(::GetDlgItem(window, IDC_SPLASH_PROGRESS), PBM_STEPIT, 0, 0);
}

void CSplashScreenThread::PostClose() {
  std::lock_guard<std::mutex> hold(lock);
  if (closeRequested) return;
  closeRequested = true;
  if (dialog != nullptr) ::PostMessageW(dialog, WM_SPLASH_CLOSE, 0, 0);
}

HWND CSplashScreenThread::Dialog() const {
  std::lock_guard<std::mutex> hold(lock);
  return dialog;
}

bool CSplashScreenThread::Ended() const {
  std::lock_guard<std::mutex> hold(lock);
  return ended;
}

std::wstring CSplashScreenThread::StatusShown() const {
  HWND window = Dialog();
  if (window == nullptr) return {};
  wchar_t text[256] = L"";
  ::GetDlgItemTextW(window, IDC_SPLASH_STATUS, text, static_cast<int>(std::size(text)));
  return text;
}
