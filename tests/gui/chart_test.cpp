// The pie chart control on the form: what it draws and turning it by dragging.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "ui/widgets/pie_chart_ctrl.h"

#include <wx/uiaction.h>

namespace {

using gui::FrameOnSample;
using gui::Pump;

void Send(CPieChartCtrl& chart, wxEventType type, int x, int y, bool leftDown) {
  wxMouseEvent event(type);
  event.SetEventObject(&chart);
  event.SetPosition(wxPoint(x, y));
  event.m_leftDown = leftDown;
  chart.GetEventHandler()->ProcessEvent(event);
}

CPieChartCtrl& DiskChart(FrameOnSample& f) {
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(0).get());
  Pump(20);
  return *f.Detail().Chart(ControlId::DiskChart);
}

TEST(PieChartCtrl, DraggingRightTurnsThePieClockwiseAndOnlyThePieIsRepainted) {
  FrameOnSample f("workstation.json");
  CPieChartCtrl& chart = DiskChart(f);
  ASSERT_FALSE(chart.Chart().Slices().empty());
  EXPECT_TRUE(chart.GetCursor().IsOk());
  const PixelRect pie = chart.Chart().PieRect();
  const wxSize client = chart.GetClientSize();
  // The pie is round and as large as the window allows below the title.
  EXPECT_EQ(pie.Width(), pie.Height());
  EXPECT_EQ(pie.bottom, client.y);
  EXPECT_LE(pie.Width(), client.x);
  gui::SaveScreenshot(&f.Frame(), "chart-before-drag");

  const int x = pie.left + pie.Width() / 2, y = pie.top + pie.Height() / 2;
  Send(chart, wxEVT_LEFT_DOWN, x, y, true);
  EXPECT_TRUE(chart.Chart().Dragging());
  EXPECT_TRUE(chart.HasCapture());
  Send(chart, wxEVT_MOTION, x + 10, y + 40, true);
  Send(chart, wxEVT_MOTION, x + 30, y - 15, true);
  EXPECT_EQ(chart.Chart().StartAngle(), 30);
  EXPECT_EQ(chart.LastInvalidated(), pie);
  Send(chart, wxEVT_LEFT_UP, x + 30, y, false);
  EXPECT_FALSE(chart.Chart().Dragging());
  EXPECT_FALSE(chart.HasCapture());
  Pump(20);
  gui::SaveScreenshot(&f.Frame(), "chart-turned-30");

  // The first wedge now ends where the turned pie puts it.
  const std::vector<PieDrawOp> ops = const_cast<PieChart&>(chart.Chart()).Paint();
  for (const PieDrawOp& op : ops) {
    if (const auto* wedge = std::get_if<pie_op::Pie>(&op)) {
      EXPECT_EQ(wedge->endRadial, chart.Chart().PointOnCircle(30, false));
      break;
    }
  }

  // Moving without the button does nothing; dragging back undoes the turn.
  Send(chart, wxEVT_MOTION, x + 200, y, false);
  EXPECT_EQ(chart.Chart().StartAngle(), 30);
  Send(chart, wxEVT_LEFT_DOWN, x + 30, y, true);
  Send(chart, wxEVT_MOTION, x, y, true);
  Send(chart, wxEVT_LEFT_UP, x, y, false);
  EXPECT_EQ(chart.Chart().StartAngle(), 0);
}

TEST(PieChartCtrl, ATurnStaysForTheNextNodeInTheSameChart) {
  FrameOnSample f("workstation.json");
  CPieChartCtrl& chart = DiskChart(f);
  Send(chart, wxEVT_LEFT_DOWN, 50, 50, true);
  Send(chart, wxEVT_MOTION, 95, 50, true);
  Send(chart, wxEVT_LEFT_UP, 95, 50, false);
  f.Doc().SetCurrentNode(f.Doc().Model().PhysicalDisks()->children.at(1).get());
  Pump(10);
  EXPECT_EQ(f.Detail().Chart(ControlId::DiskChart)->Chart().StartAngle(), 45);
  gui::ExpectControlsShowForm(f.Detail());
}

// The fonts are asked for by the height of their text's cell: the title's
// five heights are reserved above the pie, and legend rows stand one label
// height apart.
TEST(PieChartCtrl, TitleAndLegendTakeTheHeightsTheirFontsAskFor) {
  FrameOnSample f("workstation.json");
  CPieChartCtrl& chart = DiskChart(f);
  const std::pair<PieFont, int> cells[] = {{PieFont::Title, 15}, {PieFont::Label, 13}};
  for (const auto& [font, height] : cells) {
    EXPECT_EQ(FontCellHeight(font), height);
    for (const wchar_t* text : {L"Disk Partition Allocation", L"83% Partition 2", L"Ag"})
      EXPECT_EQ(chart.MeasureText(font, text).cy, height) << static_cast<int>(font);
  }
  EXPECT_EQ(chart.Chart().PieRect().top, 5 * 15);

  std::vector<PixelRect> boxes;
  for (const PieDrawOp& op : const_cast<PieChart&>(chart.Chart()).Paint())
    if (const auto* edge = std::get_if<pie_op::SunkenEdge>(&op)) boxes.push_back(edge->rect);
  ASSERT_GE(boxes.size(), 3u);
  for (std::size_t row = 0; row < boxes.size(); ++row) {
    EXPECT_EQ(boxes[row].Height(), 13) << row;
    EXPECT_EQ(boxes[row].top, static_cast<int>(row) * 13) << row;
  }
  EXPECT_FALSE(gui::SaveScreenshot(&f.Frame(), "chart-text").empty());
}

TEST(PieChartCtrl, ARealMouseDragTurnsThePie) {
  FrameOnSample f("workstation.json");
  CPieChartCtrl& chart = DiskChart(f);
  const PixelRect pie = chart.Chart().PieRect();
  const wxPoint start = chart.ClientToScreen(wxPoint(pie.left + pie.Width() / 2, pie.top + pie.Height() / 2));
  wxUIActionSimulator mouse;
  mouse.MouseMove(start);
  Pump(30);
  mouse.MouseDown();
  Pump(30);
  if (!chart.Chart().Dragging()) {
    mouse.MouseUp();
    GTEST_SKIP() << "this display does not take simulated input";
  }
  mouse.MouseMove(start + wxPoint(40, 0));
  Pump(30);
  mouse.MouseUp();
  Pump(30);
  EXPECT_EQ(chart.Chart().StartAngle(), 40);
  EXPECT_FALSE(chart.Chart().Dragging());
}

}  // namespace
