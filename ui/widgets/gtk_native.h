// What the toolkit leaves to GTK and the program needs otherwise: scroll bars
// drawn only while the pointer is over them (overlay indicators), accessible
// names taken from a widget's own text only, and no word of where a disabled
// menu item or tool stands, as the pointer over it is reported to nobody.
#pragma once

#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/window.h>

class wxMenuItem;
class wxToolBar;

// The window's scroll bars stay drawn whenever there is something to scroll.
void UseClassicScrollBars(wxWindow* window);

// Screen readers name the window, and the part of it that takes the focus,
// by `name`.
void SetAccessibleName(wxWindow* window, const wxString& name);

// Where a tool of the bar (by position, separators counted) or a menu item
// stands on the screen; empty while it is not shown.
wxRect ToolScreenRect(wxToolBar* bar, int position);
wxRect MenuItemScreenRect(wxMenuItem* item);
