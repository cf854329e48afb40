// Platform records built by hand, with only the fields a test names.
#pragma once

#include "platform/storage_records.h"

inline DISK_EXTENT Extent(DWORD disk, LONGLONG offset, LONGLONG length) {
  DISK_EXTENT e{};
  e.DiskNumber = disk;
  e.StartingOffset.QuadPart = offset;
  e.ExtentLength.QuadPart = length;
  return e;
}

// `style` is a PARTITION_STYLE value, or any other number a hostile record may carry.
inline PARTITION_INFORMATION_EX ExRecord(int style, DWORD number, LONGLONG offset, LONGLONG length) {
  PARTITION_INFORMATION_EX p{};
  p.PartitionStyle = static_cast<PARTITION_STYLE>(style);
  p.PartitionNumber = number;
  p.StartingOffset.QuadPart = offset;
  p.PartitionLength.QuadPart = length;
  return p;
}

inline PARTITION_INFORMATION LegacyRecord(DWORD number, LONGLONG offset, LONGLONG length) {
  PARTITION_INFORMATION p{};
  p.PartitionNumber = number;
  p.StartingOffset.QuadPart = offset;
  p.PartitionLength.QuadPart = length;
  return p;
}
