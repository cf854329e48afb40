#include <gtest/gtest.h>

#include <memory>

#include "tests/support/panel_expectations.h"
#include "tests/support/presentation_fixture.h"
#include "ui/panels.h"

using enum ControlId;

namespace {


// A disk built by hand, owning its partitions.
struct HandDisk {
  explicit HandDisk(ULONGLONG size) {
    disk.SetDiskNumber(5);
    disk.diskSize = size;
  }
  DiskPartitionNode& Add(DWORD number, LONGLONG length) {
    PARTITION_INFORMATION_EX p{};
    p.PartitionStyle = PARTITION_STYLE_MBR;
    p.PartitionNumber = number;
    p.PartitionLength.QuadPart = length;
    p.Mbr.PartitionType = 0x07;
    partitions.push_back(std::make_unique<DiskPartitionNode>());
    partitions.back()->Fill(p, 5);
    partitions.back()->SetDisk(&disk);
    disk.AddPartition(partitions.back().get());
    return *partitions.back();
  }
  PhysicalDiskNode disk;
  std::vector<std::unique_ptr<DiskPartitionNode>> partitions;
};

}  // namespace

TEST(DiskPanel, AnMbrDiskWithExtendedInt13DataAndPartitionsInBothForms) {
  ScannedSample sample("workstation.json");
  FormState form;
  PhysicalDiskNode& disk = sample.Disk(0);
  ShowPhysicalDisk(form, disk);

  EXPECT_EQ(form.PanelOnDisplay(), DiskPanel);
  EXPECT_EQ(form.Edit(DiskSizeEdit), L"3b9e656000");
  EXPECT_EQ(form.Edit(DiskCylindersEdit), L"799a");
  EXPECT_EQ(form.Edit(DiskMediaTypeEdit), L"Fixed hard disk media.");
  EXPECT_EQ(form.Edit(DiskTracksPerCylinderEdit), L"000000ff");
  EXPECT_EQ(form.Edit(DiskSectorsPerTrackEdit), L"0000003f");
  EXPECT_EQ(form.Edit(DiskBytesPerSectorEdit), L"00000200");

  EXPECT_EQ(form.FrameTitle(DiskStyleFrame), L"MBR Partition");
  EXPECT_EQ(form.Edit(DiskSignatureEdit), L"1a2b3c4d");
  EXPECT_EQ(form.Edit(DiskChecksumEdit), L"00000000");
  EXPECT_TRUE(RangeVisible(form, DiskSignatureLabel, DiskChecksumEdit, true));
  EXPECT_TRUE(RangeVisible(form, DiskIdLabel, DiskIdEdit, false));

  EXPECT_EQ(form.FrameTitle(DiskDetectionFrame), L"DetectExInt13");
  EXPECT_TRUE(RangeVisible(form, DiskInt13DriveSelectLabel, DiskInt13DriveCountEdit, false));
  EXPECT_TRUE(RangeVisible(form, DiskExInt13BufferSizeLabel, DiskExInt13ReservedEdit, true));
  EXPECT_EQ(form.Edit(DiskExInt13BufferSizeEdit), L"001e");
  EXPECT_EQ(form.Edit(DiskExInt13FlagsEdit), L"0002");
  EXPECT_EQ(form.Edit(DiskExInt13CylindersEdit), L"00003fff");
  EXPECT_EQ(form.Edit(DiskExInt13HeadsEdit), L"00000010");
  EXPECT_EQ(form.Edit(DiskExInt13SectorsPerTrackEdit), L"0000003f");
  EXPECT_EQ(form.Edit(DiskExInt13SectorsPerDriveEdit), L"1dcf32b0");
  EXPECT_EQ(form.Edit(DiskExInt13SectorSizeEdit), L"0200");
  EXPECT_EQ(form.Edit(DiskExInt13ReservedEdit), L"0000");
  EXPECT_EQ(form.Edit(DiskInt13DriveSelectEdit), L"");  // the Int13 group is not filled

  const ListViewState& list = form.List(DiskPartitionList);
  EXPECT_EQ(Headings(list), (Cells{L"Style   ", L"Number   ", L"Starting Offset", L" Length  ", L"ReWrite   ",
                                   L"Type      "}));
  EXPECT_EQ(Widths(list), (std::vector<int>{12, 11, 16, 16, 17, 21}));
  // The disk was read once in each form, so each partition is listed twice.
  ASSERT_EQ(list.rows.size(), 6u);
  EXPECT_EQ(list.rows[1].cells, (Cells{L"MBR", L"2", L"1f500000", L"3200000000", L"FALSE", L"PARTITION_IFS"}));
  EXPECT_EQ(list.rows[5].cells,
            (Cells{L"UNKNOWN", L"3", L"321f600000", L"97ef56000", L"FALSE", L"PARTITION_FAT32_XINT13"}));
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(list.rows[i].node, disk.partitions[i]);

  const PieChartContent& chart = form.Chart(DiskChart);
  EXPECT_EQ(chart.title, L"Disk Partition Allocation");
  EXPECT_EQ(Labels(chart), (Cells{L"0% Partition 1", L"83% Partition 2", L"15% Partition 3", L"0% Partition 1",
                                  L"83% Partition 2", L"15% Partition 3"}));
  // The shares add up to 196: no "Unallocated" slice.
  EXPECT_EQ(Fills(chart), (std::vector<unsigned>{kWhite, 0x00FFFFFA, 0x00FFF5FF, 0x00F0FFFF, 0x00E7EFF7, 0x00FFFFE6}));
  EXPECT_TRUE(AllBlackPercentages(chart));
}

