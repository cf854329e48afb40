// Two things GTK does that the toolkit leaves to it: scroll bars drawn only
// while the pointer is over them (overlay indicators), and accessible names,
// which it takes from a widget's own text only. The detail form needs scroll
// bars that show there is more, and a name for every field.
#pragma once

#include <wx/string.h>
#include <wx/window.h>

// The window's scroll bars stay drawn whenever there is something to scroll.
void UseClassicScrollBars(wxWindow* window);

// Screen readers name the window, and the part of it that takes the focus,
// by `name`.
void SetAccessibleName(wxWindow* window, const wxString& name);
