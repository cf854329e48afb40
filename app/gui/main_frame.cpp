#include "app/gui/main_frame.h"

#include <cstdio>

#include <wx/accel.h>
#include <wx/cshelp.h>
#include <wx/filedlg.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/html/helpctrl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/printdlg.h>
#include <wx/prntbase.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/stdpaths.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "app/gui/about_dialog.h"
#include "app/gui/change_listener.h"
#include "app/gui/art.h"
#include "app/gui/disabled_prompts.h"
#include "app/gui/help_book.h"
#include "app/gui/machine_files.h"
#include "app/common/report_heading.h"
#include "app/common/viewer_prompts.h"
#include "app/gui/splash_screen.h"
#include "platform/whole_file.h"
#include "platform/wide_text.h"
#include "ui/form_layout.h"
#include "ui/text/html_report.h"
#include "ui/widgets/detailed_view.h"
#include "ui/widgets/disk_tree_view.h"
#include "ui/widgets/panel_printout.h"

namespace {

constexpr int kTreeWidth = 125;
constexpr const char* kIdleStatus = "For Help, press F1";
constexpr const char* kContextHelpPrompt = "Select an object on which to get Help";
constexpr const char* kHelpFailed = "Failed to launch help.";

// Command prompts: the status bar text, then the tooltip.
struct Prompts {
  int id;
  const char* status;
  const char* tip;
};
constexpr Prompts kPrompts[] = {
    {ID_REFRESH, "Refresh the Display", "Refresh"},
    {ID_VIEW_ALL_MOUNT_POINTS, "View All Mount Points", "View All"},
    {ID_FILE_PRINT, "Print the active document", "Print"},
    {ID_FILE_PRINT_PREVIEW, "Display full pages", "Print Preview"},
    {ID_FILE_PRINT_SETUP, "Change the printer and printing options", "Print Setup"},
    {ID_FILE_EXPORT_REPORT, "Write the whole machine as one HTML page", "Export Report"},
    {ID_FILE_OPEN_MACHINE, "View the machine a machine file describes", "Open Machine File"},
    {ID_FILE_SAVE_MACHINE, "Write the machine on view as a machine file", "Save Machine File"},
    {ID_FILE_LIVE_MACHINE, "View the machine this runs on", "Live Machine"},
    {ID_VIEW_AUTO_REFRESH, "Refresh the display when a disk, partition or mount comes or goes", "Auto Refresh"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents", "Exit"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar", "Toggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar", "Toggle StatusBar"},
    {ID_WINDOW_SPLIT, "Split the active window into panes", "Split"},
    {ID_HELP_FINDER, "List Help topics", "Help Topics"},
    {ID_APP_ABOUT, "Display program information, version number and copyright", "About"},
    {ID_CONTEXT_HELP, "Display help for clicked on buttons, menus and windows", "Help"},
    {ID_HELP, "Display help for current task or command", "Help"},
    {ID_NEXT_PANE, "Switch to the next window pane", "Next Pane"},
    {ID_PREV_PANE, "Switch back to the previous window pane", "Previous Pane"},
};

const Prompts& PromptOf(int id) {
  for (const Prompts& p : kPrompts)
    if (p.id == id) return p;
  static const Prompts none{0, "", ""};
  return none;
}

// The help page of the panel with this group box.
const char* PanelPage(ControlId groupBoxId) {
  const PanelInfo* panel = PanelOfControl(groupBoxId);
  return panel != nullptr ? panel->helpPage : "index.html";
}

bool IsWithin(wxWindow* window, wxWindow* ancestor) {
  for (wxWindow* w = window; w != nullptr; w = w->GetParent())
    if (w == ancestor) return true;
  return false;
}

}  // namespace

// Message boxes of the scan: modal, with the program's name as caption, over
// the splash while one is up. The toolkit brings a box's owner to the front,
// and without a window manager nothing else keeps the splash above the frame.
class CMainFrame::MessageBoxPrompt : public WindowPrompt {
 public:
  explicit MessageBoxPrompt(CMainFrame& frame) : frame_(frame) {}
  void ShowMessageBox(const std::wstring& text) override {
    wxWindow* owner = frame_.splash != nullptr ? static_cast<wxWindow*>(frame_.splash) : &frame_;
    wxMessageBox(wxString(text), "Quelbrin", wxOK | wxICON_EXCLAMATION, owner);
  }

 private:
  CMainFrame& frame_;
};

