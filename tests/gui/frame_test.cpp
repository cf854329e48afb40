// The real main frame on the sample machines: start-up, every node through
// the tree and through the lists, refresh, and the commands around them.
#include <gtest/gtest.h>

#include <set>

#include "gui_support.h"
#include "ui/form_layout.h"
#include "ui/widgets/pie_chart_ctrl.h"

#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/splitter.h>
#include <wx/toolbar.h>

using enum ControlId;

namespace {

using gui::FrameOnSample;
using gui::Pump;

std::string Text(const wxString& s) { return s.ToStdString(wxConvUTF8); }

// Every item of the tree, depth first.
void CollectItems(CDiskTreeView& tree, const wxTreeItemId& item, std::vector<wxTreeItemId>& out) {
  tree.FillChildren(item);
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree.GetFirstChild(item, cookie); child.IsOk(); child = tree.GetNextChild(item, cookie)) {
    out.push_back(child);
    CollectItems(tree, child, out);
  }
}

bool MenuChecked(CMainFrame& frame, int id) {
  frame.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  return frame.GetMenuBar()->FindItem(id)->IsChecked();
}

TEST(MainFrame, StartsWithTheMountPointListBesideATreeOfThreeRoots) {
  FrameOnSample f("workstation.json");
  CMainFrame& frame = f.Frame();
  EXPECT_TRUE(frame.IsShown());
  // The title names what is viewed.
  EXPECT_EQ(Text(frame.GetTitle()), "workstation.json - Quelbrin");
  EXPECT_EQ(frame.Splitter()->GetSashPosition(), 125);
  EXPECT_EQ(f.Tree().GetSize().x, 125);

  // Three roots, none expanded, the first selected.
  std::vector<std::string> roots;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId root = f.Tree().GetFirstChild(f.Tree().GetRootItem(), cookie); root.IsOk();
       root = f.Tree().GetNextChild(f.Tree().GetRootItem(), cookie)) {
    roots.push_back(Text(f.Tree().GetItemText(root)));
    EXPECT_FALSE(f.Tree().IsExpanded(root));
  }
  EXPECT_EQ(roots, (std::vector<std::string>{"Mountpoints", "Physical Disks", "Adapters"}));
  EXPECT_EQ(Text(f.Tree().GetItemText(f.Tree().GetSelection())), "Mountpoints");
  EXPECT_EQ(gui::TreeLines(f.Tree()), gui::ModelTreeLines(f.Doc()));

  EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), MountPointListPanel);
  gui::ExpectPanelAtTop(f.Detail());
  gui::ExpectControlsShowForm(f.Detail());
  EXPECT_EQ(static_cast<wxListCtrl*>(f.Detail().Control(AllMountPointsList))->GetItemCount(),
            static_cast<int>(f.Doc().Model().MountPoints()->children.size()));

  // The splash closed once, bringing the frame forward; printing is on.
  EXPECT_EQ(frame.Splash(), nullptr);
  EXPECT_EQ(frame.TimesRaisedBySplash(), 1);
  frame.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(frame.GetMenuBar()->FindItem(ID_FILE_PRINT)->IsEnabled());
  EXPECT_TRUE(frame.GetMenuBar()->FindItem(ID_FILE_PRINT_PREVIEW)->IsEnabled());
  EXPECT_TRUE(frame.GetToolBar()->GetToolEnabled(ID_FILE_PRINT));
  EXPECT_FALSE(MenuChecked(frame, ID_VIEW_ALL_MOUNT_POINTS));
  EXPECT_TRUE(MenuChecked(frame, ID_VIEW_TOOLBAR));
  EXPECT_TRUE(MenuChecked(frame, ID_VIEW_STATUS_BAR));
  EXPECT_EQ(Text(frame.GetStatusBar()->GetStatusText(0)), "For Help, press F1");
  EXPECT_TRUE(gui::SaveScreenshot(&frame, "panel-mountpoints").size() > 0);
}

