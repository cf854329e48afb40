// The native frame on the samples: every tree item selected as a click would,
// both panes following, a screenshot of every panel; and the commands that
// rescan.
#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/win32/resource_ids.h"
#include "model/list_nodes.h"
#include "model/scsi_adapter_node.h"
#include "model/storage_node.h"
#include "platform/wide_text.h"
#include "ui/form_layout.h"
#include "ui/panels.h"
#include "win32_support.h"

namespace {

using win32test::FrameOnSample;

bool KindHasPanel(StorageNode* node) {
  FormState probe;
  return ShowNodePanel(probe, node);
}

std::wstring ScreenshotPath(const std::string& run, const PanelInfo& panel) {
  const std::string page = panel.helpPage;
  return (std::filesystem::path(win32test::BesideTests(L"screenshots")) / WideFromUtf8(run) /
          WideFromUtf8(page.substr(0, page.find('.')) + ".bmp"))
      .wstring();
}

struct SampleRun {
  const char* sample;
  bool showAll;
  const char* run;             // the screenshots' folder
  const wchar_t* message;      // the message box the first scan shows, if any
};

class EveryTreeItem : public testing::TestWithParam<SampleRun> {};

TEST_P(EveryTreeItem, ShowsItsNodeInBothPanes) {
  const SampleRun& p = GetParam();
  FrameOnSample f(p.sample, p.showAll);
  EXPECT_EQ(win32test::WindowText(f.Frame().Window()), WideFromUtf8(p.sample) + L" - Quelbrin");
  RECT tree;
  ::GetWindowRect(f.Tree(), &tree);
  EXPECT_EQ(tree.right - tree.left, CMainFrame::kTreeWidth);
  if (p.message != nullptr) {
    EXPECT_EQ(f.Prompt().messages, std::vector<std::wstring>{p.message});
  } else {
    EXPECT_TRUE(f.Prompt().messages.empty());
  }
  // The splash went when the pane showed the first node.
  EXPECT_EQ(f.Frame().Splash(), nullptr);
  EXPECT_EQ(f.Frame().TimesRaisedBySplash(), 1);

  const std::vector<HTREEITEM> items = win32test::TreeItems(f.Tree());
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(win32test::ItemText(f.Tree(), items.front()), L"Mountpoints");
  EXPECT_EQ(TreeView_GetSelection(f.Tree()), items.front());
  std::set<ControlId> panelsShot;
  // As a click would, with the tree in focus, so that its selection shows.
  ::SetFocus(f.Tree());
  for (HTREEITEM item : items) {
    StorageNode* node = CDiskTreeView::NodeOfItem(f.Tree(), item);
    ASSERT_NE(node, nullptr);
    SCOPED_TRACE(Utf8FromWide(win32test::ItemText(f.Tree(), item)));
    ::SendMessageW(f.Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    f.Pump();
    EXPECT_EQ(f.Doc().GetCurrentNode(), node);
    EXPECT_EQ(TreeView_GetSelection(f.Tree()), item);
    // One item drawn as selected, even where the node stands at several places.
    int drawnSelected = 0;
    for (HTREEITEM other : items)
      drawnSelected += (TreeView_GetItemState(f.Tree(), other, TVIS_SELECTED) & TVIS_SELECTED) != 0 ? 1 : 0;
    EXPECT_EQ(drawnSelected, 1);
    if (!KindHasPanel(node)) continue;
    const PanelInfo* panel = PanelOfKind(node->kind);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(f.Frame().Pane().Form().PanelOnDisplay(), panel->groupBoxId);
    // Only the node's panel shows its frame, where the pane has controls.
    for (const PanelInfo& other : Panels()) {
      HWND box = f.Frame().Pane().Control(other.groupBoxId);
      if (box != nullptr) {
        EXPECT_EQ(::IsWindowVisible(box) != FALSE, &other == panel) << Utf8FromWide(other.title);
      }
    }
    if (panelsShot.insert(panel->groupBoxId).second) {
      EXPECT_TRUE(win32test::SaveScreenshot(f.Frame().Window(), ScreenshotPath(p.run, *panel)));
    }
  }
  // Selecting after start-up never brings back a splash.
  EXPECT_EQ(f.Frame().TimesRaisedBySplash(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, EveryTreeItem,
    testing::Values(SampleRun{"workstation.json", false, "workstation", nullptr},
                    SampleRun{"workstation.json", true, "workstation-all", nullptr},
                    SampleRun{"server.json", true, "server", nullptr},
                    SampleRun{"failing-layout.json", false, "failing-layout", L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error"}),
    [](const testing::TestParamInfo<SampleRun>& param) {
      std::string name = param.param.run;
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

// Refresh keeps the mount point filter, All Mount Points turns it over; each
// rescans behind a splash of its own, which the first node shown closes, and
// the menu and the toolbar button show the filter.
TEST(Win32Frame, RescansKeepOrTurnTheMountPointFilter) {
  FrameOnSample f("workstation.json");
  const struct {
    int command;
    bool allAfter;
  } steps[] = {{ID_REFRESH, false}, {ID_VIEW_ALL_MOUNT_POINTS, true}, {ID_REFRESH, true},
               {ID_VIEW_ALL_MOUNT_POINTS, false}};
  int raised = f.Frame().TimesRaisedBySplash();
  for (const auto& step : steps) {
    SCOPED_TRACE(step.command);
    const std::size_t before = f.Doc().Model().MountPoints()->children.size();
    ::SendMessageW(f.Frame().Window(), WM_COMMAND, static_cast<WPARAM>(step.command), 0);
    f.Pump();
    EXPECT_EQ(f.Doc().GetShowAllMountPoints(), step.allAfter);
    EXPECT_EQ(f.Frame().TimesRaisedBySplash(), ++raised);
    EXPECT_EQ(f.Frame().Splash(), nullptr);
    EXPECT_EQ(f.Doc().GetCurrentNode(), f.Doc().Model().MountPoints());
    EXPECT_EQ(CDiskTreeView::NodeOfItem(f.Tree(), TreeView_GetSelection(f.Tree())), f.Doc().Model().MountPoints());
    const bool checked =
        ::SendMessageW(f.Frame().ToolBar(), TB_ISBUTTONCHECKED, ID_VIEW_ALL_MOUNT_POINTS, 0) != FALSE;
    EXPECT_EQ(checked, step.allAfter);
    HMENU menu = ::GetMenu(f.Frame().Window());
    ::SendMessageW(f.Frame().Window(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(::GetSubMenu(menu, 1)), 1);
    EXPECT_EQ((::GetMenuState(menu, ID_VIEW_ALL_MOUNT_POINTS, MF_BYCOMMAND) & MF_CHECKED) != 0, step.allAfter);
    if (step.command == ID_REFRESH) {
      EXPECT_EQ(f.Doc().Model().MountPoints()->children.size(), before);
    } else {
      EXPECT_NE(f.Doc().Model().MountPoints()->children.size(), before);
    }
  }
}

// A node chosen elsewhere (a row of the pane's lists) selects and reveals the
// tree's item registered for it: a disk under "Physical Disks", an adapter or
// device under "Adapters", though each stands under the mount points too.
TEST(Win32Frame, ANodeChosenElsewhereSelectsItsItemUnderItsRoot) {
  FrameOnSample f("workstation.json", true);
  const StorageModel& model = f.Doc().Model();
  std::vector<std::pair<StorageNode*, std::wstring>> chosen;
  for (const auto& disk : model.PhysicalDisks()->children) chosen.emplace_back(disk.get(), L"Physical Disks");
  for (const auto& adapter : model.Adapters()->children) {
    chosen.emplace_back(adapter.get(), L"Adapters");
    for (const auto& device : adapter->devices) chosen.emplace_back(&*device, L"Adapters");
  }
  ASSERT_GT(chosen.size(), 3u);
  // Each from the first mount point, under which the first disk, its adapter
  // and device stand too.
  const std::vector<HTREEITEM> items = win32test::TreeItems(f.Tree());
  for (const auto& [node, root] : chosen) {
    SCOPED_TRACE(Utf8FromWide(node->GetName()));
    ::SendMessageW(f.Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[1]));
    f.Doc().SetCurrentNode(node);
    f.Pump();
    HTREEITEM selected = TreeView_GetSelection(f.Tree());
    EXPECT_EQ(CDiskTreeView::NodeOfItem(f.Tree(), selected), node);
    HTREEITEM top = selected;
    while (TreeView_GetParent(f.Tree(), top) != nullptr) top = TreeView_GetParent(f.Tree(), top);
    EXPECT_EQ(win32test::ItemText(f.Tree(), top), root);
    RECT shown{};
    EXPECT_TRUE(TreeView_GetItemRect(f.Tree(), selected, &shown, TRUE));
  }
}

// A machine saved and opened again shows the same tree under its new name; a
// broken file is refused with a message and the view kept; the whole machine
// goes into one page.
TEST(Win32Frame, MachineFilesRoundTripAndABrokenOneLeavesTheView) {
  FrameOnSample f("server.json", true);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / L"quelbrin-machine-commands";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ofstream(dir / L"broken.json") << "{ \"storage\": ";
  std::filesystem::path answer;
  f.Frame().choosePath = [&answer](bool, const std::wstring&) { return answer.wstring(); };
  const std::size_t items = win32test::TreeItems(f.Tree()).size();
  constexpr int kDrop = 0;  // files dropped on the window: the first opens
  const struct {
    int command;
    const wchar_t* file;
    const wchar_t* titleAfter;
    std::size_t messagesAfter;
  } steps[] = {
      {ID_FILE_SAVE_MACHINE, L"copy.json", L"server.json - Quelbrin", 0},
      {ID_FILE_OPEN_MACHINE, L"copy.json", L"copy.json - Quelbrin", 0},
      {ID_FILE_OPEN_MACHINE, L"broken.json", L"copy.json - Quelbrin", 1},
      {ID_FILE_EXPORT_REPORT, L"copy.html", L"copy.json - Quelbrin", 1},
      {ID_FILE_SAVE_MACHINE, L"dropped.json", L"copy.json - Quelbrin", 1},
      {kDrop, L"dropped.json", L"dropped.json - Quelbrin", 1},
      {kDrop, L"broken.json", L"dropped.json - Quelbrin", 2},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(Utf8FromWide(step.file));
    answer = dir / step.file;
    if (step.command == kDrop)
      win32test::DropFiles(f.Frame().Window(), {answer.wstring(), (dir / L"copy.json").wstring()});
    else
      ::SendMessageW(f.Frame().Window(), WM_COMMAND, static_cast<WPARAM>(step.command), 0);
    f.Pump();
    EXPECT_TRUE(std::filesystem::is_regular_file(answer));
    EXPECT_EQ(win32test::WindowText(f.Frame().Window()), step.titleAfter);
    EXPECT_EQ(f.Prompt().messages.size(), step.messagesAfter);
    EXPECT_EQ(win32test::TreeItems(f.Tree()).size(), items);
    EXPECT_TRUE(f.Doc().GetShowAllMountPoints());
  }
  std::ifstream page(dir / L"copy.html");
  std::string head;
  std::getline(page, head);
  EXPECT_EQ(head, "<!DOCTYPE html>");
  page.close();
  std::filesystem::remove_all(dir);
}

// File > Recent Files: newest first, each file once whatever its case, at most
// eight, an "&" of a name kept as text; the list outlives the frame, and a
// file that cannot be read leaves it as it was.
TEST(Win32Frame, RecentFilesKeepTheLastOpenedFromOneRunToTheNext) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / L"quelbrin-recent-files";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ofstream(dir / L"broken.json") << "{ \"storage\": ";
  // The list keeps absolute paths, in the system's own form.
  auto kept = [](const std::filesystem::path& p) { return std::filesystem::absolute(p).lexically_normal().wstring(); };
  const std::wstring sample = kept(win32test::SamplePath("server.json"));
  const std::wstring copy = kept(dir / L"a&b.json");
  {
    win32test::FrameOnSample f("server.json");
    ASSERT_TRUE(f.Frame().SaveMachineFile(copy));
    ASSERT_TRUE(f.Frame().OpenMachineFile(copy));
    EXPECT_FALSE(f.Frame().OpenMachineFile((dir / L"broken.json").wstring()));
    EXPECT_EQ(f.Frame().Recent().Files(), (std::vector<std::wstring>{copy, sample}));
    HMENU menu = f.Frame().RecentFilesMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(::GetMenuItemCount(menu), 2);
    wchar_t text[MAX_PATH + 8] = L"";
    ::GetMenuStringW(menu, 0, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
    std::wstring shown = copy;
    shown.insert(shown.rfind(L'&'), 1, L'&');
    EXPECT_EQ(std::wstring(text), L"&1 " + shown);

    f.Frame().Command(ID_FILE_MRU_FILE1 + 1);
    f.Pump();
    EXPECT_EQ(win32test::WindowText(f.Frame().Window()), L"server.json - Quelbrin");
    EXPECT_EQ(f.Frame().Recent().Files(), (std::vector<std::wstring>{sample, copy}));

    RecentFiles again(win32test::kTestSettingsKey);
    again.Load();
    EXPECT_EQ(again.Files(), f.Frame().Recent().Files());
    std::wstring shouted = copy;
    for (wchar_t& c : shouted) c = static_cast<wchar_t>(std::towupper(c));
    again.Add(shouted);
    EXPECT_EQ(again.Files(), (std::vector<std::wstring>{shouted, sample}));
    for (int i = 0; i < 9; ++i) again.Add((dir / (L"m" + std::to_wstring(i) + L".json")).wstring());
    ASSERT_EQ(again.Files().size(), RecentFiles::kMost);
    EXPECT_EQ(again.Files().front(), kept(dir / L"m8.json"));
    EXPECT_EQ(again.Files().back(), kept(dir / L"m1.json"));
  }
  RecentFiles gone(win32test::kTestSettingsKey);
  gone.Load();
  EXPECT_TRUE(gone.Files().empty()) << "the test's settings are removed with its frame";
  std::filesystem::remove_all(dir);
}

// Context help names the page of what is under the pointer: the tree, the
// pane's panel on display, the bars.
TEST(Win32Frame, ContextHelpPageFollowsThePointer) {
  FrameOnSample f("workstation.json");
  auto centre = [](HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  EXPECT_EQ(f.Frame().HelpPageAt(centre(f.Tree())), L"tree.html");
  EXPECT_EQ(f.Frame().HelpPageAt(centre(f.Frame().ToolBar())), L"commands.html");
  EXPECT_EQ(f.Frame().HelpPageAt(centre(f.Frame().Pane().Window())), L"mountpoints.html");
  EXPECT_NE(::GetFileAttributesW(win32test::BesideTests(L"quelbrin.chm").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