CMainFrame::CMainFrame(Platform& platform, Prompt* prompt, FrameOptions frameOptions)
    : wxFrame(nullptr, wxID_ANY, "Quelbrin", wxDefaultPosition, wxSize(960, 720)), options(std::move(frameOptions)) {
  if (prompt == nullptr) {
    ownPrompt = std::make_unique<MessageBoxPrompt>(*this);
    prompt = ownPrompt.get();
  }
  userPrompt = prompt;
  viewedPlatform = &platform;
  scanPrompt = std::make_unique<ScanPrompt>(*prompt, [this] { CloseSplash(); });
  document = std::make_unique<CQuelbrinDoc>(platform, *scanPrompt, this);
  document->SetShowAllMountPoints(options.showAllMountPoints);
  SetIcons(AppIcons());
  // Margins in millimetres, so that nothing is printed at the paper's edge.
  pageSetup.SetMarginTopLeft(wxPoint(15, 15));
  pageSetup.SetMarginBottomRight(wxPoint(15, 15));
  // The splash comes up first and follows everything below.
  StartSplash();

  LoadMachineSettings();
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  disabledPrompts = std::make_unique<DisabledPrompts>(*this, *toolBar);

  // As large as the frame holds from the start: GTK cannot lay out the panes'
  // scroll bars in the few pixels a default size gives them.
  splitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, GetClientSize(), wxSP_3D | wxSP_LIVE_UPDATE);
  splitter->SetMinimumPaneSize(20);
  treeView = new CDiskTreeView(splitter, *document, this);
  detailedView = new CDetailedView(splitter, *document, this);
  splitter->SplitVertically(treeView, detailedView, kTreeWidth);
  // The tree keeps its width when the frame grows.
  splitter->SetSashGravity(0.0);

  const wxAcceleratorEntry keys[] = {
      {wxACCEL_SHIFT, WXK_F1, ID_CONTEXT_HELP}, {wxACCEL_CTRL, 'P', ID_FILE_PRINT},
      {wxACCEL_NORMAL, WXK_F1, ID_HELP},       {wxACCEL_NORMAL, WXK_F6, ID_NEXT_PANE},
      {wxACCEL_SHIFT, WXK_F6, ID_PREV_PANE},   {wxACCEL_CTRL, 'O', ID_FILE_OPEN_MACHINE},
      {wxACCEL_CTRL, 'S', ID_FILE_SAVE_MACHINE},
  };
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));

  Bind(wxEVT_MENU, &CMainFrame::OnRefresh, this, ID_REFRESH);
  Bind(wxEVT_MENU, &CMainFrame::OnViewAllMountPoints, this, ID_VIEW_ALL_MOUNT_POINTS);
  Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateViewAllMountPoints, this, ID_VIEW_ALL_MOUNT_POINTS);
  Bind(wxEVT_MENU, &CMainFrame::OnPrint, this, ID_FILE_PRINT);
  Bind(wxEVT_MENU, &CMainFrame::OnPrintPreview, this, ID_FILE_PRINT_PREVIEW);
  Bind(wxEVT_MENU, &CMainFrame::OnPrintSetup, this, ID_FILE_PRINT_SETUP);
  Bind(wxEVT_MENU, &CMainFrame::OnExportReport, this, ID_FILE_EXPORT_REPORT);
  Bind(wxEVT_MENU, &CMainFrame::OnExit, this, ID_APP_EXIT);
  Bind(wxEVT_MENU, &CMainFrame::OnAbout, this, ID_APP_ABOUT);
  Bind(wxEVT_MENU, &CMainFrame::OnViewToolBar, this, ID_VIEW_TOOLBAR);
  Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Check(toolBar != nullptr && toolBar->IsShown()); },
       ID_VIEW_TOOLBAR);
  Bind(wxEVT_MENU, &CMainFrame::OnViewStatusBar, this, ID_VIEW_STATUS_BAR);
  Bind(wxEVT_UPDATE_UI,
       [this](wxUpdateUIEvent& e) { e.Check(GetStatusBar() != nullptr && GetStatusBar()->IsShown()); },
       ID_VIEW_STATUS_BAR);
  Bind(wxEVT_MENU, &CMainFrame::OnSplit, this, ID_WINDOW_SPLIT);
  Bind(wxEVT_MENU, &CMainFrame::OnNextPane, this, ID_NEXT_PANE);
  Bind(wxEVT_MENU, &CMainFrame::OnNextPane, this, ID_PREV_PANE);
  Bind(wxEVT_MENU, &CMainFrame::OnHelpCommand, this, ID_HELP);
  Bind(wxEVT_MENU, &CMainFrame::OnHelpFinder, this, ID_HELP_FINDER);
  Bind(wxEVT_MENU, &CMainFrame::OnContextHelp, this, ID_CONTEXT_HELP);
  Bind(wxEVT_HELP, &CMainFrame::OnHelpEvent, this);
  Bind(wxEVT_CHAR_HOOK, &CMainFrame::OnCharHook, this);
  Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
  BindMachineCommands();
}

