#include "app/gui/disabled_prompts.h"

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include "ui/widgets/gtk_native.h"

namespace {

// How often the pointer is looked for while a menu is open: no event tells
// where it is over a disabled item.
constexpr int kMenuWatchMs = 50;

}  // namespace

DisabledPrompts::DisabledPrompts(wxFrame& f, wxToolBar& bar) : frame(f), toolBar(bar), watch(this) {
  frame.Bind(wxEVT_MENU_OPEN, &DisabledPrompts::OnMenuOpen, this);
  frame.Bind(wxEVT_MENU_CLOSE, &DisabledPrompts::OnMenuClose, this);
  toolBar.Bind(wxEVT_MOTION, &DisabledPrompts::OnToolBarMotion, this);
  toolBar.Bind(wxEVT_LEAVE_WINDOW, &DisabledPrompts::OnToolBarLeave, this);
  Bind(wxEVT_TIMER, &DisabledPrompts::OnTimer, this);
}

DisabledPrompts::~DisabledPrompts() {
  watch.Stop();
  frame.Unbind(wxEVT_MENU_OPEN, &DisabledPrompts::OnMenuOpen, this);
  frame.Unbind(wxEVT_MENU_CLOSE, &DisabledPrompts::OnMenuClose, this);
  toolBar.Unbind(wxEVT_MOTION, &DisabledPrompts::OnToolBarMotion, this);
  toolBar.Unbind(wxEVT_LEAVE_WINDOW, &DisabledPrompts::OnToolBarLeave, this);
}

wxString DisabledPrompts::DisabledHelpAt(const wxPoint& screen) const {
  if (openMenu != nullptr) {
    for (wxMenuItem* item : openMenu->GetMenuItems())
      if (!item->IsSeparator() && !item->IsEnabled() && MenuItemScreenRect(item).Contains(screen))
        return item->GetHelp();
  }
  for (int pos = 0; pos < static_cast<int>(toolBar.GetToolsCount()); ++pos) {
    const wxToolBarToolBase* tool = toolBar.GetToolByPos(pos);
    if (tool->IsSeparator() || tool->IsEnabled()) continue;
    if (ToolScreenRect(&toolBar, pos).Contains(screen)) return tool->GetLongHelp();
  }
  return {};
}

void DisabledPrompts::PointerAt(const wxPoint& screen) {
  const wxString help = DisabledHelpAt(screen);
  if (help == shown) return;
  // The frame keeps what the status bar said before the first prompt and
  // puts it back when prompts end, as it does for enabled commands.
  // Leaving a disabled command, the prompt goes unless the frame has shown
  // another one meanwhile.
  wxStatusBar* bar = frame.GetStatusBar();
  if (!help.empty())
    frame.DoGiveHelp(help, true);
  else if (bar != nullptr && bar->GetStatusText(frame.GetStatusBarPane()) == shown)
    frame.DoGiveHelp(wxString(), openMenu != nullptr);
  shown = help;
}

void DisabledPrompts::OnMenuOpen(wxMenuEvent& event) {
  event.Skip();
  openMenu = event.GetMenu();
  watch.Start(kMenuWatchMs);
}

void DisabledPrompts::OnMenuClose(wxMenuEvent& event) {
  event.Skip();
  openMenu = nullptr;
  watch.Stop();
  shown.clear();
}

void DisabledPrompts::OnTimer(wxTimerEvent&) {
  if (openMenu != nullptr) PointerAt(wxGetMousePosition());
}

void DisabledPrompts::OnToolBarMotion(wxMouseEvent& event) {
  event.Skip();
  PointerAt(toolBar.ClientToScreen(event.GetPosition()));
}

void DisabledPrompts::OnToolBarLeave(wxMouseEvent& event) {
  event.Skip();
  if (!shown.empty()) PointerAt(wxPoint(-1, -1));
}
