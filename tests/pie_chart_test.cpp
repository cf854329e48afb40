#include <gtest/gtest.h>

#include <string>

#include "ui/pie_chart.h"
#include "ui/text/pie_svg.h"

namespace {

// Text is 7 pixels a character and as tall as the font's cell; invalidations
// and capture are recorded.
class FixedHost : public PieChartHost {
 public:
  PixelSize MeasureText(PieFont font, const std::wstring& text) override {
    return {static_cast<int>(text.size()) * 7, FontCellHeight(font)};
  }
  void Invalidate(const PixelRect& area) override { invalidated.push_back(area); }
  void CaptureMouse() override { captured = true; }
  void ReleaseMouse() override { captured = false; }

  std::vector<PixelRect> invalidated;
  bool captured = false;
};

template <class Op>
std::vector<Op> OpsOf(const std::vector<PieDrawOp>& ops) {
  std::vector<Op> found;
  for (const PieDrawOp& op : ops)
    if (const Op* o = std::get_if<Op>(&op)) found.push_back(*o);
  return found;
}

std::vector<std::wstring> Texts(const std::vector<PieDrawOp>& ops) {
  std::vector<std::wstring> texts;
  for (const auto& t : OpsOf<pie_op::Text>(ops)) texts.push_back(t.text);
  return texts;
}

constexpr PixelRect kSquare{0, 0, 200, 200};

}  // namespace

TEST(PieChart, PercentagesBecomeWholeDegreesTruncated) {
  PieChart chart;
  for (int value : {25, 33, 1, 50, 100, 0}) chart.AddSlice(0, 0, value, L"", true);
  chart.AddSlice(0, 0, 47, L"", false);
  std::vector<int> sweeps;
  for (const PieSlice& s : chart.Slices()) sweeps.push_back(s.sweepDegrees);
  EXPECT_EQ(sweeps, (std::vector<int>{90, 118, 3, 180, 360, 0, 47}));
  // A nonsensical percentage wraps instead of overflowing.
  EXPECT_TRUE(chart.AddSlice(0, 0, 0x7FFFFFFF, L"", true));
}

TEST(PieChart, PointsUseTheControlsOwnConstants) {
  PieChart chart;
  chart.OnSize(200, 200);
  ASSERT_EQ(chart.PieRect(), kSquare);
  EXPECT_EQ(chart.PointOnCircle(0, false), (PixelPoint{100, 0}));
  EXPECT_EQ(chart.PointOnCircle(180, false), (PixelPoint{100, 200}));
  // 3.1415926535 instead of pi leaves these just short of the exact values.
  EXPECT_EQ(chart.PointOnCircle(90, false), (PixelPoint{200, 99}));
  EXPECT_EQ(chart.PointOnCircle(30, false), (PixelPoint{149, 13}));
  // The inner radius is a hair over 0.6 of the radius.
  EXPECT_EQ(chart.PointOnCircle(0, true), (PixelPoint{100, 39}));
  EXPECT_EQ(chart.PointOnCircle(180, true), (PixelPoint{100, 160}));
  // Angles are reduced by a true modulo.
  EXPECT_EQ(chart.PointOnCircle(-1, false), chart.PointOnCircle(359, false));
  EXPECT_EQ(chart.PointOnCircle(-360, false), chart.PointOnCircle(0, false));
  EXPECT_EQ(chart.PointOnCircle(-361, false), chart.PointOnCircle(359, false));
  EXPECT_EQ(chart.PointOnCircle(721, false), chart.PointOnCircle(1, false));
}

TEST(PieChart, LayoutIsABottomAlignedCentredSquare) {
  FixedHost host;
  PieChart chart(&host);
  chart.OnSize(300, 100);  // wider than tall: the side is the height, centred
  EXPECT_EQ(chart.PieRect(), (PixelRect{100, 0, 200, 100}));
  chart.OnSize(100, 301);  // taller than wide: the side is the width, at the bottom
  EXPECT_EQ(chart.PieRect(), (PixelRect{0, 201, 100, 301}));
  chart.OnSize(101, 100);
  EXPECT_EQ(chart.PieRect(), (PixelRect{0, 0, 100, 100}));

  // A title reserves five of its heights at the top.
  chart.OnSize(200, 200);
  chart.SetTitle(L"Disk Partition Allocation");
  EXPECT_EQ(chart.PieRect(), (PixelRect{37, 75, 162, 200}));
  ASSERT_FALSE(host.invalidated.empty());
  EXPECT_EQ(host.invalidated.back(), (PixelRect{0, 0, 200, 200}));
  // Without a title the pie may touch the top edge again.
  chart.SetTitle(L"");
  EXPECT_EQ(chart.PieRect(), kSquare);

  // A title taller than the window leaves an empty pie, never an inverted one.
  chart.OnSize(200, 50);
  chart.SetTitle(L"Title");
  EXPECT_EQ(chart.PieRect().Width(), 0);
  EXPECT_EQ(chart.PieRect().bottom, 50);
}

