#include <gtest/gtest.h>

#include "tests/support/panel_expectations.h"
#include "tests/support/presentation_fixture.h"
#include "tests/support/records.h"
#include "ui/panels.h"

using enum ControlId;

TEST(MountPointPanel, ShowsTheVolumeItsExtentAndItsMbrPartition) {
  ScannedSample sample("workstation.json");
  FormState form;
  MountPointNode& c = sample.MountPoint(L"\\DosDevices\\C:");
  ShowMountPoint(form, c);

  EXPECT_EQ(form.PanelOnDisplay(), MountPointPanel);
  EXPECT_EQ(form.Edit(MountPointVolumeNameEdit), L"\\DosDevices\\C:");
  EXPECT_EQ(form.Edit(MountPointUniqueIdEdit), L"");
  EXPECT_EQ(form.Edit(MountPointDeviceNameEdit), L"\\Device\\HarddiskVolume2");
  EXPECT_EQ(form.Edit(MountPointSymLinkNameEdit), L"\\DosDevices\\C:");
  EXPECT_EQ(form.Edit(MountPointVolumeLabelEdit), L"Windows");
  EXPECT_EQ(form.Edit(MountPointSerialNumberEdit), L"5a3e91c2");
  EXPECT_EQ(form.Edit(MountPointMaxNameLengthEdit), L"255");
  EXPECT_EQ(form.Edit(MountPointFsFlagsEdit), L"03e700ff");
  EXPECT_EQ(form.Edit(MountPointFsNameEdit), L"NTFS");
  EXPECT_EQ(form.Edit(MountPointStyleEdit), L"MBR");
  EXPECT_EQ(form.Edit(MountPointPartitionNumberEdit), L"2");
  EXPECT_EQ(form.Edit(MountPointStartingOffsetEdit), L"1f500000");
  EXPECT_EQ(form.Edit(MountPointLengthEdit), L"3200000000");
  EXPECT_EQ(form.Edit(MountPointPartitionTypeEdit), L"PARTITION_IFS");
  EXPECT_EQ(form.Edit(MountPointHiddenSectorsEdit), L"1026048");
  EXPECT_FALSE(form.Checked(MountPointRewriteCheck));
  EXPECT_FALSE(form.Checked(MountPointBootIndicatorCheck));
  EXPECT_TRUE(form.Checked(MountPointRecognizedCheck));
  EXPECT_EQ(form.ListBox(MountPointPathNamesListBox).lines, (Cells{L"C:\\"}));

  const ListViewState& list = form.List(MountPointExtentList);
  EXPECT_EQ(Headings(list), (Cells{L"Extent Name   ", L"Disk Number   ", L"Starting Offset", L"Extent Length  ",
                                   L"Scsi Adapter   ", L"Scsi Disk      "}));
  EXPECT_EQ(Widths(list), (std::vector<int>{21, 12, 16, 16, 21, 21}));
  EXPECT_EQ(list.extendedStyle, ListViewState::kFullRowSelect);
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0].cells, (Cells{L"Disk Extent 0 1f500000-3200000000", L"0", L"1f500000", L"3200000000",
                                       L"Scsi2", L"Bus0,Target0,Lun0"}));
  EXPECT_EQ(list.rows[0].node, c.extents[0]);

  // 214748364800 of 214748360704 bytes: the extent is a hair larger than the file system.
  const PieChartContent& chart = form.Chart(MountPointChart);
  EXPECT_EQ(chart.title, L"Extent Size vs Volume Size");
  EXPECT_EQ(Labels(chart), (Cells{L"100% Extent 0"}));
  EXPECT_EQ(Values(chart), (std::vector<int>{100}));
  EXPECT_EQ(Fills(chart), (std::vector<unsigned>{kWhite}));
  EXPECT_TRUE(AllBlackPercentages(chart));
}