TEST(MainFrame, MenusCarryTheirTextsAndPrompts) {
  FrameOnSample f("workstation.json");
  wxMenuBar* bar = f.Frame().GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(Text(bar->GetMenuLabel(0)), "&File");
  EXPECT_EQ(Text(bar->GetMenuLabel(1)), "&View");
  EXPECT_EQ(Text(bar->GetMenuLabel(2)), "&Help");
  auto labels = [](wxMenu* menu) {
    std::vector<std::string> out;
    for (wxMenuItem* item : menu->GetMenuItems()) out.push_back(item->IsSeparator() ? "-" : Text(item->GetItemLabel()));
    return out;
  };
  EXPECT_EQ(labels(bar->GetMenu(0)),
            (std::vector<std::string>{"&Refresh", "-", "&Open Machine File...\tCtrl+O", "Recent &Files",
                                      "&Save Machine File...\tCtrl+S", "&Live Machine", "-", "&Print...\tCtrl+P",
                                      "Print Pre&view", "P&rint Setup...", "&Export Report...", "-", "E&xit"}));
  EXPECT_EQ(labels(bar->GetMenu(1)), (std::vector<std::string>{"&Toolbar", "&Status Bar", "S&plit", "-",
                                                               "&All Mount Points", "Auto &Refresh"}));
  EXPECT_EQ(labels(bar->GetMenu(2)), (std::vector<std::string>{"&Help Topics", "-", "&About Quelbrin..."}));
  EXPECT_EQ(Text(bar->FindItem(ID_REFRESH)->GetHelp()), "Refresh the Display");
  EXPECT_EQ(Text(bar->FindItem(ID_VIEW_ALL_MOUNT_POINTS)->GetHelp()), "View All Mount Points");

  wxToolBar* tools = f.Frame().GetToolBar();
  ASSERT_EQ(tools->GetToolsCount(), 6u);
  const int ids[] = {ID_FILE_PRINT, wxID_SEPARATOR, ID_VIEW_ALL_MOUNT_POINTS, wxID_SEPARATOR, ID_APP_ABOUT,
                     ID_CONTEXT_HELP};
  for (std::size_t i = 0; i < 6; ++i) {
    const wxToolBarToolBase* tool = tools->GetToolByPos(static_cast<int>(i));
    if (ids[i] == wxID_SEPARATOR)
      EXPECT_TRUE(tool->IsSeparator());
    else
      EXPECT_EQ(tool->GetId(), ids[i]);
  }
  EXPECT_EQ(Text(tools->GetToolShortHelp(ID_VIEW_ALL_MOUNT_POINTS)), "View All");
  EXPECT_EQ(Text(tools->GetToolLongHelp(ID_VIEW_ALL_MOUNT_POINTS)), "View All Mount Points");
  EXPECT_EQ(f.Frame().GetStatusBar()->GetFieldsCount(), 4);
}

// Selects every item of the tree in turn, as a click would, and checks that
// both panes follow and that every control shows what the panel computed.
void WalkEveryTreeItem(FrameOnSample& f, const std::string& sample) {
  std::vector<wxTreeItemId> items;
  CollectItems(f.Tree(), f.Tree().GetRootItem(), items);
  ASSERT_FALSE(items.empty());
  std::set<ControlId> panelsShot;
  for (const wxTreeItemId& item : items) {
    StorageNode* node = f.Tree().NodeOfItem(item);
    ASSERT_NE(node, nullptr);
    SCOPED_TRACE(sample + ": " + Text(f.Tree().GetItemText(item)));
    f.Tree().SelectItem(item);
    Pump(5);
    EXPECT_EQ(f.Doc().GetCurrentNode(), node);
    EXPECT_TRUE(f.Tree().IsSelected(item));
    if (!gui::KindHasPanel(node)) continue;
    EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), PanelOfKind(node->kind)->groupBoxId);
    gui::ExpectPanelAtTop(f.Detail());
    gui::ExpectControlsShowForm(f.Detail());
    gui::ExpectNothingClipped(f.Detail());
    const ControlId box = f.Detail().Form().PanelOnDisplay();
    if (panelsShot.insert(box).second) {
      const std::string name = sample.substr(0, sample.find('.')) + "-panel-" + std::to_string(static_cast<int>(box));
      EXPECT_FALSE(gui::SaveScreenshot(&f.Frame(), name).empty());
    }
  }
}