CMainFrame::~CMainFrame() {
  // The watching thread goes first: it queues events to this window.
  changes.reset();
  // The views, destroyed after the document by the toolkit, end their
  // subscriptions themselves and touch nothing of it.
  if (splash != nullptr) splash->onClosedByUser = nullptr;
}

void CMainFrame::BuildMenus() {
  auto item = [](wxMenu* menu, int id, const wxString& text, wxItemKind kind = wxITEM_NORMAL) {
    menu->Append(id, text, PromptOf(id).status, kind);
  };
  auto* file = new wxMenu;
  item(file, ID_REFRESH, "&Refresh");
  file->AppendSeparator();
  item(file, ID_FILE_OPEN_MACHINE, "&Open Machine File...\tCtrl+O");
  auto* recent = new wxMenu;
  file->AppendSubMenu(recent, "Recent &Files", "Open a machine file opened before");
  RecentFiles().UseMenu(recent);
  RecentFiles().AddFilesToMenu(recent);
  item(file, ID_FILE_SAVE_MACHINE, "&Save Machine File...\tCtrl+S");
  item(file, ID_FILE_LIVE_MACHINE, "&Live Machine");
  file->AppendSeparator();
  item(file, ID_FILE_PRINT, "&Print...\tCtrl+P");
  item(file, ID_FILE_PRINT_PREVIEW, "Print Pre&view");
  item(file, ID_FILE_PRINT_SETUP, "P&rint Setup...");
  item(file, ID_FILE_EXPORT_REPORT, "&Export Report...");
  file->AppendSeparator();
  item(file, ID_APP_EXIT, "E&xit");
  auto* view = new wxMenu;
  item(view, ID_VIEW_TOOLBAR, "&Toolbar", wxITEM_CHECK);
  item(view, ID_VIEW_STATUS_BAR, "&Status Bar", wxITEM_CHECK);
  item(view, ID_WINDOW_SPLIT, "S&plit");
  view->AppendSeparator();
  item(view, ID_VIEW_ALL_MOUNT_POINTS, "&All Mount Points", wxITEM_CHECK);
  item(view, ID_VIEW_AUTO_REFRESH, "Auto &Refresh", wxITEM_CHECK);
  auto* helpMenu = new wxMenu;
  item(helpMenu, ID_HELP_FINDER, "&Help Topics");
  helpMenu->AppendSeparator();
  item(helpMenu, ID_APP_ABOUT, "&About Quelbrin...");
  auto* bar = new wxMenuBar;
  bar->Append(file, "&File");
  bar->Append(view, "&View");
  bar->Append(helpMenu, "&Help");
  SetMenuBar(bar);
}

void CMainFrame::BuildToolBar() {
  toolBar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxTB_TOP);
  toolBar->SetToolBitmapSize(wxSize(16, 15));
  auto tool = [this](int id, ToolImage image, wxItemKind kind = wxITEM_NORMAL) {
    const Prompts& p = PromptOf(id);
    toolBar->AddTool(id, p.tip, ToolbarBitmap(image), p.tip, kind);
    toolBar->SetToolLongHelp(id, p.status);
  };
  tool(ID_FILE_PRINT, ToolImage::Print);
  toolBar->AddSeparator();
  tool(ID_VIEW_ALL_MOUNT_POINTS, ToolImage::AllMountPoints, wxITEM_CHECK);
  toolBar->AddSeparator();
  tool(ID_APP_ABOUT, ToolImage::About);
  tool(ID_CONTEXT_HELP, ToolImage::ContextHelp);
  toolBar->Realize();
}

void CMainFrame::BuildStatusBar() {
  wxStatusBar* bar = CreateStatusBar(4);
  const int widths[] = {-1, 44, 44, 44};
  bar->SetStatusWidths(4, widths);
  SetStatusText(IdleStatus(), 0);
}

wxString CMainFrame::IdleStatus() const {
  return options.statusNote.empty() ? wxString(kIdleStatus) : wxString::FromUTF8(options.statusNote);
}

void CMainFrame::StartSplash() {
  splash = new CQuelbrinSplashScreen(this);
  // Closed by the user between scans: forget it, as after CloseSplash.
  splash->onClosedByUser = [this] { splash = nullptr; };
}

