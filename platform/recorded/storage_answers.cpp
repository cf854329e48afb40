#include "platform/recorded/storage_answers.h"

#include <cstring>

#include "platform/wide_text.h"

namespace answers {
namespace {

Answer Fixed(const void* record, std::size_t size) {
  Answer a;
  a.bytes.assign(static_cast<const BYTE*>(record), static_cast<const BYTE*>(record) + size);
  a.minimum = size;
  return a;
}

Answer Failing(DWORD error) {
  Answer a;
  a.error = error;
  return a;
}

}  // namespace

PARTITION_INFORMATION_EX RecordEx(const machine::PartitionRecord& p) {
  PARTITION_INFORMATION_EX r{};
  r.PartitionStyle = p.style;
  r.StartingOffset.QuadPart = static_cast<LONGLONG>(p.offset);
  r.PartitionLength.QuadPart = static_cast<LONGLONG>(p.length);
  r.PartitionNumber = p.number;
  r.RewritePartition = p.rewrite;
  r.IsServicePartition = p.service;
  if (p.style == PARTITION_STYLE_GPT) {
    r.Gpt.PartitionType = p.typeGuid;
    r.Gpt.PartitionId = p.id;
    r.Gpt.Attributes = p.attributes;
    const std::u16string name = Utf16FromWide(p.name);
    for (std::size_t i = 0; i < name.size() && i < 36; ++i) r.Gpt.Name[i] = name[i];
  } else if (p.style == PARTITION_STYLE_MBR) {
    r.Mbr.PartitionType = p.type;
    r.Mbr.BootIndicator = p.boot;
    r.Mbr.RecognizedPartition = p.recognized;
    r.Mbr.HiddenSectors = p.hiddenSectors;
  }
  return r;
}

PARTITION_INFORMATION RecordLegacy(const machine::PartitionRecord& p) {
  PARTITION_INFORMATION r{};
  r.StartingOffset.QuadPart = static_cast<LONGLONG>(p.offset);
  r.PartitionLength.QuadPart = static_cast<LONGLONG>(p.length);
  r.HiddenSectors = p.hiddenSectors;
  r.PartitionNumber = p.number;
  r.PartitionType = p.type;
  r.BootIndicator = p.boot;
  r.RecognizedPartition = p.recognized;
  r.RewritePartition = p.rewrite;
  return r;
}

Answer MountPoints(const machine::Machine& m) {
  // Entries first, then every name, packed, as the mount point manager lays them out.
  const std::size_t header = offsetof(MOUNTMGR_MOUNT_POINTS, MountPoints);
  std::vector<BYTE> names;
  std::vector<MOUNTMGR_MOUNT_POINT> entries;
  const std::size_t namesStart = header + m.mountPoints.size() * sizeof(MOUNTMGR_MOUNT_POINT);
  auto addName = [&names, namesStart](const BYTE* data, std::size_t size, ULONG& offset, USHORT& length) {
    offset = static_cast<ULONG>(namesStart + names.size());
    length = static_cast<USHORT>(size);
    names.insert(names.end(), data, data + size);
  };
  for (const machine::MountPoint& mp : m.mountPoints) {
    MOUNTMGR_MOUNT_POINT e{};
    const std::u16string link = Utf16FromWide(mp.symbolicLink);
    const std::u16string device = Utf16FromWide(mp.deviceName);
    // A string's data is never null, even when empty (an empty vector's may be).
    addName(reinterpret_cast<const BYTE*>(link.data()), link.size() * 2, e.SymbolicLinkNameOffset,
            e.SymbolicLinkNameLength);
    addName(mp.uniqueId.data(), mp.uniqueId.size(), e.UniqueIdOffset, e.UniqueIdLength);
    addName(reinterpret_cast<const BYTE*>(device.data()), device.size() * 2, e.DeviceNameOffset,
            e.DeviceNameLength);
    entries.push_back(e);
  }
  Answer a;
  a.bytes.resize(namesStart);
  Put(a.bytes, 0, static_cast<ULONG>(namesStart + names.size()));
  Put(a.bytes, 4, static_cast<ULONG>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) Put(a.bytes, header + i * sizeof(MOUNTMGR_MOUNT_POINT), entries[i]);
  a.bytes.insert(a.bytes.end(), names.begin(), names.end());
  if (a.bytes.size() < sizeof(MOUNTMGR_MOUNT_POINTS)) a.bytes.resize(sizeof(MOUNTMGR_MOUNT_POINTS));
  a.minimum = sizeof(MOUNTMGR_MOUNT_POINTS);
  a.shortError = ERROR_MORE_DATA;
  a.partial = header;
  return a;
}

Answer PartitionInfoEx(const machine::Volume& v) {
  if (!v.partition) return Failing(ERROR_INVALID_FUNCTION);
  const PARTITION_INFORMATION_EX r = RecordEx(*v.partition);
  return Fixed(&r, sizeof r);
}

Answer PartitionInfo(const machine::Volume& v) {
  // The legacy request knows no GPT partitions.
  if (!v.partition || v.partition->style == PARTITION_STYLE_GPT) return Failing(ERROR_INVALID_FUNCTION);
  const PARTITION_INFORMATION r = RecordLegacy(*v.partition);
  return Fixed(&r, sizeof r);
}

Answer VolumeDiskExtents(const machine::Volume& v) {
  const std::size_t header = offsetof(VOLUME_DISK_EXTENTS, Extents);
  Answer a;
  Put(a.bytes, 0, static_cast<DWORD>(v.extents.size()));
  a.bytes.resize(header);
  for (std::size_t i = 0; i < v.extents.size(); ++i) {
    DISK_EXTENT e{};
    e.DiskNumber = v.extents[i].disk;
    e.StartingOffset.QuadPart = static_cast<LONGLONG>(v.extents[i].offset);
    e.ExtentLength.QuadPart = static_cast<LONGLONG>(v.extents[i].length);
    Put(a.bytes, header + i * sizeof e, e);
  }
  if (a.bytes.size() < sizeof(VOLUME_DISK_EXTENTS)) a.bytes.resize(sizeof(VOLUME_DISK_EXTENTS));
  a.minimum = sizeof(VOLUME_DISK_EXTENTS);
  a.shortError = ERROR_MORE_DATA;
  a.partial = sizeof(VOLUME_DISK_EXTENTS);
  return a;
}

Answer DriveLayoutEx(const machine::Drive& d) {
  const std::size_t header = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
  Answer a;
  a.bytes.resize(header);
  Put(a.bytes, 0, static_cast<DWORD>(d.layout.style));
  Put(a.bytes, 4, static_cast<DWORD>(d.layout.partitions.size()));
  if (d.layout.style == PARTITION_STYLE_GPT) {
    DRIVE_LAYOUT_INFORMATION_GPT g{};
    g.DiskId = d.layout.diskId;
    g.StartingUsableOffset.QuadPart = static_cast<LONGLONG>(d.layout.startingUsableOffset);
    g.UsableLength.QuadPart = static_cast<LONGLONG>(d.layout.usableLength);
    g.MaxPartitionCount = d.layout.maxPartitionCount;
    Put(a.bytes, 8, g);
  } else if (d.layout.style == PARTITION_STYLE_MBR) {
    Put(a.bytes, layout::kLayoutMbrSignature, d.layout.signature);
    Put(a.bytes, layout::kLayoutMbrCheckSum, d.layout.checksum);
  }
  for (std::size_t i = 0; i < d.layout.partitions.size(); ++i)
    Put(a.bytes, header + i * sizeof(PARTITION_INFORMATION_EX), RecordEx(d.layout.partitions[i]));
  a.minimum = sizeof(DRIVE_LAYOUT_INFORMATION_EX);
  a.shortError = ERROR_INSUFFICIENT_BUFFER;
  return a;
}

Answer DriveLayout(const machine::Drive& d) {
  if (d.layout.style == PARTITION_STYLE_GPT) return Failing(ERROR_INVALID_FUNCTION);
  const std::size_t header = offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry);
  Answer a;
  a.bytes.resize(header);
  Put(a.bytes, 0, static_cast<DWORD>(d.layout.partitions.size()));
  Put(a.bytes, 4, d.layout.signature);
  for (std::size_t i = 0; i < d.layout.partitions.size(); ++i)
    Put(a.bytes, header + i * sizeof(PARTITION_INFORMATION), RecordLegacy(d.layout.partitions[i]));
  a.minimum = sizeof(DRIVE_LAYOUT_INFORMATION);
  a.shortError = ERROR_INSUFFICIENT_BUFFER;
  return a;
}

