// The tree paints itself with the toolkit's own drawing, except that it cuts
// the line joining the roots to the rows in view: what shows must not differ.
#include <gtest/gtest.h>

#include "gui_support.h"

namespace {

using gui::FrameOnSample;
using gui::Pump;

TEST(TreePaint, EveryOpenTreeLooksAsTheToolkitDrawsItWhereverItIsScrolled) {
  FrameOnSample f("server.json", true);
  // A tree many times taller than its pane, scrolled to its top, into the
  // middle of the first root's items and to its bottom.
  f.Frame().SetSize(640, 320);
  CDiskTreeView& tree = f.Tree();
  f.Frame().TreeView()->ExpandAll();
  Pump(10);
  int units = 0;
  tree.GetVirtualSize(nullptr, &units);
  int unitY = 1;
  tree.GetScrollPixelsPerUnit(nullptr, &unitY);
  ASSERT_GT(units, 4 * tree.GetClientSize().y);
  int toolkitPaints = 0;
  for (const int y : {0, units / 7, units / 3, units}) {
    tree.Scroll(0, y / std::max(1, unitY));
    tree.Refresh();
    tree.Update();
    Pump(10);
    const std::vector<unsigned char> ours = gui::ScreenPixels(&tree);
    const auto toolkit = [&](wxPaintEvent& e) {
      ++toolkitPaints;
      tree.wxGenericTreeCtrl::OnPaint(e);
    };
    tree.Bind(wxEVT_PAINT, toolkit);
    tree.Refresh();
    tree.Update();
    Pump(10);
    const std::vector<unsigned char> theirs = gui::ScreenPixels(&tree);
    tree.Unbind(wxEVT_PAINT, toolkit);
    ASSERT_FALSE(ours.empty());
    EXPECT_TRUE(ours == theirs) << "scrolled to " << y << " of " << units;
  }
  EXPECT_GT(toolkitPaints, 0);
}

}  // namespace