void CMainFrame::InitialUpdate() {
  treeView->OnInitialUpdate();
  detailedView->OnInitialUpdate();
  UpdateCaption();
  if (options.readsSource && options.source.machineFile)
    RecentFiles().AddFileToHistory(wxString::FromUTF8(*options.source.machineFile));
  UpdateWatching();
  Show();
}

void CMainFrame::UpdateCaption() {
  SetTitle(ViewedMachineName(options.source) + " - Quelbrin");
}

void CMainFrame::SetProgressText(const std::wstring& text) {
  if (splash != nullptr) splash->SetStatusText(wxString(text));
}

void CMainFrame::SetProgressRange(int lower, int upper) {
  if (splash != nullptr) splash->SetProgressBarRange(lower, upper);
}

void CMainFrame::StepProgress() {
  if (splash != nullptr) splash->StepProgressBar();
}

void CMainFrame::RestartSplash() {
  // A splash left up by a failed scan serves the next one too.
  if (splash != nullptr || quietRefresh) return;
  StartSplash();
}

void CMainFrame::CloseSplash() {
  if (splash == nullptr) return;
  splash->onClosedByUser = nullptr;
  splash->Destroy();
  splash = nullptr;
  ++raisedBySplash;
  Raise();
}

void CMainFrame::OnRefresh(wxCommandEvent&) {
  wxBusyCursor wait;
  RefreshKeepingView();
}

void CMainFrame::OnViewAllMountPoints(wxCommandEvent&) {
  wxBusyCursor wait;
  document->Refresh(!document->GetShowAllMountPoints());
  UpdateCaption();
}

void CMainFrame::OnUpdateViewAllMountPoints(wxUpdateUIEvent& event) { event.Check(document->GetShowAllMountPoints()); }

std::unique_ptr<CPanelPrintout> CMainFrame::CreatePanelPrintout() {
  return std::make_unique<CPanelPrintout>(detailedView->Form(), MachineName(options.source), ReportTime(), pageSetup);
}

void CMainFrame::OnPrint(wxCommandEvent&) {
  wxPrintDialogData data(pageSetup.GetPrintData());
  wxPrinter printer(&data);
  const std::unique_ptr<CPanelPrintout> printout = CreatePanelPrintout();
  if (printer.Print(this, printout.get(), true))
    pageSetup.SetPrintData(printer.GetPrintDialogData().GetPrintData());
  else if (wxPrinter::GetLastError() == wxPRINTER_ERROR)
    wxMessageBox("The panel could not be printed.", "Quelbrin", wxOK | wxICON_EXCLAMATION, this);
}

void CMainFrame::OnPrintPreview(wxCommandEvent&) {
  wxPrintDialogData data(pageSetup.GetPrintData());
  // One printout for the preview, one for printing from it.
  auto* preview = new wxPrintPreview(CreatePanelPrintout().release(), CreatePanelPrintout().release(), &data);
  if (!preview->IsOk()) {
    delete preview;
    wxMessageBox("There is no printer to preview the panel for.", "Quelbrin", wxOK | wxICON_EXCLAMATION, this);
    return;
  }
  auto* window = new wxPreviewFrame(preview, this, "Print Preview", wxDefaultPosition, wxSize(800, 900));
  window->Initialize();
  window->Show();
}

void CMainFrame::OnPrintSetup(wxCommandEvent&) {
  // Paper and margins for the prints and previews that follow.
  wxPageSetupDialog dialog(this, &pageSetup);
  if (dialog.ShowModal() == wxID_OK) pageSetup = dialog.GetPageSetupDialogData();
}

wxString CMainFrame::DefaultReportName() const {
  const wxFileName name(wxString(MachineName(options.source)));
  return name.GetName() + ".html";
}

bool CMainFrame::ExportReport(const wxString& path) {
  std::string reason;
  return WriteWholeFile(PathFromUtf8(path.utf8_string()),
                        [this](std::ostream& out) {
                          WriteHtmlReport(*document, MakeReportHeading(options.source, options.description,
                                                                       document->GetShowAllMountPoints()),
                                          out);
                        },
                        reason) == WholeFile::Written;
}

