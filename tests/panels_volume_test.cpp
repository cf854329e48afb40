#include <gtest/gtest.h>

#include "tests/support/panel_expectations.h"
#include "tests/support/presentation_fixture.h"
#include "ui/panels.h"

namespace {

using Cells = std::vector<std::wstring>;

constexpr unsigned kWhite = 0x00FFFFFF;
constexpr unsigned kBlue = 0x00FF0000;

PARTITION_INFORMATION_EX ExRecord(int style, DWORD number, LONGLONG offset, LONGLONG length) {
  PARTITION_INFORMATION_EX p{};
  p.PartitionStyle = static_cast<PARTITION_STYLE>(style);
  p.PartitionNumber = number;
  p.StartingOffset.QuadPart = offset;
  p.PartitionLength.QuadPart = length;
  return p;
}

DISK_EXTENT Extent(DWORD disk, LONGLONG offset, LONGLONG length) {
  DISK_EXTENT e{};
  e.DiskNumber = disk;
  e.StartingOffset.QuadPart = offset;
  e.ExtentLength.QuadPart = length;
  return e;
}

}  // namespace

TEST(MountPointPanel, ShowsTheVolumeItsExtentAndItsMbrPartition) {
  ScannedSample sample("workstation.json");
  FormState form;
  MountPointNode& c = sample.MountPoint(L"\\DosDevices\\C:");
  ShowMountPoint(form, c);

  EXPECT_EQ(form.PanelOnDisplay(), 1010);
  EXPECT_EQ(form.Edit(1001), L"\\DosDevices\\C:");
  EXPECT_EQ(form.Edit(1003), L"");
  EXPECT_EQ(form.Edit(1005), L"\\Device\\HarddiskVolume2");
  EXPECT_EQ(form.Edit(1007), L"\\DosDevices\\C:");
  EXPECT_EQ(form.Edit(1012), L"Windows");
  EXPECT_EQ(form.Edit(1014), L"5a3e91c2");
  EXPECT_EQ(form.Edit(1016), L"255");
  EXPECT_EQ(form.Edit(1018), L"03e700ff");
  EXPECT_EQ(form.Edit(1020), L"NTFS");
  EXPECT_EQ(form.Edit(1024), L"MBR");
  EXPECT_EQ(form.Edit(1030), L"2");
  EXPECT_EQ(form.Edit(1026), L"1f500000");
  EXPECT_EQ(form.Edit(1028), L"3200000000");
  EXPECT_EQ(form.Edit(1032), L"PARTITION_IFS");
  EXPECT_EQ(form.Edit(1036), L"1026048");
  EXPECT_FALSE(form.Checked(1031));
  EXPECT_FALSE(form.Checked(1034));
  EXPECT_TRUE(form.Checked(1035));
  EXPECT_EQ(form.ListBox(1039).lines, (Cells{L"C:\\"}));

  const ListViewState& list = form.List(1008);
  EXPECT_EQ(Headings(list), (Cells{L"Extent Name   ", L"Disk Number   ", L"Starting Offset", L"Extent Length  ",
                                   L"Scsi Adapter   ", L"Scsi Disk      "}));
  EXPECT_EQ(Widths(list), (std::vector<int>{21, 12, 16, 16, 21, 21}));
  EXPECT_EQ(list.extendedStyle, ListViewState::kFullRowSelect);
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0].cells, (Cells{L"Disk Extent 0 1f500000-3200000000", L"0", L"1f500000", L"3200000000",
                                       L"Scsi2", L"Bus0,Target0,Lun0"}));
  EXPECT_EQ(list.rows[0].node, c.extents[0]);

  // 214748364800 of 214748360704 bytes: the extent is a hair larger than the file system.
  const PieChartContent& chart = form.Chart(1021);
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
  const ListViewState& list = form.List(1008);
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0].cells[1], L"2");
  EXPECT_EQ(list.rows[1].cells,
            (Cells{L"Disk Extent 1 7e00-5d21dba000", L"3", L"7e00", L"5d21dba000", L"Scsi3", L"Bus0,Target1,Lun0"}));
  const PieChartContent& chart = form.Chart(1021);
  // 500105740800 and 400000000000 of 900105740288 bytes.
  EXPECT_EQ(Labels(chart), (Cells{L"55% Extent 2", L"44% Extent 3"}));
  EXPECT_EQ(Fills(chart), (std::vector<unsigned>{kWhite, 0x00FDFCFA}));
  // The volume's own record is an MBR one for the whole spanned volume.
  EXPECT_EQ(form.Edit(1024), L"MBR");
  EXPECT_EQ(form.Edit(1030), L"0");
  EXPECT_EQ(form.Edit(1026), L"0");
  EXPECT_EQ(form.Edit(1028), L"d1927ba200");
  EXPECT_EQ(form.Edit(1032), L"PARTITION_LDM");
}

