#include "tests/support/model_checks.h"

#include <set>

#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"

namespace {
std::string Name(const StorageNode* node) { return Utf8FromWide(node->GetName()); }
}  // namespace

std::vector<std::string> DanglingLinks(const CQuelbrinDoc& doc) {
  std::set<const void*> extents;
  std::set<const void*> partitions;
  std::set<const void*> disks;
  std::set<const void*> adapters;
  std::set<const void*> devices;
  for (const auto& e : doc.Model().Extents()) extents.insert(e.get());
  for (const auto& p : doc.Model().Partitions()) partitions.insert(p.get());
  if (doc.Model().PhysicalDisks()) {
    for (const auto& d : doc.Model().PhysicalDisks()->children) disks.insert(d.get());
  }
  if (doc.Model().Adapters()) {
    for (const auto& a : doc.Model().Adapters()->children) {
      adapters.insert(a.get());
      for (const auto& d : a->devices) devices.insert(d.get());
    }
  }

  std::vector<std::string> problems;
  if (doc.Model().MountPoints()) {
    for (const auto& mp : doc.Model().MountPoints()->children) {
      for (const DiskExtentNode* e : mp->extents) {
        if (extents.count(e) == 0) problems.push_back("mount point " + Name(mp.get()) + " lists an extent not owned");
      }
    }
  }
  // Only owned nodes are dereferenced below.
  for (const auto& e : doc.Model().Extents()) {
    if (e->partition != nullptr && partitions.count(e->partition) == 0)
      problems.push_back("extent " + Name(e.get()) + " points at a partition not owned");
  }
  for (const auto& p : doc.Model().Partitions()) {
    if (p->disk != nullptr && disks.count(p->disk) == 0)
      problems.push_back("partition " + Name(p.get()) + " points at a disk not owned");
  }
  if (doc.Model().PhysicalDisks()) {
    for (const auto& d : doc.Model().PhysicalDisks()->children) {
      for (const DiskPartitionNode* p : d->partitions) {
        if (partitions.count(p) == 0) problems.push_back("disk " + Name(d.get()) + " lists a partition not owned");
      }
      if (d->adapter != nullptr && adapters.count(d->adapter) == 0)
        problems.push_back("disk " + Name(d.get()) + " points at an adapter not owned");
      if (d->device != nullptr && devices.count(d->device) == 0)
        problems.push_back("disk " + Name(d.get()) + " points at a device not owned");
    }
  }
  const StorageNode* current = doc.GetCurrentNode();
  if (current != nullptr && current != doc.Model().MountPoints() && current != doc.Model().PhysicalDisks() &&
      current != doc.Model().Adapters() && extents.count(current) == 0 && partitions.count(current) == 0 &&
      disks.count(current) == 0 && adapters.count(current) == 0 && devices.count(current) == 0) {
    bool isMountPoint = false;
    if (doc.Model().MountPoints()) {
      for (const auto& mp : doc.Model().MountPoints()->children) isMountPoint = isMountPoint || mp.get() == current;
    }
    if (!isMountPoint) problems.push_back("the current node is not owned");
  }
  return problems;
}
