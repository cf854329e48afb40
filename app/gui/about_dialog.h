// The About box: the icon, the version, a few lines about the program, OK.
#pragma once

#include <wx/dialog.h>

class CAboutDialog : public wxDialog {
 public:
  explicit CAboutDialog(wxWindow* parent);
};
