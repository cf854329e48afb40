// CMainFrame: the main window. It owns the document, splits its client area
// into the tree (left, 125 pixels) and the detail form, routes the commands,
// and carries the progress of scans to the splash screen.
#pragma once

#include <functional>
#include <memory>
#include <string>

// The project's headers go before the toolkit's, whose TRUE and FALSE
// macros would clash with the platform's constants.
#include "app/common/machine_source.h"
#include "platform/platform.h"
#include "scan/progress_sink.h"
#include "scan/prompt.h"
#include "scan/quelbrin_doc.h"

#include <wx/cmndata.h>
#include <wx/defs.h>
#include <wx/frame.h>

class ChangeListener;
class DisabledPrompts;
class TreeMemory;
class wxFileHistory;
class wxHtmlHelpController;
class wxSplitterWindow;
class wxToolBar;
class CDetailedView;
class CPanelPrintout;
class CDiskTreeView;
class CQuelbrinSplashScreen;

// Command ids of the menus, accelerators and toolbar: the program's own two,
// the toolkit's standard ones, and ids of our own for the rest.
enum CommandId {
  ID_REFRESH = 1900,
  ID_VIEW_ALL_MOUNT_POINTS = 1901,
  ID_VIEW_TOOLBAR = 1910,
  ID_VIEW_STATUS_BAR = 1911,
  ID_WINDOW_SPLIT = 1912,
  ID_NEXT_PANE = 1913,
  ID_PREV_PANE = 1914,
  // Not the toolkit's stock exit command, to which GTK adds a Ctrl+Q that the
  // program's accelerators do not have.
  ID_APP_EXIT = 1915,
  ID_FILE_EXPORT_REPORT = 1916,
  ID_FILE_OPEN_MACHINE = 1917,
  ID_FILE_SAVE_MACHINE = 1918,
  ID_FILE_LIVE_MACHINE = 1919,
  ID_VIEW_AUTO_REFRESH = 1920,
  ID_FILE_PRINT = wxID_PRINT,
  ID_FILE_PRINT_PREVIEW = wxID_PREVIEW,
  ID_FILE_PRINT_SETUP = wxID_PRINT_SETUP,
  ID_APP_ABOUT = wxID_ABOUT,
  ID_HELP_FINDER = wxID_HELP_CONTENTS,
  ID_CONTEXT_HELP = wxID_HELP_CONTEXT,
  ID_HELP = wxID_HELP,
};

struct FrameOptions {
  // The help book's project file; empty: "help/quelbrin.hhp" beside the program.
  std::string helpBook;
  bool showAllMountPoints = false;
  // Shown in the status bar while idle, in place of the help prompt: what
  // reading the machine left unknown.
  std::string statusNote;
  // Where the machine was read from and its own description, for the header
  // of printed pages and the heading of an exported report.
  MachineSource source;
  std::string description;
  // Whether the frame reads the machine from `source` itself: again on each
  // refresh, and whenever it changes while Auto Refresh is on. False: the
  // platform given is all there is (a scripted one, in tests). Opening a
  // machine from the File menu makes it true.
  bool readsSource = false;
};

class CMainFrame : public wxFrame, public ProgressSink {
 public:
  // Builds the frame hidden, with the splash screen up. `prompt` null: message
  // boxes of the program's own. The splash goes once a message is answered.
  CMainFrame(Platform& platform, Prompt* prompt, FrameOptions options);
  ~CMainFrame() override;

  // The views' first-time initialisation: the first scan, the tree, the
  // detail form; the splash closes once the form shows its node. Then the
  // frame is shown.
  void InitialUpdate();

  // ProgressSink: each does nothing while no splash screen is up.
  void SetProgressText(const std::wstring& text) override;
  void SetProgressRange(int lower, int upper) override;
  void StepProgress() override;
  void RestartSplash() override;
  void CloseSplash() override;

  CQuelbrinDoc& Document() { return *document; }
  CDiskTreeView* TreeView() const { return treeView; }
  CDetailedView* DetailedView() const { return detailedView; }
  wxSplitterWindow* Splitter() const { return splitter; }
  CQuelbrinSplashScreen* Splash() const { return splash; }
  // How many times a closed splash brought the frame to the front.
  int TimesRaisedBySplash() const { return raisedBySplash; }
  // The help page that context help shows for a window.
  static wxString HelpPageFor(wxWindow* window);
  wxHtmlHelpController* Help();

  // The panel on display as printed pages, with the page setup in force.
  std::unique_ptr<CPanelPrintout> CreatePanelPrintout();
  // Writes the whole machine as one HTML page, as the terminal program's
  // report does; false when the file cannot be written (none is left behind).
  bool ExportReport(const wxString& path);
  // The default file name Export Report offers: the machine's name.
  wxString DefaultReportName() const;
  wxPageSetupDialogData& PageSetup() { return pageSetup; }

