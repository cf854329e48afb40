#include "app/gui/splash_screen.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include "app/gui/art.h"
#include "ui/form_layout.h"
#include "ui/widgets/compact_style.h"

namespace {

constexpr int kGaugeSpan = 1000;
constexpr long kFirstPaintWaitMs = 2000;

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

// A bar drawn by the splash itself: the toolkit's own bar redraws its fill
// only on its next layout, which a scan on the main thread would not wait for.
class CQuelbrinSplashScreen::ProgressBarWindow : public wxWindow {
 public:
  ProgressBarWindow(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
      : wxWindow(parent, id, pos, size, wxBORDER_NONE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { Paint(); });
  }
  void SetFilled(int permille) {
    if (permille == filled) return;
    filled = permille;
    Refresh(false);
  }
  int Filled() const { return filled; }

 private:
  void Paint() {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.DrawRectangle(0, 0, size.x, size.y);
    const int inner = size.x - 4;
    const int width = static_cast<int>(static_cast<long long>(inner) * filled / kGaugeSpan);
    if (width <= 0) return;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
    dc.DrawRectangle(2, 2, width, size.y - 4);
  }

  int filled = 0;
};

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
  gauge = new ProgressBarWindow(this, 2204, Du(27, 101), DuSize(206, 14));

  Bind(wxEVT_CLOSE_WINDOW, &CQuelbrinSplashScreen::OnClose, this);
  Move(CentredOnPointer(GetSize()));

  bar.SetRange(0, 100);
  status->SetLabel("Initializing");
  gauge->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
    painted = true;
    event.Skip();
  });
  Show();
  Raise();
  // The display server shows a new window one round trip later, and until its
  // first paint it is black: the work that follows must not start before it.
  // Bounded, as a display that never answers must not stop the program.
  const wxStopWatch waiting;
  while (!painted && waiting.Time() < kFirstPaintWaitMs) {
    Repaint();
    if (!painted) wxMilliSleep(1);
  }
  Repaint();
}

void CQuelbrinSplashScreen::SetStatusText(const wxString& text) {
  status->SetLabel(text);
  steps = 0;
  Repaint();
}

void CQuelbrinSplashScreen::SetProgressBarRange(int lower, int upper) {
  bar.SetRange(lower, upper);
  steps = 0;
  Repaint();
}

void CQuelbrinSplashScreen::StepProgressBar() {
  bar.Step();
  // A large machine takes a step per item, thousands a second. Only a step
  // that moves the fill has anything to show; and once a run of steps is
  // long, showing each (which has the toolkit draw the whole window) would
  // cost far more than the steps themselves, so the bar then follows them
  // some fifty times a second.
  if (bar.Filled(kGaugeSpan) == gauge->Filled()) return;
  constexpr int kStepsShownEach = 200;
  const auto now = std::chrono::steady_clock::now();
  if (++steps > kStepsShownEach && now - shown < std::chrono::milliseconds(20)) return;
  shown = now;
  Repaint();
}

wxString CQuelbrinSplashScreen::StatusText() const { return status->GetLabel(); }
int CQuelbrinSplashScreen::GaugeValue() const { return gauge->Filled(); }

void CQuelbrinSplashScreen::Repaint() {
  gauge->SetFilled(bar.Filled(kGaugeSpan));
  Update();
  PaintPendingWindows();
}

void CQuelbrinSplashScreen::OnClose(wxCloseEvent&) {
  if (onClosedByUser) onClosedByUser();
  Destroy();
}
