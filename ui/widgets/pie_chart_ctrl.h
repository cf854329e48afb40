// CPieChartCtrl: the pie chart window of the detail form. The chart's state,
// layout and drawing list live in PieChart; this window renders the list
// double-buffered and hands it its size and mouse events.
#pragma once

#include <wx/font.h>
#include <wx/window.h>

#include "ui/pie_chart.h"

class CPieChartCtrl : public wxWindow, public PieChartHost {
 public:
  CPieChartCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

  bool AddSlice(ColorRef fillColor, ColorRef textColor, int value, const std::wstring& label, bool valueIsPercent) {
    return chart.AddSlice(fillColor, textColor, value, label, valueIsPercent);
  }
  void RemoveAllSlices() { chart.RemoveAllSlices(); }
  // The title is also what a screen reader calls the chart.
  void SetTitle(const std::wstring& text);
  // Title and slices as a panel computed them.
  void Show(const PieChartContent& content);
  using wxWindow::Show;

  // No key does anything here: neither a click nor Tab gives it the focus.
  bool AcceptsFocus() const override { return false; }

  const PieChart& Chart() const { return chart; }
  // The area the last invalidation asked to repaint, in client pixels.
  const PixelRect& LastInvalidated() const { return lastInvalidated; }

  // PieChartHost
  PixelSize MeasureText(PieFont font, const std::wstring& text) override;
  void Invalidate(const PixelRect& area) override;
  void CaptureMouse() override;
  void ReleaseMouse() override;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);

  const wxFont& FontOf(PieFont font) const { return font == PieFont::Title ? titleFont : labelFont; }
  // The largest Arial whose text measures at most `cellHeight` pixels high.
  wxFont CellHeightFont(int cellHeight);

  PieChart chart;
  wxFont titleFont;
  wxFont labelFont;
  PixelRect lastInvalidated;
};
