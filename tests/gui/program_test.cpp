// The quelbrin program as a user starts it, and the parts of the frame that
// only the real program uses: its own message boxes and its help book.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>

#include <sys/wait.h>

#include "gui_support.h"
#include "platform/machine/machine_file.h"
#include "ui/widgets/detailed_view.h"

#include <wx/html/helpctrl.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

using enum ControlId;

namespace {

using gui::Pump;

struct ProgramRun {
  int status = -1;
  std::string output;
};

// Runs the program with a changed environment, collecting stdout and stderr.
ProgramRun RunProgram(const std::string& environment, const std::string& arguments) {
  const std::string command = environment + " " + QUELBRIN_GUI + " " + arguments + " 2>&1";
  ProgramRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 512> buffer{};
  while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) run.output += buffer.data();
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

TEST(Program, WithoutADisplaySaysSoInOneLineNamingTheTerminalProgram) {
  const ProgramRun run = RunProgram("env -u DISPLAY -u WAYLAND_DISPLAY",
                             "--machine " + gui::SamplePath("workstation.json"));
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.output.find("quelbrin-cli"), std::string::npos) << run.output;
  EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
}

TEST(Program, HelpAndUsageErrors) {
  ProgramRun run = RunProgram("env -u DISPLAY", "--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("--machine FILE"), std::string::npos);
  run = RunProgram("", "--bogus");
  EXPECT_EQ(run.status, 2);
  run = RunProgram("", "--machine");
  EXPECT_EQ(run.status, 2);
  run = RunProgram("", "--machine /nonexistent/machine.json");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.output.find("machine.json"), std::string::npos) << run.output;
}

// Answers every modal dialog with OK, noting the message boxes' texts.
class AnswerModals : public wxModalDialogHook {
 public:
  AnswerModals() { Register(); }
  ~AnswerModals() override { Unregister(); }
  std::vector<std::string> messages;

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
      messages.push_back(box->GetMessage().ToStdString());
      captions.push_back(box->GetTitle().ToStdString());
    }
    return wxID_OK;
  }
  void Exit(wxDialog*) override {}

 public:
  std::vector<std::string> captions;
};

TEST(Program, AScanThatStopsShowsItsMessageBoxAndStillShowsWhatItFound) {
  AnswerModals modals;
  RecordedPlatform platform(LoadMachineFile(gui::SamplePath("failing-layout.json")));
  FrameOptions options;
  auto* frame = new CMainFrame(platform, nullptr, options);
  frame->InitialUpdate();
  Pump(20);
  ASSERT_EQ(modals.messages.size(), 1u);
  EXPECT_EQ(modals.messages[0], "IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error");
  EXPECT_EQ(modals.captions[0], "Quelbrin");
  EXPECT_TRUE(frame->IsShown());
  EXPECT_EQ(frame->DetailedView()->Form().PanelOnDisplay(), MountPointListPanel);
  EXPECT_EQ(frame->Splash(), nullptr);
  frame->Destroy();
  Pump();
}

TEST(Program, TheHelpBookOpensAtItsContents) {
  gui::FrameOnSample f("workstation.json");
  wxHtmlHelpController* help = f.Frame().Help();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->Display("disk.html"));
  Pump(50);
  wxWindow* helpFrame = help->GetFrame();
  ASSERT_NE(helpFrame, nullptr);
  EXPECT_TRUE(helpFrame->IsShown());
  gui::SaveScreenshot(helpFrame, "help-disk");
  help->Quit();
  Pump(20);
}

}  // namespace
