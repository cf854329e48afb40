#include "app/gui/quelbrin_app.h"

#include <wx/image.h>

CQuelbrinApp::CQuelbrinApp(std::unique_ptr<Platform> p, FrameOptions o) : platform(std::move(p)), options(std::move(o)) {
  SetAppName("Quelbrin");
  SetAppDisplayName("Quelbrin");
}

bool CQuelbrinApp::OnInit() {
  // The command line was read before the toolkit started; the base class
  // would refuse the program's own options.
  wxInitAllImageHandlers();
  auto* frame = new CMainFrame(*platform, nullptr, options);
  SetTopWindow(frame);
  frame->InitialUpdate();
  return true;
}
