#pragma once

#include <vector>

#include "model/storage_node.h"
#include "platform/storage_records.h"

class DiskPartitionNode;
class ScsiAdapterNode;
class ScsiDeviceNode;

// One physical drive, found through a volume extent on it. Owned by the
// physical disk list; its partitions, adapter and device are references.
class PhysicalDiskNode : public StorageNode {
 public:
  PhysicalDiskNode();

  void SetDiskNumber(int number);
  void AddPartition(DiskPartitionNode* partition) { partitions.push_back(partition); }
  void SetAdapter(ScsiAdapterNode* a) { adapter = a; }
  void SetDevice(ScsiDeviceNode* d) { device = d; }
  // `answer` holds `size` bytes of a DISK_GEOMETRY_EX answer; the partition and
  // detection records are read from their fixed places when the answer reaches them.
  void SetGeometryEx(const BYTE* answer, std::size_t size);
  void SetGeometry(const DISK_GEOMETRY& plain);

  int diskNumber = 0;
  ScsiAdapterNode* adapter = nullptr;
  ScsiDeviceNode* device = nullptr;
  std::vector<DiskPartitionNode*> partitions;
  DISK_GEOMETRY geometry{};
  ULONGLONG diskSize = 0;
  DISK_PARTITION_INFO partitionStyleInfo{};
  DISK_DETECTION_INFO detectionInfo{};
};