TEST(DiskPanel, AGptDiskShowsItsIdAndTypeGuids) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowPhysicalDisk(form, sample.Disk(1));
  EXPECT_EQ(form.FrameTitle(DiskStyleFrame), L"GPT Partition");
  EXPECT_EQ(form.Edit(DiskIdEdit), L"{5e4f6a3b-2c1d-4e0f-9a8b-7c6d5e4f3a2b}");
  EXPECT_TRUE(RangeVisible(form, DiskIdLabel, DiskIdEdit, true));
  EXPECT_TRUE(RangeVisible(form, DiskSignatureLabel, DiskChecksumEdit, false));
  const ListViewState& list = form.List(DiskPartitionList);
  ASSERT_EQ(list.rows.size(), 3u);
  EXPECT_EQ(list.rows[0].cells,
            (Cells{L"GPT", L"1", L"100000", L"6400000", L"FALSE", L"{c12a7328-f81f-11d2-ba4b-00a0c93ec93b}"}));
  const PieChartContent& chart = form.Chart(DiskChart);
  EXPECT_EQ(Labels(chart), (Cells{L"0% Partition 1", L"0% Partition 2", L"99% Partition 3", L"1% Unallocated"}));
  EXPECT_EQ(Fills(chart), (std::vector<unsigned>{kWhite, 0x00FFFFFA, 0x00FFF5FF, kBlue}));
}

TEST(DiskPanel, ADiskWithOnlyPlainGeometry) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowPhysicalDisk(form, sample.Disk(3));
  // 512 × 63 × 255 × 60801 bytes.
  EXPECT_EQ(form.Edit(DiskSizeEdit), L"7470988200");
  // Zeroed partition and detection records read as MBR and DetectNone.
  EXPECT_EQ(form.FrameTitle(DiskStyleFrame), L"MBR Partition");
  EXPECT_EQ(form.Edit(DiskSignatureEdit), L"00000000");
  EXPECT_EQ(form.FrameTitle(DiskDetectionFrame), L"DetectNone");
  EXPECT_TRUE(RangeVisible(form, DiskInt13DriveSelectLabel, DiskExInt13ReservedEdit, false));
  EXPECT_EQ(Labels(form.Chart(DiskChart)), (Cells{L"99% Partition 1", L"1% Unallocated"}));
}