TEST(MountPointPanel, ALegacyRecordShowsDynamicAndLeavesTheMbrFieldsAlone) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowMountPoint(form, sample.MountPoint(L"\\DosDevices\\C:"));
  ShowMountPoint(form, sample.MountPoint(L"\\DosDevices\\F:"));
  EXPECT_EQ(form.Edit(1024), L"DYNAMIC");
  EXPECT_EQ(form.Edit(1030), L"3");
  EXPECT_EQ(form.Edit(1026), L"321f600000");
  EXPECT_EQ(form.Edit(1028), L"97ef56000");
  // Still those of C:.
  EXPECT_EQ(form.Edit(1032), L"PARTITION_IFS");
  EXPECT_EQ(form.Edit(1036), L"1026048");
  EXPECT_TRUE(form.Checked(1035));
  EXPECT_EQ(form.Edit(1012), L"MEDIA");
}

TEST(MountPointPanel, EveryMbrFlagIsSetBothWays) {
  ScannedSample sample("workstation.json", true);
  FormState form;
  ShowMountPoint(form, sample.MountPoint(L"\\??\\Volume{3f1b2c4d-0000-0000-0000-501f00000000}"));
  EXPECT_TRUE(form.Checked(1034));
  EXPECT_EQ(form.Edit(1036), L"2048");
  ShowMountPoint(form, sample.MountPoint(L"\\DosDevices\\C:"));
  EXPECT_FALSE(form.Checked(1034));
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
  EXPECT_TRUE(form.Checked(1031) && form.Checked(1034) && form.Checked(1035));

  for (int style : {1, 2, 255}) {
    mp.partitionInfoEx = ExRecord(style, 4, 0x7e00, 0x1000);
    ShowMountPoint(form, mp);
    EXPECT_EQ(form.Edit(1024), style == 1 ? L"GPT" : style == 2 ? L"RAW" : L"DYNAMIC");
    EXPECT_EQ(form.Edit(1030), L"4");
    EXPECT_EQ(form.Edit(1026), L"7e00");
    EXPECT_EQ(form.Edit(1028), L"1000");
    // Untouched: what the MBR mount point left.
    EXPECT_EQ(form.Edit(1032), L"PARTITION_IFS");
    EXPECT_TRUE(form.Checked(1034));
  }

  mp.partitionInfoEx = ExRecord(7, 4, 0x7e00, 0x1000);
  ShowMountPoint(form, mp);
  EXPECT_EQ(form.Edit(1024), L"UNKNOWN");
  for (int id : {1030, 1026, 1028, 1032, 1036}) EXPECT_EQ(form.Edit(id), L"") << id;
  for (int id : {1031, 1034, 1035}) EXPECT_FALSE(form.Checked(id)) << id;
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
  EXPECT_EQ(Labels(form.Chart(1021)), (Cells{L"200% Extent 0", L"100% Extent 1"}));
  // A partition without its disk leaves the adapter cells empty.
  EXPECT_EQ(form.List(1008).rows[0].cells[4], L"");

  // A file system without a size has no shares: no slices, rows still listed.
  mp.totalBytes = 0;
  ShowMountPoint(form, mp);
  EXPECT_TRUE(form.Chart(1021).slices.empty());
  EXPECT_EQ(form.List(1008).rows.size(), 2u);

  // Without extents: the columns and an empty chart.
  MountPointNode empty;
  ShowMountPoint(form, empty);
  EXPECT_EQ(form.List(1008).columns.size(), 6u);
  EXPECT_TRUE(form.List(1008).rows.empty());
  EXPECT_EQ(form.Chart(1021).title, L"Extent Size vs Volume Size");
  EXPECT_TRUE(form.Chart(1021).slices.empty());
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
  const auto fills = Fills(form.Chart(1021));
  ASSERT_EQ(fills.size(), 53u);
  EXPECT_EQ(fills[0], kWhite);
  EXPECT_EQ(fills[1], 0x00FDFCFAu);  // red 250, green 252, blue 253
  EXPECT_EQ(fills[2], 0x00FBF9F5u);  // red 245, green 249, blue 251
  // After extent 51: red (-1 × 5) mod 256 = 251, green 99, blue 151.
  EXPECT_EQ(fills[52], 0x009763FBu);
  EXPECT_EQ(Labels(form.Chart(1021))[52], L"1% Extent 52");
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
  EXPECT_EQ(form.List(1008).rows[0].cells[4], L"Scsi1");
  EXPECT_EQ(form.List(1008).rows[0].cells[5], L"");  // no device linked
  disk.SetDevice(&device);
  ShowMountPoint(form, mp);
  EXPECT_EQ(form.List(1008).rows[0].cells[5], L"Bus0,Target1,Lun0");
}

