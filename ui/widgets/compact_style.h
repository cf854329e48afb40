// The look of the detail form: its 8-point font, and edits and check boxes
// that take the heights of the form's dialog units. GTK's theme would make an
// entry over 30 pixels high, taller than the rows of the form; these controls
// ask it for less.
#pragma once

#include <wx/checkbox.h>
#include <wx/font.h>
#include <wx/textctrl.h>

wxFont FormFont();

class CompactEdit : public wxTextCtrl {
 public:
  CompactEdit(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
};

class CompactCheckBox : public wxCheckBox {
 public:
  CompactCheckBox(wxWindow* parent, wxWindowID id, const wxString& text, const wxPoint& pos, const wxSize& size,
                  bool textOnLeft);
};
