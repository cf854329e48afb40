// The size a filesystem gives itself in its superblock. The space figures of
// a mounted filesystem leave out its own metadata, so that a volume filling
// its partition would seem larger than the partition.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/linux/system_files.h"

namespace linuxsys {

// Read from the device for the filesystem types whose superblock says it
// (ext2/3/4, xfs, btrfs, ntfs, exfat, vfat); not known otherwise.
std::optional<std::uint64_t> SuperblockSize(const FileDescriptor& fd, std::string_view fsType);

}  // namespace linuxsys
