#include "model/disk_extent_node.h"

#include "platform/wide_text.h"

DiskExtentNode::DiskExtentNode() : StorageNode(KindDiskExtent) {}

void DiskExtentNode::Fill(const DISK_EXTENT& extent, int index) {
  diskExtent = extent;
  extentIndex = index;
  name = FormatWide(L"Disk Extent %d %I64x-%I64x", extentIndex,
                    static_cast<unsigned long long>(diskExtent.StartingOffset.QuadPart),
                    static_cast<unsigned long long>(diskExtent.ExtentLength.QuadPart));
}
