#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/device_manager_info.h"
#include "model/path_name_list.h"
#include "model/storage_node.h"
#include "platform/storage_records.h"

class DiskExtentNode;

// One mount point of the mount point manager with the data of its volume. Its
// display name is the symbolic link name; `name` stays empty.
class MountPointNode : public StorageNode {
 public:
  MountPointNode() : StorageNode(KindMountPoint) {}

  const std::wstring& GetName() const override { return symbolicLinkName; }

  std::wstring symbolicLinkName;
  std::wstring uniqueIdText;
  // A unique id that is not text, as far as its readable line reads it.
  void SetBinaryUniqueId(const BYTE* id, std::size_t length);
  // The readable line of a unique id that is not text ("DMIO:ID:{...}" or
  // "BASIC:Signature ..."); empty for a text id or none. Formed when asked:
  // only the JSON output shows it, and a large machine would otherwise hold a
  // line for every mount point.
  std::wstring UniqueIdLine() const;
  std::wstring deviceName;
  std::wstring volumeName;
  DWORD volumeSerialNumber = 0;
  DWORD maxComponentLength = 0;
  DWORD fileSystemFlags = 0;
  ULONGLONG freeBytesAvailable = 0;
  ULONGLONG totalBytes = 0;
  ULONGLONG totalFreeBytes = 0;
  std::wstring fileSystemName;
  bool hasPartitionInfoEx = false;
  PARTITION_INFORMATION_EX partitionInfoEx{};
  PARTITION_INFORMATION partitionInfo{};
  std::vector<DiskExtentNode*> extents;
  // The places where the volume is mounted, where the platform can tell; one
  // list for all mount points of the volume.
  PathNameList volumePathNames;

 private:
  // The first bytes of the id: the line reads no further.
  std::array<BYTE, 24> binaryUniqueId_{};
  std::uint8_t binaryUniqueIdBytes_ = 0;

  // At 504 bytes, the allocator would put mount points exactly 512 bytes apart,
  // and a walk over tens of thousands of them would read their names through a
  // few cache sets only: the tree of 10,000 volumes printed 5% slower.
  [[maybe_unused]] std::uint64_t spread_ = 0;
};
