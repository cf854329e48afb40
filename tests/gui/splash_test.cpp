// The splash screen and the progress operations of the main frame, and the
// splash beside the message box of a scan that stops.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "app/gui/progress_bar_state.h"
#include "app/gui/splash_screen.h"
#include "platform/machine/machine_file.h"

#include <wx/modalhook.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

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
  // Painted by the time the scan that follows would start: nothing is
  // handled in between, and an unpainted window is black.
  wxWindow* gauge = splash->FindWindow(2204);
  ASSERT_NE(gauge, nullptr);
  EXPECT_EQ(gui::ScreenPixel(gauge, wxPoint(gauge->GetClientSize().x / 2, gauge->GetClientSize().y / 2)),
            wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
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

// Lets the scan's message box come up for real, and answers it once it is on
// the screen, noting what the splash shows beside it at that moment.
class AnswerOnceShown : public wxModalDialogHook {
 public:
  explicit AnswerOnceShown(CMainFrame& frame) : frame_(frame) {
    Register();
    watch.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Look(); });
  }
  ~AnswerOnceShown() override { Unregister(); }

  int boxes = 0;
  bool cameUp = false;
  std::string status;
  int filled = -1;
  // Points of the splash's bar beside the box, and those of them that show the
  // bar's fill: the rest is hidden behind another window.
  int barPoints = 0, barPointsShown = 0;
  bool splashOverFrame = false;

 protected:
  int Enter(wxDialog* dialog) override {
    ++boxes;
    box = dialog;
    looks = 0;
    watch.Start(20);
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { watch.Stop(); }

 private:
  void Look() {
    // Bounded, so that a box that never comes up fails the test instead of
    // waiting for ever; two looks more let the windows paint.
    const bool up = !gui::NativeScreenRect(box->GetHandle()).IsEmpty();
    if (up) cameUp = true;
    if ((!up || ++looks < 3) && ++waits < 500) return;
    const wxRect boxArea = gui::NativeScreenRect(box->GetHandle());
    if (CQuelbrinSplashScreen* splash = frame_.Splash()) {
      status = Text(splash->StatusText());
      filled = splash->GaugeValue();
      splashOverFrame = splash->GetScreenRect().Intersects(frame_.GetScreenRect());
      wxWindow* gauge = splash->FindWindow(2204);
      const wxSize size = gauge->GetClientSize();
      for (int x = 4; x < size.x - 3; x += 8) {
        const wxPoint at(x, size.y / 2);
        if (boxArea.Contains(gauge->ClientToScreen(at))) continue;
        ++barPoints;
        if (gui::ScreenPixel(gauge, at) == wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)) ++barPointsShown;
      }
    }
    watch.Stop();
    constexpr int kOk = -5;
    gui::RespondToNativeDialog(box, kOk);
  }

  CMainFrame& frame_;
  wxTimer watch;
  wxDialog* box = nullptr;
  int looks = 0;
  int waits = 0;
};

// A refresh whose scan stops keeps its splash at the step where it stopped,
// above the frame while the message is up, and closes it once it is answered.
TEST(Splash, AFailedRefreshKeepsItsSplashAboveTheFrameUntilTheMessageIsAnswered) {
  RecordedPlatform platform(LoadMachineFile(gui::SamplePath("failing-layout.json")));
  auto* frame = new CMainFrame(platform, nullptr, FrameOptions{});
  AnswerOnceShown answer(*frame);
  frame->SetPosition(wxPoint(0, 0));
  frame->InitialUpdate();
  Pump(20);
  ASSERT_EQ(answer.boxes, 1);
  // The splash comes up where the pointer is: over the frame.
  wxUIActionSimulator().MouseMove(frame->GetScreenRect().GetPosition() + wxPoint(400, 300));
  Pump(20);

  gui::Command(*frame, ID_REFRESH);
  EXPECT_EQ(answer.boxes, 2);
  EXPECT_TRUE(answer.cameUp);
  EXPECT_EQ(answer.status, "Getting Mount Points");
  EXPECT_EQ(answer.filled, 1000);
  EXPECT_TRUE(answer.splashOverFrame);
  EXPECT_GT(answer.barPoints, 0);
  EXPECT_EQ(answer.barPointsShown, answer.barPoints);
  EXPECT_EQ(frame->Splash(), nullptr);
  Pump(10);
  for (wxWindow* w : wxTopLevelWindows) EXPECT_EQ(dynamic_cast<CQuelbrinSplashScreen*>(w), nullptr);
  frame->Destroy();
  Pump();
}

}  // namespace
