#include "model/physical_disk_node.h"

#include <algorithm>
#include <cstring>

#include "platform/wide_text.h"

PhysicalDiskNode::PhysicalDiskNode() : StorageNode(KindPhysicalDisk) {}

void PhysicalDiskNode::SetDiskNumber(int number) {
  diskNumber = number;
  name = FormatWide(L"PhysicalDrive%u", static_cast<unsigned>(diskNumber));
}

void PhysicalDiskNode::SetGeometryEx(const BYTE* answer, std::size_t size) {
  // A short answer leaves the records it does not reach zeroed rather than
  // reading past what the drive returned.
  auto copyAt = [answer, size](void* target, std::size_t targetSize, std::size_t offset) {
    std::memset(target, 0, targetSize);
    if (size > offset) std::memcpy(target, answer + offset, std::min(targetSize, size - offset));
  };
  copyAt(&geometry, sizeof geometry, 0);
  LARGE_INTEGER sizeField{};
  copyAt(&sizeField, sizeof sizeField, offsetof(DISK_GEOMETRY_EX, DiskSize));
  diskSize = static_cast<ULONGLONG>(sizeField.QuadPart);
  copyAt(&partitionStyleInfo, sizeof partitionStyleInfo, layout::kPartitionInfoInGeometryEx);
  copyAt(&detectionInfo, sizeof detectionInfo, layout::kDetectionInfoInGeometryEx);
}

void PhysicalDiskNode::SetGeometry(const DISK_GEOMETRY& plain) {
  geometry = plain;
  // Unsigned 64-bit throughout; wraps on overflow as the platform's arithmetic does.
  ULONGLONG size = static_cast<ULONGLONG>(plain.BytesPerSector) * plain.SectorsPerTrack;
  size *= plain.TracksPerCylinder;
  size *= static_cast<ULONGLONG>(plain.Cylinders.QuadPart);
  diskSize = size;
}
