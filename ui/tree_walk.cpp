#include "ui/tree_walk.h"

#include "model/disk_extent_node.h"
#include "model/disk_partition_node.h"

namespace {

// A null device ends not only its adapter's devices but every adapter after it.
bool EndsAdapters(const ScsiAdapterNode& adapter) {
  for (const auto& device : adapter.devices)
    if (device == nullptr) return true;
  return false;
}

// Calls `visit` with each child of `branch`, in order. A null entry ends its array.
template <class Visit>
void ForEachChild(const TreeBranch& branch, Visit&& visit) {
  switch (branch.place) {
    case TreePlace::MountPointRoot:
      for (const auto& mp : static_cast<MountPointList*>(branch.node)->children) {
        if (mp == nullptr) break;
        visit(TreeBranch{mp.get(), TreePlace::MountPoint});
      }
      break;
    case TreePlace::MountPoint:
      for (DiskExtentNode* extent : static_cast<MountPointNode*>(branch.node)->extents) {
        if (extent == nullptr) break;
        visit(TreeBranch{extent, TreePlace::Extent});
      }
      break;
    case TreePlace::Extent:
      if (DiskPartitionNode* partition = static_cast<DiskExtentNode*>(branch.node)->partition)
        visit(TreeBranch{partition, TreePlace::Partition});
      break;
    case TreePlace::Partition:
      if (PhysicalDiskNode* disk = static_cast<DiskPartitionNode*>(branch.node)->disk)
        visit(TreeBranch{disk, TreePlace::Disk});
      break;
    case TreePlace::Disk: {
      auto* disk = static_cast<PhysicalDiskNode*>(branch.node);
      if (disk->adapter != nullptr) visit(TreeBranch{disk->adapter, TreePlace::AdapterOfDisk, disk});
      break;
    }
    case TreePlace::AdapterOfDisk:
      if (branch.disk->device != nullptr) visit(TreeBranch{branch.disk->device, TreePlace::DeviceOfDisk});
      break;
    case TreePlace::DiskRoot:
      for (const auto& disk : static_cast<PhysicalDiskList*>(branch.node)->children) {
        if (disk == nullptr) break;
        visit(TreeBranch{disk.get(), TreePlace::Disk});
      }
      break;
    case TreePlace::AdapterRoot:
      for (const auto& adapter : static_cast<AdapterList*>(branch.node)->children) {
        if (adapter == nullptr) break;
        visit(TreeBranch{adapter.get(), TreePlace::Adapter});
        if (EndsAdapters(*adapter)) break;
      }
      break;
    case TreePlace::Adapter:
      for (const auto& device : static_cast<ScsiAdapterNode*>(branch.node)->devices) {
        if (device == nullptr) break;
        visit(TreeBranch{device.get(), TreePlace::Device});
      }
      break;
    case TreePlace::DeviceOfDisk:
    case TreePlace::Device:
      break;
  }
}

std::vector<TreeBranch> Roots(MountPointList* mountPoints, PhysicalDiskList* physicalDisks, AdapterList* adapters) {
  std::vector<TreeBranch> roots;
  if (mountPoints != nullptr) roots.push_back({mountPoints, TreePlace::MountPointRoot});
  if (physicalDisks != nullptr) roots.push_back({physicalDisks, TreePlace::DiskRoot});
  if (adapters != nullptr) roots.push_back({adapters, TreePlace::AdapterRoot});
  return roots;
}

class Walk {
 public:
  // `itemOfNode` may be null when nobody asks for it.
  Walk(TreeSink& sink, TreeItemMap* itemOfNode) : sink_(sink), items_(itemOfNode) {}