TEST(MainFrame, EveryTreeItemShowsItsNodeOnWorkstation) {
  FrameOnSample f("workstation.json");
  WalkEveryTreeItem(f, "workstation.json");
  EXPECT_TRUE(f.Prompt().messages.empty());
}

TEST(MainFrame, EveryTreeItemShowsItsNodeWithAllMountPoints) {
  FrameOnSample f("workstation.json", true);
  WalkEveryTreeItem(f, "workstation-all.json");
}

TEST(MainFrame, EveryTreeItemShowsItsNodeOnTheServer) {
  FrameOnSample f("server.json", true);
  WalkEveryTreeItem(f, "server.json");
}

TEST(MainFrame, EveryTreeItemShowsItsNodeAfterAScanThatStopped) {
  FrameOnSample f("failing-layout.json");
  EXPECT_EQ(f.Prompt().messages.size(), 1u);
  WalkEveryTreeItem(f, "failing-layout.json");
}

// From the three root lists down through every node list, double-clicking
// each row: both panes go to the row's node.
class DoubleClicks : public testing::TestWithParam<const char*> {};

TEST_P(DoubleClicks, InTheListsReachEveryListedNode) {
  FrameOnSample f(GetParam(), true);
  const StorageModel& model = f.Doc().Model();
  std::vector<StorageNode*> toVisit{model.MountPoints(), model.PhysicalDisks(), model.Adapters()};
  std::set<StorageNode*> seen;
  int doubleClicks = 0;
  while (!toVisit.empty()) {
    StorageNode* parent = toVisit.back();
    toVisit.pop_back();
    if (!seen.insert(parent).second || !gui::KindHasPanel(parent)) continue;
    f.Doc().SetCurrentNode(parent);
    Pump(5);
    const ControlId box = f.Detail().Form().PanelOnDisplay();
    for (ControlId listId : {AllMountPointsList, AllDisksList, AllAdaptersList, MountPointExtentList, DiskPartitionList,
                             AdapterDeviceList}) {
      if (PanelOfControl(listId)->groupBoxId != box) continue;
      const std::size_t rows = f.Detail().Form().List(listId).rows.size();
      for (std::size_t r = 0; r < rows; ++r) {
        f.Doc().SetCurrentNode(parent);
        Pump(2);
        StorageNode* node = f.Detail().Form().NodeAtRow(listId, static_cast<int>(r));
        ASSERT_NE(node, nullptr);
        SCOPED_TRACE("list " + std::to_string(static_cast<int>(listId)) + " row " + std::to_string(r));
        gui::DoubleClickRow(f.Detail(), listId, static_cast<int>(r));
        ++doubleClicks;
        EXPECT_EQ(f.Doc().GetCurrentNode(), node);
        if (f.Tree().ItemOfNode(node).IsOk()) {
          EXPECT_EQ(f.Tree().NodeOfItem(f.Tree().GetSelection()), node);
          EXPECT_TRUE(f.Tree().IsVisible(f.Tree().GetSelection()));
        } else {
          // A partition of no volume stands nowhere in the tree: no node's item is selected.
          EXPECT_EQ(f.Tree().NodeOfItem(f.Tree().GetSelection()), nullptr);
        }
        if (gui::KindHasPanel(node)) {
          EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), PanelOfKind(node->kind)->groupBoxId);
          gui::ExpectPanelAtTop(f.Detail());
          gui::ExpectControlsShowForm(f.Detail());
        }
        toVisit.push_back(node);
      }
    }
  }
  EXPECT_GT(doubleClicks, 5);
}

INSTANTIATE_TEST_SUITE_P(Samples, DoubleClicks, testing::Values("workstation.json", "server.json"));

TEST(MainFrame, ADiskChosenInTheListIsSelectedUnderPhysicalDisks) {
  FrameOnSample f("workstation.json");
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks());
  Pump(5);
  gui::DoubleClickRow(f.Detail(), AllDisksList, 0);
  const wxTreeItemId selected = f.Tree().GetSelection();
  EXPECT_EQ(Text(f.Tree().GetItemText(f.Tree().GetItemParent(selected))), "Physical Disks");
  // The same row again changes nothing.
  StorageNode* before = f.Doc().GetCurrentNode();
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks());
  Pump(5);
  gui::DoubleClickRow(f.Detail(), AllDisksList, 0);
  EXPECT_EQ(f.Doc().GetCurrentNode(), before);
}

