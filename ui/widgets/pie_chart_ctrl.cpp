#include "ui/widgets/pie_chart_ctrl.h"

#include <type_traits>

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/settings.h>

#include "ui/widgets/gtk_native.h"

namespace {

wxColour ToColour(ColorRef c) { return wxColour(RedOf(c), GreenOf(c), BlueOf(c)); }

wxColour Resolve(const PaintColour& c) {
  switch (c.system) {
    case PaintColour::System::ButtonFace:
      return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    case PaintColour::System::WindowText:
      return wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
    case PaintColour::System::None:
      break;
  }
  return ToColour(c.rgb);
}

wxRect ToRect(const PixelRect& r) { return wxRect(r.left, r.top, r.Width(), r.Height()); }

// A two-pixel sunken edge: shadow above and left, light below and right.
void DrawSunkenEdge(wxDC& dc, const PixelRect& r) {
  const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
  const wxColour dark = wxSystemSettings::GetColour(wxSYS_COLOUR_3DDKSHADOW);
  const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_3DLIGHT);
  auto frame = [&dc](int l, int t, int rr, int b, const wxColour& topLeft, const wxColour& bottomRight) {
    dc.SetPen(wxPen(topLeft));
    dc.DrawLine(l, b - 1, l, t);
    dc.DrawLine(l, t, rr, t);
    dc.SetPen(wxPen(bottomRight));
    dc.DrawLine(rr - 1, t + 1, rr - 1, b - 1);
    dc.DrawLine(l, b - 1, rr, b - 1);
  };
  frame(r.left, r.top, r.right, r.bottom, shadow, highlight);
  frame(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, dark, light);
}

}  // namespace

CPieChartCtrl::CPieChartCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) : chart(this) {
  // Every paint covers the whole client area: no background erase, no flicker.
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Create(parent, id, pos, size, wxFULL_REPAINT_ON_RESIZE | wxBORDER_NONE, "PIE_CHART_CTRL");
  titleFont = CellHeightFont(FontCellHeight(PieFont::Title));
  labelFont = CellHeightFont(FontCellHeight(PieFont::Label));
  SetBackgroundColour(wxColour(192, 192, 192));
  SetCursor(wxCursor(wxCURSOR_CROSS));
  chart.OnSize(size.x, size.y);
  Bind(wxEVT_PAINT, &CPieChartCtrl::OnPaint, this);
  Bind(wxEVT_SIZE, &CPieChartCtrl::OnSize, this);
  Bind(wxEVT_LEFT_DOWN, &CPieChartCtrl::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CPieChartCtrl::OnLeftUp, this);
  Bind(wxEVT_MOTION, &CPieChartCtrl::OnMotion, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CPieChartCtrl::OnCaptureLost, this);
}

wxFont CPieChartCtrl::CellHeightFont(int cellHeight) {
  // The heights are character cells, as the platform's font mapper takes a
  // positive height: the text's measured height, line gap included. Sizes
  // are tried from an em as tall as the cell downwards, a quarter point apart.
  constexpr double kStep = 0.25;
  double points = cellHeight * 72.0 / GetDPI().y;
  wxFont font;
  for (; points > kStep; points -= kStep) {
    font = wxFont(wxFontInfo(points).FaceName("Arial").Family(wxFONTFAMILY_SWISS));
    int h = 0;
    GetTextExtent("Ag", nullptr, &h, nullptr, nullptr, &font);
    if (h <= cellHeight) break;
  }
  return font;
}

void CPieChartCtrl::SetTitle(const std::wstring& text) {
  chart.SetTitle(text);
  SetAccessibleName(this, wxString(text));
}

void CPieChartCtrl::Show(const PieChartContent& content) {
  chart.Show(content);
  SetAccessibleName(this, wxString(content.title));
}

PixelSize CPieChartCtrl::MeasureText(PieFont font, const std::wstring& text) {
  int w = 0, h = 0;
  wxWindow::GetTextExtent(wxString(text), &w, &h, nullptr, nullptr, &FontOf(font));
  return {w, h};
}

