// The pie chart of the detailed view as state, geometry and an ordered list of
// drawing operations. The widget renders the list and forwards its mouse and
// size events; the same list renders to SVG for reports.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "ui/geometry.h"

enum class PieFont {
  Title,  // Arial, cell height 15
  Label,  // Arial, cell height 13
};

// A colour that is either fixed or the system's colour for a role, which the
// renderer resolves.
struct PaintColour {
  enum class System { None, ButtonFace, WindowText };
  ColorRef rgb = 0;
  System system = System::None;

  static PaintColour Fixed(ColorRef c) { return {c, System::None}; }
  static PaintColour ButtonFace() { return {0x00F0F0F0u, System::ButtonFace}; }
  static PaintColour WindowText() { return {0x00000000u, System::WindowText}; }
  friend bool operator==(const PaintColour&, const PaintColour&) = default;
};

namespace pie_op {

struct FillRect {
  PixelRect rect;
  PaintColour colour;
};
// An ellipse inside `rect`, filled and/or outlined with a 1-pixel pen.
struct Ellipse {
  PixelRect rect;
  bool filled = false;
  ColorRef fill = 0;
  bool outlined = false;
  ColorRef outline = 0;
};
// A filled wedge without outline, drawn counter-clockwise from the radial
// through `startRadial` to the radial through `endRadial`.
struct Pie {
  PixelRect rect;
  PixelPoint startRadial;
  PixelPoint endRadial;
  ColorRef fill = 0;
};
struct Line {
  PixelPoint from;
  PixelPoint to;
  ColorRef colour = 0;
};
struct SunkenEdge {
  PixelRect rect;
};
// Text right-aligned in `rect`, starting at its top.
struct RightAlignedText {
  PixelRect rect;
  std::wstring text;
  PieFont font = PieFont::Label;
  PaintColour colour;
};
// Text with its top-left corner at `at`, transparent background.
struct Text {
  PixelPoint at;
  std::wstring text;
  PieFont font = PieFont::Label;
  PaintColour colour;
};

}  // namespace pie_op

using PieDrawOp = std::variant<pie_op::FillRect, pie_op::Ellipse, pie_op::Pie, pie_op::Line, pie_op::SunkenEdge,
                               pie_op::RightAlignedText, pie_op::Text>;

// What the chart needs from the window it lives in. The defaults estimate text
// sizes from Arial's advance widths and ignore invalidation and capture, which is
// what a chart without a window (tests, SVG) wants.
class PieChartHost {
 public:
  virtual ~PieChartHost() = default;
  virtual PixelSize MeasureText(PieFont font, const std::wstring& text);
  // Asks for a repaint of `area` without erasing the background.
  virtual void Invalidate(const PixelRect& area) { (void)area; }
  virtual void CaptureMouse() {}
  virtual void ReleaseMouse() {}
};

// Text size in Arial at the font's cell height, from the font's advance widths.
PixelSize EstimateArialText(PieFont font, const std::wstring& text);
int FontCellHeight(PieFont font);

struct PieSlice {
  ColorRef fillColor = 0;
  ColorRef textColor = 0;
  int sweepDegrees = 0;
  std::wstring label;  // empty: no legend row
};

// One slice as a panel asks for it.
struct ChartSlice {
  ColorRef fillColor = 0;
  ColorRef textColor = 0;
  int value = 0;
  std::wstring label;
  bool valueIsPercent = true;
  friend bool operator==(const ChartSlice&, const ChartSlice&) = default;
};

// What a panel puts into one chart: its title and its slices.
struct PieChartContent {
  std::wstring title;
  std::vector<ChartSlice> slices;
  friend bool operator==(const PieChartContent&, const PieChartContent&) = default;
};

class PieChart {
 public:
  static constexpr ColorRef kBackgroundColor = 0x00FF0000u;  // pure blue
  static constexpr ColorRef kOutlineColor = 0x00000000u;

  explicit PieChart(PieChartHost* host = nullptr);

  // Appends a slice; a percentage becomes value × 360 / 100 whole degrees.
  // False (and the chart unchanged) when no room can be had.
  bool AddSlice(ColorRef fillColor, ColorRef textColor, int value, const std::wstring& label, bool valueIsPercent);
  // Does not repaint; the next AddSlice or SetTitle does.
  void RemoveAllSlices();
  void SetTitle(const std::wstring& text);
  // SetTitle, RemoveAllSlices and one AddSlice per slice, as a panel does.
  void Show(const PieChartContent& content);

  // The window's client area changed size.
  void OnSize(int width, int height);
  void OnLButtonDown(int x);
  void OnMouseMove(int x);
  void OnLButtonUp();

  void RecalcLayout();
  // A point on the pie's circle (or at 0.6 of its radius) at `angle` degrees
  // clockwise from 12 o'clock.
  PixelPoint PointOnCircle(std::int64_t angle, bool inner) const;
  // Everything a paint draws, in order, over the whole client area.
  std::vector<PieDrawOp> Paint();

  int StartAngle() const { return startAngle; }
  bool Dragging() const { return dragging; }
  int LastMouseX() const { return lastMouseX; }
  const PixelRect& PieRect() const { return pieRect; }
  const PixelRect& ClientRect() const { return clientRect; }
  const std::wstring& Title() const { return title; }
  const std::vector<PieSlice>& Slices() const { return slices; }

 private:
  PixelSize Measure(PieFont font, const std::wstring& text) const;
  void Invalidate(const PixelRect& area) const;

  PieChartHost* host;
  int startAngle = 0;
  ColorRef backgroundColor = kBackgroundColor;
  ColorRef outlineColor = kOutlineColor;
  std::vector<PieSlice> slices;
  std::wstring title;
  int lastMouseX = 0;
  bool dragging = false;
  PixelRect pieRect;
  PixelRect clientRect;
};
