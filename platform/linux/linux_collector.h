// The live Linux backend: reads the running machine's storage into a machine
// description, which the recorded backend then answers from. The same code
// thus answers for a live machine, a captured one and a fake tree in a test.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/linux/space_queries.h"
#include "platform/linux/system_files.h"
#include "platform/machine/machine.h"

namespace linuxsys {

struct CollectOptions {
  // The table of a device-mapper volume in text form; unset asks the kernel.
  std::function<std::optional<std::string>(unsigned major, unsigned minor)> deviceMapperTable;
  // Space of the filesystem mounted at a system path; unset asks statvfs under the root.
  std::function<std::optional<FileSystemSpace>(const std::string& mountPath)> fileSystemSpace;
  // How long all mounted filesystems together may take to tell their space.
  std::chrono::milliseconds spaceLimit{2000};
  // Told, once each, what could not be learnt: a filesystem that did not
  // answer, devices that could not be read for want of permission.
  std::function<void(const std::string& line)> note;
};

// Collects the machine under `files`' root. What cannot be read is left out or
// left unknown; collecting never fails as a whole.
machine::Machine CollectMachine(SystemFiles& files, const CollectOptions& options = {});

}  // namespace linuxsys
