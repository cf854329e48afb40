// The program's own pictures: the application icon (a drive with the blue pie
// of the detail form) and the 16 by 15 toolbar images.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>
#include <wx/window.h>

wxBitmap AppIconBitmap(int size);
wxIconBundle AppIcons();

enum class ToolImage { Print, AllMountPoints, About, ContextHelp };
wxBitmap ToolbarBitmap(ToolImage image);

// A small window that shows the application icon, scaled to its size.
class AppIconWindow : public wxWindow {
 public:
  AppIconWindow(wxWindow* parent, const wxPoint& pos, const wxSize& size);
  bool Painted() const { return painted; }

 private:
  bool painted = false;
};
