// CMainFrame: the main window. It owns the document, splits its client area
// into the tree (left, 125 pixels) and the detail pane, routes the commands of
// its menus, accelerators and toolbar, and carries the progress of scans to
// the splash screen.
#pragma once

#include "platform/win_types.h"

#include <functional>
#include <memory>
#include <string>

#include "app/common/machine_source.h"
#include "app/win32/form/detail_pane.h"
#include "app/win32/recent_files.h"
#include "app/win32/splash_screen.h"
#include "app/win32/tree_view.h"
#include "platform/platform.h"
#include "scan/progress_sink.h"
#include "scan/prompt.h"
#include "scan/quelbrin_doc.h"

struct FrameOptions {
  bool showAllMountPoints = false;
  // Where the machine was read from: it names the window. And the machine's
  // own description, for the heading of an exported report.
  MachineSource source;
  std::string description;
  // Shown in the status bar while idle, in place of the help prompt: what
  // reading the machine left unknown.
  std::wstring statusNote;
  // Whether closing the frame ends the message loop (the program's frame
  // does; frames of a test that makes several do not).
  bool quitOnClose = true;
  // The user's settings (the recent files) under HKEY_CURRENT_USER; tests
  // give a key of their own.
  std::wstring settingsKey = L"Software\\Quelbrin";
};

class CMainFrame : public ProgressSink {
 public:
  static constexpr const wchar_t* kWindowClass = L"QuelbrinFrame";
  static constexpr int kTreeWidth = 125;

  // Creates the frame hidden, with the splash screen starting. `prompt` null:
  // message boxes of the frame's own. The splash goes once a message is answered.
  CMainFrame(Platform& platform, Prompt* prompt, FrameOptions options);
  ~CMainFrame() override;
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // The views' first-time initialisation: the first scan, the tree, the
  // detail pane, whose first node closes the splash. Then the frame is shown.
  void InitialUpdate();
  // What the message loop asks before dispatching: accelerators, keyboard
  // moving of the split bar, the end of help mode, the pane's dialog keys.
  // True when the message was used up.
  bool PreTranslateMessage(MSG& message);
  // When the queue is empty: the lock-key indicators and the toolbar's states.
  void OnIdle();

  HWND Window() const { return window; }
  CQuelbrinDoc& Document() { return *document; }
  CDiskTreeView& TreeView() { return *treeView; }
  Win32DetailPane& Pane() { return *pane; }
  HWND ToolBar() const { return toolBar; }
  HWND StatusBar() const { return statusBar; }
  CSplashScreenThread* Splash() const { return splash.get(); }
  // How many times a closed splash brought the frame to the front.
  int TimesRaisedBySplash() const { return raisedBySplash; }
  int SplitPosition() const { return splitPosition; }
  // The help page that context help shows for what is at a screen point.
  std::wstring HelpPageAt(POINT screenPoint) const;
  // Runs a command as its menu item, accelerator or button would.
  void Command(int id);

  // Machine files and the live machine. Each returns false, with a message
  // box and the view as it was, when the machine cannot be read or written.
  bool OpenMachineFile(const std::wstring& path);
  const RecentFiles& Recent() const { return *recentFiles; }
  // File > Recent Files.
  HMENU RecentFilesMenu() const;
  // WM_DROPFILES: opens the first file dropped on the window.
  void OnDropFiles(WPARAM drop);
  bool ViewLiveMachine();
  bool SaveMachineFile(const std::wstring& path);
  // Writes the whole machine as one HTML page; false when the file cannot be
  // written (none is left behind).
  bool ExportReport(const std::wstring& path);
  // Asks the user for a file to open (save false) or write; empty when
  // cancelled. Tests put an answer of their own in its place.
  std::function<std::wstring(bool save, const std::wstring& defaultName)> choosePath;

  // ProgressSink: each does nothing while no splash screen is up.
  void SetProgressText(const std::wstring& text) override;
  void SetProgressRange(int lower, int upper) override;
  void StepProgress() override;
  void RestartSplash() override;
  void CloseSplash() override;

 private:
  class MessageBoxPrompt;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateChildren();
  void CreateToolBar();
  void CreateStatusBar();
  void LayoutStatusBar();
  void Layout();
  void UpdateCaption();
  void SetMessageText(const std::wstring& text);
  std::wstring IdleText() const;
  // The status-bar part of a command's prompt, or its tooltip part.
  static std::wstring PromptOf(int id, bool tip);
  bool OnNotify(const NMHDR& header, LRESULT& result);
  void OnMenuSelect(WPARAM wParam, LPARAM lParam);
  void OnInitMenuPopup(HMENU menu);
  void OpenRecentFile(std::size_t index);
  // Puts a machine file read on view first in Recent Files.
  void RememberMachineFile(const std::string& utf8Path);
  void Rescan(bool showAll);
  // Reads the source and, when that worked, shows it; otherwise tells the
  // user and leaves all as it was.
  bool ShowMachine(const MachineSource& source);
  std::wstring ChoosePath(bool save, const std::wstring& defaultName);
  void ShowAbout();
  void PrintSetup();
  void NextPane();
  void ToggleBar(HWND bar);
  void BeginHelpMode();
  void EndHelpMode();
  void OnHelpClick(POINT screenPoint);
  void BeginKeyboardSplit();
  bool OnSplitKey(WPARAM key);
  // The split bar between the panes, in client coordinates.
  RECT SplitBar() const;

  FrameOptions options;
  std::unique_ptr<Prompt> ownPrompt;
  Prompt* userPrompt = nullptr;
  // The platform the frame opened itself; null while it asks the one it was given.
  std::unique_ptr<Platform> ownPlatform;
  Platform* viewedPlatform = nullptr;
  std::unique_ptr<Prompt> scanPrompt;
  std::unique_ptr<CQuelbrinDoc> document;
  std::unique_ptr<RecentFiles> recentFiles;
  HWND window = nullptr;
  HWND toolBar = nullptr;
  HWND statusBar = nullptr;
  HACCEL accelerators = nullptr;
  std::unique_ptr<CDiskTreeView> treeView;
  std::unique_ptr<Win32DetailPane> pane;
  bool paneIsDialog = false;
  std::unique_ptr<CSplashScreenThread> splash;
  int raisedBySplash = 0;
  int splitPosition = kTreeWidth;
  // Dragging the split bar: where the drag started and the bar then stood.
  bool dragging = false;
  int dragFrom = 0;
  int dragStartPosition = 0;
  // Moving the split bar with the keyboard: the position to go back to on Esc.
  int splitKeyboardFrom = -1;
  bool helpMode = false;
  // The pane window that had the focus when the frame was last deactivated.
  HWND focusBeforeDeactivation = nullptr;
  bool lockKeys[3] = {false, false, false};
  // The printer chosen in Print Setup, kept while the program runs.
  HGLOBAL printerMode = nullptr;
  HGLOBAL printerNames = nullptr;
  std::wstring tipText;
};

// Handles what is waiting in the thread's queue, through the frame's
// PreTranslateMessage, and its idle work once the queue is empty.
void PumpPendingMessages(CMainFrame& frame);
// The program's message loop; returns the code the loop ended with.
int RunMessageLoop(CMainFrame& frame);
