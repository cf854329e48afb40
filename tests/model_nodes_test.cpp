// Display names, plain geometry and the ownership rules of the node classes.
#include <gtest/gtest.h>

#include "model/disk_extent_node.h"
#include "model/disk_partition_node.h"
#include "model/list_nodes.h"
#include "scan/scan_steps.h"
#include "tests/support/records.h"
#include "tests/support/scan_harness.h"

TEST(NodeNames, FormattedOnceFromTheRecord) {
  DiskExtentNode extent;
  extent.Fill(Extent(3, 32256, 10000000000), 0);
  EXPECT_EQ(extent.GetName(), L"Disk Extent 0 7e00-2540be400");
  EXPECT_EQ(extent.kind, KindDiskExtent);
  // Later changes of the record do not rename the node.
  extent.diskExtent.StartingOffset.QuadPart = 0;
  EXPECT_EQ(extent.GetName(), L"Disk Extent 0 7e00-2540be400");

  const PARTITION_INFORMATION_EX ex = ExRecord(PARTITION_STYLE_MBR, 1, 32256, 10000000000);
  const PARTITION_INFORMATION legacy = LegacyRecord(1, 32256, 10000000000);
  DiskPartitionNode fromEx;
  fromEx.Fill(ex, 0);
  DiskPartitionNode fromLegacy;
  fromLegacy.Fill(legacy, 0);
  EXPECT_EQ(fromEx.GetName(), L"DP(1)7e00-2540be400");
  EXPECT_EQ(fromLegacy.GetName(), L"DP(1)7e00-2540be400");
  EXPECT_TRUE(fromEx.hasPartitionInfoEx);
  EXPECT_FALSE(fromLegacy.hasPartitionInfoEx);

  // Offsets above 2^63 are shown unsigned, without leading zeros.
  DiskExtentNode high;
  high.Fill(Extent(0, -1, 0x10), 7);
  EXPECT_EQ(high.GetName(), L"Disk Extent 7 ffffffffffffffff-10");

  PhysicalDiskNode disk;
  disk.SetDiskNumber(0);
  EXPECT_EQ(disk.GetName(), L"PhysicalDrive0");
  disk.SetDiskNumber(12);
  EXPECT_EQ(disk.GetName(), L"PhysicalDrive12");
}

TEST(NodeNames, MountPointShowsItsSymbolicLinkAndRootsTheirConstants) {
  MountPointNode mp;
  mp.symbolicLinkName = L"\\DosDevices\\C:";
  EXPECT_EQ(mp.GetName(), L"\\DosDevices\\C:");
  EXPECT_TRUE(mp.name.empty());
  EXPECT_EQ(mp.kind, KindMountPoint);

  EXPECT_EQ(MountPointList().GetName(), L"Mountpoints");
  EXPECT_EQ(PhysicalDiskList().GetName(), L"Physical Disks");
  EXPECT_EQ(AdapterList().GetName(), L"Adapters");
  EXPECT_EQ(MountPointList().kind, 1);
  EXPECT_EQ(PhysicalDiskList().kind, 2);
  EXPECT_EQ(AdapterList().kind, 3);
}

TEST(PhysicalDiskGeometry, PlainAnswerGivesTheProductAndZeroedRecords) {
  PhysicalDiskNode disk;
  DISK_GEOMETRY g{};
  g.Cylinders.QuadPart = 60801;
  g.TracksPerCylinder = 255;
  g.SectorsPerTrack = 63;
  g.BytesPerSector = 512;
  disk.SetGeometry(g);
  EXPECT_EQ(disk.diskSize, 60801ull * 255 * 63 * 512);
  EXPECT_EQ(disk.partitionStyleInfo.SizeOfPartitionInfo, 0u);
  EXPECT_EQ(disk.detectionInfo.SizeOfDetectInfo, 0u);
  EXPECT_EQ(disk.geometry.Cylinders.QuadPart, 60801);

  // Unsigned 64-bit arithmetic that wraps, never a signed overflow.
  g.Cylinders.QuadPart = 0x7fffffffffffffff;
  g.BytesPerSector = 0xffffffff;
  g.SectorsPerTrack = 0xffffffff;
  g.TracksPerCylinder = 0xffffffff;
  disk.SetGeometry(g);
  ULONGLONG expected = 0xffffffffull * 0xffffffffull;
  expected *= 0xffffffffull;
  expected *= 0x7fffffffffffffffull;
  EXPECT_EQ(disk.diskSize, expected);
}

TEST(PhysicalDiskGeometry, ExtendedAnswerReadsOnlyWhatWasReturned) {
  BYTE answer[layout::kGeometryExBufferBytes];
  for (std::size_t i = 0; i < sizeof answer; ++i) answer[i] = 0xAB;
  PhysicalDiskNode disk;
  // Shorter than the partition record's place: both records stay zero.
  disk.SetGeometryEx(answer, layout::kPartitionInfoInGeometryEx);
  EXPECT_EQ(disk.partitionStyleInfo.SizeOfPartitionInfo, 0u);
  EXPECT_EQ(disk.detectionInfo.SizeOfDetectInfo, 0u);
  EXPECT_EQ(disk.geometry.BytesPerSector, 0xABABABABu);
  // Reaching the partition record but not the detection record.
  disk.SetGeometryEx(answer, layout::kDetectionInfoInGeometryEx);
  EXPECT_EQ(disk.partitionStyleInfo.SizeOfPartitionInfo, 0xABABABABu);
  EXPECT_EQ(disk.detectionInfo.SizeOfDetectInfo, 0u);
  // A geometry answer cut inside the disk size keeps only the bytes it had.
  disk.SetGeometryEx(answer, 28);
  EXPECT_EQ(disk.diskSize, 0xABABABABull);
}

TEST(Ownership, DeletingTheRootsLeavesExtentsAndPartitionsAlive) {
  ScanHarness h(SourceFile("samples/workstation.json"), true);
  StorageModel model;
  ScanContext scan{h.recorded, h.prompt, nullptr, model};
  HANDLE manager = h.recorded.CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
  ASSERT_EQ(StorageScan(scan, manager, true), 0u);
  h.recorded.CloseHandle(manager);
  ASSERT_FALSE(model.Extents().empty());
  ASSERT_FALSE(model.Partitions().empty());
  std::vector<std::wstring> before;
  for (const auto& e : model.Extents()) before.push_back(e->GetName());
  for (const auto& p : model.Partitions()) before.push_back(p->GetName());

  // New roots in place of the scanned ones delete those alone.
  model.CreateRoots();
  // Under the address sanitizer, reading a deleted node fails the test.
  std::vector<std::wstring> after;
  for (const auto& e : model.Extents()) {
    after.push_back(e->GetName());
    if (e->partition != nullptr) {
      EXPECT_FALSE(e->partition->GetName().empty());
    }
  }
  for (const auto& p : model.Partitions()) after.push_back(p->GetName());
  EXPECT_EQ(after, before);
}
