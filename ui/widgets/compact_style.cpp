#include "ui/widgets/compact_style.h"

#include <wx/settings.h>

wxFont FormFont() {
  // The form's dialog units assume a font about 6 pixels wide and 13 high.
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  font.SetPointSize(8);
  return font;
}

CompactEdit::CompactEdit(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxTextCtrl(parent, id, wxString(), pos, size, wxTE_READONLY | wxBORDER_SUNKEN) {
#ifdef __WXGTK3__
  GTKApplyCssStyle("* { min-height: 0; padding: 1px 3px; }");
#endif
}

CompactCheckBox::CompactCheckBox(wxWindow* parent, wxWindowID id, const wxString& text, const wxPoint& pos,
                                 const wxSize& size, bool textOnLeft)
    : wxCheckBox(parent, id, text, pos, size, textOnLeft ? wxALIGN_RIGHT : 0) {
#ifdef __WXGTK3__
  GTKApplyCssStyle("* { min-height: 0; padding: 0; } check { min-height: 12px; min-width: 12px; margin: 0 3px; }");
#endif
}
