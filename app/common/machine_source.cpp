#include "app/common/machine_source.h"

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"

#if defined(__linux__)
#include "platform/linux/linux_collector.h"
#elif defined(_WIN32)
#include "platform/capture/platform_capture.h"
#include "platform/win32/win32_platform.h"
#endif

bool HasLiveMachine() {
#if defined(__linux__) || defined(_WIN32)
  return true;
#else
  return false;
#endif
}

bool CollectLiveMachine(const std::string& systemRoot, machine::Machine& out, std::string& error) {
  error.clear();
#if defined(__linux__)
  linuxsys::SystemFiles files(systemRoot);
  out = linuxsys::CollectMachine(files);
  return true;
#elif defined(_WIN32)
  // Windows is asked the very questions the scan asks, and its answers kept.
  (void)systemRoot;
  Win32Platform system;
  out = capture::CaptureMachine(system);
  return true;
#else
  (void)systemRoot;
  (void)out;
  error = "no live backend on this system; name a machine file with --machine FILE (see samples/)";
  return false;
#endif
}

std::unique_ptr<Platform> OpenMachine(const MachineSource& source, std::string& error) {
  if (!source.machineFile) {
#ifdef _WIN32
    // Windows answers the scan itself.
    return std::make_unique<Win32Platform>();
#else
    // The live machine is collected once into a description; the recorded
    // backend then answers from it like from a file.
    machine::Machine live;
    if (!CollectLiveMachine(source.systemRoot, live, error)) return nullptr;
    return std::make_unique<RecordedPlatform>(std::move(live));
#endif
  }
  try {
    return std::make_unique<RecordedPlatform>(LoadMachineFile(*source.machineFile));
  } catch (const MachineFileError& e) {
    error = e.what();
    return nullptr;
  }
}

std::unique_ptr<Platform> OpenMachine(const std::optional<std::string>& machineFile, std::string& error) {
  MachineSource source;
  source.machineFile = machineFile;
  return OpenMachine(source, error);
}
