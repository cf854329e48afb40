// What the frame needs to offer machine files: the name of what is viewed,
// the file dialogs' filter, the user's settings, and opening a dropped file.
#pragma once

#include <functional>

#include "app/common/machine_source.h"

#include <wx/dnd.h>
#include <wx/string.h>

class wxConfigBase;

// "server.json" for a machine file, "this machine" for the running one.
wxString ViewedMachineName(const MachineSource& source);

// The file dialogs' filter: machine files first, then everything.
extern const char* const kMachineFileWildcard;

// Where the settings live in the user's config.
inline constexpr const char* kRecentFilesPath = "/RecentFiles";
// Auto Refresh, one setting for the live machine and one for files.
wxString AutoRefreshKey(const MachineSource& source);
bool AutoRefreshDefault(const MachineSource& source);

// Opens the first file dropped on the window; several at once would only
// replace one another.
class MachineFileDropTarget : public wxFileDropTarget {
 public:
  explicit MachineFileDropTarget(std::function<bool(const wxString& path)> open) : open_(std::move(open)) {}
  bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

 private:
  std::function<bool(const wxString& path)> open_;
};
