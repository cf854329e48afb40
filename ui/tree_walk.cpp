#include "ui/tree_walk.h"

#include "model/disk_extent_node.h"
#include "model/disk_partition_node.h"

namespace {

class Walk {
 public:
  Walk(TreeSink& sink, TreeItemMap& itemOfNode) : sink_(sink), items_(itemOfNode) {}

  TreeItemId Insert(StorageNode& node, TreeItemId parent) {
    const TreeItemId item = sink_.InsertItem(node, parent);
    items_[&node] = item;
    return item;
  }

  void MountPoints(MountPointList& list, TreeItemId root) {
    const std::size_t count = list.children.size();
    for (std::size_t i = 0; i < count; ++i) {
      MountPointNode* mp = list.children[i].get();
      if (mp == nullptr) break;
      const TreeItemId mpItem = Insert(*mp, root);
      sink_.StepProgress();
      const std::size_t extents = mp->extents.size();
      for (std::size_t e = 0; e < extents; ++e) {
        DiskExtentNode* extent = mp->extents[e];
        if (extent == nullptr) break;
        const TreeItemId extentItem = Insert(*extent, mpItem);
        sink_.StepProgress();
        DiskPartitionNode* partition = extent->partition;
        if (partition == nullptr) continue;
        const TreeItemId partitionItem = Insert(*partition, extentItem);
        sink_.StepProgress();
        if (partition->disk != nullptr) Disk(*partition->disk, partitionItem);
      }
    }
  }

  // A disk, with the adapter it hangs on and below that only its own device.
  void Disk(PhysicalDiskNode& disk, TreeItemId parent) {
    const TreeItemId diskItem = Insert(disk, parent);
    sink_.StepProgress();
    if (disk.adapter == nullptr) return;
    const TreeItemId adapterItem = Insert(*disk.adapter, diskItem);
    if (disk.device == nullptr) return;
    Insert(*disk.device, adapterItem);
    sink_.StepProgress();
  }

  void Disks(PhysicalDiskList& list, TreeItemId root) {
    const std::size_t count = list.children.size();
    for (std::size_t i = 0; i < count; ++i) {
      PhysicalDiskNode* disk = list.children[i].get();
      if (disk == nullptr) break;
      Disk(*disk, root);
    }
  }

  void Adapters(AdapterList& list, TreeItemId root) {
    const std::size_t count = list.children.size();
    for (std::size_t i = 0; i < count; ++i) {
      ScsiAdapterNode* adapter = list.children[i].get();
      if (adapter == nullptr) return;
      const TreeItemId adapterItem = Insert(*adapter, root);
      const std::size_t devices = adapter->devices.size();
      for (std::size_t d = 0; d < devices; ++d) {
        ScsiDeviceNode* device = adapter->devices[d].get();
        if (device == nullptr) return;
        Insert(*device, adapterItem);
      }
      sink_.StepProgress();
    }
  }

 private:
  TreeSink& sink_;
  TreeItemMap& items_;
};

}  // namespace

TreeItemId WalkStorageTree(MountPointList* mountPoints, PhysicalDiskList* physicalDisks, AdapterList* adapters,
                           TreeSink& sink, TreeItemMap& itemOfNode) {
  // Mount points and disks each bring a few items; growing the map step by
  // step would rehash it again and again on a large machine.
  std::size_t expected = 3;
  if (mountPoints != nullptr) expected += 4 * mountPoints->children.size();
  if (physicalDisks != nullptr) expected += 3 * physicalDisks->children.size();
  if (adapters != nullptr) expected += adapters->children.size();
  itemOfNode.reserve(itemOfNode.size() + expected);
  Walk walk(sink, itemOfNode);
  TreeItemId first = kTreeTopLevel;
  if (mountPoints != nullptr) {
    first = walk.Insert(*mountPoints, kTreeTopLevel);
    walk.MountPoints(*mountPoints, first);
  }
  if (physicalDisks != nullptr) {
    const TreeItemId root = walk.Insert(*physicalDisks, kTreeTopLevel);
    if (first == kTreeTopLevel) first = root;
    walk.Disks(*physicalDisks, root);
  }
  if (adapters != nullptr) {
    const TreeItemId root = walk.Insert(*adapters, kTreeTopLevel);
    if (first == kTreeTopLevel) first = root;
    walk.Adapters(*adapters, root);
  }
  return first;
}
