// quelbrin: the storage viewer on the desktop.
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/common/machine_source.h"
#include "app/common/program_options.h"
#include "app/gui/quelbrin_app.h"

#include <wx/app.h>

namespace {

constexpr const char* kUsageHead =
    "Usage: quelbrin [OPTIONS] [FILE]\n"
    "\n"
    "Shows the storage topology of a machine in a window: mount points and\n"
    "volumes, their disk extents, the physical drives with their partitions,\n"
    "and the adapters behind them. Nothing on any disk or setting is changed.\n"
    "A FILE given is a machine file to view, as with --machine FILE.\n"
    "\n"
    "Options:\n";
constexpr const char* kUsageTail =
    "\n"
    "Without a display (DISPLAY or WAYLAND_DISPLAY), use quelbrin-cli.\n";

int UsageError(const std::string& message) {
  std::cerr << "quelbrin: " << message << "\nTry 'quelbrin --help'.\n";
  return 2;
}

bool HaveDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  SharedOptions shared;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::optional<std::string> fileArgument;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Argument a = ReadArgument(Program::Gui, args, i);
    if (a.kind == Argument::Kind::MissingValue) return UsageError(a.error);
    if (a.kind == Argument::Kind::Word && !fileArgument) {
      fileArgument = a.value;
      continue;
    }
    if (a.kind != Argument::Kind::Option) return UsageError("unknown argument '" + a.value + "'");
    if (TakeSharedOption(a, shared)) continue;
    if (a.option->id == OptionId::Help) {
      std::cout << kUsageHead << OptionsHelp(Program::Gui) << kUsageTail;
      return 0;
    }
    if (a.option->id == OptionId::Version) {
      std::cout << "quelbrin " << QUELBRIN_VERSION << "\n";
      return 0;
    }
  }
  if (fileArgument) {
    if (shared.source.machineFile) return UsageError("a machine file and --machine cannot go together");
    shared.source.machineFile = fileArgument;
  }
  if (const std::string conflict = SharedOptionsConflict(shared); !conflict.empty()) return UsageError(conflict);
  FrameOptions options;
  options.showAllMountPoints = shared.allMountPoints;
  if (!HaveDisplay()) {
    std::cerr << "quelbrin: no display to show a window on (DISPLAY and WAYLAND_DISPLAY are not set); "
                 "quelbrin-cli shows the same storage in a terminal\n";
    return 1;
  }
  std::string error;
  // What reading the machine left unknown goes to stderr and to the status bar.
  options.source = shared.source;
  options.readsSource = true;
  std::unique_ptr<Platform> platform = OpenMachine(
      shared.source, error,
      [&options](const std::string& line) {
        std::cerr << "quelbrin: " << line << "\n";
        options.statusNote += (options.statusNote.empty() ? "" : "; ") + line;
      },
      &options.description);
  if (!platform) {
    std::cerr << "quelbrin: " << error << "\n";
    return 2;
  }
  wxApp::SetInstance(new CQuelbrinApp(std::move(platform), options));
  // Only the program's name goes on: the toolkit must not read our options.
  int wxArgc = 1;
  char* wxArgv[] = {argv[0], nullptr};
  return wxEntry(wxArgc, wxArgv);
}
