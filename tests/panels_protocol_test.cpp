// The form as the template creates it, the panel protocol shared by all
// fillers, the list panels, and the detail pane's reactions to the document.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/panel_expectations.h"
#include "tests/support/presentation_fixture.h"
#include "tests/support/recording_progress.h"
#include "ui/detailed_form.h"
#include "ui/form_layout.h"
#include "ui/panels.h"

using enum ControlId;

namespace {

long Closes(const RecordingProgress& progress) {
  return std::count(progress.calls.begin(), progress.calls.end(), "close");
}

struct OddNode : StorageNode {
  OddNode() : StorageNode(static_cast<NodeKind>(42)) { name = L"odd"; }
};

}  // namespace

TEST(FormTemplate, TwoHundredAndSixControlsInNinePanels) {
  EXPECT_EQ(AllControlIds().size(), 206u);
  EXPECT_EQ(ControlsOfKind(ControlKind::Edit).size(), 69u);
  EXPECT_EQ(ControlsOfKind(ControlKind::CheckBox).size(), 29u);
  for (ControlId id : AllControlIds()) ASSERT_NE(PanelOfControl(id), nullptr) << id;
  EXPECT_EQ(ControlsOfKind(ControlKind::GroupBox).size(), 14u);
  EXPECT_EQ(ControlsOfKind(ControlKind::Label).size(), 78u);
  // Every control a panel reads out lies in that panel's range.
  for (const PanelInfo& panel : Panels())
    for (const FormField& field : PanelFields(panel.groupBoxId))
      EXPECT_EQ(PanelOfControl(field.id), &panel) << field.id;
}

TEST(FormTemplate, InitialStateIsTheTemplates) {
  FormState form;
  EXPECT_EQ(form.PanelOnDisplay(), kNoControl);
  for (ControlId id : AllControlIds()) EXPECT_EQ(form.Visible(id), id != DiskIdLabel && id != DiskIdEdit) << id;
  EXPECT_EQ(form.FrameTitle(DiskDetectionFrame), L"Detect Int13");
  EXPECT_EQ(form.FrameTitle(AdapterPanel), L"Scsi Adapter Information");
  EXPECT_TRUE(form.ListBox(MountPointPathNamesListBox).sorted);
  EXPECT_FALSE(form.ListBox(AdapterHardwareIdsListBox).sorted);
  EXPECT_EQ(form.Edit(MountPointVolumeNameEdit), L"");
  EXPECT_THROW(form.Edit(MountPointVolumeNameLabel), std::out_of_range);  // a label, not an edit
  EXPECT_THROW(form.Checked(MountPointVolumeNameEdit), std::out_of_range);
}

TEST(PanelProtocol, OnlyTheOwnPanelIsVisibleAndOtherListsKeepTheirRows) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowMountPoint(form, sample.MountPoint(L"\\DosDevices\\S:"));
  const std::uint64_t extentsShown = form.ListRevision(MountPointExtentList);
  ShowPhysicalDisk(form, sample.Disk(1));
  // A view tells by the revision which lists it must fill again.
  EXPECT_EQ(form.ListRevision(MountPointExtentList), extentsShown);
  const std::uint64_t partitionsShown = form.ListRevision(DiskPartitionList);
  EXPECT_NE(partitionsShown, extentsShown);
  for (const PanelInfo& panel : Panels()) {
    if (panel.groupBoxId == DiskPanel) continue;
    EXPECT_TRUE(RangeVisible(form, panel.firstId, panel.lastId, false)) << panel.groupBoxId;
  }
  EXPECT_TRUE(form.Visible(DiskPanel) && form.Visible(DiskPartitionList) && form.Visible(DiskChart));
  EXPECT_EQ(form.PanelOnDisplay(), DiskPanel);
  // Lists of other panels are not reset.
  EXPECT_EQ(form.List(MountPointExtentList).rows.size(), 2u);

  // Showing a panel again starts its lists from nothing: no column twice.
  ShowPhysicalDisk(form, sample.Disk(0));
  EXPECT_EQ(form.List(DiskPartitionList).columns.size(), 6u);
  EXPECT_EQ(form.List(DiskPartitionList).rows.size(), 6u);
  EXPECT_NE(form.ListRevision(DiskPartitionList), partitionsShown);
  const FormState copy = form;
  EXPECT_EQ(copy.ListRevision(DiskPartitionList), form.ListRevision(DiskPartitionList));
  EXPECT_NE(FormState().ListRevision(DiskPartitionList), form.ListRevision(DiskPartitionList));
  // The shown panel's own hidden groups are shown again first, then hidden by rule.
  ShowDiskPartition(form, sample.Partition(1, L"DP(1)100000-6400000"));
  ShowDiskPartition(form, sample.Partition(0, L"DP(1)100000-1f400000"));
  EXPECT_TRUE(RangeVisible(form, PartitionPanel, PartitionRewriteCheck, true));
  EXPECT_TRUE(RangeVisible(form, PartitionGptTypeLabel, PartitionGptNameEdit, false));
  EXPECT_TRUE(form.Visible(PartitionChart));
}

