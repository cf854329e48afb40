#include "app/common/machine_source.h"

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"

#if defined(__linux__)
#include "platform/linux/linux_collector.h"
#elif defined(_WIN32)
#include "platform/capture/platform_capture.h"
#include "platform/win32/win32_platform.h"
#endif

namespace {

bool CollectLiveMachine(const std::string& systemRoot, machine::Machine& out, std::string& error,
                        const CollectNote& note) {
#if defined(__linux__)
  linuxsys::SystemFiles files(systemRoot);
  linuxsys::CollectOptions options;
  options.note = note;
  out = linuxsys::CollectMachine(files, options);
  error.clear();
  return true;
#elif defined(_WIN32)
  // Windows is asked the very questions the scan asks, and its answers kept;
  // a refusal is an answer too, so nothing is left to note.
  (void)systemRoot;
  (void)note;
  Win32Platform system;
  out = capture::CaptureMachine(system);
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
#ifdef _WIN32
  // Windows answers the scan itself, request by request.
  if (!source.machineFile) {
    error.clear();
    return std::make_unique<Win32Platform>();
  }
#endif
  // A machine file, or the live Linux machine read once into a description;
  // the recorded backend then answers from it.
  machine::Machine m;
  if (!LoadMachine(source, m, error, note)) return nullptr;
  return std::make_unique<RecordedPlatform>(std::move(m));
}
