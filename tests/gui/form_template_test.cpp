// The places of the detail form's controls: every control once, inside its
// panel, and no two that show together on top of each other.
#include <gtest/gtest.h>

#include <set>

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

TEST(FormTemplate, PlacesEveryControlOnceWithItsKind) {
  const auto places = FormControls();
  ASSERT_EQ(places.size(), 206u);
  ASSERT_EQ(places.size(), AllControlIds().size());
  for (std::size_t i = 0; i < places.size(); ++i) {
    EXPECT_EQ(places[i].id, AllControlIds()[i]);
    EXPECT_EQ(FindControl(places[i].id), &places[i]);
    if (places[i].kind == ControlKind::Label || places[i].kind == ControlKind::CheckBox) {
      EXPECT_NE(places[i].text, std::wstring()) << "control " << places[i].id << " has no text";
    }
  }
  EXPECT_EQ(FindControl(ControlId{999}), nullptr);
}

TEST(FormTemplate, KeepsTheFramesListsAndChartsAtTheirTemplatePlaces) {
  for (const PanelInfo& panel : Panels()) {
    const DialogRect box = FindControl(panel.groupBoxId)->rect;
    EXPECT_EQ(box.y, panel.topDialogUnits);
    EXPECT_EQ(box.x, 5);
  }
  EXPECT_EQ(FindControl(DevicePanel)->rect.height, 364);
  EXPECT_EQ(FindControl(DiskListPanel)->rect.width, 502);
  const DialogRect list = FindControl(MountPointExtentList)->rect;
  EXPECT_EQ(list.x, 15);
  EXPECT_EQ(list.y, 299);
  EXPECT_EQ(list.width, 486);
  EXPECT_EQ(list.height, 59);
  const std::pair<ControlId, int> charts[] = {{MountPointChart, 170}, {DiskChart, 170}, {ExtentChart, 223}, {PartitionChart, 193}};
  for (const auto& [id, side] : charts) EXPECT_EQ(FindControl(id)->rect, (DialogRect{FindControl(id)->rect.x, FindControl(id)->rect.y, side, side})) << id;
  EXPECT_EQ(FindControl(MountPointPathNamesListBox)->rect.y, 87);
  EXPECT_EQ(FindControl(AdapterDriverNodesListBox)->rect.x, 267);
}

TEST(FormTemplate, EveryControlStandsInsideItsPanelAndNoneCoverAnother) {
  for (const FormControl& p : FormControls()) {
    const PanelInfo* panel = PanelOfControl(p.id);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(Inside(p.rect, FindControl(panel->groupBoxId)->rect)) << "control " << p.id;
    EXPECT_GT(p.rect.width, 0);
    EXPECT_GT(p.rect.height, 0);
    EXPECT_LE(p.rect.Right(), kFormWidthDialogUnits);
    EXPECT_LE(p.rect.Bottom(), kFormHeightDialogUnits);
  }
  for (const FormControl& a : FormControls()) {
    if (a.kind == ControlKind::GroupBox) continue;
    for (const FormControl& b : FormControls()) {
      if (b.id <= a.id || b.kind == ControlKind::GroupBox || NeverTogether(a.id, b.id)) continue;
      EXPECT_FALSE(Overlap(a.rect, b.rect)) << "controls " << a.id << " and " << b.id << " overlap";
    }
  }
}

TEST(FormTemplate, InnerFramesHoldTheirFieldsWhole) {
  // A field is either wholly inside an inner frame or wholly outside it.
  for (ControlId frame :
       {MountPointPartitionFrame, DiskStyleFrame, DiskDetectionFrame, DeviceInquiryFrame, PartitionStyleFrame}) {
    const DialogRect f = FindControl(frame)->rect;
    for (const FormControl& p : FormControls()) {
      if (p.id == frame || p.kind == ControlKind::GroupBox) continue;
      if (Overlap(p.rect, f)) {
        EXPECT_TRUE(Inside(p.rect, f)) << "control " << p.id << " crosses frame " << frame;
      }
    }
  }
}

}  // namespace
