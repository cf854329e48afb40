// The table of the detail form: every control once, inside its panel, no two
// that show together on top of each other, inner frames that hold their fields
// whole and are read as one, and the template's style facts on the controls
// that carry them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "tests/support/panel_expectations.h"
#include "ui/form_layout.h"

using enum ControlId;

namespace {

bool Overlap(const DialogRect& a, const DialogRect& b) {
  return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

bool Inside(const DialogRect& inner, const DialogRect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.Right() <= outer.Right() && inner.Bottom() <= outer.Bottom();
}

// Groups that share one place and are never shown together.
int SharedPlaceGroup(ControlId id) {
  if (id >= PartitionHiddenSectorsLabel && id <= PartitionRewriteCheck) return 1;
  if (id >= PartitionGptTypeLabel && id <= PartitionGptNameEdit) return 2;
  if (id >= DiskSignatureLabel && id <= DiskChecksumEdit) return 3;
  if (id == DiskIdLabel || id == DiskIdEdit) return 4;
  if (id >= DiskInt13DriveSelectLabel && id <= DiskInt13DriveCountEdit) return 5;
  if (id >= DiskExInt13BufferSizeLabel && id <= DiskExInt13ReservedEdit) return 6;
  return 0;
}

bool NeverTogether(ControlId a, ControlId b) {
  const int ga = SharedPlaceGroup(a), gb = SharedPlaceGroup(b);
  return ga != 0 && gb != 0 && ga != gb && (ga + 1) / 2 == (gb + 1) / 2;
}

const DialogRect& RectOf(ControlId id) { return FindControl(id)->rect; }

std::set<ControlId> WithStyle(ControlStyle style) {
  std::set<ControlId> ids;
  for (const FormControl& c : FormControls())
    if ((c.style & style) != 0) ids.insert(c.id);
  return ids;
}

std::set<ControlId> OfKindIn(ControlKind kind, std::initializer_list<ControlId> panels) {
  std::set<ControlId> ids;
  for (const FormControl& c : FormControls())
    if (c.kind == kind && std::find(panels.begin(), panels.end(), c.panel) != panels.end()) ids.insert(c.id);
  return ids;
}

}  // namespace

TEST(FormTable, EveryControlOnceInTheRangeOfItsPanel) {
  const auto controls = FormControls();
  ASSERT_EQ(controls.size(), 206u);
  for (const FormControl& c : controls) {
    EXPECT_EQ(FindControl(c.id), &c);
    ASSERT_NE(PanelOfControl(c.id), nullptr) << c.id;
    const bool hasText =
        c.kind == ControlKind::Label || c.kind == ControlKind::CheckBox || c.kind == ControlKind::GroupBox;
    EXPECT_EQ(std::wstring(c.text).empty(), !hasText) << "text of control " << c.id;
  }
  // The ranges hold nothing but their panel's controls.
  std::size_t inRanges = 0;
  for (const PanelInfo& panel : Panels())
    for (ControlId id : AllControlIds()) inRanges += id >= panel.firstId && id <= panel.lastId;
  EXPECT_EQ(inRanges, controls.size());
  EXPECT_EQ(FindControl(ControlId{999}), nullptr);
}

TEST(FormTable, KeepsTheFramesListsAndChartsAtTheirTemplatePlaces) {
  for (const PanelInfo& panel : Panels()) {
    EXPECT_EQ(RectOf(panel.groupBoxId).y, panel.topDialogUnits);
    EXPECT_EQ(RectOf(panel.groupBoxId).x, 5);
  }
  EXPECT_EQ(RectOf(DevicePanel).height, 364);
  EXPECT_EQ(RectOf(DiskListPanel).width, 502);
  EXPECT_EQ(RectOf(MountPointExtentList), (DialogRect{15, 299, 486, 59}));
  const std::pair<ControlId, int> chartSides[] = {
      {MountPointChart, 170}, {DiskChart, 170}, {ExtentChart, 223}, {PartitionChart, 193}};
  for (const auto& [id, side] : chartSides) {
    EXPECT_EQ(RectOf(id).width, side) << id;
    EXPECT_EQ(RectOf(id).height, side) << id;
  }
  EXPECT_EQ(RectOf(MountPointPathNamesListBox).y, 87);
  EXPECT_EQ(RectOf(AdapterDriverNodesListBox).x, 267);
}

TEST(FormTable, EveryControlStandsInsideItsPanelAndNoneCoverAnother) {
  for (const FormControl& c : FormControls()) {
    EXPECT_TRUE(Inside(c.rect, RectOf(c.panel))) << "control " << c.id;
    EXPECT_GT(c.rect.width, 0);
    EXPECT_GT(c.rect.height, 0);
    EXPECT_LE(c.rect.Right(), kFormWidthDialogUnits);
    EXPECT_LE(c.rect.Bottom(), kFormHeightDialogUnits);
  }
  for (const FormControl& a : FormControls()) {
    if (a.kind == ControlKind::GroupBox) continue;
    for (const FormControl& b : FormControls()) {
      if (b.id <= a.id || b.kind == ControlKind::GroupBox || NeverTogether(a.id, b.id)) continue;
      EXPECT_FALSE(Overlap(a.rect, b.rect)) << "controls " << a.id << " and " << b.id << " overlap";
    }
  }
}

TEST(FormTable, InnerFramesHoldTheirFieldsWholeAndAreReadAsOne) {
  for (ControlId frame :
       {MountPointPartitionFrame, DiskStyleFrame, DiskDetectionFrame, DeviceInquiryFrame, PartitionStyleFrame}) {
    const DialogRect& f = RectOf(frame);
    // A field is either wholly inside an inner frame or wholly outside it.
    std::set<ControlId> inside;
    for (const FormControl& c : FormControls()) {
      if (c.id == frame || c.kind == ControlKind::GroupBox || !Overlap(c.rect, f)) continue;
      EXPECT_TRUE(Inside(c.rect, f)) << "control " << c.id << " crosses frame " << frame;
      if (c.readingOrder > 0) inside.insert(c.id);
    }
    // A reader meets all of them between the frame's beginning and its end,
    // and the frame only once.
    const auto fields = PanelFields(FindControl(frame)->panel);
    const auto begins = [frame](const FormField& x) { return x.type == FormField::Type::FrameBegin && x.id == frame; };
    ASSERT_EQ(std::count_if(fields.begin(), fields.end(), begins), 1) << frame;
    std::set<ControlId> read;
    for (auto it = std::find_if(fields.begin(), fields.end(), begins) + 1;
         it != fields.end() && it->type != FormField::Type::FrameEnd; ++it)
      read.insert(it->id);
    EXPECT_EQ(read, inside) << frame;
  }
}

TEST(FormTable, StyleFactsFallOnTheControlsTheTemplateNames) {
  const std::pair<ControlStyle, std::set<ControlId>> expected[] = {
      {kTabStop, OfKindIn(ControlKind::Edit, {MountPointPanel, ExtentPanel, PartitionPanel, DiskPanel, AdapterPanel,
                                              DevicePanel})},
      {kTextOnLeft, OfKindIn(ControlKind::CheckBox, {DevicePanel, PartitionPanel})},
      {kSorted, {MountPointPathNamesListBox}},
      {kSingleSelection, {MountPointExtentList, DiskPartitionList, AdapterDeviceList, AllMountPointsList}},
      {kRowsOpenNodes,
       {AllMountPointsList, AllDisksList, AllAdaptersList, MountPointExtentList, DiskPartitionList, AdapterDeviceList}},
      {kHiddenInTemplate, {DiskIdLabel, DiskIdEdit}},
  };
  for (const auto& [style, ids] : expected) EXPECT_EQ(WithStyle(style), ids) << "style " << style;
  EXPECT_EQ(WithStyle(kTabStop).size(), 69u);
  EXPECT_EQ(WithStyle(kTextOnLeft).size(), 22u);
}