TEST(PanelProtocol, DispatchByKindIgnoresNullAndUnknownNodes) {
  ScannedSample sample("workstation.json");
  FormState form;
  EXPECT_TRUE(ShowNodePanel(form, &sample.Disk(2)));
  EXPECT_FALSE(ShowNodePanel(form, nullptr));
  OddNode odd;
  EXPECT_FALSE(ShowNodePanel(form, &odd));
  EXPECT_EQ(form.PanelOnDisplay(), DiskPanel);
  EXPECT_EQ(form.Edit(DiskSizeEdit), L"7470c06000");
  const std::pair<StorageNode*, ControlId> expected[] = {
      {sample.doc.Model().MountPoints(), MountPointListPanel},
      {sample.doc.Model().PhysicalDisks(), DiskListPanel},
      {sample.doc.Model().MountPoints()->children[0].get(), MountPointPanel},
      {sample.doc.Model().Extents()[0].get(), ExtentPanel},
      {sample.doc.Model().Partitions()[0].get(), PartitionPanel},
      {&sample.Disk(0), DiskPanel},
  };
  for (const auto& [node, panel] : expected) {
    ASSERT_TRUE(ShowNodePanel(form, node));
    EXPECT_EQ(form.PanelOnDisplay(), panel);
  }
}

TEST(ListPanels, MountPointsAndDisks) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowMountPointList(form, *sample.doc.Model().MountPoints());
  EXPECT_EQ(form.PanelOnDisplay(), MountPointListPanel);
  const ListViewState& mps = form.List(AllMountPointsList);
  EXPECT_EQ(Headings(mps), (Cells{L"Name", L"Device Name", L"Label", L"Serial Number", L"File System"}));
  EXPECT_EQ(Widths(mps), (std::vector<int>{42, 22, 11, 12, 12}));
  ASSERT_EQ(mps.rows.size(), 7u);
  EXPECT_EQ(mps.rows[0].cells, (Cells{L"\\DosDevices\\C:", L"\\Device\\HarddiskVolume2", L"Windows", L"5a3e91c2", L"NTFS"}));
  EXPECT_EQ(mps.rows[4].cells, (Cells{L"\\DosDevices\\E:", L"\\Device\\CdRom0", L"", L"0", L""}));
  EXPECT_EQ(mps.rows[3].node, sample.doc.Model().MountPoints()->children[3].get());

  ShowPhysicalDiskList(form, *sample.doc.Model().PhysicalDisks());
  EXPECT_EQ(form.PanelOnDisplay(), DiskListPanel);
  const ListViewState& disks = form.List(AllDisksList);
  EXPECT_EQ(Headings(disks), (Cells{L"Name", L"Size", L"Partition Count", L"Scsi Adapter", L"Bus,Target,Lun"}));
  EXPECT_EQ(Widths(disks), (std::vector<int>{12, 12, 20, 21, 33}));
  ASSERT_EQ(disks.rows.size(), 6u);
  EXPECT_EQ(disks.rows[0].cells, (Cells{L"PhysicalDrive0", L"238.5GB", L"6", L"Scsi2", L"Bus0,Target0,Lun0"}));
  EXPECT_EQ(disks.rows[1].cells, (Cells{L"PhysicalDrive1", L"931.5GB", L"3", L"Scsi2", L"Bus0,Target1,Lun0"}));
  EXPECT_EQ(disks.rows[4].cells, (Cells{L"PhysicalDrive4", L"14.9GB", L"1", L"UsbStorage", L"Usb Disk"}));
  EXPECT_EQ(disks.rows[1].node, &sample.Disk(1));
}

