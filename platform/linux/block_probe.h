// What a block device's own bytes say: its partition table and the
// filesystem it holds, read through libblkid from a device opened read-only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/system_files.h"

namespace linuxsys {

struct ProbedPartition {
  int number = 0;
  std::uint64_t startBytes = 0;
  std::uint64_t sizeBytes = 0;
  int type = 0;             // the MBR type byte
  std::string typeString;   // the GPT type GUID
  std::string uuid;         // the GPT partition GUID (MBR: "signature-number")
  std::string name;         // the GPT partition name
  std::uint64_t flags = 0;  // MBR boot indicator, or the GPT attributes
  bool extended = false;    // the MBR extended container
  bool logical = false;
  // Where the table holding the entry starts (the partition table itself, or
  // the extended boot record of a logical partition), in bytes.
  std::uint64_t tableOffsetBytes = 0;
};

struct ProbedTable {
  std::string type;  // "dos", "gpt", ...
  std::string id;    // MBR signature in hex, or the GPT disk GUID
  std::vector<ProbedPartition> partitions;
  // From the GPT header, when it could be read.
  std::optional<std::uint64_t> firstUsableLba;
  std::optional<std::uint64_t> lastUsableLba;
  std::optional<std::uint32_t> entryCount;
  // The platform's check sum of the master boot record.
  std::optional<std::uint32_t> mbrCheckSum;
};

struct ProbedFilesystem {
  std::string type;
  std::string label;
  std::string uuid;
  std::string usage;  // libblkid's word: "filesystem", "raid", "crypto", "other"
  std::optional<std::uint64_t> sizeBytes;  // what its superblock says
};

struct DeviceProbe {
  bool opened = false;
  bool denied = false;  // not opened for want of permission
  std::optional<ProbedTable> table;
  std::optional<ProbedFilesystem> filesystem;
};

// Opens the device node (a system path such as "/dev/sda") read-only and reads
// what libblkid finds. `withTable` asks for the partition table too (whole
// disks). Nothing is known when the device cannot be opened or read.
DeviceProbe ProbeDevice(SystemFiles& files, const std::string& devicePath, bool withTable,
                        unsigned logicalBlockSize);

}  // namespace linuxsys
