// The frame's machine commands: opening and saving machine files, going back
// to the live machine, recent files, and refreshing by itself when the
// machine on view changes.
#include "app/gui/main_frame.h"

#include <wx/config.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/filehistory.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "app/common/report_heading.h"
#include "app/gui/change_listener.h"
#include "app/gui/machine_files.h"
#include "app/gui/tree_memory.h"
#include "platform/machine/machine_writer.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/wide_text.h"
#include "ui/widgets/disk_tree_view.h"

namespace {

constexpr int kRecentFileCount = 8;

bool SameSource(const MachineSource& a, const MachineSource& b) {
  return a.machineFile == b.machineFile && (a.machineFile || a.systemRoot == b.systemRoot);
}

}  // namespace

void CMainFrame::LoadMachineSettings() {
  recentFiles = std::make_unique<wxFileHistory>(kRecentFileCount, wxID_FILE1);
  wxConfigBase* config = wxConfigBase::Get();
  if (config != nullptr) {
    config->SetPath(kRecentFilesPath);
    recentFiles->Load(*config);
    config->SetPath("/");
  }
  autoRefresh = config != nullptr ? config->ReadBool(AutoRefreshKey(options.source), AutoRefreshDefault(options.source))
                                  : AutoRefreshDefault(options.source);
}

void CMainFrame::BindMachineCommands() {
  Bind(wxEVT_MENU, &CMainFrame::OnOpenMachine, this, ID_FILE_OPEN_MACHINE);
  Bind(wxEVT_MENU, &CMainFrame::OnSaveMachine, this, ID_FILE_SAVE_MACHINE);
  Bind(wxEVT_MENU, &CMainFrame::OnLiveMachine, this, ID_FILE_LIVE_MACHINE);
  Bind(wxEVT_MENU, &CMainFrame::OnRecentFile, this, wxID_FILE1, wxID_FILE1 + kRecentFileCount - 1);
  Bind(wxEVT_MENU, &CMainFrame::OnAutoRefresh, this, ID_VIEW_AUTO_REFRESH);
  Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Check(autoRefresh); }, ID_VIEW_AUTO_REFRESH);
  Bind(EVT_MACHINE_CHANGED, &CMainFrame::OnMachineChanged, this);
  SetDropTarget(new MachineFileDropTarget([this](const wxString& path) { return OpenMachineFile(path); }));
  if (!choosePath) {
    choosePath = [this](bool save, const wxString& defaultName) -> wxString {
      wxFileDialog dialog(this, save ? "Save Machine File" : "Open Machine File", wxEmptyString, defaultName,
                          kMachineFileWildcard,
                          save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN | wxFD_FILE_MUST_EXIST);
      return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
    };
  }
}

void CMainFrame::ShowMachineError(const std::string& text) {
  // A refresh nobody asked for must not put up a box; the next change or a
  // Refresh tries again.
  if (quietRefresh) {
    wxString line = wxString::FromUTF8(text);
    line.Replace("\n\n", " ");
    SetStatusText(line, 0);
    return;
  }
  userPrompt->ShowMessageBox(WideFromUtf8(text));
}

bool CMainFrame::ShowMachine(const MachineSource& source, const TreeMemory* memory) {
  std::string error;
  std::string description;
  std::string notes;
  std::unique_ptr<Platform> next = OpenMachine(source, error, JoinNotes(notes), &description);
  if (!next) {
    // What is on screen stays: nothing of it has been touched yet.
    ShowMachineError(MachineNotReadMessage(source, error));
    return false;
  }
  const bool otherSource = !SameSource(source, options.source);
  // The document lets go of the old platform before it is destroyed.
  document->UsePlatform(*next);
  ownPlatform = std::move(next);
  viewedPlatform = ownPlatform.get();
  options.source = source;
  options.description = description;
  options.statusNote = notes;
  options.readsSource = true;
  document->Refresh(document->GetShowAllMountPoints());
  if (memory != nullptr) memory->RestoreTo(*treeView);
  SetStatusText(IdleStatus(), 0);
  UpdateCaption();
  if (source.machineFile) {
    RecentFiles().AddFileToHistory(wxString::FromUTF8(*source.machineFile));
    if (wxConfigBase* config = wxConfigBase::Get()) {
      config->SetPath(kRecentFilesPath);
      RecentFiles().Save(*config);
      config->SetPath("/");
      config->Flush();
    }
  }
  if (otherSource) {
    const wxConfigBase* config = wxConfigBase::Get();
    autoRefresh = config != nullptr ? config->ReadBool(AutoRefreshKey(source), AutoRefreshDefault(source))
                                    : AutoRefreshDefault(source);
    UpdateWatching();
  }
  return true;
}