TEST(MountPointPanel, AVolumeOnTwoDisksGetsTwoRowsAndColouredSlices) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowMountPoint(form, sample.MountPoint(L"\\DosDevices\\S:"));
  const ListViewState& list = form.List(MountPointExtentList);
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0].cells[1], L"2");
  EXPECT_EQ(list.rows[1].cells,
            (Cells{L"Disk Extent 1 7e00-5d21dba000", L"3", L"7e00", L"5d21dba000", L"Scsi3", L"Bus0,Target1,Lun0"}));
  const PieChartContent& chart = form.Chart(MountPointChart);
  // 500105740800 and 400000000000 of 900105740288 bytes.
  EXPECT_EQ(Labels(chart), (Cells{L"55% Extent 2", L"44% Extent 3"}));
  EXPECT_EQ(Fills(chart), (std::vector<unsigned>{kWhite, 0x00FDFCFA}));
  // The volume's own record is an MBR one for the whole spanned volume.
  EXPECT_EQ(form.Edit(MountPointStyleEdit), L"MBR");
  EXPECT_EQ(form.Edit(MountPointPartitionNumberEdit), L"0");
  EXPECT_EQ(form.Edit(MountPointStartingOffsetEdit), L"0");
  EXPECT_EQ(form.Edit(MountPointLengthEdit), L"d1927ba200");
  EXPECT_EQ(form.Edit(MountPointPartitionTypeEdit), L"PARTITION_LDM");
}

TEST(MountPointPanel, ALegacyRecordShowsDynamicAndLeavesTheMbrFieldsAlone) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowMountPoint(form, sample.MountPoint(L"\\DosDevices\\C:"));
  ShowMountPoint(form, sample.MountPoint(L"\\DosDevices\\F:"));
  EXPECT_EQ(form.Edit(MountPointStyleEdit), L"DYNAMIC");
  EXPECT_EQ(form.Edit(MountPointPartitionNumberEdit), L"3");
  EXPECT_EQ(form.Edit(MountPointStartingOffsetEdit), L"321f600000");
  EXPECT_EQ(form.Edit(MountPointLengthEdit), L"97ef56000");
  // Still those of C:.
  EXPECT_EQ(form.Edit(MountPointPartitionTypeEdit), L"PARTITION_IFS");
  EXPECT_EQ(form.Edit(MountPointHiddenSectorsEdit), L"1026048");
  EXPECT_TRUE(form.Checked(MountPointRecognizedCheck));
  EXPECT_EQ(form.Edit(MountPointVolumeLabelEdit), L"MEDIA");
}

TEST(MountPointPanel, EveryMbrFlagIsSetBothWays) {
  ScannedSample sample("workstation.json", true);
  FormState form;
  ShowMountPoint(form, sample.MountPoint(L"\\??\\Volume{3f1b2c4d-0000-0000-0000-501f00000000}"));
  EXPECT_TRUE(form.Checked(MountPointBootIndicatorCheck));
  EXPECT_EQ(form.Edit(MountPointHiddenSectorsEdit), L"2048");
  ShowMountPoint(form, sample.MountPoint(L"\\DosDevices\\C:"));
  EXPECT_FALSE(form.Checked(MountPointBootIndicatorCheck));
}

