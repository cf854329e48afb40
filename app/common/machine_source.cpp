#include "app/common/machine_source.h"

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"

#ifdef __linux__
#include "platform/linux/linux_collector.h"
#endif

namespace {

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

}  // namespace

bool LoadMachine(const MachineSource& source, machine::Machine& out, std::string& error, const CollectNote& note) {
  if (!source.machineFile) return CollectLiveMachine(source.systemRoot, out, error, note);
  try {
    out = LoadMachineFile(*source.machineFile);
    return true;
  } catch (const MachineFileError& e) {
    error = e.what();
    return false;
  }
}

std::unique_ptr<Platform> OpenMachine(const MachineSource& source, std::string& error, const CollectNote& note) {
  // The live machine too is read once into a description; the recorded
  // backend then answers from it as from a file.
  machine::Machine m;
  if (!LoadMachine(source, m, error, note)) return nullptr;
  return std::make_unique<RecordedPlatform>(std::move(m));
}
