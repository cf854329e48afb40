#include "app/common/machine_source.h"

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"

#ifdef __linux__
#include <filesystem>

#include "platform/linux/linux_collector.h"
#endif

namespace {

bool CollectLiveMachine(const std::string& systemRoot, machine::Machine& out, std::string& error,
                        const CollectNote& note) {
#ifdef __linux__
  // Read as it is, a root that is no system would look like a machine without
  // storage: refuse one that is missing, is no directory or has no mount table.
  std::error_code ignored;
  if (!std::filesystem::exists(systemRoot, ignored)) {
    error = systemRoot + ": no such directory";
    return false;
  }
  if (!std::filesystem::is_directory(systemRoot, ignored)) {
    error = systemRoot + ": not a directory";
    return false;
  }
  linuxsys::SystemFiles files(systemRoot);
  const std::optional<std::string> mounts = files.ReadFile("/proc/self/mountinfo", 1);
  if (!mounts || mounts->empty()) {
    error = systemRoot + ": not the root of a running system (no mount table in proc/self/mountinfo)";
    return false;
  }
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

std::unique_ptr<Platform> OpenMachine(const MachineSource& source, std::string& error, const CollectNote& note,
                                      std::string* description) {
  // The live machine too is read once into a description; the recorded
  // backend then answers from it as from a file.
  machine::Machine m;
  if (!LoadMachine(source, m, error, note)) return nullptr;
  if (description != nullptr) *description = m.description;
  return std::make_unique<RecordedPlatform>(std::move(m));
}
