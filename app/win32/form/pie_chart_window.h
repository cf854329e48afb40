// The pie chart window of the detail form. The chart's state, layout and
// drawing list live in PieChart; this window draws the list with GDI,
// double-buffered, and hands the chart its size and the mouse that turns it.
#pragma once

// The platform's headers, with the version the rest of the program asks for.
#include "platform/win_types.h"

#include "ui/pie_chart.h"

class Win32PieChart : public PieChartHost {
 public:
  // The window class, registered on first use; a dialog template names it.
  static const wchar_t* ClassName();
  // The chart of a window of that class, or null for any other window.
  static Win32PieChart* FromWindow(HWND window);

  // Title and slices as a panel computed them; the title is also the
  // window's text, which is what a screen reader calls the chart.
  void Show(const PieChartContent& content);
  const PieChart& Chart() const { return chart; }

  // PieChartHost
  PixelSize MeasureText(PieFont font, const std::wstring& text) override;
  void Invalidate(const PixelRect& area) override;
  void CaptureMouse() override;
  void ReleaseMouse() override;

 private:
  explicit Win32PieChart(HWND window);
  ~Win32PieChart() override;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  HFONT FontOf(PieFont font) const { return font == PieFont::Title ? titleFont : labelFont; }

  HWND window;
  PieChart chart;
  HFONT titleFont;
  HFONT labelFont;
};

// Draws a chart's drawing list on a device context.
void DrawPieOps(HDC dc, const std::vector<PieDrawOp>& ops, HFONT titleFont, HFONT labelFont);
