// The udev database: what udev's own probes recorded about a block device.
// An ordinary user can read it where the device node itself is closed to
// them, so it stands in for libblkid when the device cannot be read.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/linux/system_files.h"

namespace linuxsys {

// The "E:" properties of /run/udev/data/b<major>:<minor>; empty when unknown.
std::map<std::string, std::string> ReadUdevProperties(SystemFiles& files, unsigned major, unsigned minor);

// Undoes udev's "\xHH" escapes (ID_FS_LABEL_ENC, ID_PART_ENTRY_NAME).
std::string DecodeUdevString(std::string_view text);

}  // namespace linuxsys
