// quelbrin.exe: the storage viewer on the Windows desktop.
#include "platform/win_types.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "app/common/machine_source.h"
#include "app/common/program_io.h"
#include "app/common/program_options.h"
#include "app/win32/main_frame.h"
#include "platform/wide_text.h"

namespace {

constexpr wchar_t kCaption[] = L"Quelbrin";
constexpr const char* kUsageHead =
    "Usage: quelbrin [OPTIONS] [FILE]\n"
    "\n"
    "Shows the storage topology of a machine in a window: mount points and\n"
    "volumes, their disk extents, the physical drives with their partitions,\n"
    "and the adapters behind them. Nothing on any disk or setting is changed.\n"
    "A FILE given is a machine file to view, as with --machine FILE.\n"
    "\n"
    "Options:\n";

// A window program has no console to write to: what the terminal program
// would print goes into a message box.
int Tell(const std::string& text, UINT icon, int code) {
  ::MessageBoxW(nullptr, WideFromUtf8(text).c_str(), kCaption, MB_OK | icon);
  return code;
}

int UsageError(const std::string& message) {
  return Tell("quelbrin: " + message + "\nTry 'quelbrin --help'.", MB_ICONERROR, 2);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::vector<std::string> args = ProgramArguments(0, nullptr);
  SharedOptions shared;
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
    if (a.option->id == OptionId::Help) return Tell(kUsageHead + OptionsHelp(Program::Gui), MB_ICONINFORMATION, 0);
    if (a.option->id == OptionId::Version)
      return Tell(std::string("quelbrin ") + QUELBRIN_VERSION, MB_ICONINFORMATION, 0);
  }
  if (fileArgument) {
    if (shared.source.machineFile) return UsageError("a machine file and --machine cannot go together");
    shared.source.machineFile = fileArgument;
  }
  if (const std::string conflict = SharedOptionsConflict(shared); !conflict.empty()) return UsageError(conflict);

  FrameOptions options;
  options.showAllMountPoints = shared.allMountPoints;
  options.source = shared.source;
  std::string error;
  std::string notes;
  std::unique_ptr<Platform> platform = OpenMachine(
      shared.source, error, [&notes](const std::string& line) { notes += (notes.empty() ? "" : "; ") + line; },
      &options.description);
  if (!platform) return Tell("quelbrin: " + error, MB_ICONERROR, 2);
  options.statusNote = WideFromUtf8(notes);

  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                          ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  CMainFrame frame(*platform, nullptr, options);
  if (frame.Window() == nullptr) return 1;
  frame.InitialUpdate();
  return RunMessageLoop(frame);
}