bool CMainFrame::OpenMachineFile(const wxString& path) {
  wxBusyCursor wait;
  MachineSource source;
  source.machineFile = path.utf8_string();
  return ShowMachine(source, nullptr);
}

bool CMainFrame::ViewLiveMachine() {
  wxBusyCursor wait;
  MachineSource source;
  // A frame started on a copy of a system goes back to that copy.
  if (!options.source.machineFile) source.systemRoot = options.source.systemRoot;
  return ShowMachine(source, nullptr);
}

bool CMainFrame::SaveMachineFile(const wxString& path) {
  const auto* recorded = dynamic_cast<const RecordedPlatform*>(viewedPlatform);
  std::string error = "there is no machine description to save";
  if (recorded != nullptr && ::SaveMachineFile(recorded->description(), path.utf8_string(), error)) return true;
  ShowMachineError("The machine file could not be written.\n\n" + error);
  return false;
}

void CMainFrame::RefreshKeepingView() {
  if (refreshing) {
    changedWhileRefreshing = true;
    return;
  }
  refreshing = true;
  do {
    changedWhileRefreshing = false;
    const TreeMemory memory = TreeMemory::Of(*treeView);
    if (options.readsSource) {
      ShowMachine(options.source, &memory);
    } else {
      document->Refresh(document->GetShowAllMountPoints());
      memory.RestoreTo(*treeView);
      UpdateCaption();
    }
  } while (changedWhileRefreshing);
  refreshing = false;
}

void CMainFrame::SetAutoRefresh(bool on) {
  autoRefresh = on;
  if (wxConfigBase* config = wxConfigBase::Get()) {
    config->Write(AutoRefreshKey(options.source), on);
    config->Flush();
  }
  UpdateWatching();
}

bool CMainFrame::WatchingForChanges() const { return changes != nullptr && changes->Watching(); }

void CMainFrame::UpdateWatching() {
  // A new source needs a new watch; the old one stops first.
  changes.reset();
  if (!autoRefresh || !options.readsSource) return;
  changes = std::make_unique<ChangeListener>(options.source, *this);
  if (!changes->Watching()) {
    // Refresh still works by hand; say why it does not by itself.
    SetStatusText(wxString::FromUTF8("Auto Refresh is off: " + changes->Error()), 0);
    changes.reset();
  }
}

void CMainFrame::OnMachineChanged(wxThreadEvent&) {
  if (!autoRefresh || !options.readsSource) return;
  quietRefresh = true;
  RefreshKeepingView();
  quietRefresh = false;
}

void CMainFrame::OnOpenMachine(wxCommandEvent&) {
  const wxString path = choosePath(false, wxEmptyString);
  if (!path.empty()) OpenMachineFile(path);
}

void CMainFrame::OnSaveMachine(wxCommandEvent&) {
  // The machine's own name, as Export Report offers it.
  const wxString path = choosePath(true, wxFileName(wxString(MachineName(options.source))).GetName() + ".json");
  if (path.empty()) return;
  wxBusyCursor wait;
  SaveMachineFile(path);
}

void CMainFrame::OnLiveMachine(wxCommandEvent&) { ViewLiveMachine(); }

void CMainFrame::OnRecentFile(wxCommandEvent& event) {
  const wxString path = RecentFiles().GetHistoryFile(static_cast<size_t>(event.GetId() - wxID_FILE1));
  if (!path.empty()) OpenMachineFile(path);
}

void CMainFrame::OnAutoRefresh(wxCommandEvent&) { SetAutoRefresh(!autoRefresh); }