void CMainFrame::OnExportReport(wxCommandEvent&) {
  wxFileDialog dialog(this, "Export Report", wxEmptyString, DefaultReportName(), "HTML pages (*.html)|*.html",
                      wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  if (dialog.ShowModal() != wxID_OK) return;
  wxBusyCursor wait;
  if (!ExportReport(dialog.GetPath()))
    wxMessageBox("The report could not be written to " + dialog.GetPath() + ".", "Quelbrin", wxOK | wxICON_EXCLAMATION,
                 this);
}

void CMainFrame::OnAbout(wxCommandEvent&) {
  CAboutDialog about(this);
  about.ShowModal();
}

void CMainFrame::OnExit(wxCommandEvent&) { Close(); }

void CMainFrame::OnViewToolBar(wxCommandEvent&) {
  toolBar->Show(!toolBar->IsShown());
  SendSizeEvent();
}

void CMainFrame::OnViewStatusBar(wxCommandEvent&) {
  GetStatusBar()->Show(!GetStatusBar()->IsShown());
  SendSizeEvent();
}

void CMainFrame::OnSplit(wxCommandEvent&) {
  // The split bar follows the arrow keys until Enter keeps or Esc undoes it.
  splitKeyboardFrom = splitter->GetSashPosition();
  SetStatusText("Move the split bar with the arrow keys; Enter keeps it, Esc puts it back", 0);
  splitter->SetFocus();
}

void CMainFrame::OnCharHook(wxKeyEvent& event) {
  if (splitKeyboardFrom < 0) {
    event.Skip();
    return;
  }
  const int step = event.ControlDown() ? 1 : 8;
  switch (event.GetKeyCode()) {
    case WXK_LEFT:
      splitter->SetSashPosition(splitter->GetSashPosition() - step);
      return;
    case WXK_RIGHT:
      splitter->SetSashPosition(splitter->GetSashPosition() + step);
      return;
    case WXK_ESCAPE:
      splitter->SetSashPosition(splitKeyboardFrom);
      [[fallthrough]];
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      splitKeyboardFrom = -1;
      SetStatusText(IdleStatus(), 0);
      return;
    default:
      return;
  }
}

void CMainFrame::OnNextPane(wxCommandEvent&) {
  // Two panes: next and previous are the same move.
  wxWindow* focus = wxWindow::FindFocus();
  if (IsWithin(focus, treeView))
    detailedView->SetFocus();
  else
    treeView->SetFocus();
}

wxHtmlHelpController* CMainFrame::Help() {
  if (!help) help = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE, this);
  if (!helpLoaded) {
    wxString book = wxString::FromUTF8(options.helpBook);
    if (book.empty()) book = DefaultHelpBook();
    helpLoaded = wxFileName::FileExists(book) && help->AddBook(wxFileName(book), false);
  }
  return helpLoaded ? help.get() : nullptr;
}

void CMainFrame::OnHelpCommand(wxCommandEvent&) {
  // The program's own help call reports nothing when the book is missing.
  if (wxHtmlHelpController* h = Help()) h->DisplayContents();
}

void CMainFrame::OnHelpFinder(wxCommandEvent&) {
  if (wxHtmlHelpController* h = Help())
    h->DisplayContents();
  else
    wxMessageBox(kHelpFailed, "Quelbrin", wxOK | wxICON_EXCLAMATION, this);
}

void CMainFrame::OnContextHelp(wxCommandEvent&) {
  SetStatusText(kContextHelpPrompt, 0);
  // Waits for a click; the clicked window then receives a help event.
  wxContextHelp contextHelp(this, true);
  SetStatusText(IdleStatus(), 0);
}

wxString CMainFrame::HelpPageFor(wxWindow* window) {
  for (wxWindow* w = window; w != nullptr; w = w->GetParent()) {
    if (dynamic_cast<CDiskTreeView*>(w) != nullptr) return "tree.html";
    if (auto* view = dynamic_cast<CDetailedView*>(w)) return PanelPage(view->Form().PanelOnDisplay());
    if (dynamic_cast<wxToolBar*>(w) != nullptr || dynamic_cast<wxStatusBar*>(w) != nullptr) return "commands.html";
  }
  return "index.html";
}

void CMainFrame::OnHelpEvent(wxHelpEvent& event) {
  wxHtmlHelpController* h = Help();
  if (h == nullptr) {
    wxMessageBox(kHelpFailed, "Quelbrin", wxOK | wxICON_EXCLAMATION, this);
    return;
  }
  h->Display(HelpPageFor(dynamic_cast<wxWindow*>(event.GetEventObject())));
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
  event.Skip();
  wxStatusBar* bar = GetStatusBar();
  if (bar == nullptr) return;
  static const wxKeyCode keys[3] = {WXK_CAPITAL, WXK_NUMLOCK, WXK_SCROLL};
  static const char* const names[3] = {"CAP", "NUM", "SCRL"};
  for (int i = 0; i < 3; ++i) {
    const bool on = wxGetKeyState(keys[i]);
    if (on == lockKeys[i] && !bar->GetStatusText(i + 1).empty() == on) continue;
    lockKeys[i] = on;
    bar->SetStatusText(on ? names[i] : "", i + 1);
  }
}
