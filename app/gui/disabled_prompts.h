// DisabledPrompts: the status prompt of a disabled command under the pointer.
// The frame shows a command's prompt when the toolkit reports the pointer on
// its menu item or tool; GTK reports that for enabled ones only. This watches
// where the pointer is over the toolbar, and while a menu is open, and gives
// a disabled command's prompt the same way.
#pragma once

#include <wx/event.h>
#include <wx/timer.h>

class wxFrame;
class wxMenu;
class wxToolBar;

class DisabledPrompts : public wxEvtHandler {
 public:
  DisabledPrompts(wxFrame& frame, wxToolBar& toolBar);
  ~DisabledPrompts() override;

  // The prompt for whatever disabled command is at this point of the screen;
  // what the frame showed before comes back once the pointer leaves it.
  void PointerAt(const wxPoint& screen);

 private:
  void OnMenuOpen(wxMenuEvent& event);
  void OnMenuClose(wxMenuEvent& event);
  void OnToolBarMotion(wxMouseEvent& event);
  void OnToolBarLeave(wxMouseEvent& event);
  void OnTimer(wxTimerEvent& event);
  // The help text of the disabled command at that point, or empty.
  wxString DisabledHelpAt(const wxPoint& screen) const;

  wxFrame& frame;
  wxToolBar& toolBar;
  wxMenu* openMenu = nullptr;
  wxTimer watch;
  // What this showed last; empty while it shows nothing.
  wxString shown;
};
