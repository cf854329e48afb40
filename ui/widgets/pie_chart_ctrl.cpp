#include "ui/widgets/pie_chart_ctrl.h"

#include <type_traits>

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/settings.h>

#include "ui/widgets/gtk_native.h"
#include "ui/widgets/pie_draw.h"


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
  RefreshRect(wxRect(area.left, area.top, area.Width(), area.Height()), false);
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
  DrawPieOps(dc, ops, titleFont, labelFont);
  dc.SelectObject(wxNullBitmap);
  paintDc.DrawBitmap(buffer, 0, 0);
}
