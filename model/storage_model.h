// The storage model of one scan: the three roots, which own the mount points,
// disks and adapters, and the two flat arrays that own every extent and
// partition, with the lookups that keep nodes unique within the scan.
#pragma once

#include <memory>
#include <tuple>
#include <vector>

#include "model/disk_extent_node.h"
#include "model/disk_partition_node.h"
#include "model/first_by_key.h"
#include "model/list_nodes.h"

class StorageModel {
 public:
  StorageModel() = default;
  StorageModel(const StorageModel&) = delete;
  StorageModel& operator=(const StorageModel&) = delete;

  // Null until a scan creates them.
  MountPointList* MountPoints() const { return mountPoints_.get(); }
  PhysicalDiskList* PhysicalDisks() const { return physicalDisks_.get(); }
  AdapterList* Adapters() const { return adapters_.get(); }
  // In order of creation.
  const std::vector<std::unique_ptr<DiskExtentNode>>& Extents() const { return extents_; }
  const std::vector<std::unique_ptr<DiskPartitionNode>>& Partitions() const { return partitions_; }

  // Three empty roots in place of any earlier ones.
  void CreateRoots();
  // Deletes every node. No node's destructor follows a link, so the order
  // carries no meaning.
  void Clear();
  DiskExtentNode& AddExtent(std::unique_ptr<DiskExtentNode> extent);
  DiskPartitionNode& AddPartition(std::unique_ptr<DiskPartitionNode> partition);

  // Lookups that keep extents and partitions unique within one scan.
  DiskExtentNode* FindExtent(const DISK_EXTENT& extent) const;
  DiskPartitionNode* FindPartitionEx(const PARTITION_INFORMATION_EX& info, int diskNumber) const;
  DiskPartitionNode* FindPartition(const PARTITION_INFORMATION& info, int diskNumber) const;
  // Lookups that keep adapters unique within one scan.
  ScsiAdapterNode* FindUsbStorageAdapter() const;
  ScsiAdapterNode* Find1394StorageAdapter() const;
  // The SCSI port adapter (neither pseudo-adapter) with the probe's port number.
  ScsiAdapterNode* FindScsiPortAdapter(const ScsiAdapterNode& probe) const;

 private:
  std::unique_ptr<MountPointList> mountPoints_;
  std::unique_ptr<PhysicalDiskList> physicalDisks_;
  std::unique_ptr<AdapterList> adapters_;
  std::vector<std::unique_ptr<DiskExtentNode>> extents_;
  std::vector<std::unique_ptr<DiskPartitionNode>> partitions_;

  using ExtentKey = std::tuple<DWORD, LONGLONG, LONGLONG>;
  // Whether the record is the extended one, disk number, partition style or
  // type, starting offset, partition number, length.
  using PartitionKey = std::tuple<bool, int, int, LONGLONG, DWORD, LONGLONG>;
  static ExtentKey KeyOf(const DiskExtentNode& node);
  static PartitionKey KeyOf(const DiskPartitionNode& node);
  FirstByKey<DiskExtentNode, ExtentKey> extentLookup_{&KeyOf};
  FirstByKey<DiskPartitionNode, PartitionKey> partitionLookup_{&KeyOf};
};
