#include "app/common/machine_source.h"

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"

#if defined(__linux__)
#include <filesystem>
#include <fstream>

#include "platform/linux/linux_collector.h"
#elif defined(_WIN32)
#include "platform/capture/platform_capture.h"
#include "platform/win32/win32_platform.h"
#include "platform/wide_text.h"

#include <iterator>
#endif

namespace {

bool CollectLiveMachine(const std::string& systemRoot, machine::Machine& out, std::string& error,
                        const CollectNote& note) {
#if defined(__linux__)
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

std::unique_ptr<Platform> OpenMachine(const MachineSource& source, std::string& error, const CollectNote& note,
                                      std::string* description) {
#ifdef _WIN32
  // Windows answers the scan itself, request by request.
  if (!source.machineFile) {
    error.clear();
    if (description != nullptr) description->clear();
    return std::make_unique<Win32Platform>();
  }
#endif
  // A machine file, or the live Linux machine read once into a description;
  // the recorded backend then answers from it as from a file.
  machine::Machine m;
  if (!LoadMachine(source, m, error, note)) return nullptr;
  if (description != nullptr) *description = m.description;
  return std::make_unique<RecordedPlatform>(std::move(m));
}

CollectNote JoinNotes(std::string& line) {
  return [&line](const std::string& note) { line += (line.empty() ? "" : "; ") + note; };
}

std::string MachineNotReadMessage(const MachineSource& source, const std::string& error) {
  return (source.machineFile ? "The machine file could not be read.\n\n" : "The machine could not be read.\n\n") +
         error;
}

std::string LiveMachineName([[maybe_unused]] const MachineSource& source) {
#if defined(__linux__)
  std::ifstream file(std::filesystem::path(source.systemRoot) / "proc/sys/kernel/hostname");
  std::string name;
  std::getline(file, name);
  return name;
#elif defined(_WIN32)
  wchar_t name[256];
  DWORD size = static_cast<DWORD>(std::size(name));
  if (!::GetComputerNameExW(ComputerNameDnsHostname, name, &size)) return {};
  return Utf8FromWide(std::wstring(name, size));
#else
  return {};
#endif
}