void CPieChartCtrl::Invalidate(const PixelRect& area) {
  lastInvalidated = area;
  RefreshRect(ToRect(area), false);
}

void CPieChartCtrl::CaptureMouse() {
  if (!HasCapture()) wxWindow::CaptureMouse();
}

void CPieChartCtrl::ReleaseMouse() {
  if (HasCapture()) wxWindow::ReleaseMouse();
}

void CPieChartCtrl::OnSize(wxSizeEvent& event) {
  event.Skip();
  const wxSize client = GetClientSize();
  chart.OnSize(client.x, client.y);
}

void CPieChartCtrl::OnLeftDown(wxMouseEvent& event) { chart.OnLButtonDown(event.GetX()); }
void CPieChartCtrl::OnLeftUp(wxMouseEvent&) { chart.OnLButtonUp(); }
void CPieChartCtrl::OnMotion(wxMouseEvent& event) { chart.OnMouseMove(event.GetX()); }
// A capture taken away by the system leaves the drag as it is: the next
// button release ends it.
void CPieChartCtrl::OnCaptureLost(wxMouseCaptureLostEvent&) {}

void CPieChartCtrl::OnPaint(wxPaintEvent&) {
  wxPaintDC paintDc(this);
  const wxSize client = GetClientSize();
  if (client.x <= 0 || client.y <= 0) return;
  const std::vector<PieDrawOp> ops = chart.Paint();

  wxBitmap buffer(client.x, client.y);
  wxMemoryDC dc(buffer);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  for (const PieDrawOp& op : ops) {
    std::visit(
        [&dc, this](const auto& o) {
          using T = std::decay_t<decltype(o)>;
          if constexpr (std::is_same_v<T, pie_op::FillRect>) {
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(Resolve(o.colour)));
            dc.DrawRectangle(ToRect(o.rect));
          } else if constexpr (std::is_same_v<T, pie_op::Ellipse>) {
            dc.SetPen(o.outlined ? wxPen(ToColour(o.outline)) : *wxTRANSPARENT_PEN);
            dc.SetBrush(o.filled ? wxBrush(ToColour(o.fill)) : *wxTRANSPARENT_BRUSH);
            // Inside the rectangle, outline included, as the platform draws it.
            dc.DrawEllipse(o.rect.left, o.rect.top, o.rect.Width() - 1, o.rect.Height() - 1);
          } else if constexpr (std::is_same_v<T, pie_op::Pie>) {
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(ToColour(o.fill)));
            // Counter-clockwise from the start radial to the end radial, as
            // the operation says; the pie's rectangle is a square.
            dc.DrawArc(o.startRadial.x, o.startRadial.y, o.endRadial.x, o.endRadial.y,
                       (o.rect.left + o.rect.right) / 2, (o.rect.top + o.rect.bottom) / 2);
          } else if constexpr (std::is_same_v<T, pie_op::Line>) {
            dc.SetPen(wxPen(ToColour(o.colour)));
            dc.DrawLine(o.from.x, o.from.y, o.to.x, o.to.y);
          } else if constexpr (std::is_same_v<T, pie_op::SunkenEdge>) {
            DrawSunkenEdge(dc, o.rect);
          } else if constexpr (std::is_same_v<T, pie_op::RightAlignedText>) {
            dc.SetFont(FontOf(o.font));
            dc.SetTextForeground(Resolve(o.colour));
            dc.DrawLabel(wxString(o.text), ToRect(o.rect), wxALIGN_RIGHT | wxALIGN_TOP);
          } else if constexpr (std::is_same_v<T, pie_op::Text>) {
            dc.SetFont(FontOf(o.font));
            dc.SetTextForeground(Resolve(o.colour));
            dc.DrawText(wxString(o.text), o.at.x, o.at.y);
          }
        },
        op);
  }
  dc.SelectObject(wxNullBitmap);
  paintDc.DrawBitmap(buffer, 0, 0);
}