TEST(DiskPanel, Int13AndOtherDetectionAndStyleGroups) {
  FormState form;
  HandDisk hand(1000);
  PhysicalDiskNode& disk = hand.disk;
  disk.detectionInfo.DetectionType = DetectInt13;
  disk.detectionInfo.Int13 = {0x80, 1023, 63, 254, 2};
  disk.partitionStyleInfo.PartitionStyle = PARTITION_STYLE_RAW;
  ShowPhysicalDisk(form, disk);
  EXPECT_EQ(form.FrameTitle(DiskDetectionFrame), L"DetectInt13");
  EXPECT_TRUE(RangeVisible(form, DiskInt13DriveSelectLabel, DiskInt13DriveCountEdit, true));
  EXPECT_TRUE(RangeVisible(form, DiskExInt13BufferSizeLabel, DiskExInt13ReservedEdit, false));
  EXPECT_EQ(form.Edit(DiskInt13DriveSelectEdit), L"0080");
  EXPECT_EQ(form.Edit(DiskInt13MaxCylindersEdit), L"000003ff");
  EXPECT_EQ(form.Edit(DiskInt13SectorsPerTrackEdit), L"003f");
  EXPECT_EQ(form.Edit(DiskInt13MaxHeadsEdit), L"00fe");
  EXPECT_EQ(form.Edit(DiskInt13DriveCountEdit), L"0002");
  EXPECT_EQ(form.FrameTitle(DiskStyleFrame), L"Unknown Partition");
  EXPECT_TRUE(RangeVisible(form, DiskSignatureLabel, DiskIdEdit, false));

  disk.detectionInfo.DetectionType = static_cast<DETECTION_TYPE>(7);
  ShowPhysicalDisk(form, disk);
  EXPECT_EQ(form.FrameTitle(DiskDetectionFrame), L"Unknown");
  EXPECT_TRUE(RangeVisible(form, DiskInt13DriveSelectLabel, DiskExInt13ReservedEdit, false));
  EXPECT_EQ(form.Edit(DiskInt13DriveSelectEdit), L"0080");  // kept, hidden
}

TEST(DiskPanel, PartitionSharesAndColours) {
  FormState form;
  {
    HandDisk hand(1000);
    hand.Add(1, 400);
    hand.Add(2, 596);
    ShowPhysicalDisk(form, hand.disk);
    EXPECT_EQ(Labels(form.Chart(DiskChart)), (Cells{L"40% Partition 1", L"59% Partition 2", L"1% Unallocated"}));
    EXPECT_EQ(Fills(form.Chart(DiskChart)), (std::vector<unsigned>{kWhite, 0x00FFFFFA, kBlue}));
  }
  {
    // An entry without a number is neither listed nor charted, and does not
    // move the colours on; the index still counts it.
    HandDisk hand(1000);
    hand.Add(1, 100);
    hand.Add(0, 100);
    hand.Add(2, 100);
    hand.Add(3, 100);
    ShowPhysicalDisk(form, hand.disk);
    const ListViewState& list = form.List(DiskPartitionList);
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[1].cells[1], L"2");
    EXPECT_EQ(list.rows[1].node, hand.partitions[2].get());
    EXPECT_EQ(Labels(form.Chart(DiskChart)),
              (Cells{L"10% Partition 1", L"10% Partition 2", L"10% Partition 3", L"70% Unallocated"}));
    EXPECT_EQ(Fills(form.Chart(DiskChart)), (std::vector<unsigned>{kWhite, 0x00FFFFFA, 0x00F0FFFF, kBlue}));
  }
  {
    HandDisk hand(1000);
    ShowPhysicalDisk(form, hand.disk);
    EXPECT_EQ(form.List(DiskPartitionList).columns.size(), 6u);
    EXPECT_TRUE(form.List(DiskPartitionList).rows.empty());
    EXPECT_EQ(Labels(form.Chart(DiskChart)), (Cells{L"100% Unallocated"}));
  }
  {
    // A disk without a size has no shares at all.
    HandDisk hand(0);
    hand.Add(1, 100);
    ShowPhysicalDisk(form, hand.disk);
    EXPECT_EQ(form.List(DiskPartitionList).rows.size(), 1u);
    EXPECT_TRUE(form.Chart(DiskChart).slices.empty());
  }
}

TEST(DiskPanel, TheFourthColourFadesAllThreeComponents) {
  FormState form;
  HandDisk hand(100);
  for (DWORD n = 1; n <= 5; ++n) hand.Add(n, 1);
  ShowPhysicalDisk(form, hand.disk);
  // After index 3: red 247, green 239, blue 231.
  EXPECT_EQ(Fills(form.Chart(DiskChart))[4], 0x00E7EFF7u);
}
