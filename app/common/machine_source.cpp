#include "app/common/machine_source.h"

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"

std::unique_ptr<Platform> OpenMachine(const std::optional<std::string>& machineFile, std::string& error) {
  if (!machineFile) {
    error = "no live backend on this system yet; name a machine file with --machine FILE (see samples/)";
    return nullptr;
  }
  try {
    return std::make_unique<RecordedPlatform>(LoadMachineFile(*machineFile));
  } catch (const MachineFileError& e) {
    error = e.what();
    return nullptr;
  }
}
