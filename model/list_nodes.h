// The three roots of the model. Each owns its children, in order of discovery.
#pragma once

#include <memory>
#include <vector>

#include "model/first_by_key.h"
#include "model/mount_point_node.h"
#include "model/physical_disk_node.h"
#include "model/scsi_adapter_node.h"
#include "model/storage_node.h"

template <NodeKind Kind, class Child>
class ListNode : public StorageNode {
 public:
  ListNode();
  std::vector<std::unique_ptr<Child>> children;
};

using MountPointList = ListNode<KindMountPointList, MountPointNode>;
using AdapterList = ListNode<KindAdapterList, ScsiAdapterNode>;

class PhysicalDiskList : public ListNode<KindPhysicalDiskList, PhysicalDiskNode> {
 public:
  // The first child with that disk number, or null.
  PhysicalDiskNode* FindPhysicalDisk(int diskNumber) const;

 private:
  FirstByKey<PhysicalDiskNode, int> byNumber_{[](const PhysicalDiskNode& d) { return d.diskNumber; }};
};
