#include "model/list_nodes.h"

namespace {
constexpr const wchar_t* RootName(NodeKind kind) {
  switch (kind) {
    case KindMountPointList:
      return L"Mountpoints";
    case KindPhysicalDiskList:
      return L"Physical Disks";
    default:
      return L"Adapters";
  }
}
}  // namespace

template <NodeKind Kind, class Child>
ListNode<Kind, Child>::ListNode() : StorageNode(Kind) {
  name = RootName(Kind);
}

template class ListNode<KindMountPointList, MountPointNode>;
template class ListNode<KindPhysicalDiskList, PhysicalDiskNode>;
template class ListNode<KindAdapterList, ScsiAdapterNode>;

PhysicalDiskNode* PhysicalDiskList::FindPhysicalDisk(int diskNumber) const {
  return byNumber_.Find(children, diskNumber);
}
