// Device-mapper tables: which ranges of which devices a dm volume is made of.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/system_files.h"

namespace linuxsys {

// One range of a dm volume on one underlying device, in bytes.
struct DmSegment {
  std::uint64_t startBytes = 0;  // where the range starts on the dm volume
  std::string device;  // "8:16", or a device path as the table names it
  std::uint64_t offsetBytes = 0;  // where the range starts on that device
  std::uint64_t lengthBytes = 0;
};

// The segments of a table in the text form ("start length target args" per
// line) whose targets place data on a device: linear, striped and crypt (the
// encrypted data lies on one device, past the container's header). Not known
// when any line cannot be read or names another target, so that a partial
// picture is never taken for the whole one.
std::optional<std::vector<DmSegment>> ParseDmTable(const std::string& text);

// Asks the kernel for the table of the dm device major:minor, through the
// control device opened read-only. Needs the right to ask; not known otherwise.
std::optional<std::string> ReadDmTableFromKernel(SystemFiles& files, unsigned major, unsigned minor);

}  // namespace linuxsys
