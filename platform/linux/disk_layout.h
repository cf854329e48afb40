// A disk's partition layout in the platform's terms, from the best source at
// hand: the table itself (libblkid), else the udev database, else only what
// sysfs says about each partition.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/block_probe.h"
#include "platform/machine/machine.h"

namespace linuxsys {

using Properties = std::map<std::string, std::string>;

struct PartitionSource {
  const BlockDevice* device;  // the partition in sysfs
  Properties udev;            // its udev properties (may be empty)
};

struct DiskLayout {
  machine::Layout layout;
  // The record of each partition the kernel lists, by partition number.
  std::map<unsigned, machine::PartitionRecord> records;
  // Partitions that are MBR extended containers: no volume of their own.
  std::set<unsigned> containers;
  // The partition table (or the udev database) told the style and entries.
  bool tableKnown = false;
};

DiskLayout BuildDiskLayout(const BlockDevice& disk, const std::vector<PartitionSource>& partitions,
                           const DeviceProbe& probe, const Properties& diskUdev);

// MBR type bytes of extended containers.
bool IsExtendedType(int type);

// Whether the platform counts an MBR type byte as a recognized partition:
// the types of the filesystems it mounts itself. Linux, swap, LVM, extended
// containers and unused entries are not.
bool IsRecognizedType(BYTE type);

}  // namespace linuxsys
