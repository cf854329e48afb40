#include "app/gui/splash_screen.h"

#include <algorithm>

#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "app/gui/art.h"
#include "ui/form_layout.h"
#include "ui/widgets/compact_style.h"

namespace {

constexpr int kGaugeSpan = 1000;

wxPoint Du(int x, int y) { return {DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y)}; }
wxSize DuSize(int w, int h) { return {DialogUnitsToPixelsX(w), DialogUnitsToPixelsY(h)}; }

// Centred on the mouse pointer, but whole on the display it is on.
wxPoint CentredOnPointer(const wxSize& size) {
  const wxPoint mouse = wxGetMousePosition();
  int display = wxDisplay::GetFromPoint(mouse);
  if (display == wxNOT_FOUND) display = 0;
  const wxRect area = wxDisplay(static_cast<unsigned>(display)).GetClientArea();
  wxPoint at(mouse.x - size.x / 2, mouse.y - size.y / 2);
  at.x = std::max(area.x, std::min(at.x, area.GetRight() - size.x));
  at.y = std::max(area.y, std::min(at.y, area.GetBottom() - size.y));
  return at;
}

}  // namespace

void PaintPendingWindows() {
  // Before the main loop runs (the first scan) there is no active loop yet.
  wxEventLoopGuarantor ensureLoop;
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
}

CQuelbrinSplashScreen::CQuelbrinSplashScreen(wxWindow* owner)
    : wxDialog(owner, wxID_ANY, "Quelbrin 1.0", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  SetFont(FormFont());
  SetIcons(AppIcons());
  SetClientSize(DuSize(259, 145));

  new AppIconWindow(this, Du(16, 16), DuSize(21, 20));
  auto* name = new wxStaticText(this, wxID_ANY, "Quelbrin 1.0", Du(59, 14), DuSize(143, 8), wxST_NO_AUTORESIZE);
  name->SetFont(name->GetFont().Bold());
  new wxStaticText(this, wxID_ANY,
                   "Reading the storage of this machine:\n"
                   "mount points and volumes, the disks\n"
                   "and partitions behind them, and the\n"
                   "adapters the disks hang on.\n"
                   "Nothing is written anywhere.",
                   Du(59, 30), DuSize(186, 56), wxST_NO_AUTORESIZE);
  status = new wxStaticText(this, 2205, wxString(), Du(16, 89), DuSize(222, 8), wxST_NO_AUTORESIZE);
  gauge = new wxGauge(this, 2204, kGaugeSpan, Du(27, 101), DuSize(206, 14), wxGA_HORIZONTAL | wxGA_SMOOTH);

  Bind(wxEVT_CLOSE_WINDOW, &CQuelbrinSplashScreen::OnClose, this);
  Move(CentredOnPointer(GetSize()));

  bar.SetRange(0, 100);
  status->SetLabel("Initializing");
  Show();
  Raise();
  Repaint();
}

void CQuelbrinSplashScreen::SetStatusText(const wxString& text) {
  status->SetLabel(text);
  Repaint();
}

void CQuelbrinSplashScreen::SetProgressBarRange(int lower, int upper) {
  bar.SetRange(lower, upper);
  Repaint();
}

void CQuelbrinSplashScreen::StepProgressBar() {
  bar.Step();
  Repaint();
}

wxString CQuelbrinSplashScreen::StatusText() const { return status->GetLabel(); }
int CQuelbrinSplashScreen::GaugeValue() const { return gauge->GetValue(); }

void CQuelbrinSplashScreen::Repaint() {
  const int filled = bar.Filled(kGaugeSpan);
  if (gauge->GetValue() != filled) gauge->SetValue(filled);
  Update();
  PaintPendingWindows();
}

void CQuelbrinSplashScreen::OnClose(wxCloseEvent&) {
  if (onClosedByUser) onClosedByUser();
  Destroy();
}
