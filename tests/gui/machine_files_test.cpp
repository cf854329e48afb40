// Machine files in the viewer: open, save, recent files, the live machine,
// broken files, and refreshes that keep what the user had open.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "gui_support.h"
#include "platform/machine/machine_file.h"
#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/form_layout.h"

#include <wx/dnd.h>
#include <wx/filehistory.h>
#include <wx/statusbr.h>

using enum ControlId;

namespace {

using gui::FrameOnSample;
using gui::ItemAt;
using gui::Pump;
using gui::SelectedPath;

std::string Text(const wxString& s) { return s.ToStdString(wxConvUTF8); }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Replaces the file as `capture -o` and editors do: written aside, then renamed.
void Replace(const std::string& path, const std::string& text) {
  const std::string aside = path + ".new";
  std::ofstream(aside, std::ios::binary) << text;
  std::filesystem::rename(aside, path);
}

std::string ScratchDir(const std::string& name) {
  const std::string dir = testing::TempDir() + "/" + name + "-" + std::to_string(getpid());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The tree a scan of the file gives, without a window.
std::vector<std::string> TreeOfFile(const std::string& path) {
  RecordedPlatform platform(LoadMachineFile(path));
  RecordingPrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  doc.InitialScan();
  return gui::ModelTreeLines(doc);
}

std::string CliCapture(const std::string& machineFile) {
  const std::string command = std::string(QUELBRIN_CLI) + " --machine '" + machineFile + "' capture 2>/dev/null";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  std::array<char, 65536> chunk{};
  for (std::size_t n; pipe != nullptr && (n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0;) out.append(chunk.data(), n);
  if (pipe != nullptr) pclose(pipe);
  return out;
}


// Answers the frame's file dialogs with the given paths, in turn.
void AnswerFileDialogs(CMainFrame& frame, std::vector<std::string> answers) {
  frame.choosePath = [answers = std::move(answers), next = std::size_t{0}](bool, const wxString&) mutable {
    return next < answers.size() ? wxString::FromUTF8(answers[next++]) : wxString();
  };
}

TEST(MachineFiles, OpenSaveAndReopenThroughTheMenusAndRecentFiles) {
  FrameOnSample f("workstation.json");
  const std::string dir = ScratchDir("open-save");
  const std::string server = gui::SamplePath("server.json");
  const std::string saved = dir + "/saved server.json";
  AnswerFileDialogs(f.Frame(), {server, saved, saved});

  gui::Command(f.Frame(), ID_FILE_OPEN_MACHINE);
  EXPECT_EQ(Text(f.Frame().GetTitle()), "server.json - Quelbrin");
  EXPECT_EQ(gui::TreeLines(f.Tree()), TreeOfFile(server));
  EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), MountPointListPanel);
  gui::ExpectControlsShowForm(f.Detail());

  // Saved as the terminal program's capture writes it, and it replays to the same tree.
  gui::Command(f.Frame(), ID_FILE_SAVE_MACHINE);
  EXPECT_EQ(ReadAll(saved), CliCapture(server));
  gui::Command(f.Frame(), ID_FILE_OPEN_MACHINE);
  EXPECT_EQ(Text(f.Frame().GetTitle()), "saved server.json - Quelbrin");
  EXPECT_EQ(gui::TreeLines(f.Tree()), TreeOfFile(server));
  EXPECT_TRUE(f.Prompt().messages.empty());

  // The most recent first; the list outlives the window, in the settings.
  wxFileHistory& recent = f.Frame().RecentFiles();
  ASSERT_GE(recent.GetCount(), 2u);
  EXPECT_EQ(Text(recent.GetHistoryFile(0)), saved);
  EXPECT_EQ(Text(recent.GetHistoryFile(1)), server);
  gui::Command(f.Frame(), wxID_FILE1 + 1);
  EXPECT_EQ(Text(f.Frame().GetTitle()), "server.json - Quelbrin");
  {
    FrameOnSample later("workstation.json");
    ASSERT_GE(later.Frame().RecentFiles().GetCount(), 2u);
    EXPECT_EQ(Text(later.Frame().RecentFiles().GetHistoryFile(0)), server);
  }

  gui::Command(f.Frame(), ID_FILE_LIVE_MACHINE);
  EXPECT_EQ(Text(f.Frame().GetTitle()), "this machine - Quelbrin");
  EXPECT_FALSE(f.Frame().Source().machineFile.has_value());
  EXPECT_EQ(gui::TreeLines(f.Tree()), gui::ModelTreeLines(f.Doc()));
  std::filesystem::remove_all(dir);
}

// A file named when the program starts: what main() makes of `quelbrin FILE`.
TEST(MachineFiles, AFileArgumentIsViewedAndNamedInTheTitle) {
  const std::string server = gui::SamplePath("server.json");
  FrameOptions options;
  options.source.machineFile = server;
  options.readsSource = true;
  std::string error;
  std::unique_ptr<Platform> platform = OpenMachine(options.source, error);
  ASSERT_TRUE(platform) << error;
  RecordingPrompt prompt;
  auto* frame = new CMainFrame(*platform, &prompt, options);
  frame->InitialUpdate();
  Pump(20);
  EXPECT_EQ(Text(frame->GetTitle()), "server.json - Quelbrin");
  EXPECT_EQ(gui::TreeLines(*frame->TreeView()), TreeOfFile(server));
  EXPECT_EQ(Text(frame->RecentFiles().GetHistoryFile(0)), server);
  // Off for a file unless the user turns it on.
  EXPECT_FALSE(frame->AutoRefresh());
  frame->Destroy();
  Pump();

  // The program itself takes the file as its argument: a missing one is
  // refused before any window, naming it.
  const std::string command = std::string(QUELBRIN_GUI) + " /nonexistent/lost.json 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::array<char, 512> line{};
  std::string output;
  while (fgets(line.data(), static_cast<int>(line.size()), pipe) != nullptr) output += line.data();
  const int status = pclose(pipe);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
  EXPECT_NE(output.find("/nonexistent/lost.json"), std::string::npos) << output;
}

// Whatever is wrong with a file, the message names the file, where and what
// was expected, and the machine on view, its selection and title stay.
TEST(MachineFiles, ABrokenFileLeavesThePreviousViewStanding) {
  const std::string dir = ScratchDir("broken");
  struct Case {
    const char* name;
    std::string text;     // written unless empty
    const char* where;    // the place and what was expected there
  };
  const Case cases[] = {
      {"cut.json", R"({"format": "quelbrin-machine", "version": 1, "drives": [)", "cut.json:1:57: not valid JSON"},
      {"wrong-type.json", R"({"format": "quelbrin-machine", "version": 1, "drives": 5})",
       "drives: expected an array, found number 5"},
      {"not-json.json", "hello", "not-json.json:1:1:"},
      {"missing.json", "", "missing.json: cannot open"},
  };
  FrameOnSample f("workstation.json");
  const wxTreeItemId disk = ItemAt(f.Tree(), {"Physical Disks", "PhysicalDrive1"});
  ASSERT_TRUE(disk.IsOk());
  f.Tree().SelectItem(disk);
  Pump(5);
  const std::vector<std::string> tree = gui::TreeLines(f.Tree());
  StorageNode* const current = f.Doc().GetCurrentNode();
  const wxString title = f.Frame().GetTitle();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/" + c.name;
    if (!c.text.empty()) std::ofstream(path) << c.text;
    const std::size_t before = f.Prompt().messages.size();
    EXPECT_FALSE(f.Frame().OpenMachineFile(wxString::FromUTF8(path)));
    ASSERT_EQ(f.Prompt().messages.size(), before + 1);
    const std::string message = Utf8FromWide(f.Prompt().messages.back());
    EXPECT_NE(message.find(c.name), std::string::npos) << message;
    EXPECT_NE(message.find(c.where), std::string::npos) << message;
    EXPECT_EQ(gui::TreeLines(f.Tree()), tree);
    EXPECT_EQ(f.Doc().GetCurrentNode(), current);
    EXPECT_EQ(f.Tree().NodeOfItem(f.Tree().GetSelection()), current);
    EXPECT_EQ(f.Frame().GetTitle(), title);
  }
  // Dropped on the window, the same.
  auto* drop = dynamic_cast<wxFileDropTarget*>(f.Frame().GetDropTarget());
  ASSERT_NE(drop, nullptr);
  wxArrayString files;
  files.Add(wxString::FromUTF8(dir + "/cut.json"));
  EXPECT_FALSE(drop->OnDropFiles(0, 0, files));
  EXPECT_EQ(gui::TreeLines(f.Tree()), tree);
  files[0] = wxString::FromUTF8(gui::SamplePath("server.json"));
  EXPECT_TRUE(drop->OnDropFiles(0, 0, files));
  EXPECT_EQ(Text(f.Frame().GetTitle()), "server.json - Quelbrin");
  std::filesystem::remove_all(dir);
}

