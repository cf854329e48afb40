#include "ui/panels.h"

bool ShowNodePanel(FormState& form, const StorageNode* node) {
  if (node == nullptr) return false;
  switch (node->kind) {
    case KindMountPointList:
      ShowMountPointList(form, static_cast<const MountPointList&>(*node));
      return true;
    case KindPhysicalDiskList:
      ShowPhysicalDiskList(form, static_cast<const PhysicalDiskList&>(*node));
      return true;
    case KindAdapterList:
      ShowAdapterList(form, static_cast<const AdapterList&>(*node));
      return true;
    case KindMountPoint:
      ShowMountPoint(form, static_cast<const MountPointNode&>(*node));
      return true;
    case KindDiskExtent:
      ShowDiskExtent(form, static_cast<const DiskExtentNode&>(*node));
      return true;
    case KindDiskPartition:
      ShowDiskPartition(form, static_cast<const DiskPartitionNode&>(*node));
      return true;
    case KindPhysicalDisk:
      ShowPhysicalDisk(form, static_cast<const PhysicalDiskNode&>(*node));
      return true;
    case KindScsiAdapter:
      ShowScsiAdapter(form, static_cast<const ScsiAdapterNode&>(*node));
      return true;
    case KindScsiDevice:
      ShowScsiDevice(form, static_cast<const ScsiDeviceNode&>(*node));
      return true;
    default:
      return false;
  }
}
