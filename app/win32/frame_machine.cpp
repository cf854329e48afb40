// The frame's machine commands: opening and saving machine files (a file
// dropped on the window opens too), going back to the live machine, and
// writing the whole machine as one HTML page.
#include "app/win32/main_frame.h"

#include <commdlg.h>
#include <shellapi.h>

#include <filesystem>

#include "app/common/report_heading.h"
#include "app/win32/resource_ids.h"
#include "platform/machine/machine_writer.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/whole_file.h"
#include "platform/wide_text.h"
#include "ui/text/html_report.h"

std::wstring CMainFrame::ChoosePath(bool save, const std::wstring& defaultName) {
  if (choosePath) return choosePath(save, defaultName);
  const bool report = save && std::filesystem::path(defaultName).extension() == L".html";
  static constexpr wchar_t kMachineFiles[] = L"Machine files (*.json)\0*.json\0All files (*.*)\0*.*\0";
  static constexpr wchar_t kReports[] = L"HTML pages (*.html)\0*.html\0";
  std::wstring file = defaultName;
  file.resize(32768);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = report ? kReports : kMachineFiles;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = report ? L"html" : L"json";
  dialog.Flags = save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
  if (!chosen) return {};
  file.resize(file.find(L'\0'));
  return file;
}

bool CMainFrame::ShowMachine(const MachineSource& source) {
  std::string error;
  std::string description;
  std::string notes;
  std::unique_ptr<Platform> next = OpenMachine(source, error, JoinNotes(notes), &description);
  if (!next) {
    // What is on screen stays: nothing of it has been touched yet.
    userPrompt->ShowMessageBox(WideFromUtf8(MachineNotReadMessage(source, error)));
    return false;
  }
  // The document lets go of the old platform before it is destroyed.
  document->UsePlatform(*next);
  ownPlatform = std::move(next);
  viewedPlatform = ownPlatform.get();
  options.source = source;
  options.description = description;
  options.statusNote = WideFromUtf8(notes);
  Rescan(document->GetShowAllMountPoints());
  SetMessageText(IdleText());
  if (source.machineFile) RememberMachineFile(*source.machineFile);
  return true;
}

bool CMainFrame::OpenMachineFile(const std::wstring& path) {
  MachineSource source;
  source.machineFile = Utf8FromWide(path);
  return ShowMachine(source);
}

HMENU CMainFrame::RecentFilesMenu() const {
  // The File menu's popup whose first item is the first recent file.
  HMENU file = ::GetSubMenu(::GetMenu(window), 0);
  for (int i = 0; i < ::GetMenuItemCount(file); ++i) {
    HMENU popup = ::GetSubMenu(file, i);
    if (popup != nullptr && ::GetMenuItemID(popup, 0) == ID_FILE_MRU_FILE1) return popup;
  }
  return nullptr;
}

void CMainFrame::RememberMachineFile(const std::string& utf8Path) {
  recentFiles->Add(WideFromUtf8(utf8Path));
  recentFiles->FillMenu(RecentFilesMenu(), ID_FILE_MRU_FILE1);
}

void CMainFrame::OpenRecentFile(std::size_t index) {
  if (index < recentFiles->Files().size()) OpenMachineFile(std::wstring(recentFiles->Files()[index]));
}

void CMainFrame::OnDropFiles(WPARAM dropped) {
  // Opens the first file only: several at once would only replace one another.
  auto* drop = reinterpret_cast<HDROP>(dropped);
  std::wstring path(::DragQueryFileW(drop, 0, nullptr, 0), L'\0');
  const bool got = !path.empty() && ::DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size() + 1)) != 0;
  ::DragFinish(drop);
  if (got) OpenMachineFile(path);
}

bool CMainFrame::ViewLiveMachine() { return ShowMachine(MachineSource{}); }

bool CMainFrame::SaveMachineFile(const std::wstring& path) {
  const auto* recorded = dynamic_cast<const RecordedPlatform*>(viewedPlatform);
  std::string error = "there is no machine description to save; quelbrin-cli.exe capture writes one";
  if (recorded != nullptr && ::SaveMachineFile(recorded->description(), Utf8FromWide(path), error)) return true;
  userPrompt->ShowMessageBox(WideFromUtf8("The machine file could not be written.\n\n" + error));
  return false;
}

bool CMainFrame::ExportReport(const std::wstring& path) {
  std::string reason;
  return WriteWholeFile(std::filesystem::path(path),
                        [this](std::ostream& out) {
                          WriteHtmlReport(*document,
                                          MakeReportHeading(options.source, options.description,
                                                            document->GetShowAllMountPoints()),
                                          out);
                        },
                        reason) == WholeFile::Written;
}
