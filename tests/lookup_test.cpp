// The lookups that keep disks, extents and partitions unique within a scan:
// always the first matching node in order of creation.
#include <gtest/gtest.h>

#include "tests/support/records.h"
#include "tests/support/scan_harness.h"

namespace {

DiskExtentNode* AddExtent(StorageModel& model, const DISK_EXTENT& e, int index) {
  auto node = std::make_unique<DiskExtentNode>();
  node->Fill(e, index);
  return &model.AddExtent(std::move(node));
}

}  // namespace

TEST(Lookups, FirstMatchInOrderOfCreationWhateverWasAskedBefore) {
  StorageModel model;
  EXPECT_EQ(model.FindExtent(Extent(0, 512, 4096)), nullptr);
  DiskExtentNode* first = AddExtent(model, Extent(0, 512, 4096), 0);
  EXPECT_EQ(model.FindExtent(Extent(0, 512, 4096)), first);
  DiskExtentNode* twin = AddExtent(model, Extent(0, 512, 4096), 1);
  DiskExtentNode* other = AddExtent(model, Extent(1, 512, 4096), 2);
  EXPECT_EQ(model.FindExtent(Extent(0, 512, 4096)), first);
  EXPECT_NE(model.FindExtent(Extent(0, 512, 4096)), twin);
  EXPECT_EQ(model.FindExtent(Extent(1, 512, 4096)), other);
  // Each of disk number, offset and length is part of the key.
  EXPECT_EQ(model.FindExtent(Extent(0, 512, 4097)), nullptr);
  EXPECT_EQ(model.FindExtent(Extent(0, 513, 4096)), nullptr);

  // Partitions: the two forms never match each other.
  PARTITION_INFORMATION_EX ex = ExRecord(PARTITION_STYLE_MBR, 1, 1048576, 4096);
  PARTITION_INFORMATION legacy = LegacyRecord(1, 1048576, 4096);
  EXPECT_EQ(model.FindPartition(legacy, 0), nullptr);
  auto a = std::make_unique<DiskPartitionNode>();
  a->Fill(legacy, 0);
  auto b = std::make_unique<DiskPartitionNode>();
  b->Fill(ex, 0);
  auto c = std::make_unique<DiskPartitionNode>();
  c->Fill(ex, 0);
  DiskPartitionNode* legacyNode = a.get();
  DiskPartitionNode* exNode = b.get();
  model.AddPartition(std::move(a));
  model.AddPartition(std::move(b));
  model.AddPartition(std::move(c));
  EXPECT_EQ(model.FindPartition(legacy, 0), legacyNode);
  EXPECT_EQ(model.FindPartitionEx(ex, 0), exNode);
  EXPECT_EQ(model.FindPartitionEx(ex, 1), nullptr);
  ex.PartitionStyle = PARTITION_STYLE_GPT;
  EXPECT_EQ(model.FindPartitionEx(ex, 0), nullptr);
  legacy.PartitionType = 0x07;
  EXPECT_EQ(model.FindPartition(legacy, 0), nullptr);

  // Disks by number.
  PhysicalDiskList disks;
  EXPECT_EQ(disks.FindPhysicalDisk(3), nullptr);
  for (int n : {3, 5, 3}) {
    disks.children.push_back(std::make_unique<PhysicalDiskNode>());
    disks.children.back()->SetDiskNumber(n);
  }
  EXPECT_EQ(disks.FindPhysicalDisk(3), disks.children[0].get());
  EXPECT_EQ(disks.FindPhysicalDisk(5), disks.children[1].get());
  EXPECT_EQ(disks.FindPhysicalDisk(4), nullptr);
  // An array emptied by hand is noticed too.
  disks.children.clear();
  EXPECT_EQ(disks.FindPhysicalDisk(3), nullptr);

  // Emptied, the model forgets every node it looked up.
  model.Clear();
  EXPECT_EQ(model.FindExtent(Extent(0, 512, 4096)), nullptr);
  EXPECT_EQ(model.FindPartitionEx(ExRecord(PARTITION_STYLE_MBR, 1, 1048576, 4096), 0), nullptr);

  // Thousands of keys, every one given twice and asked for while the array
  // grows: the first node of each key is found, and no key that is not there.
  StorageModel many;
  std::vector<DiskExtentNode*> firsts;
  for (int i = 0; i < 3000; ++i) {
    firsts.push_back(AddExtent(many, Extent(i % 7, 512LL * i, 4096), i));
    if (i % 500 == 0) {
      ASSERT_EQ(many.FindExtent(Extent(i % 7, 512LL * i, 4096)), firsts.back());
    }
  }
  for (int i = 0; i < 3000; ++i) AddExtent(many, Extent(i % 7, 512LL * i, 4096), 3000 + i);
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(many.FindExtent(Extent(i % 7, 512LL * i, 4096)), firsts[i]) << i;
  }
  EXPECT_EQ(many.FindExtent(Extent(1, 0, 4096)), nullptr);
  EXPECT_EQ(many.FindExtent(Extent(0, 512LL * 3000, 4096)), nullptr);
}

TEST(Lookups, RefreshForgetsTheNodesOfTheLastScan) {
  ScanHarness h(SourceFile("samples/workstation.json"), true);
  ASSERT_TRUE(h.InitialScan());
  const std::size_t extents = h.doc->Model().Extents().size();
  h.doc->Refresh(true);
  ASSERT_EQ(h.doc->Model().Extents().size(), extents);
  for (const auto& e : h.doc->Model().Extents()) EXPECT_EQ(h.doc->Model().FindExtent(e->diskExtent), e.get());
  for (const auto& p : h.doc->Model().Partitions()) {
    const StorageModel& model = h.doc->Model();
    const DiskPartitionNode* found = p->hasPartitionInfoEx ? model.FindPartitionEx(p->partitionInfoEx, p->diskNumber)
                                                           : model.FindPartition(p->partitionInfo, p->diskNumber);
    EXPECT_EQ(found, p.get());
  }
}
