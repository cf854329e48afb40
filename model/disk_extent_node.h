#pragma once

#include "model/storage_node.h"
#include "platform/storage_records.h"

class DiskPartitionNode;

// One extent of a volume on one disk. Owned by the document's extent array and
// referenced by every mount point of the volume.
class DiskExtentNode : public StorageNode {
 public:
  DiskExtentNode();

  void Fill(const DISK_EXTENT& extent, int index);

  DISK_EXTENT diskExtent{};
  int extentIndex = 0;
  DiskPartitionNode* partition = nullptr;
};
