#include "app/gui/machine_files.h"

#include <wx/filename.h>

const char* const kMachineFileWildcard = "Machine files (*.json)|*.json|All files (*)|*";

wxString ViewedMachineName(const MachineSource& source) {
  if (!source.machineFile) return "this machine";
  return wxFileName(wxString::FromUTF8(*source.machineFile)).GetFullName();
}

wxString AutoRefreshKey(const MachineSource& source) {
  return source.machineFile ? "/View/AutoRefreshFiles" : "/View/AutoRefreshLive";
}

bool AutoRefreshDefault(const MachineSource& source) { return !source.machineFile; }

bool MachineFileDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
  if (files.empty()) return false;
  return open_(files[0]);
}