// The machine file changes under the viewer: the selection stays where its
// node still exists and goes to the nearest parent where it does not, and
// what was expanded stays expanded. Then the same with Auto Refresh.
TEST(MachineFiles, RefreshKeepsSelectionAndExpandedItemsByPath) {
  const std::string dir = ScratchDir("keep");
  const std::string path = dir + "/workstation.json";
  nlohmann::json machine = nlohmann::json::parse(ReadAll(gui::SamplePath("workstation.json")));
  Replace(path, machine.dump());
  FrameOnSample f("server.json");
  ASSERT_TRUE(f.Frame().OpenMachineFile(wxString::FromUTF8(path)));
  const wxTreeItemId disks = ItemAt(f.Tree(), {"Physical Disks"});
  ASSERT_TRUE(disks.IsOk());
  f.Tree().Expand(disks);
  const wxTreeItemId mount = ItemAt(f.Tree(), {"Mountpoints", "\\DosDevices\\W:"});
  ASSERT_TRUE(mount.IsOk());
  f.Tree().FillChildren(mount);
  wxTreeItemIdValue cookie;
  const wxTreeItemId deep = f.Tree().GetFirstChild(mount, cookie);
  f.Tree().SelectItem(deep.IsOk() ? deep : mount);
  Pump(5);
  const std::vector<std::string> selected = SelectedPath(f.Tree());
  auto withoutMountPoint = [&machine](const std::string& name) {
    auto& list = machine["mountPoints"];
    for (auto it = list.begin(); it != list.end(); ++it)
      if ((*it)["name"] == name) {
        list.erase(it);
        return;
      }
    ADD_FAILURE() << name << " is not in the sample";
  };

  withoutMountPoint("\\DosDevices\\U:");
  Replace(path, machine.dump());
  gui::Command(f.Frame(), ID_REFRESH);
  EXPECT_FALSE(ItemAt(f.Tree(), {"Mountpoints", "\\DosDevices\\U:"}).IsOk());
  EXPECT_EQ(SelectedPath(f.Tree()), selected);
  EXPECT_TRUE(f.Tree().IsExpanded(ItemAt(f.Tree(), {"Physical Disks"})));
  EXPECT_EQ(f.Doc().GetCurrentNode(), f.Tree().NodeOfItem(f.Tree().GetSelection()));
  gui::ExpectControlsShowForm(f.Detail());

  // Auto Refresh: no Refresh, and no splash taking the focus.
  f.Frame().SetAutoRefresh(true);
  ASSERT_TRUE(f.Frame().WatchingForChanges());
  const int raised = f.Frame().TimesRaisedBySplash();
  withoutMountPoint("\\DosDevices\\W:");
  Replace(path, machine.dump());
  for (int wait = 0; wait < 600 && ItemAt(f.Tree(), {"Mountpoints", "\\DosDevices\\W:"}).IsOk(); ++wait) Pump(50);
  EXPECT_FALSE(ItemAt(f.Tree(), {"Mountpoints", "\\DosDevices\\W:"}).IsOk());
  EXPECT_EQ(SelectedPath(f.Tree()), std::vector<std::string>{"Mountpoints"});
  EXPECT_EQ(f.Doc().GetCurrentNode(), f.Doc().Model().MountPoints());
  EXPECT_TRUE(f.Tree().IsExpanded(ItemAt(f.Tree(), {"Physical Disks"})));
  EXPECT_EQ(f.Frame().TimesRaisedBySplash(), raised);
  EXPECT_EQ(f.Frame().Splash(), nullptr);

  // A file caught half written is not shown, and no box interrupts the user.
  const std::size_t messages = f.Prompt().messages.size();
  const std::vector<std::string> tree = gui::TreeLines(f.Tree());
  Replace(path, machine.dump().substr(0, 100));
  for (int wait = 0; wait < 600 && !Text(f.Frame().GetStatusBar()->GetStatusText(0)).starts_with("The machine file"); ++wait)
    Pump(50);
  EXPECT_EQ(f.Prompt().messages.size(), messages);
  EXPECT_EQ(gui::TreeLines(f.Tree()), tree);
  f.Frame().SetAutoRefresh(false);
  EXPECT_FALSE(f.Frame().WatchingForChanges());
  std::filesystem::remove_all(dir);
}

}  // namespace