TEST(MountPointPanel, PartitionRuleByStyle) {
  FormState form;
  MountPointNode mp;
  mp.symbolicLinkName = L"\\DosDevices\\X:";
  mp.hasPartitionInfoEx = true;
  mp.partitionInfoEx = ExRecord(0, 1, 0x100000, 0x200000);
  mp.partitionInfoEx.Mbr.PartitionType = 0x07;
  mp.partitionInfoEx.Mbr.BootIndicator = 1;
  mp.partitionInfoEx.Mbr.RecognizedPartition = 1;
  mp.partitionInfoEx.RewritePartition = 1;
  ShowMountPoint(form, mp);
  EXPECT_TRUE(form.Checked(MountPointRewriteCheck) && form.Checked(MountPointBootIndicatorCheck) &&
              form.Checked(MountPointRecognizedCheck));

  for (int style : {1, 2, 255}) {
    mp.partitionInfoEx = ExRecord(style, 4, 0x7e00, 0x1000);
    ShowMountPoint(form, mp);
    EXPECT_EQ(form.Edit(MountPointStyleEdit), style == 1 ? L"GPT" : style == 2 ? L"RAW" : L"DYNAMIC");
    EXPECT_EQ(form.Edit(MountPointPartitionNumberEdit), L"4");
    EXPECT_EQ(form.Edit(MountPointStartingOffsetEdit), L"7e00");
    EXPECT_EQ(form.Edit(MountPointLengthEdit), L"1000");
    // Untouched: what the MBR mount point left.
    EXPECT_EQ(form.Edit(MountPointPartitionTypeEdit), L"PARTITION_IFS");
    EXPECT_TRUE(form.Checked(MountPointBootIndicatorCheck));
  }

  mp.partitionInfoEx = ExRecord(7, 4, 0x7e00, 0x1000);
  ShowMountPoint(form, mp);
  EXPECT_EQ(form.Edit(MountPointStyleEdit), L"UNKNOWN");
  for (ControlId id : {MountPointPartitionNumberEdit, MountPointStartingOffsetEdit, MountPointLengthEdit,
                       MountPointPartitionTypeEdit, MountPointHiddenSectorsEdit})
    EXPECT_EQ(form.Edit(id), L"") << id;
  for (ControlId id : {MountPointRewriteCheck, MountPointBootIndicatorCheck, MountPointRecognizedCheck})
    EXPECT_FALSE(form.Checked(id)) << id;
}

TEST(MountPointPanel, ShareRules) {
  FormState form;
  DiskPartitionNode partition;
  partition.Fill(ExRecord(0, 1, 0x7e00, 10000000000), 0);  // no disk
  DiskExtentNode e0, e1;
  e0.Fill(Extent(0, 0x7e00, 10000000000), 0);
  e0.partition = &partition;
  e1.Fill(Extent(1, 0x7e00, 5000000000), 1);
  MountPointNode mp;
  mp.extents = {&e0, &e1};

  // An extent larger than the file system is passed on above 100.
  mp.totalBytes = 5000000000;
  ShowMountPoint(form, mp);
  EXPECT_EQ(Labels(form.Chart(MountPointChart)), (Cells{L"200% Extent 0", L"100% Extent 1"}));
  // A partition without its disk leaves the adapter cells empty.
  EXPECT_EQ(form.List(MountPointExtentList).rows[0].cells[4], L"");

  // A file system without a size has no shares: no slices, rows still listed.
  mp.totalBytes = 0;
  ShowMountPoint(form, mp);
  EXPECT_TRUE(form.Chart(MountPointChart).slices.empty());
  EXPECT_EQ(form.List(MountPointExtentList).rows.size(), 2u);

  // Without extents: the columns and an empty chart.
  MountPointNode empty;
  ShowMountPoint(form, empty);
  EXPECT_EQ(form.List(MountPointExtentList).columns.size(), 6u);
  EXPECT_TRUE(form.List(MountPointExtentList).rows.empty());
  EXPECT_EQ(form.Chart(MountPointChart).title, L"Extent Size vs Volume Size");
  EXPECT_TRUE(form.Chart(MountPointChart).slices.empty());
}

TEST(MountPointPanel, ExtentColoursFadeWithTheIndexAndWrap) {
  std::vector<std::unique_ptr<DiskExtentNode>> extents;
  MountPointNode mp;
  mp.totalBytes = 100;
  for (int i = 0; i < 53; ++i) {
    extents.push_back(std::make_unique<DiskExtentNode>());
    extents.back()->Fill(Extent(static_cast<DWORD>(i), 0, 1), i);
    mp.extents.push_back(extents.back().get());
  }
  FormState form;
  ShowMountPoint(form, mp);
  const auto fills = Fills(form.Chart(MountPointChart));
  ASSERT_EQ(fills.size(), 53u);
  EXPECT_EQ(fills[0], kWhite);
  EXPECT_EQ(fills[1], 0x00FDFCFAu);  // red 250, green 252, blue 253
  EXPECT_EQ(fills[2], 0x00FBF9F5u);  // red 245, green 249, blue 251
  // After extent 51: red (-1 × 5) mod 256 = 251, green 99, blue 151.
  EXPECT_EQ(fills[52], 0x009763FBu);
  EXPECT_EQ(Labels(form.Chart(MountPointChart))[52], L"1% Extent 52");
}