TEST(PieChart, AChartWithoutSlicesShowsItsBackgroundDisc) {
  FixedHost host;
  PieChart chart(&host);
  chart.OnSize(200, 275);
  chart.SetTitle(L"Extent Size vs Volume Size");
  const auto ops = chart.Paint();
  ASSERT_EQ(ops.size(), 4u);
  const auto& face = std::get<pie_op::FillRect>(ops[0]);
  EXPECT_EQ(face.rect, (PixelRect{0, 0, 200, 275}));
  EXPECT_EQ(face.colour.system, PaintColour::System::ButtonFace);
  const auto& disc = std::get<pie_op::Ellipse>(ops[1]);
  EXPECT_EQ(disc.rect, chart.PieRect());
  EXPECT_TRUE(disc.filled && !disc.outlined);
  EXPECT_EQ(disc.fill, 0x00FF0000u);
  const auto& outline = std::get<pie_op::Ellipse>(ops[2]);
  EXPECT_TRUE(!outline.filled && outline.outlined);
  EXPECT_EQ(outline.outline, 0u);
  const auto& title = std::get<pie_op::Text>(ops[3]);
  EXPECT_EQ(title.at, (PixelPoint{1, 1}));
  EXPECT_EQ(title.font, PieFont::Title);
  EXPECT_EQ(title.text, L"Extent Size vs Volume Size");
}

TEST(PieChart, ASingleFullSliceFillsTheDiscWithItsLabelStraightDown) {
  FixedHost host;
  PieChart chart(&host);
  chart.OnSize(200, 200);
  chart.AddSlice(0x00FFFFFF, 0x000000FF, 100, L"100% Partition 1", true);
  const auto ops = chart.Paint();
  EXPECT_TRUE(OpsOf<pie_op::Pie>(ops).empty());
  const auto ellipses = OpsOf<pie_op::Ellipse>(ops);
  ASSERT_EQ(ellipses.size(), 3u);  // background, the slice's full disc, outline
  EXPECT_EQ(ellipses[1].fill, 0x00FFFFFFu);
  EXPECT_TRUE(ellipses[1].filled && !ellipses[1].outlined);
  const auto lines = OpsOf<pie_op::Line>(ops);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].from, (PixelPoint{100, 0}));
  EXPECT_EQ(lines[0].to, (PixelPoint{100, 100}));
  EXPECT_EQ(lines[1].to, (PixelPoint{100, 0}));
  const auto texts = OpsOf<pie_op::Text>(ops);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, L"100%");
  // A quarter of the width to the left, half the height up, at 0.6 of the radius.
  EXPECT_EQ(texts[0].at, (PixelPoint{100 - 28 / 4, 160 - 13 / 2}));
  EXPECT_EQ(texts[0].colour.rgb, 0x000000FFu);
}

TEST(PieChart, ASingleEmptySliceAlsoFillsTheDiscButHasNoPercentage) {
  PieChart chart;
  chart.OnSize(200, 200);
  chart.AddSlice(0x00123456, 0, 0, L"0% Partition 1", true);
  const auto ops = chart.Paint();
  const auto ellipses = OpsOf<pie_op::Ellipse>(ops);
  ASSERT_EQ(ellipses.size(), 3u);
  EXPECT_EQ(ellipses[1].fill, 0x00123456u);
  EXPECT_TRUE(Texts(ops).empty());
  EXPECT_EQ(OpsOf<pie_op::RightAlignedText>(ops).size(), 1u);
}

