// quelbrin.exe: the storage viewer on the Windows desktop.
#include "platform/win_types.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/common/machine_source.h"
#include "app/common/program_io.h"
#include "app/common/program_options.h"
#include "app/common/viewer_arguments.h"
#include "app/win32/main_frame.h"
#include "platform/wide_text.h"

namespace {

constexpr wchar_t kCaption[] = L"Quelbrin";
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
  const ViewerArguments read = ReadViewerArguments(args);
  switch (read.action) {
    case ViewerArguments::Action::UsageError:
      return UsageError(read.error);
    case ViewerArguments::Action::Help:
      return Tell(kViewerUsageHead + OptionsHelp(Program::Gui), MB_ICONINFORMATION, 0);
    case ViewerArguments::Action::Version:
      return Tell(std::string("quelbrin ") + QUELBRIN_VERSION, MB_ICONINFORMATION, 0);
    case ViewerArguments::Action::Run:
      break;
  }
  const SharedOptions& shared = read.shared;

  FrameOptions options;
  options.showAllMountPoints = shared.allMountPoints;
  options.source = shared.source;
  std::string error;
  std::string notes;
  std::unique_ptr<Platform> platform = OpenMachine(shared.source, error, JoinNotes(notes), &options.description);
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
