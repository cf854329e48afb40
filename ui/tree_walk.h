// The walk that builds the storage tree: three roots, and below them what hangs
// under what by the links between nodes, so one node can stand at several
// places. A sink receives the items; the tree widget is one sink, the
// terminal's tree printer another.
#pragma once

#include <cstdint>
#include <unordered_map>

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
