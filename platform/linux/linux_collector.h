// The live Linux backend: reads the running machine's storage into a machine
// description, which the recorded backend then answers from. The same code
// thus answers for a live machine, a captured one and a fake tree in a test.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/linux/system_files.h"
#include "platform/machine/machine.h"

namespace linuxsys {

struct FileSystemSpace {
  std::uint64_t freeBytesAvailable = 0;
  std::uint64_t totalBytes = 0;
  std::uint64_t totalFreeBytes = 0;
  std::uint32_t maxNameLength = 0;
};

struct CollectOptions {
  // The table of a device-mapper volume in text form; unset asks the kernel.
  std::function<std::optional<std::string>(unsigned major, unsigned minor)> deviceMapperTable;
  // Space of the filesystem mounted at a system path; unset asks statvfs under the root.
  std::function<std::optional<FileSystemSpace>(const std::string& mountPath)> fileSystemSpace;
};

// Collects the machine under `files`' root. What cannot be read is left out or
// left unknown; collecting never fails as a whole.
machine::Machine CollectMachine(SystemFiles& files, const CollectOptions& options = {});

}  // namespace linuxsys