TEST(PieChart, WedgesRunClockwiseFromTheStartAngle) {
  FixedHost host;
  PieChart chart(&host);
  chart.OnSize(200, 200);
  chart.AddSlice(0x00FFFFFF, 0, 25, L"25% Extent 0", true);
  chart.AddSlice(0x00FDFCFA, 0, 75, L"75% Extent 1", true);
  const auto ops = chart.Paint();
  const auto pies = OpsOf<pie_op::Pie>(ops);
  ASSERT_EQ(pies.size(), 2u);
  // The platform draws counter-clockwise from the start radial: the start is
  // the wedge's clockwise end.
  EXPECT_EQ(pies[0].startRadial, (PixelPoint{200, 99}));
  EXPECT_EQ(pies[0].endRadial, (PixelPoint{100, 0}));
  EXPECT_EQ(pies[1].startRadial, (PixelPoint{100, 0}));
  EXPECT_EQ(pies[1].endRadial, (PixelPoint{200, 99}));
  EXPECT_EQ(pies[1].fill, 0x00FDFCFAu);
  // Each label sits at 0.6 of the radius in the middle of its wedge.
  const PixelPoint mid0 = chart.PointOnCircle(45, true);
  const PixelPoint mid1 = chart.PointOnCircle(225, true);
  const auto texts = OpsOf<pie_op::Text>(ops);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, L"25%");
  EXPECT_EQ(texts[0].at, (PixelPoint{mid0.x - 21 / 4, mid0.y - 13 / 2}));
  EXPECT_EQ(texts[1].text, L"75%");
  EXPECT_EQ(texts[1].at, (PixelPoint{mid1.x - 21 / 4, mid1.y - 13 / 2}));
}

TEST(PieChart, AZeroSliceAmongOthersDrawsOnlyItsRadiiAndLegend) {
  FixedHost host;
  PieChart chart(&host);
  chart.OnSize(240, 200);
  chart.AddSlice(1, 0, 0, L"0% Partition 1", true);
  chart.AddSlice(2, 0, 100, L"100% Partition 2", true);
  const auto ops = chart.Paint();
  EXPECT_TRUE(OpsOf<pie_op::Pie>(ops).empty());
  EXPECT_EQ(OpsOf<pie_op::Ellipse>(ops).size(), 2u);  // no full disc with two slices
  EXPECT_EQ(OpsOf<pie_op::Line>(ops).size(), 4u);
  const auto boxes = OpsOf<pie_op::SunkenEdge>(ops);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].rect, (PixelRect{227, 0, 240, 13}));
  EXPECT_EQ(boxes[1].rect, (PixelRect{227, 13, 240, 26}));
  const auto legend = OpsOf<pie_op::RightAlignedText>(ops);
  ASSERT_EQ(legend.size(), 2u);
  EXPECT_EQ(legend[1].rect, (PixelRect{0, 13, 224, 26}));
  EXPECT_EQ(legend[1].text, L"100% Partition 2");
}

TEST(PieChart, PercentageLabelsOnlyOnWedgesOverTenDegrees) {
  PieChart chart;
  chart.OnSize(200, 200);
  chart.AddSlice(1, 0, 11, L"", false);
  chart.AddSlice(2, 0, 10, L"", false);
  chart.AddSlice(3, 0, 118, L"", false);
  chart.AddSlice(4, 0, 90, L"", false);
  EXPECT_EQ(Texts(chart.Paint()), (std::vector<std::wstring>{L"3%", L"33%", L"25%"}));
}

TEST(PieChart, UnlabelledSlicesLeaveNoGapInTheLegend) {
  FixedHost host;
  PieChart chart(&host);
  chart.OnSize(200, 200);
  chart.AddSlice(1, 0, 30, L"", true);
  chart.AddSlice(2, 0, 30, L"", true);
  chart.AddSlice(3, 0, 40, L"40% Unallocated", true);
  const auto ops = chart.Paint();
  const auto fills = OpsOf<pie_op::FillRect>(ops);
  ASSERT_EQ(fills.size(), 2u);  // the client area and one legend box
  EXPECT_EQ(fills[1].rect, (PixelRect{187, 0, 200, 13}));
  EXPECT_EQ(fills[1].colour.rgb, 3u);
}

