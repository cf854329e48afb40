// The answers of the mount point manager, volumes and drives, formed from a
// described machine in the platform's published layouts.
#pragma once

#include <cstring>
#include <vector>

#include "platform/machine/machine.h"

namespace answers {

// An answer: the bytes it needs, and the error it fails with when the caller's
// buffer is shorter (with `partial` bytes still written, as the platform does
// for ERROR_MORE_DATA).
struct Answer {
  std::vector<BYTE> bytes;
  DWORD error = 0;       // the request fails with this whatever the buffer
  DWORD shortError = 0;  // fails with this when the buffer is too short
  std::size_t partial = 0;
  std::size_t minimum = 0;  // shorter buffers fail with ERROR_INSUFFICIENT_BUFFER
};

// Writes `value` at `offset`, growing the bytes to hold it.
template <class T>
void Put(std::vector<BYTE>& bytes, std::size_t offset, const T& value) {
  if (bytes.size() < offset + sizeof(T)) bytes.resize(offset + sizeof(T));
  std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

Answer MountPoints(const machine::Machine& m);
Answer PartitionInfoEx(const machine::Volume& v);
Answer PartitionInfo(const machine::Volume& v);
Answer VolumeDiskExtents(const machine::Volume& v);
Answer DriveLayoutEx(const machine::Drive& d);
Answer DriveLayout(const machine::Drive& d);
Answer DriveGeometryEx(const machine::Drive& d);
Answer DriveGeometry(const machine::Drive& d);

PARTITION_INFORMATION_EX RecordEx(const machine::PartitionRecord& p);
PARTITION_INFORMATION RecordLegacy(const machine::PartitionRecord& p);

}  // namespace answers