TEST(MountPointPanel, AdapterAndDeviceCellsFollowTheExtentsPartitionToItsDisk) {
  ScsiAdapterNode adapter;
  adapter.name = L"Scsi1";
  ScsiDeviceNode device;
  device.name = L"Bus0,Target1,Lun0";
  PhysicalDiskNode disk;
  disk.SetDiskNumber(0);
  disk.SetAdapter(&adapter);
  DiskPartitionNode partition;
  partition.Fill(ExRecord(0, 1, 0x7e00, 0x1000), 0);
  partition.SetDisk(&disk);
  DiskExtentNode extent;
  extent.Fill(Extent(0, 0x7e00, 0x1000), 0);
  extent.partition = &partition;
  MountPointNode mp;
  mp.extents = {&extent};
  FormState form;
  ShowMountPoint(form, mp);
  EXPECT_EQ(form.List(MountPointExtentList).rows[0].cells[4], L"Scsi1");
  EXPECT_EQ(form.List(MountPointExtentList).rows[0].cells[5], L"");  // no device linked
  disk.SetDevice(&device);
  ShowMountPoint(form, mp);
  EXPECT_EQ(form.List(MountPointExtentList).rows[0].cells[5], L"Bus0,Target1,Lun0");
}

TEST(MountPointPanel, VolumePathsAreListedSorted) {
  MountPointNode mp;
  mp.volumePathNames = {L"e:\\", L"D:\\", L"C:\\mnt\\data\\"};
  FormState form;
  form.ListBox(MountPointPathNamesListBox).Add(L"left over");
  ShowMountPoint(form, mp);
  EXPECT_EQ(form.ListBox(MountPointPathNamesListBox).lines, (Cells{L"C:\\mnt\\data\\", L"D:\\", L"e:\\"}));
}

// Lines added at once land where adding them one by one puts them: among the
// others without regard to case, after the equal ones already there.
TEST(MountPointPanel, SortedLinesAddedAtOnceLandAsOneByOne) {
  // Hundreds of names equal but for case: a sort of a few lines keeps ties
  // in order even when it need not.
  Cells many;
  for (int i = 0; i < 600; ++i) many.push_back(std::wstring(i % 3 == 0 ? L"M:\\P" : L"m:\\p") + std::to_wstring(i % 7));
  const std::vector<std::pair<Cells, Cells>> cases = {
      {{}, {L"b", L"A", L"a", L"B", L"c", L"a", L"C:\\", L"c:\\"}},
      {{L"a", L"B", L"d"}, {L"A", L"b", L"D", L"a", L"0", L"z"}},
      {{L"x"}, {}},
      {{L"m:\\P3", L"M:\\p5"}, many},
  };
  for (const bool sorted : {true, false}) {
    for (const auto& [before, added] : cases) {
      ListBoxState oneByOne{{}, sorted};
      for (const std::wstring& line : before) oneByOne.Add(line);
      ListBoxState atOnce = oneByOne;
      for (const std::wstring& line : added) oneByOne.Add(line);
      atOnce.AddAll(added);
      EXPECT_EQ(atOnce.lines, oneByOne.lines) << "sorted " << sorted << ", " << added.size() << " added";
    }
  }
}

