// The splash screen and the progress operations of the main frame.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "app/gui/progress_bar_state.h"
#include "app/gui/splash_screen.h"

namespace {

using gui::FrameOnSample;
using gui::Pump;

std::string Text(const wxString& s) { return s.ToStdString(wxConvUTF8); }

TEST(ProgressBarState, PacksEachBoundIntoSixteenBitsAndStartsOverPastTheTop) {
  ProgressBarState bar;
  bar.SetRange(0, 0x12345);
  EXPECT_EQ(bar.upper, 0x2345);
  EXPECT_EQ(bar.position, 0);
  bar.SetRange(2, 4);
  bar.Step();
  bar.Step();
  EXPECT_EQ(bar.position, 4);
  EXPECT_EQ(bar.Filled(100), 100);
  bar.Step();
  EXPECT_EQ(bar.position, 2);
  EXPECT_EQ(bar.Filled(100), 0);
  bar.SetRange(5, 5);
  EXPECT_EQ(bar.Filled(100), 0);
}

TEST(Splash, ProgressGoesNowhereWhileNoSplashRuns) {
  FrameOnSample f("workstation.json");
  ASSERT_EQ(f.Frame().Splash(), nullptr);
  f.Frame().SetProgressText(L"Getting Mount Points");
  f.Frame().SetProgressRange(0, 10);
  f.Frame().StepProgress();
  f.Frame().CloseSplash();
  EXPECT_EQ(f.Frame().Splash(), nullptr);
  // Selecting nodes never brings the frame forward again.
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks());
  Pump(5);
  EXPECT_EQ(f.Frame().TimesRaisedBySplash(), 1);
}

TEST(Splash, ARestartShowsInitializingThenFollowsTheProgress) {
  FrameOnSample f("workstation.json");
  f.Frame().RestartSplash();
  CQuelbrinSplashScreen* splash = f.Frame().Splash();
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(splash->IsShown());
  EXPECT_EQ(Text(splash->GetTitle()), "Quelbrin 1.0");
  EXPECT_EQ(Text(splash->StatusText()), "Initializing");
  EXPECT_EQ(splash->Bar().upper, 100);
  EXPECT_EQ(splash->GaugeValue(), 0);

  f.Frame().SetProgressText(L"Getting Mount Points");
  f.Frame().SetProgressRange(0, 4);
  f.Frame().StepProgress();
  f.Frame().StepProgress();
  EXPECT_EQ(Text(splash->StatusText()), "Getting Mount Points");
  EXPECT_EQ(splash->Bar().position, 2);
  EXPECT_EQ(splash->GaugeValue(), 500);
  EXPECT_FALSE(gui::SaveScreenshot(splash, "splash").empty());

  // A second restart while one runs keeps it.
  f.Frame().RestartSplash();
  EXPECT_EQ(f.Frame().Splash(), splash);

  f.Frame().CloseSplash();
  EXPECT_EQ(f.Frame().Splash(), nullptr);
  EXPECT_EQ(f.Frame().TimesRaisedBySplash(), 2);
  Pump(10);
}

// The scan runs on the same thread as the splash: each progress call must
// have put its change on the screen before it returns.
TEST(Splash, EveryProgressCallIsOnTheScreenBeforeItReturns) {
  FrameOnSample f("workstation.json");
  f.Frame().RestartSplash();
  CQuelbrinSplashScreen* splash = f.Frame().Splash();
  ASSERT_NE(splash, nullptr);
  Pump(100);
  wxWindow* bar = splash->FindWindow(2204);
  ASSERT_NE(bar, nullptr);
  const wxSize size = bar->GetClientSize();
  const wxPoint quarter(size.x / 4, size.y / 2), threeQuarters(size.x * 3 / 4, size.y / 2);
  const wxColour empty = gui::ScreenPixel(bar, threeQuarters);
  ASSERT_TRUE(empty.IsOk());

  f.Frame().SetProgressRange(0, 2);
  f.Frame().StepProgress();
  const wxColour filled = gui::ScreenPixel(bar, quarter);
  EXPECT_NE(filled, empty);
  EXPECT_EQ(gui::ScreenPixel(bar, threeQuarters), empty);
  f.Frame().StepProgress();
  EXPECT_EQ(gui::ScreenPixel(bar, threeQuarters), filled);
  f.Frame().CloseSplash();
}

TEST(Splash, ClosedByTheUserItIsForgotten) {
  FrameOnSample f("workstation.json");
  f.Frame().RestartSplash();
  ASSERT_NE(f.Frame().Splash(), nullptr);
  f.Frame().Splash()->Close();
  Pump(10);
  EXPECT_EQ(f.Frame().Splash(), nullptr);
  f.Frame().StepProgress();
  f.Frame().CloseSplash();
  EXPECT_EQ(f.Frame().TimesRaisedBySplash(), 1);
}

// Counts the splash's repaints while a refresh scans and builds the tree.
TEST(Splash, EachRefreshHasASplashOfItsOwnThatClosesWithTheNewPanel) {
  FrameOnSample f("workstation.json");
  gui::Command(f.Frame(), ID_REFRESH);
  gui::Command(f.Frame(), ID_REFRESH);
  EXPECT_EQ(f.Frame().TimesRaisedBySplash(), 3);
  EXPECT_EQ(f.Frame().Splash(), nullptr);
}

}  // namespace
