#include "ui/pie_chart.h"

#include <cmath>
#include <new>

#include "platform/wide_text.h"

namespace {

// Arial's advance widths in thousandths of an em for the printable ASCII range.
constexpr short kArialWidths[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // ' ' to '/'
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556,                                // digits
    278, 278, 584, 584, 584, 556, 1015,                                              // ':' to '@'
    667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833,                 // 'A' to 'M'
    722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611,                 // 'N' to 'Z'
    278, 278, 278, 469, 556, 333,                                                    // '[' to '`'
    556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833,                 // 'a' to 'm'
    556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500,                 // 'n' to 'z'
    334, 260, 334, 584,                                                              // '{' to '~'
};

// Arial's ascent and descent, in font units of a 2048-unit em.
constexpr double kArialCellUnits = 1854.0 + 434.0;
constexpr double kArialEmUnits = 2048.0;

// Wrapping addition, as the platform's 32-bit arithmetic does.
int AddWrapping(int a, int b) {
  return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace

int FontCellHeight(PieFont font) { return font == PieFont::Title ? 15 : 13; }

PixelSize EstimateArialText(PieFont font, const std::wstring& text) {
  const int cell = FontCellHeight(font);
  long thousandths = 0;
  for (wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    thousandths += (code >= 32 && code < 127) ? kArialWidths[code - 32] : 556;
  }
  const double em = cell * kArialEmUnits / kArialCellUnits;
  return {static_cast<int>(std::lround(static_cast<double>(thousandths) * em / 1000.0)), cell};
}

PixelSize PieChartHost::MeasureText(PieFont font, const std::wstring& text) { return EstimateArialText(font, text); }

PieChart::PieChart(PieChartHost* chartHost) : host(chartHost) {}

PixelSize PieChart::Measure(PieFont font, const std::wstring& text) const {
  return host != nullptr ? host->MeasureText(font, text) : EstimateArialText(font, text);
}

void PieChart::Invalidate(const PixelRect& area) const {
  if (host != nullptr) host->Invalidate(area);
}

bool PieChart::AddSlice(ColorRef fillColor, ColorRef textColor, int value, const std::wstring& label,
                        bool valueIsPercent) {
  PieSlice slice;
  slice.fillColor = fillColor;
  slice.textColor = textColor;
  // The product wraps in 32 bits as the platform's arithmetic does, instead of
  // overflowing for a percentage taken from a nonsensical whole.
  slice.sweepDegrees =
      valueIsPercent ? static_cast<int>(static_cast<std::uint32_t>(value) * 360u) / 100 : value;
  try {
    slice.label = label;
    slices.push_back(std::move(slice));
  } catch (const std::bad_alloc&) {
    return false;
  }
  Invalidate(clientRect);
  return true;
}

void PieChart::RemoveAllSlices() { slices.clear(); }

void PieChart::SetTitle(const std::wstring& text) {
  title = text;
  RecalcLayout();
  Invalidate(clientRect);
}

void PieChart::Show(const PieChartContent& content) {
  SetTitle(content.title);
  RemoveAllSlices();
  for (const ChartSlice& s : content.slices) AddSlice(s.fillColor, s.textColor, s.value, s.label, s.valueIsPercent);
}

void PieChart::OnSize(int width, int height) {
  clientRect = {0, 0, width, height};
  RecalcLayout();
}

void PieChart::OnLButtonDown(int x) {
  if (host != nullptr) host->CaptureMouse();
  dragging = true;
  lastMouseX = x;
}

void PieChart::OnMouseMove(int x) {
  if (!dragging) return;
  startAngle = AddWrapping(startAngle, static_cast<int>(static_cast<std::uint32_t>(x) - static_cast<std::uint32_t>(lastMouseX)));
  Invalidate(pieRect);
  lastMouseX = x;
}

void PieChart::OnLButtonUp() {
  if (!dragging) return;
  if (host != nullptr) host->ReleaseMouse();
  dragging = false;
}

void PieChart::RecalcLayout() {
  PixelRect area = clientRect;
  if (!title.empty()) area.top += 5 * Measure(PieFont::Title, title).cy;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  int size = height < width ? height : width;
  // A title taller than the window leaves no room: an empty pie, not an
  // inverted one.
  if (size < 0) size = 0;
  pieRect.left = area.left + (width - size) / 2;
  pieRect.top = area.bottom - size;
  pieRect.right = pieRect.left + size;
  pieRect.bottom = area.bottom;
}

PixelPoint PieChart::PointOnCircle(std::int64_t angle, bool inner) const {
  std::int64_t normalised = angle % 360;
  if (normalised < 0) normalised += 360;
  double r = (pieRect.bottom - pieRect.top) * 0.5;
  if (inner) r *= 0.6000000000000001;
  const double theta = static_cast<double>(normalised) * 3.1415926535 * 0.005555555555555556;
  const double x = (pieRect.left + pieRect.right) * 0.5 + r * std::sin(theta);
  const double y = (pieRect.top + pieRect.bottom) * 0.5 - r * std::cos(theta);
  return {static_cast<int>(x), static_cast<int>(y)};
}

std::vector<PieDrawOp> PieChart::Paint() {
  if (pieRect.IsEmpty()) RecalcLayout();
  std::vector<PieDrawOp> ops;
  ops.push_back(pie_op::FillRect{clientRect, PaintColour::ButtonFace()});
  ops.push_back(pie_op::Ellipse{pieRect, true, backgroundColor, false, 0});

  const PixelPoint centre{(pieRect.left + pieRect.right) / 2, (pieRect.top + pieRect.bottom) / 2};
  // The running angle is never reduced; 64 bits keep any sum of sweeps exact.
  std::int64_t a0 = startAngle;
  PixelPoint p0 = PointOnCircle(a0, false);
  int legendRow = 0;
  const std::size_t n = slices.size();
  for (const PieSlice& slice : slices) {
    const std::int64_t a1 = a0 + slice.sweepDegrees;
    const PixelPoint p1 = PointOnCircle(a1, false);
    if (!(p1 == p0)) {
      ops.push_back(pie_op::Pie{pieRect, p1, p0, slice.fillColor});
    } else if (n == 1) {
      ops.push_back(pie_op::Ellipse{pieRect, true, slice.fillColor, false, 0});
    }
    ops.push_back(pie_op::Line{p0, centre, outlineColor});
    ops.push_back(pie_op::Line{centre, p1, outlineColor});

    if (!slice.label.empty()) {
      const int h = Measure(PieFont::Label, slice.label).cy;
      const PixelRect box{clientRect.right - h, clientRect.top + legendRow * h, clientRect.right,
                          clientRect.top + (legendRow + 1) * h};
      ops.push_back(pie_op::FillRect{box, PaintColour::Fixed(slice.fillColor)});
      ops.push_back(pie_op::SunkenEdge{box});
      ops.push_back(pie_op::RightAlignedText{PixelRect{clientRect.left, box.top, box.left - 3, box.bottom},
                                             slice.label, PieFont::Label, PaintColour::WindowText()});
      ++legendRow;
    }
    if (slice.sweepDegrees > 10) {
      const std::int64_t am = a1 - slice.sweepDegrees / 2;
      const PixelPoint pm = PointOnCircle(am, true);
      const std::wstring text = FormatWide(L"%.0f%%", static_cast<double>(slice.sweepDegrees) * 100.0 / 360.0);
      const PixelSize extent = Measure(PieFont::Label, text);
      ops.push_back(pie_op::Text{PixelPoint{pm.x - extent.cx / 4, pm.y - extent.cy / 2}, text, PieFont::Label,
                                 PaintColour::Fixed(slice.textColor)});
    }
    a0 = a1;
    p0 = p1;
  }

  ops.push_back(pie_op::Ellipse{pieRect, false, 0, true, outlineColor});
  if (!title.empty())
    ops.push_back(pie_op::Text{PixelPoint{1, 1}, title, PieFont::Title, PaintColour::WindowText()});
  return ops;
}
