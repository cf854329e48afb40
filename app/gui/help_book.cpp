#include "app/gui/help_book.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

wxString DefaultHelpBook() {
  const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
  const wxString beside = exe.GetPathWithSep() + "help/quelbrin.hhp";
#ifdef QUELBRIN_INSTALLED_HELP
  // The install rules give the help folder relative to the programs' folder.
  if (!wxFileName::FileExists(beside)) {
    wxFileName installed(exe.GetPathWithSep() + QUELBRIN_INSTALLED_HELP "/quelbrin.hhp");
    installed.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    return installed.GetFullPath();
  }
#endif
  return beside;
}
