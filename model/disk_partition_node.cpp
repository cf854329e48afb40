#include "model/disk_partition_node.h"

#include "platform/wide_text.h"

DiskPartitionNode::DiskPartitionNode() : StorageNode(KindDiskPartition) {}

void DiskPartitionNode::Fill(const PARTITION_INFORMATION_EX& info, int diskNumberOfDrive) {
  partitionInfoEx = info;
  hasPartitionInfoEx = true;
  diskNumber = diskNumberOfDrive;
  FormatName();
}

void DiskPartitionNode::Fill(const PARTITION_INFORMATION& info, int diskNumberOfDrive) {
  partitionInfo = info;
  hasPartitionInfoEx = false;
  diskNumber = diskNumberOfDrive;
  FormatName();
}

ULONGLONG DiskPartitionNode::StartingOffset() const {
  return static_cast<ULONGLONG>(hasPartitionInfoEx ? partitionInfoEx.StartingOffset.QuadPart
                                                   : partitionInfo.StartingOffset.QuadPart);
}

ULONGLONG DiskPartitionNode::PartitionLength() const {
  return static_cast<ULONGLONG>(hasPartitionInfoEx ? partitionInfoEx.PartitionLength.QuadPart
                                                   : partitionInfo.PartitionLength.QuadPart);
}

DWORD DiskPartitionNode::PartitionNumber() const {
  return hasPartitionInfoEx ? partitionInfoEx.PartitionNumber : partitionInfo.PartitionNumber;
}

void DiskPartitionNode::FormatName() {
  name = FormatWide(L"DP(%u)%I64x-%I64x", static_cast<unsigned>(PartitionNumber()),
                    static_cast<unsigned long long>(StartingOffset()),
                    static_cast<unsigned long long>(PartitionLength()));
}