  TreeItemId Insert(const TreeBranch& branch, TreeItemId parent) {
    const TreeItemId item = sink_.InsertItem(*branch.node, parent);
    if (items_ != nullptr) (*items_)[branch.node] = item;
    switch (branch.place) {
      case TreePlace::MountPoint:
      case TreePlace::Extent:
      case TreePlace::Partition:
      case TreePlace::Disk:
      case TreePlace::DeviceOfDisk:
        sink_.StepProgress();
        break;
      default:
        break;
    }
    ForEachChild(branch, [this, item](const TreeBranch& child) { Insert(child, item); });
    // An adapter's step comes once its devices are in, and not at all when a
    // null device cut the walk short.
    if (branch.place == TreePlace::Adapter && !EndsAdapters(*static_cast<ScsiAdapterNode*>(branch.node)))
      sink_.StepProgress();
    return item;
  }

 private:
  TreeSink& sink_;
  TreeItemMap* items_;
};

// Finds the last place of a node in walk order, keeping the path down to it.
class PathSearch {
 public:
  explicit PathSearch(const StorageNode* node) : node_(node) {}

  void Visit(const TreeBranch& branch) {
    if (branch.node == node_) found_ = path_;
    path_.push_back(0);
    ForEachChild(branch, [this](const TreeBranch& child) {
      Visit(child);
      ++path_.back();
    });
    path_.pop_back();
  }
  void Root(const TreeBranch& branch, std::size_t index) {
    path_.assign(1, index);
    Visit(branch);
  }
  std::vector<std::size_t> Found() && { return std::move(found_); }

 private:
  const StorageNode* node_;
  std::vector<std::size_t> path_;
  std::vector<std::size_t> found_;
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
  Walk walk(sink, &itemOfNode);
  TreeItemId first = kTreeTopLevel;
  for (const TreeBranch& root : Roots(mountPoints, physicalDisks, adapters)) {
    const TreeItemId item = walk.Insert(root, kTreeTopLevel);
    if (first == kTreeTopLevel) first = item;
  }
  return first;
}

void WalkStorageTree(const StorageModel& model, TreeSink& sink) {
  Walk walk(sink, nullptr);
  for (const TreeBranch& root : StorageTreeRoots(model)) walk.Insert(root, kTreeTopLevel);
}

std::vector<TreeBranch> StorageTreeRoots(const StorageModel& model) {
  return Roots(model.MountPoints(), model.PhysicalDisks(), model.Adapters());
}

std::vector<TreeBranch> StorageTreeChildren(const TreeBranch& branch) {
  std::vector<TreeBranch> children;
  ForEachChild(branch, [&children](const TreeBranch& child) { children.push_back(child); });
  return children;
}

bool HasStorageTreeChildren(const TreeBranch& branch) {
  switch (branch.place) {
    case TreePlace::MountPointRoot: {
      const auto& list = static_cast<MountPointList*>(branch.node)->children;
      return !list.empty() && list.front() != nullptr;
    }
    case TreePlace::MountPoint: {
      const auto& extents = static_cast<MountPointNode*>(branch.node)->extents;
      return !extents.empty() && extents.front() != nullptr;
    }
    case TreePlace::DiskRoot: {
      const auto& list = static_cast<PhysicalDiskList*>(branch.node)->children;
      return !list.empty() && list.front() != nullptr;
    }
    case TreePlace::AdapterRoot: {
      const auto& list = static_cast<AdapterList*>(branch.node)->children;
      return !list.empty() && list.front() != nullptr;
    }
    case TreePlace::Adapter: {
      const auto& devices = static_cast<ScsiAdapterNode*>(branch.node)->devices;
      return !devices.empty() && devices.front() != nullptr;
    }
    default: {
      bool any = false;
      ForEachChild(branch, [&any](const TreeBranch&) { any = true; });
      return any;
    }
  }
}

std::vector<std::size_t> StorageTreePathOf(const StorageModel& model, const StorageNode* node) {
  PathSearch search(node);
  if (node == nullptr) return {};
  const std::vector<TreeBranch> roots = StorageTreeRoots(model);
  for (std::size_t i = 0; i < roots.size(); ++i) search.Root(roots[i], i);
  return std::move(search).Found();
}
