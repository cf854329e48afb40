#include "app/gui/quelbrin_app.h"

#include <wx/image.h>
#include <wx/stdpaths.h>

CQuelbrinApp::CQuelbrinApp(std::unique_ptr<Platform> p, FrameOptions o) : platform(std::move(p)), options(std::move(o)) {
  SetAppName("Quelbrin");
  SetAppDisplayName("Quelbrin");
}

bool CQuelbrinApp::OnInit() {
  // The command line was read before the toolkit started; the base class
  // would refuse the program's own options.
  wxInitAllImageHandlers();
  // Settings (recent files, Auto Refresh) go where the desktop keeps them:
  // $XDG_CONFIG_HOME/Quelbrin.conf.
  wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
  auto* frame = new CMainFrame(*platform, nullptr, options);
  SetTopWindow(frame);
  frame->InitialUpdate();
  return true;
}
