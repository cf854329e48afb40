// The splash thread's hand-over with the main thread.
#include <gtest/gtest.h>

#include "platform/win_types.h"

#include <commctrl.h>

#include "app/win32/resource_ids.h"
#include "app/win32/splash_screen.h"

namespace {

// A close asked for before the dialog is up still ends the thread: the
// destructor, which waits for it, returns, and no splash window is left.
TEST(Win32Splash, CloseBeforeTheDialogIsUpEndsTheThread) {
  for (int i = 0; i < 5; ++i) {
    HWND shown = nullptr;
    {
      CSplashScreenThread splash(nullptr);
      splash.PostClose();
      EXPECT_FALSE(splash.SetStatusText(L"late"));
      shown = splash.Dialog();
    }
    EXPECT_TRUE(shown == nullptr || !::IsWindow(shown));
  }
}

// A dialog that cannot be made (its owner is no window) ends the thread and
// says so: whoever waits for it goes on, and progress goes nowhere.
TEST(Win32Splash, ADialogThatCannotBeMadeEndsTheWait) {
  CSplashScreenThread splash(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ff0)));
  EXPECT_FALSE(splash.WaitUntilReady());
  EXPECT_TRUE(splash.Ended());
  EXPECT_EQ(splash.Dialog(), nullptr);
  EXPECT_FALSE(splash.SetStatusText(L"Building Tree"));
  splash.SetProgressBarRange(0, 10);
  splash.StepProgressBar();
}

// The range travels as two 16-bit halves; progress goes nowhere once a
// close is asked for.
TEST(Win32Splash, ProgressReachesTheBarUntilClosed) {
  CSplashScreenThread splash(nullptr);
  ASSERT_TRUE(splash.WaitUntilReady());
  EXPECT_EQ(splash.StatusShown(), L"Initializing");
  HWND bar = ::GetDlgItem(splash.Dialog(), IDC_SPLASH_PROGRESS);
  const struct {
    int lower, upper, shownLower, shownUpper;
  } ranges[] = {{0, 100, 0, 100}, {0, 70000, 0, 70000 & 0xFFFF}, {3, 65541, 3, 5}};
  for (const auto& r : ranges) {
    splash.SetProgressBarRange(r.lower, r.upper);
    splash.StepProgressBar();
    PBRANGE range{};
    ::SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, r.shownLower);
    EXPECT_EQ(range.iHigh, r.shownUpper);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), r.shownLower + 1);
  }
  EXPECT_TRUE(splash.SetStatusText(L"Building Tree"));
  // The text is shown once the splash thread has handled the update.
  for (int i = 0; i < 1000 && splash.StatusShown() != L"Building Tree"; ++i) ::Sleep(1);
  EXPECT_EQ(splash.StatusShown(), L"Building Tree");
  splash.PostClose();
  EXPECT_FALSE(splash.SetStatusText(L"after"));
  splash.StepProgressBar();
}

}  // namespace
