// Commands of the frame beyond the scan: the About box, moving the split bar
// with the keyboard, the wait cursor of a rescan, a rescan that fails, the
// keys of the menus, and the prompts of the disabled print commands.
#include <gtest/gtest.h>

#include <map>

#include "gui_support.h"
#include "app/gui/about_dialog.h"
#include "app/gui/splash_screen.h"
#include "platform/machine/machine_file.h"
#include "ui/form_layout.h"
#include "ui/widgets/gtk_native.h"

#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>
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
  void OnUpdate(UpdateHint hint, StorageNode*) override {
    if (hint == HintRebuild) busyDuringRebuild = wxIsBusy();
  }
  bool busyDuringRebuild = false;
};

TEST(Commands, ARescanRunsUnderTheWaitCursor) {
  FrameOnSample f("workstation.json");
  BusyWatcher watcher;
  Subscription listening = f.Doc().Subscribe(watcher);
  gui::Command(f.Frame(), ID_REFRESH);
  listening.Reset();
  EXPECT_TRUE(watcher.busyDuringRebuild);
  EXPECT_FALSE(wxIsBusy());
}

// The refresh's scan stops at a drive: the old nodes are gone, so nothing on
// screen may refer to them; the splash goes once the message is answered.
TEST(Commands, ARefreshWhoseScanFailsLeavesNothingThatPointsAtTheOldModel) {
  FrameOnSample f("failing-layout.json");
  ASSERT_EQ(f.Prompt().messages.size(), 1u);
  EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), MountPointListPanel);
  for (int refresh = 1; refresh <= 2; ++refresh) {
    SCOPED_TRACE("refresh " + std::to_string(refresh));
    gui::Command(f.Frame(), ID_REFRESH);
    EXPECT_EQ(f.Prompt().messages.size(), 1u + refresh);
    EXPECT_TRUE(gui::TreeLines(f.Tree()).empty());
    EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), kNoControl);
    for (ControlId id : ControlsOfKind(ControlKind::ListView))
      EXPECT_TRUE(f.Detail().Form().List(id).rows.empty()) << id;
    gui::ExpectControlsShowForm(f.Detail());
    gui::DoubleClickRow(f.Detail(), AllMountPointsList, 0);
    EXPECT_EQ(f.Doc().GetCurrentNode(), nullptr);
    // Each refresh had a splash of its own, closed after its message.
    EXPECT_EQ(f.Frame().Splash(), nullptr);
    EXPECT_EQ(f.Frame().TimesRaisedBySplash(), 1 + refresh);
  }
}

// Keys come from the program's accelerator table and the menu texts alone:
// the toolkit's stock Quit would add a Ctrl+Q that neither has.
TEST(Commands, NoMenuItemHasAKeyOfTheToolkitsMakingAndCtrlQDoesNothing) {
  FrameOnSample f("workstation.json");
  std::map<std::string, std::string> keys;
  wxMenuBar* bar = f.Frame().GetMenuBar();
  for (std::size_t m = 0; m < bar->GetMenuCount(); ++m)
    for (wxMenuItem* item : bar->GetMenu(m)->GetMenuItems())
      if (!item->IsSeparator()) keys[Text(item->GetItemLabelText())] = gui::MenuItemAccelerator(item);
  const std::map<std::string, std::string> wanted = {
      {"Print...", "Ctrl+P"}, {"Open Machine File...", "Ctrl+O"}, {"Save Machine File...", "Ctrl+S"}};
  for (const auto& [label, key] : keys) EXPECT_EQ(key, wanted.count(label) ? wanted.at(label) : "") << label;
  EXPECT_EQ(keys.count("Exit"), 1u);

  bool closeAsked = false;
  f.Frame().Bind(wxEVT_CLOSE_WINDOW, [&closeAsked](wxCloseEvent& close) {
    closeAsked = true;
    close.Veto();
  });
  f.Frame().Raise();
  f.Tree().SetFocus();
  Pump(20);
  wxUIActionSimulator user;
  user.Char(WXK_F6);
  Pump(20);
  if (wxWindow::FindFocus() == &f.Tree()) GTEST_SKIP() << "this display does not take simulated keys";
  user.Char('Q', wxMOD_CONTROL);
  Pump(50);
  EXPECT_FALSE(closeAsked);
  EXPECT_TRUE(f.Frame().IsShown());
}

// The print commands show their prompts under the pointer, on the toolbar
// and in the menu, and the bar says what it said before once the pointer
// leaves them.
TEST(Commands, PrintCommandsShowTheirPromptsUnderThePointer) {
  FrameOnSample f("workstation.json");
  f.Frame().Raise();
  Pump(20);
  auto status = [&f] { return Text(f.Frame().GetStatusBar()->GetStatusText(0)); };
  wxUIActionSimulator pointer;
  auto moveTo = [&pointer](const wxPoint& at) {
    pointer.MouseMove(at);
    Pump(150);
  };
  auto centre = [](const wxRect& r) { return r.GetPosition() + wxPoint(r.width / 2, r.height / 2); };
  const wxPoint away = centre(f.Detail().GetScreenRect());
  moveTo(away);
  if (wxGetMousePosition() != away) GTEST_SKIP() << "this display does not take simulated input";

  moveTo(centre(ToolScreenRect(f.Frame().GetToolBar(), 0)));
  EXPECT_EQ(status(), "Print the active document");
  moveTo(away);
  EXPECT_EQ(status(), "For Help, press F1");

  wxMenu* file = f.Frame().GetMenuBar()->GetMenu(0);
  moveTo(centre(gui::NativeScreenRect(file->m_owner)));
  pointer.MouseClick();
  Pump(150);
  const std::pair<int, const char*> items[] = {
      {ID_FILE_PRINT, "Print the active document"},
      {ID_FILE_PRINT_SETUP, "Change the printer and printing options"},
      {ID_FILE_PRINT_PREVIEW, "Display full pages"},
      {ID_REFRESH, "Refresh the Display"},
      {ID_FILE_PRINT, "Print the active document"},
  };
  for (const auto& [id, prompt] : items) {
    moveTo(centre(MenuItemScreenRect(file->FindItem(id))));
    EXPECT_EQ(status(), prompt) << id;
  }
  pointer.Char(WXK_ESCAPE);
  moveTo(away);
  EXPECT_EQ(status(), "For Help, press F1");
}

}  // namespace
