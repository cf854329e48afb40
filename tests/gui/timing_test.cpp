// How long the desktop program takes: from the frame's creation to its first
// full paint on the workstation, and the tree build on the server. The times
// are printed for people to read; the limits only catch the grossly slow.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "gui_support.h"
#include "platform/machine/machine_file.h"

#include <wx/evtloop.h>
#include <wx/listctrl.h>

using enum ControlId;

namespace {

using Clock = std::chrono::steady_clock;
using gui::Pump;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TEST(Timing, StartToFirstFullPaintOnTheWorkstation) {
  const Clock::time_point start = Clock::now();
  RecordedPlatform platform(LoadMachineFile(gui::SamplePath("workstation.json")));
  RecordingPrompt prompt;
  FrameOptions options;
  auto* frame = new CMainFrame(platform, &prompt, options);
  bool treePainted = false, listPainted = false;
  frame->TreeView()->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
    treePainted = true;
    e.Skip();
  });
  wxWindow* list = frame->DetailedView()->Control(AllMountPointsList);
  for (wxWindow* part : list->GetChildren())
    part->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
      listPainted = true;
      e.Skip();
    });
  frame->InitialUpdate();
  const double scanned = MillisecondsSince(start);
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  while (!(treePainted && listPainted) && MillisecondsSince(start) < 10000) {
    frame->Update();
    while (loop->Pending()) loop->Dispatch();
  }
  const double painted = MillisecondsSince(start);
  std::printf("[ timing ] workstation: first scan, tree and form %.1f ms; first full paint %.1f ms after start\n",
              scanned, painted);
  RecordProperty("first_full_paint_ms", static_cast<int>(painted));
  EXPECT_TRUE(treePainted && listPainted);
  EXPECT_LT(painted, 5000.0);
  frame->Destroy();
  Pump();
}

TEST(Timing, TreeBuildOnTheServer) {
  gui::FrameOnSample f("server.json");
  CDiskTreeView& tree = f.Tree();
  const std::size_t items = gui::TreeLines(tree).size();
  ASSERT_GT(items, 0u);
  EXPECT_EQ(gui::TreeLines(tree), gui::ModelTreeLines(f.Doc()));

  // The build alone, then with a splash following every step as in a refresh.
  Clock::time_point start = Clock::now();
  tree.OnUpdate(HintRebuild, f.Doc().Model().MountPoints());
  const double quiet = MillisecondsSince(start);
  f.Frame().RestartSplash();
  start = Clock::now();
  tree.OnUpdate(HintRebuild, f.Doc().Model().MountPoints());
  const double withSplash = MillisecondsSince(start);
  f.Frame().CloseSplash();
  start = Clock::now();
  gui::Command(f.Frame(), ID_REFRESH);
  const double refresh = MillisecondsSince(start);
  std::printf("[ timing ] server: %zu tree items; build %.1f ms, with the splash %.1f ms; whole refresh %.1f ms\n",
              items, quiet, withSplash, refresh);
  RecordProperty("server_tree_build_ms", static_cast<int>(quiet));
  EXPECT_EQ(gui::TreeLines(tree), gui::ModelTreeLines(f.Doc()));
  EXPECT_LT(withSplash, 20000.0);
}

}  // namespace
