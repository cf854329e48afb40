// The block devices the kernel lists in sysfs: whole disks with their
// partitions, device-mapper and md volumes, and the virtual devices (loop,
// zram, ...), with the attributes the collector needs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/system_files.h"

namespace linuxsys {

enum class BlockKind {
  Disk,           // a drive of the machine
  Partition,      // a partition of a disk or of a virtual device
  DeviceMapper,   // dm-N
  Md,             // mdN
  Virtual,        // loop, zram, ram, ...: shown only when carrying a mounted filesystem
};

struct BlockDevice {
  std::string name;     // kernel name: "sda1"
  std::string sysPath;  // system path of its sysfs directory: "/sys/block/sda/sda1"
  BlockKind kind = BlockKind::Disk;
  std::optional<unsigned> major;
  std::optional<unsigned> minor;
  std::string parent;  // the whole device of a partition
  std::uint64_t sizeBytes = 0;
  std::optional<std::uint64_t> startBytes;  // partitions
  unsigned partitionNumber = 0;             // partitions
  unsigned logicalBlockSize = 512;
  bool removable = false;
  bool readOnly = false;
  std::vector<std::string> slaves;  // devices this one is built on
  std::string dmName;
  std::string dmUuid;

  std::string DevicePath() const { return "/dev/" + name; }
  bool IsWhole() const { return kind != BlockKind::Partition; }
};

// Every block device, whole devices in sysfs order each followed by its
// partitions in partition-number order.
std::vector<BlockDevice> ListBlockDevices(SystemFiles& files);

// Kernel names in the order people expect: digits compare as numbers and the
// letters of "sdz" come before those of "sdaa".
bool KernelNameLess(const std::string& a, const std::string& b);

}  // namespace linuxsys
