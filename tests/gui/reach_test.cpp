// The detail form as a person reaches it: a narrow or short pane scrolls to
// every control of the panel on display, rows past a list's height show a
// scroll bar, Tab goes from field to field past the charts, and a screen
// reader finds a name for every control.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "gui_support.h"
#include "platform/wide_text.h"
#include "ui/form_layout.h"
#include "ui/widgets/pie_chart_ctrl.h"

#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/scrolbar.h>
#include <wx/splitter.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

using enum ControlId;

namespace {

using gui::FrameOnSample;
using gui::Pump;

// All of the control is on the screen, in the part of the pane that shows the form.
bool WhollyShown(CDetailedView& view, ControlId id) {
  wxWindow* w = view.Control(id);
  return w->IsShownOnScreen() && view.Viewport()->GetScreenRect().Contains(w->GetScreenRect());
}

void Wheel(CDetailedView& view, int notches, bool shift, wxMouseWheelAxis axis) {
  for (int i = 0; i < std::abs(notches); ++i) {
    wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
    wheel.SetEventObject(view.FormWindow());
    wheel.m_wheelRotation = notches > 0 ? 120 : -120;
    wheel.m_wheelDelta = 120;
    wheel.m_linesPerAction = 3;
    wheel.m_shiftDown = shift;
    wheel.m_wheelAxis = axis;
    view.FormWindow()->GetEventHandler()->ProcessEvent(wheel);
  }
  Pump(10);
}

// Drags the bar's thumb to its far end, as the toolkit reports it.
void ThumbToTheEnd(wxScrollBar* bar) {
  bar->SetThumbPosition(bar->GetRange() - bar->GetThumbSize());
  wxScrollEvent drag(wxEVT_SCROLL_THUMBTRACK, bar->GetId(), bar->GetThumbPosition(),
                     bar->IsVertical() ? wxVERTICAL : wxHORIZONTAL);
  drag.SetEventObject(bar);
  bar->GetEventHandler()->ProcessEvent(drag);
  Pump(10);
}

struct Way {
  const char* name;
  std::function<void(CDetailedView&)> scroll;
};

TEST(Reach, ANarrowPaneScrollsTheFormSidewaysToItsRightEdge) {
  const Way ways[] = {
      {"the scroll bar's thumb", [](CDetailedView& v) { ThumbToTheEnd(v.HorizontalScrollBar()); }},
      {"the wheel with Shift", [](CDetailedView& v) { Wheel(v, -20, true, wxMOUSE_WHEEL_VERTICAL); }},
      {"the wheel tilted", [](CDetailedView& v) { Wheel(v, 20, false, wxMOUSE_WHEEL_HORIZONTAL); }},
      {"the focus", [](CDetailedView& v) {
         // The X server tells of the focus in its own time; a slow build may
         // find the event loop quiet before it has.
         wxWindow* edit = v.Control(MountPointFsNameEdit);
         edit->SetFocus();
         for (int i = 0; i < 100 && wxWindow::FindFocus() != edit; ++i) Pump(10);
         Pump(10);
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    FrameOnSample f("workstation.json");
    f.Frame().Splitter()->SetSashPosition(420);
    f.Doc().SetCurrentNode(f.Doc().Model().MountPoints()->children.at(0).get());
    Pump(20);
    CDetailedView& view = f.Detail();
    ASSERT_LT(view.GetClientSize().x, view.FormWindow()->GetSize().x);
    EXPECT_TRUE(view.HorizontalScrollBar()->IsShown());
    EXPECT_FALSE(view.VerticalScrollBar()->IsShown());
    EXPECT_FALSE(WhollyShown(view, MountPointVolumeLabelEdit));

    way.scroll(view);
    const ControlId rightmost[] = {MountPointVolumeLabelEdit, MountPointSerialNumberEdit, MountPointFsNameEdit,
                                   MountPointChart};
    // The X server moves the windows in its own time; on a loaded machine the
    // event loop may fall quiet before it has.
    auto allShown = [&view, &rightmost] {
      return std::all_of(std::begin(rightmost), std::end(rightmost), [&view](ControlId id) { return WhollyShown(view, id); });
    };
    for (int i = 0; i < 100 && !allShown(); ++i) Pump(10);
    for (ControlId id : rightmost) EXPECT_TRUE(WhollyShown(view, id)) << id;
    EXPECT_EQ(Utf8FromWide(view.Form().Edit(MountPointVolumeLabelEdit)),
              static_cast<wxTextCtrl*>(view.Control(MountPointVolumeLabelEdit))->GetValue().ToStdString(wxConvUTF8));
    gui::ExpectPanelAtTop(view);
    if (&way == &ways[0]) {
      EXPECT_FALSE(gui::SaveScreenshot(&f.Frame(), "narrow-pane").empty());
      // The form stays scrolled sideways for the next node; its frame is at the top.
      f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
      Pump(20);
      EXPECT_TRUE(WhollyShown(view, DiskChart));
      gui::ExpectPanelAtTop(view);
    }
  }
}

TEST(Reach, AShortPaneScrollsDownToTheEndOfThePanelAndNoFurther) {
  const Way ways[] = {
      {"the scroll bar's thumb", [](CDetailedView& v) { ThumbToTheEnd(v.VerticalScrollBar()); }},
      {"the wheel", [](CDetailedView& v) { Wheel(v, -40, false, wxMOUSE_WHEEL_VERTICAL); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    FrameOnSample f("workstation.json");
    f.Frame().SetSize(1100, 420);
    f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
    Pump(20);
    CDetailedView& view = f.Detail();
    EXPECT_TRUE(view.VerticalScrollBar()->IsShown());
    EXPECT_FALSE(view.HorizontalScrollBar()->IsShown());
    EXPECT_FALSE(WhollyShown(view, DiskPartitionList));

    way.scroll(view);
    EXPECT_TRUE(WhollyShown(view, DiskPartitionList));
    const wxRect frame = view.Control(DiskPanel)->GetScreenRect();
    EXPECT_EQ(frame.GetBottom() + 1 + 5, view.Viewport()->GetScreenRect().GetBottom() + 1);
    if (&way == &ways[0]) {
      EXPECT_FALSE(gui::SaveScreenshot(&f.Frame(), "short-pane").empty());
    }

    // The next node's panel starts at its top again.
    f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(1).get());
    Pump(20);
    gui::ExpectPanelAtTop(view);
  }
}

TEST(Reach, RowsPastAListsHeightShowAScrollBar) {
  FrameOnSample f("workstation.json");
  // Six partitions in a list three rows high, and the device-manager boxes.
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
  Pump(20);
  ASSERT_EQ(static_cast<wxListCtrl*>(f.Detail().Control(DiskPartitionList))->GetItemCount(), 6);
  EXPECT_GE(gui::WidthBesideScrolledContents(f.Detail().Control(DiskPartitionList)), 8);
  f.Doc().SetCurrentNode(f.Doc().Model().Adapters()->children.at(0).get());
  Pump(20);
  for (ControlId id : {AdapterHardwareIdsListBox, AdapterCompatibleIdsListBox, AdapterResourcesListBox,
                       AdapterDriverNodesListBox}) {
    ASSERT_GT(static_cast<wxListBox*>(f.Detail().Control(id))->GetCount(), 3u) << id;
    EXPECT_GE(gui::WidthBesideScrolledContents(f.Detail().Control(id)), 8) << id;
  }
  EXPECT_FALSE(gui::SaveScreenshot(&f.Frame(), "adapter-lists").empty());
}

TEST(Reach, TabGoesFromFieldToFieldPastTheCharts) {
  FrameOnSample f("workstation.json");
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
  Pump(20);
  f.Frame().Raise();
  f.Detail().Control(DiskSizeEdit)->SetFocus();
  Pump(20);
  wxUIActionSimulator keys;
  std::set<wxWindow*> visited;
  for (int i = 0; i < 40; ++i) {
    keys.Char(WXK_TAB);
    Pump(5);
    wxWindow* focus = wxWindow::FindFocus();
    if (i == 0 && focus == f.Detail().Control(DiskSizeEdit)) GTEST_SKIP() << "this display does not take simulated keys";
    for (wxWindow* w = focus; w != nullptr; w = w->GetParent())
      EXPECT_EQ(dynamic_cast<CPieChartCtrl*>(w), nullptr) << "Tab stopped on a chart";
    visited.insert(focus);
  }
  EXPECT_GT(visited.size(), 10u);
}

// The column that tells a list's rows apart, and the start of a text in it on
// the samples that the width the column asks for alone would cut.
struct KeyColumn {
  ControlId list;
  int column;
  const char* cutAtTheAskedWidth;
};

// Every node that shows a list of rows: the roots, then each mount point,
// disk, adapter and device.
std::vector<StorageNode*> NodesWithLists(CQuelbrinDoc& doc) {
  std::vector<StorageNode*> nodes{doc.Model().MountPoints(), doc.Model().PhysicalDisks(), doc.Model().Adapters()};
  for (const auto& mountPoint : doc.Model().MountPoints()->children) nodes.push_back(mountPoint.get());
  for (const auto& disk : doc.Model().PhysicalDisks()->children) nodes.push_back(disk.get());
  for (const auto& adapter : doc.Model().Adapters()->children) {
    nodes.push_back(adapter.get());
    for (const auto& device : adapter->devices) nodes.push_back(device.get());
  }
  return nodes;
}

TEST(Reach, TheColumnThatTellsRowsApartShowsWholeValuesOnEverySample) {
  const KeyColumn keys[] = {
      {AllMountPointsList, 0, "\\??\\Volume{"},
      {AllMountPointsList, 1, "\\Device\\HarddiskDmVolumes\\"},
      {AllDisksList, 0, "PhysicalDrive"},
      {AllAdaptersList, 0, nullptr},
      {AllAdaptersList, 1, "UNKNOWN Bus"},
      {MountPointExtentList, 0, "Disk Extent 0 "},
      {DiskPartitionList, 1, nullptr},
      {AdapterDeviceList, 0, nullptr},
      {DeviceIdentifierList, 4, nullptr},
  };
  std::map<std::pair<ControlId, int>, int> cellsSeen, cutAtTheAskedWidth;
  for (const char* sample : {"workstation.json", "server.json", "failing-layout.json"}) {
    FrameOnSample f(sample, true);
    for (StorageNode* node : NodesWithLists(f.Doc())) {
      f.Doc().SetCurrentNode(node);
      Pump(2);
      const ControlId panel = f.Detail().Form().PanelOnDisplay();
      for (const KeyColumn& key : keys) {
        if (PanelOfControl(key.list)->groupBoxId != panel || !f.Detail().Control(key.list)->IsShown()) continue;
        auto* list = static_cast<wxListCtrl*>(f.Detail().Control(key.list));
        wxWindow* rows = gui::RowsWindowOf(list);
        const ListViewState& state = f.Detail().Form().List(key.list);
        if (state.columns.size() <= static_cast<std::size_t>(key.column)) continue;
        const int asked = state.columns.at(static_cast<std::size_t>(key.column)).widthChars * rows->GetCharWidth();
        const int width = list->GetColumnWidth(key.column);
        for (int r = 0; r < list->GetItemCount(); ++r) {
          const wxString cell = list->GetItemText(r, key.column);
          // The list cuts a text that comes within 8 pixels of the column's edge.
          const int needed = rows->GetTextExtent(cell).x + 8;
          EXPECT_LE(needed, width) << sample << " list " << key.list << " cuts '" << cell.ToStdString(wxConvUTF8) << "'";
          ++cellsSeen[{key.list, key.column}];
          if (key.cutAtTheAskedWidth != nullptr && cell.StartsWith(key.cutAtTheAskedWidth) && needed > asked)
            ++cutAtTheAskedWidth[{key.list, key.column}];
        }
      }
      if (node == f.Doc().Model().PhysicalDisks() && std::string(sample) == "workstation.json") {
        EXPECT_FALSE(gui::SaveScreenshot(&f.Frame(), "physical-disks-list").empty());
      }
    }
  }
  for (const KeyColumn& key : keys) {
    SCOPED_TRACE("list " + std::to_string(static_cast<int>(key.list)) + " column " + std::to_string(key.column));
    const std::pair<ControlId, int> at(key.list, key.column);
    EXPECT_GT(cellsSeen[at], 0);
    // The samples hold the texts that were cut before the columns followed them.
    if (key.cutAtTheAskedWidth != nullptr) {
      EXPECT_GT(cutAtTheAskedWidth[at], 0);
    }
  }
}

// Every node kind once: the three lists, then a mount point and what it leads to.
std::vector<StorageNode*> OneNodeOfEachPanel(CQuelbrinDoc& doc) {
  MountPointNode* mountPoint = doc.Model().MountPoints()->children.at(0).get();
  DiskExtentNode* extent = mountPoint->extents.at(0);
  ScsiAdapterNode* adapter = doc.Model().Adapters()->children.at(0).get();
  return {doc.Model().MountPoints(), doc.Model().PhysicalDisks(), doc.Model().Adapters(), mountPoint, extent, extent->partition,
          doc.Model().PhysicalDisks()->children.at(0).get(), adapter, adapter->devices.at(0).get()};
}

TEST(Reach, AScreenReaderFindsEveryControlByItsLabel) {
  FrameOnSample f("workstation.json");
  std::set<ControlId> named;
  for (StorageNode* node : OneNodeOfEachPanel(f.Doc())) {
    ASSERT_NE(node, nullptr);
    f.Doc().SetCurrentNode(node);
    Pump(10);
    const ControlId panel = f.Detail().Form().PanelOnDisplay();
    for (const FormControl& c : FormControls()) {
      if (c.panel != panel || !f.Detail().Control(c.id)->IsShown()) continue;
      if (c.kind == ControlKind::Label || c.kind == ControlKind::GroupBox) continue;
      SCOPED_TRACE("control " + std::to_string(static_cast<int>(c.id)));
      if (c.kind == ControlKind::PieChart) {
        // A chart takes no focus; it is called by its title.
        EXPECT_EQ(gui::AccessibleNameOf(f.Detail().Control(c.id)), Utf8FromWide(f.Detail().Form().Chart(c.id).title));
        EXPECT_FALSE(f.Detail().Form().Chart(c.id).title.empty());
      } else {
        // What the reader announces is the part that takes the focus.
        f.Detail().Control(c.id)->SetFocus();
        EXPECT_EQ(gui::AccessibleNameOfFocus(&f.Frame()), Utf8FromWide(AccessibleName(c.id)));
        EXPECT_FALSE(std::wstring(AccessibleName(c.id)).empty());
      }
      named.insert(c.id);
    }
  }
  // Check boxes with their text on the left were the ones without a name.
  EXPECT_TRUE(named.count(PartitionBootIndicatorCheck) != 0 || named.count(DeviceRemovableMediaCheck) != 0);
  EXPECT_GT(named.size(), 100u);
}

}  // namespace
