// The walk that builds the storage tree: three roots, and below them what hangs
// under what by the links between nodes, so one node can stand at several
// places. A sink receives the items; the tree widget is one sink, the
// terminal's tree printer another. A tree that inserts items only as their
// parents open asks for one branch's children at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/list_nodes.h"
#include "model/storage_model.h"

using TreeItemId = std::uintptr_t;
// The parent of the three roots.
constexpr TreeItemId kTreeTopLevel = 0;

class TreeSink {
 public:
  virtual ~TreeSink() = default;
  // Inserts an item showing the node's display name as the last child of
  // `parent`; returns the new item, never kTreeTopLevel.
  virtual TreeItemId InsertItem(StorageNode& node, TreeItemId parent) = 0;
  // One step of the progress bar while the tree is built.
  virtual void StepProgress() {}
};

// For each node, the item inserted last for it.
using TreeItemMap = std::unordered_map<const StorageNode*, TreeItemId>;

// Inserts the items of the three roots that exist, in order, and records each
// node's item in `itemOfNode`. Returns the item of the first root inserted, or
// kTreeTopLevel when there is none.
TreeItemId WalkStorageTree(MountPointList* mountPoints, PhysicalDiskList* physicalDisks, AdapterList* adapters,
                           TreeSink& sink, TreeItemMap& itemOfNode);
// The same over the roots of a model.
inline TreeItemId WalkStorageTree(const StorageModel& model, TreeSink& sink, TreeItemMap& itemOfNode) {
  return WalkStorageTree(model.MountPoints(), model.PhysicalDisks(), model.Adapters(), sink, itemOfNode);
}
// The same, recording nothing. Items come depth first: each after its parent
// and after the whole branch of the sibling before it.
void WalkStorageTree(const StorageModel& model, TreeSink& sink);

// What hangs below an item depends on where it stands as well as on its node:
// an adapter below a disk shows only that disk's device, below "Adapters" all
// of its devices.
enum class TreePlace : std::uint8_t {
  MountPointRoot,
  MountPoint,
  Extent,
  Partition,
  Disk,
  AdapterOfDisk,
  DeviceOfDisk,
  DiskRoot,
  AdapterRoot,
  Adapter,
  Device,
};

// One item of the tree before it is inserted.
struct TreeBranch {
  StorageNode* node = nullptr;
  TreePlace place = TreePlace::Device;
  // For an adapter below a disk: that disk.
  PhysicalDiskNode* disk = nullptr;
};

// The roots that exist, in order.
std::vector<TreeBranch> StorageTreeRoots(const StorageModel& model);
// The items the walk inserts directly below `branch`, in order.
std::vector<TreeBranch> StorageTreeChildren(const TreeBranch& branch);
bool HasStorageTreeChildren(const TreeBranch& branch);

// The position of the item the walk inserts last for `node` (the one it
// records in TreeItemMap): the index among the roots, then among the children
// at each level. Empty when the node stands nowhere in the tree.
std::vector<std::size_t> StorageTreePathOf(const StorageModel& model, const StorageNode* node);