TEST(MainFrame, ADoubleClickBesideTheRowsLeavesBothPanesAsTheyAre) {
  FrameOnSample f("workstation.json");
  const wxTreeItemId selected = f.Tree().GetSelection();
  gui::DoubleClickRow(f.Detail(), AllMountPointsList, -1);
  EXPECT_EQ(f.Doc().GetCurrentNode(), nullptr);
  EXPECT_EQ(f.Tree().GetSelection(), selected);
  EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), MountPointListPanel);
  gui::ExpectPanelAtTop(f.Detail());
}

TEST(MainFrame, ScrollRequestsAndTheWheelMoveNothing) {
  FrameOnSample f("workstation.json");
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
  Pump(5);
  const wxPoint before = f.Detail().FormWindow()->GetPosition();
  wxScrollWinEvent down(wxEVT_SCROLLWIN_PAGEDOWN, 0, wxVERTICAL);
  down.SetEventObject(&f.Detail());
  f.Detail().GetEventHandler()->ProcessEvent(down);
  wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
  wheel.m_wheelRotation = -120;
  wheel.m_wheelDelta = 120;
  wheel.m_linesPerAction = 3;
  f.Detail().FormWindow()->GetEventHandler()->ProcessEvent(wheel);
  Pump(10);
  EXPECT_EQ(f.Detail().FormWindow()->GetPosition(), before);
  gui::ExpectPanelAtTop(f.Detail());
}

TEST(MainFrame, CheckBoxesKeepWhatTheViewSet) {
  FrameOnSample f("workstation.json");
  f.Doc().SetCurrentNode(f.Doc().Model().MountPoints()->children.at(0).get());
  Pump(5);
  auto* box = static_cast<wxCheckBox*>(f.Detail().Control(MountPointBootIndicatorCheck));
  const bool set = f.Detail().Form().Checked(MountPointBootIndicatorCheck);
  box->SetValue(!set);  // as a click would
  wxCommandEvent click(wxEVT_CHECKBOX, static_cast<int>(MountPointBootIndicatorCheck));
  click.SetEventObject(box);
  box->GetEventHandler()->ProcessEvent(click);
  EXPECT_EQ(box->GetValue(), set);
}

TEST(MainFrame, RefreshRebuildsTheTreeAndKeepsTheSelectedNode) {
  FrameOnSample f("workstation.json");
  const std::vector<std::string> before = gui::TreeLines(f.Tree());
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
  Pump(5);
  gui::Command(f.Frame(), ID_REFRESH);
  EXPECT_EQ(gui::TreeLines(f.Tree()), before);
  EXPECT_EQ(gui::TreeLines(f.Tree()), gui::ModelTreeLines(f.Doc()));
  // The node is new, the same disk by its path in the tree.
  EXPECT_EQ(f.Tree().NodeOfItem(f.Tree().GetSelection()), f.Doc().Model().PhysicalDisks()->children.at(0).get());
  EXPECT_EQ(f.Doc().GetCurrentNode(), f.Doc().Model().PhysicalDisks()->children.at(0).get());
  EXPECT_EQ(f.Detail().Form().PanelOnDisplay(), DiskPanel);
  gui::ExpectPanelAtTop(f.Detail());
  gui::ExpectControlsShowForm(f.Detail());
  // A new splash came and went, and the filter did not change.
  EXPECT_EQ(f.Frame().Splash(), nullptr);
  EXPECT_EQ(f.Frame().TimesRaisedBySplash(), 2);
  EXPECT_FALSE(MenuChecked(f.Frame(), ID_VIEW_ALL_MOUNT_POINTS));
}