Answer DriveGeometryEx(const machine::Drive& d) {
  Answer a;
  Put(a.bytes, 0, d.geometry);
  LARGE_INTEGER size{};
  size.QuadPart = static_cast<LONGLONG>(d.size);
  Put(a.bytes, offsetof(DISK_GEOMETRY_EX, DiskSize), size);
  DISK_PARTITION_INFO partition{};
  partition.SizeOfPartitionInfo = sizeof partition;
  partition.PartitionStyle = d.layout.style;
  if (d.layout.style == PARTITION_STYLE_GPT) {
    partition.Gpt.DiskId = d.layout.diskId;
  } else if (d.layout.style == PARTITION_STYLE_MBR) {
    partition.Mbr.Signature = d.layout.signature;
    partition.Mbr.CheckSum = d.layout.checksum;
  }
  Put(a.bytes, layout::kPartitionInfoInGeometryEx, partition);
  DISK_DETECTION_INFO detection{};
  detection.SizeOfDetectInfo = sizeof detection;
  detection.DetectionType = d.detection;
  detection.Int13 = d.int13;
  detection.ExInt13 = d.exInt13;
  Put(a.bytes, layout::kDetectionInfoInGeometryEx, detection);
  a.minimum = offsetof(DISK_GEOMETRY_EX, Data);
  return a;  // a shorter buffer gets as much as fits
}

Answer DriveGeometry(const machine::Drive& d) { return Fixed(&d.geometry, sizeof d.geometry); }

}  // namespace answers
