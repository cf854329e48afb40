// CSplashScreenThread: the splash window with its progress bar, on a thread of
// its own with its own message loop, so that it paints while the main thread
// scans. The main thread drives it: a status text handed over under a lock,
// progress-bar messages sent to its control, and a close request.
//
// The hand-over is made safe in three places where a bare thread would not
// be: a close asked for before the dialog is up is carried out as soon as it
// is; the dialog's handle is published only once the dialog is initialised;
// and a thread whose dialog cannot be created still reports that it is done,
// so that no one waits for it for ever.
#pragma once

#include "platform/win_types.h"

#include <mutex>
#include <string>

class CSplashScreenThread {
 public:
  // Starts the thread, which creates the dialog over `owner`; does not wait.
  explicit CSplashScreenThread(HWND owner);
  // Asks the dialog to close and waits for the thread to end.
  ~CSplashScreenThread();
  CSplashScreenThread(const CSplashScreenThread&) = delete;
  CSplashScreenThread& operator=(const CSplashScreenThread&) = delete;

  // Waits until the dialog is up or its thread has ended; true when it is up.
  // Messages sent to the caller's windows meanwhile are handled.
  bool WaitUntilReady();
  // Each does nothing (and SetStatusText returns false) while the dialog is
  // not up, and after a close was asked for.
  bool SetStatusText(const std::wstring& text);
  void SetProgressBarRange(int lower, int upper);
  void StepProgressBar();
  // Asks the dialog to close and the thread to end, now or once the dialog
  // is up; does not wait.
  void PostClose();

  // The dialog's window while it is up; null before and after.
  HWND Dialog() const;
  // Whether the thread has ended (its dialog closed, or never created).
  bool Ended() const;
  // The status line as the dialog shows it; empty while it is not up.
  std::wstring StatusShown() const;

 private:
  static DWORD WINAPI Run(void* self);
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  // The dialog's handle when progress may be sent to it.
  HWND LiveDialog() const;

  HWND ownerFrame;
  HANDLE readyEvent = nullptr;  // manual reset: set once, when up or ended
  HANDLE thread = nullptr;
  mutable std::mutex lock;
  // Shared with the splash thread, under `lock`.
  HWND dialog = nullptr;
  std::wstring statusText;
  bool closeRequested = false;
  bool ended = false;
};

// Waits for the handle while handling the messages other threads send to
// this one's windows: a thread that waits without doing so could stall the
// splash thread, whose windows' owner it holds.
void WaitHandlingSentMessages(HANDLE handle);
