#pragma once

#include "model/storage_node.h"
#include "platform/storage_records.h"

class PhysicalDiskNode;

// One used entry of a disk's partition table, in whichever form the drive was
// asked in. Owned by the document's partition array; referenced by its disk and
// by the extents that start where it starts.
class DiskPartitionNode : public StorageNode {
 public:
  DiskPartitionNode();

  void Fill(const PARTITION_INFORMATION_EX& info, int diskNumberOfDrive);
  void Fill(const PARTITION_INFORMATION& info, int diskNumberOfDrive);
  void SetDisk(PhysicalDiskNode* owner) { disk = owner; }

  // From whichever record is valid.
  ULONGLONG StartingOffset() const;
  ULONGLONG PartitionLength() const;
  DWORD PartitionNumber() const;

  PARTITION_INFORMATION_EX partitionInfoEx{};
  PARTITION_INFORMATION partitionInfo{};
  bool hasPartitionInfoEx = false;
  int diskNumber = 0;
  PhysicalDiskNode* disk = nullptr;

 private:
  void FormatName();
};