TEST(MountPointPanel, VolumePathsAreListedSorted) {
  MountPointNode mp;
  mp.volumePathNames = {L"e:\\", L"D:\\", L"C:\\mnt\\data\\"};
  FormState form;
  form.ListBox(1039).Add(L"left over");
  ShowMountPoint(form, mp);
  EXPECT_EQ(form.ListBox(1039).lines, (Cells{L"C:\\mnt\\data\\", L"D:\\", L"e:\\"}));
}

TEST(DiskExtentPanel, ShowsTheExtentAndItsShareOfThePartition) {
  ScannedSample sample("workstation.json");
  FormState form;
  DiskExtentNode& extent = *sample.MountPoint(L"\\DosDevices\\S:").extents[1];
  ShowDiskExtent(form, extent);
  EXPECT_EQ(form.PanelOnDisplay(), 1500);
  EXPECT_EQ(form.Edit(1501), L"3");
  EXPECT_EQ(form.Edit(1503), L"0x7e00");
  EXPECT_EQ(form.Edit(1505), L"0x5d21dba000");
  const PieChartContent& chart = form.Chart(1507);
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
  EXPECT_EQ(form.Edit(1503), L"0x7e00");
  EXPECT_EQ(form.Edit(1505), L"0x2540be400");
  EXPECT_EQ(form.Chart(1507).title, L"Disk Extent Size vs. Partition Size");
  EXPECT_TRUE(form.Chart(1507).slices.empty());
  // A legacy partition of length 0 has no shares either.
  DiskPartitionNode empty;
  PARTITION_INFORMATION legacy{};
  legacy.PartitionNumber = 1;
  empty.Fill(legacy, 0);
  extent.partition = &empty;
  ShowDiskExtent(form, extent);
  EXPECT_TRUE(form.Chart(1507).slices.empty());
}