TEST(MainFrame, AllMountPointsTogglesTheFilterAndItsCheckMark) {
  FrameOnSample f("workstation.json");
  const std::size_t lettersOnly = f.Doc().Model().MountPoints()->children.size();
  gui::Command(f.Frame(), ID_VIEW_ALL_MOUNT_POINTS);
  EXPECT_TRUE(f.Doc().GetShowAllMountPoints());
  EXPECT_TRUE(MenuChecked(f.Frame(), ID_VIEW_ALL_MOUNT_POINTS));
  EXPECT_TRUE(f.Frame().GetToolBar()->GetToolState(ID_VIEW_ALL_MOUNT_POINTS));
  EXPECT_GT(f.Doc().Model().MountPoints()->children.size(), lettersOnly);
  EXPECT_EQ(gui::TreeLines(f.Tree()), gui::ModelTreeLines(f.Doc()));
  EXPECT_EQ(static_cast<wxListCtrl*>(f.Detail().Control(AllMountPointsList))->GetItemCount(),
            static_cast<int>(f.Doc().Model().MountPoints()->children.size()));
  EXPECT_TRUE(gui::SaveScreenshot(&f.Frame(), "all-mount-points").size() > 0);

  gui::Command(f.Frame(), ID_REFRESH);
  EXPECT_TRUE(MenuChecked(f.Frame(), ID_VIEW_ALL_MOUNT_POINTS));

  gui::Command(f.Frame(), ID_VIEW_ALL_MOUNT_POINTS);
  EXPECT_FALSE(f.Doc().GetShowAllMountPoints());
  EXPECT_FALSE(MenuChecked(f.Frame(), ID_VIEW_ALL_MOUNT_POINTS));
  EXPECT_FALSE(f.Frame().GetToolBar()->GetToolState(ID_VIEW_ALL_MOUNT_POINTS));
  EXPECT_EQ(f.Doc().Model().MountPoints()->children.size(), lettersOnly);
}

TEST(MainFrame, ToolbarAndStatusBarToggle) {
  FrameOnSample f("workstation.json");
  gui::Command(f.Frame(), ID_VIEW_TOOLBAR);
  EXPECT_FALSE(f.Frame().GetToolBar()->IsShown());
  EXPECT_FALSE(MenuChecked(f.Frame(), ID_VIEW_TOOLBAR));
  gui::Command(f.Frame(), ID_VIEW_STATUS_BAR);
  EXPECT_FALSE(f.Frame().GetStatusBar()->IsShown());
  gui::Command(f.Frame(), ID_VIEW_TOOLBAR);
  gui::Command(f.Frame(), ID_VIEW_STATUS_BAR);
  EXPECT_TRUE(f.Frame().GetToolBar()->IsShown());
  EXPECT_TRUE(f.Frame().GetStatusBar()->IsShown());
}

TEST(MainFrame, ContextHelpFindsThePageOfThePartClickedOn) {
  FrameOnSample f("workstation.json");
  EXPECT_EQ(Text(CMainFrame::HelpPageFor(&f.Tree())), "tree.html");
  EXPECT_EQ(Text(CMainFrame::HelpPageFor(f.Detail().Control(AllMountPointsList))), "mountpoints.html");
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
  Pump(5);
  EXPECT_EQ(Text(CMainFrame::HelpPageFor(f.Detail().Control(DiskSizeEdit))), "disk.html");
  EXPECT_EQ(Text(CMainFrame::HelpPageFor(f.Frame().GetToolBar())), "commands.html");
  EXPECT_NE(f.Frame().Help(), nullptr) << "the help book beside the program loads";
}

}  // namespace

// The control looks through every item for one starting with the letters
// typed, closed branches and those not yet opened included.
TEST(MainFrame, TypingFindsAnItemInAClosedBranch) {
  FrameOnSample f("workstation.json");
  f.Tree().SetFocus();
  Pump(5);
  wxKeyEvent key(wxEVT_CHAR);
  key.m_keyCode = 'B';
  key.m_uniChar = 'B';
  key.SetEventObject(&f.Tree());
  f.Tree().GetEventHandler()->ProcessEvent(key);
  Pump(5);
  EXPECT_EQ(Text(f.Tree().GetItemText(f.Tree().GetSelection())), "Bus0,Target0,Lun0");
  EXPECT_EQ(f.Doc().GetCurrentNode(), f.Tree().NodeOfItem(f.Tree().GetSelection()));
}
