// Commands of the frame beyond the scan: the About box, moving the split bar
// with the keyboard, the wait cursor of a rescan, and a rescan that fails.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "app/gui/about_dialog.h"
#include "app/gui/splash_screen.h"
#include "platform/machine/machine_file.h"
#include "ui/form_layout.h"

#include <wx/modalhook.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/utils.h>

using enum ControlId;

namespace {

using gui::FrameOnSample;
using gui::Pump;

std::string Text(const wxString& s) { return s.ToStdString(wxConvUTF8); }

// Notes the title and static texts of every modal dialog, then answers OK.
class ReadModals : public wxModalDialogHook {
 public:
  ReadModals() { Register(); }
  ~ReadModals() override { Unregister(); }
  std::string title;
  std::vector<std::string> texts;

 protected:
  int Enter(wxDialog* dialog) override {
    title = Text(dialog->GetTitle());
    for (wxWindow* child : dialog->GetChildren())
      if (auto* text = dynamic_cast<wxStaticText*>(child)) texts.push_back(Text(text->GetLabel()));
    gui::SaveScreenshot(dialog, "about");
    return wxID_OK;
  }
  void Exit(wxDialog*) override {}
};

TEST(Commands, AboutShowsItsBoxModally) {
  FrameOnSample f("workstation.json");
  ReadModals modals;
  gui::Command(f.Frame(), ID_APP_ABOUT);
  EXPECT_EQ(modals.title, "About ZAV Quelbrin V1.0");
  ASSERT_FALSE(modals.texts.empty());
  EXPECT_EQ(modals.texts[0], "Quelbrin Version 1.0");
}

wxKeyEvent Key(int code) {
  wxKeyEvent key(wxEVT_CHAR_HOOK);
  key.m_keyCode = code;
  return key;
}

TEST(Commands, SplitMovesTheBarWithTheArrowKeysUntilEnterOrEscape) {
  FrameOnSample f("workstation.json");
  wxSplitterWindow* splitter = f.Frame().Splitter();
  gui::Command(f.Frame(), ID_WINDOW_SPLIT);
  for (int code : {WXK_RIGHT, WXK_RIGHT, WXK_LEFT}) {
    wxKeyEvent key = Key(code);
    f.Frame().GetEventHandler()->ProcessEvent(key);
  }
  EXPECT_EQ(splitter->GetSashPosition(), 133);
  wxKeyEvent escape = Key(WXK_ESCAPE);
  f.Frame().GetEventHandler()->ProcessEvent(escape);
  EXPECT_EQ(splitter->GetSashPosition(), 125);

  gui::Command(f.Frame(), ID_WINDOW_SPLIT);
  wxKeyEvent right = Key(WXK_RIGHT), enter = Key(WXK_RETURN), after = Key(WXK_RIGHT);
  f.Frame().GetEventHandler()->ProcessEvent(right);
  f.Frame().GetEventHandler()->ProcessEvent(enter);
  f.Frame().GetEventHandler()->ProcessEvent(after);
  EXPECT_EQ(splitter->GetSashPosition(), 133);
  EXPECT_EQ(Text(f.Frame().GetStatusBar()->GetStatusText(0)), "For Help, press F1");
}

TEST(Commands, TheStatusBarSaysWhatDidNotAnswerWhenIdle) {
  const std::string note = "/mnt/share (/dev/sdb1) did not answer within 2 s; its sizes are shown as unknown";
  FrameOnSample f("workstation.json", false, note);
  EXPECT_EQ(Text(f.Frame().GetStatusBar()->GetStatusText(0)), note);
  // and again once a command's own prompt is done with.
  gui::Command(f.Frame(), ID_WINDOW_SPLIT);
  wxKeyEvent enter = Key(WXK_RETURN);
  f.Frame().GetEventHandler()->ProcessEvent(enter);
  EXPECT_EQ(Text(f.Frame().GetStatusBar()->GetStatusText(0)), note);
}

TEST(Commands, NextPaneMovesTheFocusBetweenThePanes) {
  FrameOnSample f("workstation.json");
  f.Tree().SetFocus();
  Pump(20);
  gui::Command(f.Frame(), ID_NEXT_PANE);
  Pump(20);
  wxWindow* focus = wxWindow::FindFocus();
  bool inDetail = false;
  for (wxWindow* w = focus; w != nullptr; w = w->GetParent()) inDetail |= w == &f.Detail();
  EXPECT_TRUE(inDetail);
  gui::Command(f.Frame(), ID_PREV_PANE);
  Pump(20);
  EXPECT_EQ(wxWindow::FindFocus(), &f.Tree());
}

// Notes whether the wait cursor is up when the rebuilt model arrives.
class BusyWatcher : public DocumentListener {
 public:
  void OnUpdate(long hint, StorageNode*) override {
    if (hint == HintRebuild) busyDuringRebuild = wxIsBusy();
  }
  bool busyDuringRebuild = false;
};

TEST(Commands, ARescanRunsUnderTheWaitCursor) {
  FrameOnSample f("workstation.json");
  BusyWatcher watcher;
  f.Doc().AddListener(&watcher);
  gui::Command(f.Frame(), ID_REFRESH);
  f.Doc().RemoveListener(&watcher);
  EXPECT_TRUE(watcher.busyDuringRebuild);
  EXPECT_FALSE(wxIsBusy());
}

// The refresh's scan stops at a drive: the old nodes are gone, so nothing on
// screen may refer to them; the splash waits for the next node to be shown.
TEST(Commands, ARefreshWhoseScanFailsLeavesNothingThatPointsAtTheOldModel) {
  FrameOnSample f("failing-layout.json");
  ASSERT_EQ(f.Prompt().messages.size(), 1u);
  EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), MountPointListPanel);
  gui::Command(f.Frame(), ID_REFRESH);
  EXPECT_EQ(f.Prompt().messages.size(), 2u);
  EXPECT_TRUE(gui::TreeLines(f.Tree()).empty());
  EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), kNoControl);
  for (ControlId id : ControlsOfKind(ControlKind::ListView)) EXPECT_TRUE(f.Detail().Form().List(id).rows.empty()) << id;
  gui::ExpectControlsShowForm(f.Detail());
  gui::DoubleClickRow(f.Detail(), AllMountPointsList, 0);
  EXPECT_EQ(f.Doc().GetCurrentNode(), nullptr);
  CQuelbrinSplashScreen* splash = f.Frame().Splash();
  EXPECT_NE(splash, nullptr);

  // The next refresh reuses that splash; it fails again the same way.
  gui::Command(f.Frame(), ID_REFRESH);
  EXPECT_EQ(f.Frame().Splash(), splash);
  EXPECT_EQ(f.Prompt().messages.size(), 3u);
  f.Frame().CloseSplash();
}

}  // namespace
