#include "app/gui/about_dialog.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include "app/gui/art.h"
#include "ui/form_layout.h"
#include "ui/widgets/compact_style.h"

namespace {
wxPoint Du(int x, int y) { return {DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y)}; }
wxSize DuSize(int w, int h) { return {DialogUnitsToPixelsX(w), DialogUnitsToPixelsY(h)}; }
}  // namespace

CAboutDialog::CAboutDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "About ZAV Quelbrin V1.0", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  SetFont(FormFont());
  SetClientSize(DuSize(235, 103));
  new AppIconWindow(this, Du(11, 17), DuSize(21, 20));
  new wxStaticText(this, wxID_ANY, "Quelbrin Version 1.0", Du(40, 10), DuSize(119, 8), wxST_NO_AUTORESIZE);
  new wxStaticText(this, wxID_ANY,
                   "Shows the storage of one machine:\n"
                   "mount points and volumes, their\n"
                   "disk extents, the physical disks\n"
                   "with their partitions, and the\n"
                   "adapters and devices behind them.\n"
                   "It only reads; it never writes.",
                   Du(40, 25), DuSize(147, 60), wxST_NO_AUTORESIZE);
  auto* ok = new wxButton(this, wxID_OK, "OK", Du(178, 7), DuSize(50, 14));
  ok->SetDefault();
  SetEscapeId(wxID_OK);
  CentreOnParent();
}