TEST(PieChart, DraggingTurnsThePieByOneDegreeAPixel) {
  FixedHost host;
  PieChart chart(&host);
  chart.OnSize(200, 200);
  chart.AddSlice(1, 0, 25, L"", true);
  chart.AddSlice(2, 0, 75, L"", true);

  chart.OnMouseMove(50);  // no button pressed: nothing happens
  EXPECT_EQ(chart.StartAngle(), 0);

  chart.OnLButtonDown(10);
  EXPECT_TRUE(chart.Dragging());
  EXPECT_TRUE(host.captured);
  EXPECT_EQ(chart.LastMouseX(), 10);
  host.invalidated.clear();
  chart.OnMouseMove(40);
  EXPECT_EQ(chart.StartAngle(), 30);
  EXPECT_EQ(chart.LastMouseX(), 40);
  // Only the pie is repainted while dragging.
  ASSERT_EQ(host.invalidated.size(), 1u);
  EXPECT_EQ(host.invalidated[0], chart.PieRect());

  auto pies = OpsOf<pie_op::Pie>(chart.Paint());
  EXPECT_EQ(pies[0].endRadial, chart.PointOnCircle(30, false));
  EXPECT_EQ(pies[0].startRadial, chart.PointOnCircle(120, false));

  chart.OnMouseMove(10);  // and back
  EXPECT_EQ(chart.StartAngle(), 0);
  pies = OpsOf<pie_op::Pie>(chart.Paint());
  EXPECT_EQ(pies[0].endRadial, (PixelPoint{100, 0}));

  chart.OnMouseMove(410);  // far: the angle is not reduced
  EXPECT_EQ(chart.StartAngle(), 400);
  chart.OnLButtonUp();
  EXPECT_FALSE(chart.Dragging());
  EXPECT_FALSE(host.captured);
  chart.OnMouseMove(0);
  EXPECT_EQ(chart.StartAngle(), 400);

  // A rotation stays for the next content of the same control.
  chart.SetTitle(L"Other");
  chart.RemoveAllSlices();
  EXPECT_EQ(chart.StartAngle(), 400);
}

TEST(PieChart, ShowingContentReplacesTitleAndSlices) {
  PieChart chart;
  chart.OnSize(200, 200);
  chart.AddSlice(1, 0, 10, L"old", true);
  PieChartContent content{L"Partition Size vs. Disk Size",
                          {{0x00FFFFFF, 0, 30, L"30% Partition 2", true}, {0x00FF0000, 0, 70, L"70% Other Use", true}}};
  chart.Show(content);
  ASSERT_EQ(chart.Slices().size(), 2u);
  EXPECT_EQ(chart.Slices()[0].sweepDegrees, 108);
  EXPECT_EQ(chart.Slices()[1].sweepDegrees, 252);
  EXPECT_EQ(chart.Title(), L"Partition Size vs. Disk Size");
}

TEST(PieChart, EstimatedTextUsesArialWidths) {
  EXPECT_EQ(EstimateArialText(PieFont::Label, L"100%"), (PixelSize{30, 13}));
  EXPECT_EQ(EstimateArialText(PieFont::Title, L""), (PixelSize{0, 15}));
  EXPECT_LT(EstimateArialText(PieFont::Label, L"iiii").cx, EstimateArialText(PieFont::Label, L"WWWW").cx);
}

TEST(PieSvg, RendersEveryOperation) {
  PieChart chart;
  chart.OnSize(255, 276);
  chart.Show({L"Disk <Allocation> & more",
              {{0x00FFFFFF, 0, 25, L"25% Partition 1", true}, {0x00FF0000, 0, 75, L"75% Unallocated", true}}});
  const std::string svg = RenderPieSvg(chart.Paint(), {255, 276});
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("width=\"255\" height=\"276\""), std::string::npos);
  EXPECT_NE(svg.find("Disk &lt;Allocation&gt; &amp; more"), std::string::npos);
  EXPECT_NE(svg.find(">25%</text>"), std::string::npos);
  EXPECT_NE(svg.find(">75% Unallocated</text>"), std::string::npos);
  EXPECT_NE(svg.find("fill=\"#0000ff\""), std::string::npos);  // the blue slice, 0x00FF0000
  EXPECT_NE(svg.find("fill=\"#f0f0f0\""), std::string::npos);  // the button face
  // The quarter wedge takes the short way round, the rest the long way.
  EXPECT_NE(svg.find(" 0 0 1 "), std::string::npos);
  EXPECT_NE(svg.find(" 0 1 1 "), std::string::npos);
  std::size_t paths = 0;
  for (std::size_t at = svg.find("<path"); at != std::string::npos; at = svg.find("<path", at + 1)) ++paths;
  EXPECT_EQ(paths, 2u);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}