TEST(DiskExtentPanel, ShowsTheExtentAndItsShareOfThePartition) {
  ScannedSample sample("workstation.json");
  FormState form;
  DiskExtentNode& extent = *sample.MountPoint(L"\\DosDevices\\S:").extents[1];
  ShowDiskExtent(form, extent);
  EXPECT_EQ(form.PanelOnDisplay(), ExtentPanel);
  EXPECT_EQ(form.Edit(ExtentDiskNumberEdit), L"3");
  EXPECT_EQ(form.Edit(ExtentStartingOffsetEdit), L"0x7e00");
  EXPECT_EQ(form.Edit(ExtentLengthEdit), L"0x5d21dba000");
  const PieChartContent& chart = form.Chart(ExtentChart);
  EXPECT_EQ(chart.title, L"Disk Extent Size vs. Partition Size");
  // 400000000000 of the partition's 500105217024 bytes; the rest is background.
  EXPECT_EQ(Labels(chart), (Cells{L"79% Extent 3"}));
  EXPECT_EQ(Fills(chart), (std::vector<unsigned>{kWhite}));
  EXPECT_TRUE(AllBlackPercentages(chart));
}

TEST(DiskExtentPanel, AnExtentOnNoKnownPartitionHasOnlyATitle) {
  DiskExtentNode extent;
  extent.Fill(Extent(0, 32256, 10000000000), 0);
  FormState form;
  ShowDiskExtent(form, extent);
  EXPECT_EQ(form.Edit(ExtentStartingOffsetEdit), L"0x7e00");
  EXPECT_EQ(form.Edit(ExtentLengthEdit), L"0x2540be400");
  EXPECT_EQ(form.Chart(ExtentChart).title, L"Disk Extent Size vs. Partition Size");
  EXPECT_TRUE(form.Chart(ExtentChart).slices.empty());
  // A legacy partition of length 0 has no shares either.
  DiskPartitionNode empty;
  empty.Fill(LegacyRecord(1, 0, 0), 0);
  extent.partition = &empty;
  ShowDiskExtent(form, extent);
  EXPECT_TRUE(form.Chart(ExtentChart).slices.empty());
}

TEST(DiskPartitionPanel, GptThenMbrShowTheirGroupsAndKeepTheOthersTexts) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowDiskPartition(form, sample.Partition(1, L"DP(1)100000-6400000"));
  EXPECT_EQ(form.PanelOnDisplay(), PartitionPanel);
  EXPECT_EQ(form.FrameTitle(PartitionStyleFrame), L"GPT Partition");
  EXPECT_TRUE(RangeVisible(form, PartitionGptTypeLabel, PartitionGptNameEdit, true));
  EXPECT_TRUE(RangeVisible(form, PartitionHiddenSectorsLabel, PartitionRewriteCheck, false));
  EXPECT_EQ(form.Edit(PartitionStartingOffsetEdit), L"0x100000");
  EXPECT_EQ(form.Edit(PartitionLengthEdit), L"0x6400000");
  EXPECT_EQ(form.Edit(PartitionNumberEdit), L"1");
  EXPECT_EQ(form.Edit(PartitionGptTypeEdit), L"{c12a7328-f81f-11d2-ba4b-00a0c93ec93b}");
  EXPECT_EQ(form.Edit(PartitionGptIdEdit), L"{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}");
  EXPECT_EQ(form.Edit(PartitionGptAttributesEdit), L"0x8000000000000000");
  EXPECT_EQ(form.Edit(PartitionGptNameEdit), L"EFI system partition");
  const PieChartContent& chart = form.Chart(PartitionChart);
  EXPECT_EQ(chart.title, L"Partition Size vs. Disk Size");
  EXPECT_EQ(Labels(chart), (Cells{L"0% Partition 1", L"100% Other Use"}));
  EXPECT_EQ(Fills(chart), (std::vector<unsigned>{kWhite, kBlue}));

  ShowDiskPartition(form, sample.Partition(0, L"DP(2)1f500000-3200000000"));
  EXPECT_EQ(form.FrameTitle(PartitionStyleFrame), L"MBR Partition");
  EXPECT_TRUE(RangeVisible(form, PartitionGptTypeLabel, PartitionGptNameEdit, false));
  EXPECT_TRUE(RangeVisible(form, PartitionHiddenSectorsLabel, PartitionRewriteCheck, true));
  EXPECT_EQ(form.Edit(PartitionHiddenSectorsEdit), L"0xfa800");
  EXPECT_EQ(form.Edit(PartitionMbrTypeEdit), L"PARTITION_IFS");
  EXPECT_FALSE(form.Checked(PartitionBootIndicatorCheck));
  EXPECT_TRUE(form.Checked(PartitionRecognizedCheck));
  EXPECT_FALSE(form.Checked(PartitionRewriteCheck));
  EXPECT_EQ(form.Edit(PartitionGptTypeEdit), L"{c12a7328-f81f-11d2-ba4b-00a0c93ec93b}");  // hidden, kept
  // 214748364800 of 256060514304 bytes.
  EXPECT_EQ(Labels(form.Chart(PartitionChart)), (Cells{L"83% Partition 2", L"17% Other Use"}));

  ShowDiskPartition(form, sample.Partition(0, L"DP(3)321f600000-97ef56000", false));
  EXPECT_EQ(form.FrameTitle(PartitionStyleFrame), L"MBR Partition");
  EXPECT_EQ(form.Edit(PartitionHiddenSectorsEdit), L"0x800");
  EXPECT_EQ(form.Edit(PartitionMbrTypeEdit), L"PARTITION_FAT32_XINT13");
  EXPECT_EQ(form.Edit(PartitionNumberEdit), L"3");
}

