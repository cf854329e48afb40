// The mount table of the running system, read with libmount.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/system_files.h"

namespace linuxsys {

struct MountEntry {
  std::string target;  // "/home"
  std::string source;  // "/dev/sda2"
  std::string fsType;  // as the kernel names it: "ext4"
  std::optional<unsigned> major;  // the device the filesystem reports
  std::optional<unsigned> minor;
  bool readOnly = false;
};

// The entries of <root>/proc/self/mountinfo in table order; empty when it
// cannot be read.
std::vector<MountEntry> ReadMountTable(SystemFiles& files);

}  // namespace linuxsys