TEST(DiskPartitionPanel, GptThenMbrShowTheirGroupsAndKeepTheOthersTexts) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowDiskPartition(form, sample.Partition(1, L"DP(1)100000-6400000"));
  EXPECT_EQ(form.PanelOnDisplay(), 1800);
  EXPECT_EQ(form.FrameTitle(1801), L"GPT Partition");
  EXPECT_TRUE(RangeVisible(form, 1815, 1822, true));
  EXPECT_TRUE(RangeVisible(form, 1808, 1814, false));
  EXPECT_EQ(form.Edit(1803), L"0x100000");
  EXPECT_EQ(form.Edit(1805), L"0x6400000");
  EXPECT_EQ(form.Edit(1807), L"1");
  EXPECT_EQ(form.Edit(1816), L"{c12a7328-f81f-11d2-ba4b-00a0c93ec93b}");
  EXPECT_EQ(form.Edit(1818), L"{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}");
  EXPECT_EQ(form.Edit(1820), L"0x8000000000000000");
  EXPECT_EQ(form.Edit(1822), L"EFI system partition");
  const PieChartContent& chart = form.Chart(1823);
  EXPECT_EQ(chart.title, L"Partition Size vs. Disk Size");
  EXPECT_EQ(Labels(chart), (Cells{L"0% Partition 1", L"100% Other Use"}));
  EXPECT_EQ(Fills(chart), (std::vector<unsigned>{kWhite, kBlue}));

  ShowDiskPartition(form, sample.Partition(0, L"DP(2)1f500000-3200000000"));
  EXPECT_EQ(form.FrameTitle(1801), L"MBR Partition");
  EXPECT_TRUE(RangeVisible(form, 1815, 1822, false));
  EXPECT_TRUE(RangeVisible(form, 1808, 1814, true));
  EXPECT_EQ(form.Edit(1809), L"0xfa800");
  EXPECT_EQ(form.Edit(1811), L"PARTITION_IFS");
  EXPECT_FALSE(form.Checked(1812));
  EXPECT_TRUE(form.Checked(1813));
  EXPECT_FALSE(form.Checked(1814));
  EXPECT_EQ(form.Edit(1816), L"{c12a7328-f81f-11d2-ba4b-00a0c93ec93b}");  // hidden, kept
  // 214748364800 of 256060514304 bytes.
  EXPECT_EQ(Labels(form.Chart(1823)), (Cells{L"83% Partition 2", L"17% Other Use"}));

  ShowDiskPartition(form, sample.Partition(0, L"DP(3)321f600000-97ef56000", false));
  EXPECT_EQ(form.FrameTitle(1801), L"MBR Partition");
  EXPECT_EQ(form.Edit(1809), L"0x800");
  EXPECT_EQ(form.Edit(1811), L"PARTITION_FAT32_XINT13");
  EXPECT_EQ(form.Edit(1807), L"3");
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
  EXPECT_EQ(form.Edit(1822), L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
  EXPECT_EQ(form.Edit(1820), L"0x8000000000000001");

  DiskPartitionNode raw;
  raw.Fill(ExRecord(2, 9, 0x9000, 0x9000), 0);
  ShowDiskPartition(form, raw);
  EXPECT_EQ(form.FrameTitle(1801), L"UNKNOWN Partition");
  EXPECT_TRUE(RangeVisible(form, 1815, 1822, true));
  EXPECT_TRUE(RangeVisible(form, 1808, 1814, false));
  EXPECT_EQ(form.Edit(1807), L"2");
  EXPECT_EQ(form.Edit(1803), L"0x1000");
  // A partition without a disk has no share to chart.
  EXPECT_TRUE(form.Chart(1823).slices.empty());
}

TEST(DiskPartitionPanel, SharesOfTheDisk) {
  PhysicalDiskNode disk;
  disk.diskSize = 1000;
  DiskPartitionNode partition;
  partition.Fill(ExRecord(0, 4, 0, 307), 0);
  partition.SetDisk(&disk);
  FormState form;
  ShowDiskPartition(form, partition);
  EXPECT_EQ(Labels(form.Chart(1823)), (Cells{L"30% Partition 4", L"70% Other Use"}));
  EXPECT_EQ(Values(form.Chart(1823)), (std::vector<int>{30, 70}));
  partition.Fill(ExRecord(0, 4, 0, 1000), 0);
  ShowDiskPartition(form, partition);
  EXPECT_EQ(Labels(form.Chart(1823)), (Cells{L"100% Partition 4"}));
  disk.diskSize = 0;
  ShowDiskPartition(form, partition);
  EXPECT_TRUE(form.Chart(1823).slices.empty());
}