TEST(DiskPartitionPanel, OtherStylesKeepEveryTextOfTheLastPartition) {
  FormState form;
  DiskPartitionNode gpt;
  PARTITION_INFORMATION_EX record = ExRecord(1, 2, 0x1000, 0x2000);
  record.Gpt.Attributes = 0x8000000000000001ull;
  const std::u16string name = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";  // all 36 characters
  for (std::size_t i = 0; i < 36; ++i) record.Gpt.Name[i] = name[i];
  gpt.Fill(record, 0);
  ShowDiskPartition(form, gpt);
  EXPECT_EQ(form.Edit(PartitionGptNameEdit), L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
  EXPECT_EQ(form.Edit(PartitionGptAttributesEdit), L"0x8000000000000001");

  DiskPartitionNode raw;
  raw.Fill(ExRecord(2, 9, 0x9000, 0x9000), 0);
  ShowDiskPartition(form, raw);
  EXPECT_EQ(form.FrameTitle(PartitionStyleFrame), L"UNKNOWN Partition");
  EXPECT_TRUE(RangeVisible(form, PartitionGptTypeLabel, PartitionGptNameEdit, true));
  EXPECT_TRUE(RangeVisible(form, PartitionHiddenSectorsLabel, PartitionRewriteCheck, false));
  EXPECT_EQ(form.Edit(PartitionNumberEdit), L"2");
  EXPECT_EQ(form.Edit(PartitionStartingOffsetEdit), L"0x1000");
  // A partition without a disk has no share to chart.
  EXPECT_TRUE(form.Chart(PartitionChart).slices.empty());
}

TEST(DiskPartitionPanel, SharesOfTheDisk) {
  PhysicalDiskNode disk;
  disk.diskSize = 1000;
  DiskPartitionNode partition;
  partition.Fill(ExRecord(0, 4, 0, 307), 0);
  partition.SetDisk(&disk);
  FormState form;
  ShowDiskPartition(form, partition);
  EXPECT_EQ(Labels(form.Chart(PartitionChart)), (Cells{L"30% Partition 4", L"70% Other Use"}));
  EXPECT_EQ(Values(form.Chart(PartitionChart)), (std::vector<int>{30, 70}));
  partition.Fill(ExRecord(0, 4, 0, 1000), 0);
  ShowDiskPartition(form, partition);
  EXPECT_EQ(Labels(form.Chart(PartitionChart)), (Cells{L"100% Partition 4"}));
  disk.diskSize = 0;
  ShowDiskPartition(form, partition);
  EXPECT_TRUE(form.Chart(PartitionChart).slices.empty());
}