TEST(DetailedForm, FollowsTheDocumentAndClosesTheSplash) {
  RecordingProgress progress;
  ScannedSample sample("workstation.json");
  DetailedForm view(sample.doc, &progress);
  const Subscription listening = sample.doc.Subscribe(view);
  view.OnInitialUpdate();
  EXPECT_EQ(view.Form().PanelOnDisplay(), MountPointListPanel);
  EXPECT_EQ(Closes(progress), 1);

  // A double click on a disk row shows that disk.
  sample.doc.SetCurrentNode(sample.doc.Model().PhysicalDisks());
  EXPECT_EQ(view.Form().PanelOnDisplay(), DiskListPanel);
  view.OnListDoubleClick(AllDisksList, 2);
  EXPECT_EQ(sample.doc.GetCurrentNode(), &sample.Disk(2));
  EXPECT_EQ(view.Form().PanelOnDisplay(), DiskPanel);
  EXPECT_EQ(view.Form().Edit(DiskSizeEdit), L"7470c06000");

  // From the disk's partition list to a partition that lies on no volume.
  view.OnListDoubleClick(DiskPartitionList, 0);
  EXPECT_EQ(view.Form().PanelOnDisplay(), PartitionPanel);
  const long closes = Closes(progress);
  // The same row again: the node is already current, nothing is broadcast.
  view.OnListDoubleClick(DiskPartitionList, 0);
  EXPECT_EQ(Closes(progress), closes);

  // Beside the rows: no node becomes current and the form stays as it was.
  view.OnListDoubleClick(DiskPartitionList, -1);
  EXPECT_EQ(sample.doc.GetCurrentNode(), nullptr);
  EXPECT_EQ(view.Form().PanelOnDisplay(), PartitionPanel);
  view.OnListDoubleClick(DiskPartitionList, 99);
  EXPECT_EQ(sample.doc.GetCurrentNode(), nullptr);
}

TEST(DetailedForm, AFailedRefreshLeavesNoRowOnADeletedNode) {
  ScannedSample sample("failing-layout.json");
  ASSERT_FALSE(sample.scanned);
  DetailedForm view(sample.doc, nullptr);
  const Subscription listening = sample.doc.Subscribe(view);
  view.OnUpdate(HintSelectNode, sample.doc.Model().MountPoints());
  ASSERT_EQ(view.Form().List(AllMountPointsList).rows.size(), 1u);

  sample.doc.Refresh(false);  // fails again at the second disk
  EXPECT_EQ(view.Form().PanelOnDisplay(), kNoControl);
  EXPECT_TRUE(view.Form().List(AllMountPointsList).rows.empty());
  EXPECT_TRUE(view.Form().List(AllMountPointsList).columns.empty());
  view.OnListDoubleClick(AllMountPointsList, 0);
  EXPECT_EQ(sample.doc.GetCurrentNode(), nullptr);
}

TEST(DetailedForm, ARefreshShowsTheNewMountPointList) {
  ScannedSample sample("workstation.json");
  DetailedForm view(sample.doc, nullptr);
  const Subscription listening = sample.doc.Subscribe(view);
  sample.doc.SetCurrentNode(&sample.Disk(0));
  ASSERT_EQ(view.Form().PanelOnDisplay(), DiskPanel);
  sample.doc.Refresh(true);
  EXPECT_EQ(view.Form().PanelOnDisplay(), MountPointListPanel);
  EXPECT_EQ(view.Form().List(AllMountPointsList).rows.size(), 11u);
  EXPECT_EQ(view.Form().List(AllMountPointsList).rows[0].node, sample.doc.Model().MountPoints()->children[0].get());
}
