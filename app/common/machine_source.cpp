#include "app/common/machine_source.h"

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"

#ifdef __linux__
#include "platform/linux/linux_collector.h"
#endif

bool HasLiveMachine() {
#ifdef __linux__
  return true;
#else
  return false;
#endif
}

bool CollectLiveMachine(const std::string& systemRoot, machine::Machine& out, std::string& error,
                        const CollectNote& note) {
#ifdef __linux__
  linuxsys::SystemFiles files(systemRoot);
  linuxsys::CollectOptions options;
  options.note = note;
  out = linuxsys::CollectMachine(files, options);
  error.clear();
  return true;
#else
  (void)systemRoot;
  (void)out;
  (void)note;
  error = "no live backend on this system; name a machine file with --machine FILE (see samples/)";
  return false;
#endif
}

std::unique_ptr<Platform> OpenMachine(const MachineSource& source, std::string& error, const CollectNote& note) {
  if (!source.machineFile) {
    // The live machine is collected once into a description; the recorded
    // backend then answers from it like from a file.
    machine::Machine live;
    if (!CollectLiveMachine(source.systemRoot, live, error, note)) return nullptr;
    return std::make_unique<RecordedPlatform>(std::move(live));
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
