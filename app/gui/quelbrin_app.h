// CQuelbrinApp: the desktop program's application object. It builds the
// main frame for the machine chosen on the command line and runs its first
// scan before the main loop starts.
#pragma once

#include <memory>

#include "app/gui/main_frame.h"
#include "platform/platform.h"

#include <wx/app.h>

class CQuelbrinApp : public wxApp {
 public:
  CQuelbrinApp(std::unique_ptr<Platform> platform, FrameOptions options);
  bool OnInit() override;

 private:
  std::unique_ptr<Platform> platform;
  FrameOptions options;
};