  // Machine files and the live machine. Each returns false, with a message
  // box and the view as it was, when the machine cannot be read or written.
  bool OpenMachineFile(const wxString& path);
  bool ViewLiveMachine();
  bool SaveMachineFile(const wxString& path);
  // Reads the machine again (when the frame reads its source) and rescans,
  // keeping the selected and expanded items where they still exist.
  void RefreshKeepingView();
  const MachineSource& Source() const { return options.source; }
  wxFileHistory& RecentFiles() { return *recentFiles; }
  bool AutoRefresh() const { return autoRefresh; }
  void SetAutoRefresh(bool on);
  // Whether changes are being watched for right now.
  bool WatchingForChanges() const;
  // Asks the user for a machine file to open (save false) or save to; empty
  // when cancelled. Tests put an answer of their own in its place.
  std::function<wxString(bool save, const wxString& defaultName)> choosePath;

 private:
  class MessageBoxPrompt;

  void StartSplash();
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void UpdateCaption();
  wxString IdleStatus() const;

  void OnRefresh(wxCommandEvent& event);
  void OnViewAllMountPoints(wxCommandEvent& event);
  void OnUpdateViewAllMountPoints(wxUpdateUIEvent& event);
  void OnPrint(wxCommandEvent& event);
  void OnPrintPreview(wxCommandEvent& event);
  void OnPrintSetup(wxCommandEvent& event);
  void OnExportReport(wxCommandEvent& event);
  void OnAbout(wxCommandEvent& event);
  void OnExit(wxCommandEvent& event);
  void OnViewToolBar(wxCommandEvent& event);
  void OnViewStatusBar(wxCommandEvent& event);
  void OnSplit(wxCommandEvent& event);
  void OnNextPane(wxCommandEvent& event);
  void OnHelpCommand(wxCommandEvent& event);
  void OnHelpFinder(wxCommandEvent& event);
  void OnContextHelp(wxCommandEvent& event);
  void OnHelpEvent(wxHelpEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnIdle(wxIdleEvent& event);
  // The recent files and the Auto Refresh setting, from the user's config.
  void LoadMachineSettings();
  void BindMachineCommands();
  void OnOpenMachine(wxCommandEvent& event);
  void OnSaveMachine(wxCommandEvent& event);
  void OnLiveMachine(wxCommandEvent& event);
  void OnRecentFile(wxCommandEvent& event);
  void OnAutoRefresh(wxCommandEvent& event);
  void OnMachineChanged(wxThreadEvent& event);
  // Reads the source and, when that worked, shows it (keeping what `memory`
  // holds, when given); otherwise tells the user and leaves all as it was.
  bool ShowMachine(const MachineSource& source, const TreeMemory* memory);
  // Starts or stops watching as Auto Refresh and the source say.
  void UpdateWatching();
  void ShowMachineError(const std::string& text);

  FrameOptions options;
  std::unique_ptr<Prompt> ownPrompt;
  Prompt* userPrompt = nullptr;
  // The platform the frame opened itself; null while it asks the one it was given.
  std::unique_ptr<Platform> ownPlatform;
  Platform* viewedPlatform = nullptr;
  std::unique_ptr<wxFileHistory> recentFiles;
  std::unique_ptr<ChangeListener> changes;
  bool autoRefresh = false;
  // A refresh runs (its scan may show a message box, whose loop would run
  // another); a change seen meanwhile is refreshed for afterwards.
  bool refreshing = false;
  bool changedWhileRefreshing = false;
  // No splash for a refresh the user did not ask for: it would take the focus.
  bool quietRefresh = false;
  std::unique_ptr<Prompt> scanPrompt;
  std::unique_ptr<CQuelbrinDoc> document;
  wxSplitterWindow* splitter = nullptr;
  CDiskTreeView* treeView = nullptr;
  CDetailedView* detailedView = nullptr;
  wxToolBar* toolBar = nullptr;
  std::unique_ptr<DisabledPrompts> disabledPrompts;
  CQuelbrinSplashScreen* splash = nullptr;
  std::unique_ptr<wxHtmlHelpController> help;
  bool helpLoaded = false;
  // Paper, margins and printer, kept from one use to the next while the program runs.
  wxPageSetupDialogData pageSetup;
  int raisedBySplash = 0;
  // Moving the split bar with the keyboard: the position to go back to on Esc.
  int splitKeyboardFrom = -1;
  bool lockKeys[3] = {false, false, false};
};
