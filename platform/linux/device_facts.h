// What anyone may read about a block device without opening it: the udev
// database, the /dev/disk/by-* links udev keeps, and the kernel's uevent
// attributes in sysfs. An ordinary user, who may not open the devices, thus
// names volumes by the same partition and filesystem UUIDs as root does.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/system_files.h"

namespace linuxsys {

using Properties = std::map<std::string, std::string>;

class DeviceFacts {
 public:
  explicit DeviceFacts(SystemFiles& files) : files_(files) {}

  // The device's udev properties. With `fillIn` (the device could not be
  // read), what udev does not say of the filesystem UUID and label and the
  // partition entry's UUID and name is taken from the by-* links and the
  // uevent attributes, under udev's own names. `inDatabase`, when given,
  // tells whether the udev database has an entry for the device.
  Properties Of(const BlockDevice& d, bool fillIn, bool* inDatabase = nullptr);

 private:
  using LinkMap = std::map<std::string, std::string>;  // kernel name -> decoded link name
  const LinkMap& Links(const std::string& kind);

  SystemFiles& files_;
  std::map<std::string, LinkMap> links_;
};

// A disk's partition table type and id as udev would name them
// (ID_PART_TABLE_TYPE, ID_PART_TABLE_UUID), told by the form of its
// partitions' entry UUIDs: GUIDs on GPT, "signature-number" on MBR.
void InferPartitionTable(Properties& disk, const std::vector<const Properties*>& partitions);

}  // namespace linuxsys
