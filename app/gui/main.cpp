// quelbrin: the storage viewer on the desktop.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/common/machine_source.h"
#include "app/common/program_options.h"
#include "app/common/viewer_arguments.h"
#include "app/gui/quelbrin_app.h"

#include <wx/app.h>

namespace {

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
  const ViewerArguments read = ReadViewerArguments(std::vector<std::string>(argv + 1, argv + argc));
  switch (read.action) {
    case ViewerArguments::Action::UsageError:
      return UsageError(read.error);
    case ViewerArguments::Action::Help:
      std::cout << kViewerUsageHead << OptionsHelp(Program::Gui) << kUsageTail;
      return 0;
    case ViewerArguments::Action::Version:
      std::cout << "quelbrin " << QUELBRIN_VERSION << "\n";
      return 0;
    case ViewerArguments::Action::Run:
      break;
  }
  const SharedOptions& shared = read.shared;
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
  const CollectNote joined = JoinNotes(options.statusNote);
  std::unique_ptr<Platform> platform = OpenMachine(
      shared.source, error,
      [&joined](const std::string& line) {
        std::cerr << "quelbrin: " << line << "\n";
        joined(line);
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
