#include "ui/widgets/form_template.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

using enum ControlId;

namespace {

// Row metrics of the grid, in dialog units: an edit is 12 high, its label sits
// 2 lower so that both texts share a baseline, a check box is 10 high.
constexpr int kEditHeight = 12;
constexpr int kLabelHeight = 8;
constexpr int kLabelDrop = 2;
constexpr int kCheckHeight = 10;
constexpr int kCheckDrop = 1;

class Builder {
 public:
  void Frame(ControlId id, DialogRect r) { Add(id, ControlKind::GroupBox, r, GroupBoxTitle(id)); }
  void List(ControlId id, DialogRect r) { Add(id, ControlKind::ListView, r, L""); }
  void ListBox(ControlId id, DialogRect r) { Add(id, ControlKind::ListBox, r, L""); }
  void Pie(ControlId id, DialogRect r) { Add(id, ControlKind::PieChart, r, L""); }
  void Label(ControlId id, DialogRect r, const wchar_t* text) { Add(id, ControlKind::Label, r, text); }

  // A label and its edit on one row: the label from x, `labelWidth` wide, the
  // edit right after it up to x + labelWidth + editWidth.
  void Field(ControlId labelId, const wchar_t* label, ControlId editId, int x, int y, int labelWidth, int editWidth) {
    Label(labelId, {x, y + kLabelDrop, labelWidth - 2, kLabelHeight}, label);
    Add(editId, ControlKind::Edit, {x + labelWidth, y, editWidth, kEditHeight}, L"");
  }
  // A caption above a list or list box, flush with its left edge.
  void Caption(ControlId labelId, const wchar_t* label, const DialogRect& below, int width = 120) {
    Label(labelId, {below.x, below.y - kLabelHeight - 2, width, kLabelHeight}, label);
  }
  void Check(ControlId id, const wchar_t* text, int x, int y, int width, bool textOnLeft = false) {
    ControlPlace& p = Add(id, ControlKind::CheckBox, {x, y + kCheckDrop, width, kCheckHeight}, text);
    p.textOnLeft = textOnLeft;
  }

  std::vector<ControlPlace> Done() {
    std::sort(places.begin(), places.end(), [](const ControlPlace& a, const ControlPlace& b) { return a.id < b.id; });
    return std::move(places);
  }

 private:
  ControlPlace& Add(ControlId id, ControlKind kind, DialogRect r, const wchar_t* text) {
    if (KindOfControl(id) != kind) throw std::logic_error("form template: control of the wrong kind");
    places.push_back({id, kind, r, text != nullptr ? text : L"", false});
    return places.back();
  }

  std::vector<ControlPlace> places;
};

void BuildMountPointPanel(Builder& b) {
  b.Frame(MountPointPanel, {5, 18, 503, 346});
  // Names of the volume on the left, what its file system says on the right.
  constexpr int leftX = 14, leftLabel = 62, leftEdit = 256;
  b.Field(MountPointVolumeNameLabel, L"Volume Name:", MountPointVolumeNameEdit, leftX, 30, leftLabel, leftEdit);
  b.Field(MountPointUniqueIdLabel, L"Unique Id:", MountPointUniqueIdEdit, leftX, 44, leftLabel, leftEdit);
  b.Field(MountPointDeviceNameLabel, L"Device Name:", MountPointDeviceNameEdit, leftX, 58, leftLabel, leftEdit);
  b.Field(MountPointSymLinkNameLabel, L"SymLink Name:", MountPointSymLinkNameEdit, leftX, 72, leftLabel, leftEdit);
  constexpr int rightX = 336, rightLabel = 62, rightEdit = 104;
  b.Field(MountPointVolumeLabelLabel, L"Volume Label:", MountPointVolumeLabelEdit, rightX, 30, rightLabel, rightEdit);
  b.Field(MountPointSerialNumberLabel, L"Serial Number:", MountPointSerialNumberEdit, rightX, 44, rightLabel,
          rightEdit);
  b.Field(MountPointMaxNameLengthLabel, L"Max Name Len:", MountPointMaxNameLengthEdit, rightX, 58, rightLabel,
          rightEdit);
  b.Field(MountPointFsFlagsLabel, L"FS Flags:", MountPointFsFlagsEdit, rightX, 72, rightLabel, rightEdit);
  b.Field(MountPointFsNameLabel, L"FS Name:", MountPointFsNameEdit, rightX, 86, rightLabel, rightEdit);

  // The caption stands beside the box: above it the names leave no room.
  b.ListBox(MountPointPathNamesListBox, {19, 87, 170, 46});
  b.Label(MountPointPathNamesLabel, {195, 89, 90, kLabelHeight}, L"Volume Path Names:");

  b.Frame(MountPointPartitionFrame, {10, 138, 313, 143});
  constexpr int partX = 20, partLabel = 62, partEdit = 124;
  b.Field(MountPointStyleLabel, L"Style", MountPointStyleEdit, partX, 154, partLabel, partEdit);
  b.Field(MountPointPartitionNumberLabel, L"Part. Number:", MountPointPartitionNumberEdit, partX, 170, partLabel,
          partEdit);
  b.Field(MountPointStartingOffsetLabel, L"Starting Off:", MountPointStartingOffsetEdit, partX, 186, partLabel,
          partEdit);
  b.Field(MountPointLengthLabel, L"Length:", MountPointLengthEdit, partX, 202, partLabel, partEdit);
  b.Field(MountPointPartitionTypeLabel, L"Partition Type:", MountPointPartitionTypeEdit, partX, 218, partLabel,
          partEdit);
  b.Field(MountPointHiddenSectorsLabel, L"Hidden Sectors:", MountPointHiddenSectorsEdit, partX, 234, partLabel,
          partEdit);
  b.Check(MountPointRewriteCheck, L"Rewrite Partition", 220, 154, 96);
  b.Check(MountPointBootIndicatorCheck, L"Boot Indicator", 220, 170, 96);
  b.Check(MountPointRecognizedCheck, L"Recognized Partition", 220, 186, 96);

  b.Pie(MountPointChart, {331, 121, 170, 170});
  const DialogRect extents{15, 299, 486, 59};
  b.List(MountPointExtentList, extents);
  b.Caption(MountPointExtentListLabel, L"Disk Extent List:", extents);
}

void BuildDiskExtentPanel(Builder& b) {
  b.Frame(ExtentPanel, {5, 378, 503, 346});
  // Above the chart and flush with it.
  constexpr int x = 156, label = 62, edit = 161;
  b.Field(ExtentDiskNumberLabel, L"Disk Number:", ExtentDiskNumberEdit, x, 404, label, edit);
  b.Field(ExtentStartingOffsetLabel, L"Starting Offset:", ExtentStartingOffsetEdit, x, 420, label, edit);
  b.Field(ExtentLengthLabel, L"Extent Length:", ExtentLengthEdit, x, 436, label, edit);
  b.Pie(ExtentChart, {156, 476, 223, 223});
}

void BuildDiskPartitionPanel(Builder& b) {
  b.Frame(PartitionPanel, {5, 734, 503, 346});
  b.Frame(PartitionStyleFrame, {12, 751, 491, 108});
  // Fields of both styles on the left; the MBR and GPT groups share the right.
  constexpr int leftX = 22, leftLabel = 62, leftEdit = 120;
  b.Field(PartitionStartingOffsetLabel, L"Starting Offset:", PartitionStartingOffsetEdit, leftX, 767, leftLabel,
          leftEdit);
  b.Field(PartitionLengthLabel, L"Length:", PartitionLengthEdit, leftX, 783, leftLabel, leftEdit);
  b.Field(PartitionNumberLabel, L"Number:", PartitionNumberEdit, leftX, 799, leftLabel, leftEdit);
  constexpr int rightX = 222, rightLabel = 60, rightEdit = 212;
  b.Field(PartitionHiddenSectorsLabel, L"Hidden Sectors:", PartitionHiddenSectorsEdit, rightX, 767, rightLabel,
          rightEdit);
  b.Field(PartitionMbrTypeLabel, L"Partition Type:", PartitionMbrTypeEdit, rightX, 783, rightLabel, rightEdit);
  b.Check(PartitionBootIndicatorCheck, L"Boot Indicator", rightX, 799, 104, true);
  b.Check(PartitionRecognizedCheck, L"Recognized Partition:", rightX, 815, 104, true);
  b.Check(PartitionRewriteCheck, L"Rewrite Partition:", rightX, 831, 104, true);
  b.Field(PartitionGptTypeLabel, L"Partition Type:", PartitionGptTypeEdit, rightX, 767, rightLabel, rightEdit);
  b.Field(PartitionGptIdLabel, L"Partition Id:", PartitionGptIdEdit, rightX, 783, rightLabel, rightEdit);
  b.Field(PartitionGptAttributesLabel, L"Attributes:", PartitionGptAttributesEdit, rightX, 799, rightLabel, rightEdit);
  b.Field(PartitionGptNameLabel, L"Name:", PartitionGptNameEdit, rightX, 815, rightLabel, rightEdit);
  b.Pie(PartitionChart, {305, 869, 193, 193});
}

void BuildPhysicalDiskPanel(Builder& b) {
  b.Frame(DiskPanel, {5, 1171, 503, 346});
  constexpr int leftX = 14, leftLabel = 62, leftEdit = 160;
  constexpr int rightX = 256, rightLabel = 64, rightEdit = 180;
  b.Field(DiskSizeLabel, L"Disk Size:", DiskSizeEdit, leftX, 1184, leftLabel, leftEdit);
  b.Field(DiskCylindersLabel, L"Cylinders:", DiskCylindersEdit, leftX, 1198, leftLabel, leftEdit);
  b.Field(DiskMediaTypeLabel, L"Media Type:", DiskMediaTypeEdit, leftX, 1212, leftLabel, leftEdit);
  b.Field(DiskTracksPerCylinderLabel, L"Tracks/Cylinder:", DiskTracksPerCylinderEdit, rightX, 1184, rightLabel,
          rightEdit);
  b.Field(DiskSectorsPerTrackLabel, L"Sectors/Track:", DiskSectorsPerTrackEdit, rightX, 1198, rightLabel, rightEdit);
  b.Field(DiskBytesPerSectorLabel, L"Bytes/Sector:", DiskBytesPerSectorEdit, rightX, 1212, rightLabel, rightEdit);

  // Signature and checksum of an MBR disk, or the id of a GPT disk, in one place.
  b.Frame(DiskStyleFrame, {9, 1228, 496, 40});
  b.Field(DiskSignatureLabel, L"Signature:", DiskSignatureEdit, 16, 1244, 46, 100);
  b.Field(DiskChecksumLabel, L"Checksum:", DiskChecksumEdit, 176, 1244, 46, 100);
  b.Field(DiskIdLabel, L"Disk Id:", DiskIdEdit, 16, 1244, 46, 220);

  // The BIOS detection data: the Int13 group or the extended group, in one place.
  b.Frame(DiskDetectionFrame, {9, 1277, 304, 159});
  constexpr int x = 20, label = 64, edit = 120;
  b.Field(DiskInt13DriveSelectLabel, L"Drive Select:", DiskInt13DriveSelectEdit, x, 1292, label, edit);
  b.Field(DiskInt13MaxCylindersLabel, L"Max Cylinders:", DiskInt13MaxCylindersEdit, x, 1308, label, edit);
  b.Field(DiskInt13SectorsPerTrackLabel, L"Sectors/Track:", DiskInt13SectorsPerTrackEdit, x, 1324, label, edit);
  b.Field(DiskInt13MaxHeadsLabel, L"Max Heads:", DiskInt13MaxHeadsEdit, x, 1340, label, edit);
  b.Field(DiskInt13DriveCountLabel, L"# of Drives:", DiskInt13DriveCountEdit, x, 1356, label, edit);
  b.Field(DiskExInt13BufferSizeLabel, L"Buffer Size:", DiskExInt13BufferSizeEdit, x, 1292, label, edit);
  b.Field(DiskExInt13FlagsLabel, L"Flags:", DiskExInt13FlagsEdit, x, 1308, label, edit);
  b.Field(DiskExInt13CylindersLabel, L"Cylinders:", DiskExInt13CylindersEdit, x, 1324, label, edit);
  b.Field(DiskExInt13HeadsLabel, L"Heads:", DiskExInt13HeadsEdit, x, 1340, label, edit);
  b.Field(DiskExInt13SectorsPerTrackLabel, L"Sectors/Track:", DiskExInt13SectorsPerTrackEdit, x, 1356, label, edit);
  b.Field(DiskExInt13SectorsPerDriveLabel, L"Sectors/Drive:", DiskExInt13SectorsPerDriveEdit, x, 1372, label, edit);
  b.Field(DiskExInt13SectorSizeLabel, L"Sector Size:", DiskExInt13SectorSizeEdit, x, 1388, label, edit);
  b.Field(DiskExInt13ReservedLabel, L"Reserved:", DiskExInt13ReservedEdit, x, 1404, label, edit);

  b.Pie(DiskChart, {329, 1277, 170, 170});
  const DialogRect partitions{15, 1459, 485, 50};
  b.List(DiskPartitionList, partitions);
  b.Caption(DiskPartitionListLabel, L"Disk Partition List:", partitions);
}

void BuildScsiAdapterPanel(Builder& b) {
  b.Frame(AdapterPanel, {5, 1526, 503, 346});
  b.Field(AdapterDriverNameLabel, L"Driver Name:", AdapterDriverNameEdit, 14, 1542, 56, 176);
  b.Field(AdapterDeviceNameLabel, L"Device Name:", AdapterDeviceNameEdit, 258, 1542, 56, 176);
  constexpr int leftX = 14, leftLabel = 76, leftEdit = 90;
  b.Field(AdapterMaxTransferLengthLabel, L"Max TXFR Len:", AdapterMaxTransferLengthEdit, leftX, 1562, leftLabel,
          leftEdit);
  b.Field(AdapterMaxPhysicalPagesLabel, L"Max Physical Pages:", AdapterMaxPhysicalPagesEdit, leftX, 1578, leftLabel,
          leftEdit);
  b.Field(AdapterAsyncEventsLabel, L"Async Events:", AdapterAsyncEventsEdit, leftX, 1594, leftLabel, leftEdit);
  b.Field(AdapterAlignmentMaskLabel, L"Alignment Mask:", AdapterAlignmentMaskEdit, leftX, 1610, leftLabel, leftEdit);
  constexpr int checkX = 196;
  b.Check(AdapterTaggedQueuingCheck, L"Tagged Queuing", checkX, 1562, 96);
  b.Check(AdapterScansDownCheck, L"Adapter Scans Down", checkX, 1578, 96);
  b.Check(AdapterUsesPioCheck, L"Adapter Uses PIO", checkX, 1594, 96);
  b.Check(AdapterAcceleratedTransferCheck, L"Accelerated Transfer", checkX, 1610, 96);
  constexpr int rightX = 308, rightLabel = 56, rightEdit = 126;
  b.Field(AdapterBusTypeLabel, L"Bus Type:", AdapterBusTypeEdit, rightX, 1562, rightLabel, rightEdit);
  b.Field(AdapterBusMajorVersionLabel, L"Bus Maj. Ver:", AdapterBusMajorVersionEdit, rightX, 1578, rightLabel,
          rightEdit);
  b.Field(AdapterBusMinorVersionLabel, L"Bus Minor Ver:", AdapterBusMinorVersionEdit, rightX, 1594, rightLabel,
          rightEdit);

  const DialogRect hardwareIds{24, 1664, 222, 40}, compatibleIds{267, 1664, 222, 40};
  const DialogRect resources{24, 1724, 222, 59}, driverNodes{267, 1724, 222, 59};
  b.ListBox(AdapterHardwareIdsListBox, hardwareIds);
  b.Caption(AdapterHardwareIdsLabel, L"Hardware Ids:", hardwareIds);
  b.ListBox(AdapterCompatibleIdsListBox, compatibleIds);
  b.Caption(AdapterCompatibleIdsLabel, L"Compatible Ids:", compatibleIds);
  b.ListBox(AdapterResourcesListBox, resources);
  b.Caption(AdapterResourcesLabel, L"Hardware Resources:", resources);
  b.ListBox(AdapterDriverNodesListBox, driverNodes);
  b.Caption(AdapterDriverNodesLabel, L"Device Node Information:", driverNodes);
  const DialogRect devices{15, 1798, 483, 64};
  b.List(AdapterDeviceList, devices);
  b.Caption(AdapterDeviceListLabel, L"Scsi Device List:", devices);
}

void BuildScsiDevicePanel(Builder& b) {
  b.Frame(DevicePanel, {5, 1880, 503, 364});
  b.Field(DeviceSerialNumberLabel, L"Serial Number:", DeviceSerialNumberEdit, 24, 1900, 62, 260);

  b.Frame(DeviceInquiryFrame, {18, 1933, 480, 148});
  // Three columns of short fields, two of texts, then the flags four abreast.
  constexpr int colA = 26, colB = 182, colC = 338, label = 70, edit = 80;
  b.Field(DeviceTypeLabel, L"Device Type:", DeviceTypeEdit, colA, 1948, label, edit);
  b.Field(DeviceTypeQualifierLabel, L"Device Type Qual.", DeviceTypeQualifierEdit, colB, 1948, label, edit);
  b.Field(DeviceTypeModifierLabel, L"Device Type Mod.", DeviceTypeModifierEdit, colC, 1948, label, edit);
  b.Field(DeviceVersionLabel, L"Version:", DeviceVersionEdit, colA, 1963, label, edit);
  b.Field(DeviceResponseDataFormatLabel, L"Resp. Data Fmt.", DeviceResponseDataFormatEdit, colB, 1963, label, edit);
  b.Field(DeviceAdditionalLengthLabel, L"Additional Length:", DeviceAdditionalLengthEdit, colC, 1963, label, edit);
  constexpr int textLabel = 70, textEdit = 158;
  b.Field(DeviceVendorIdLabel, L"Vendor Id:", DeviceVendorIdEdit, colA, 1978, textLabel, textEdit);
  b.Field(DeviceProductIdLabel, L"Product Id:", DeviceProductIdEdit, 260, 1978, 66, textEdit);
  b.Field(DeviceProductRevisionLabel, L"Prod. Rev. Lvl:", DeviceProductRevisionEdit, colA, 1993, textLabel, textEdit);
  b.Field(DeviceVendorSpecificLabel, L"Vend Specific:", DeviceVendorSpecificEdit, 260, 1993, 66, textEdit);

  struct Flag {
    ControlId id;
    const wchar_t* text;
  };
  constexpr Flag flags[] = {
      {DeviceRemovableMediaCheck, L"Removable Media:"},
      {DeviceHiSupportCheck, L"Hi Support:"},
      {DeviceNormAcaCheck, L"Norm ACA:"},
      {DeviceTerminateTaskCheck, L"Terminate Task:"},
      {DeviceAercCheck, L"AERC:"},
      {DeviceAddr16Check, L"Addr 16:"},
      {DeviceAddr32Check, L"Addr 32:"},
      {DeviceAckReqQCheck, L"Ack ReqQ:"},
      {DeviceMediumChangerCheck, L"Medium Changer:"},
      {DeviceMultiPortCheck, L"MultiPort:"},
      {DeviceEnclosureServicesCheck, L"Enclosure Services:"},
      {DeviceSoftResetCheck, L"Soft Reset:"},
      {DeviceCommandQueueCheck, L"Command Queue:"},
      {DeviceTransferDisableCheck, L"Transfer Disable:"},
      {DeviceLinkedCommandsCheck, L"Linked Commands:"},
      {DeviceSynchronousCheck, L"Synchronous:"},
      {DeviceWide16BitCheck, L"Wide 16 Bit:"},
      {DeviceWide32BitCheck, L"Wide 32 Bit:"},
      {DeviceRelativeAddressingCheck, L"Relative Addressing:"},
  };
  constexpr int flagWidth = 104, flagStep = 116, rowStep = 13, firstRow = 2012;
  int i = 0;
  for (const Flag& f : flags) {
    b.Check(f.id, f.text, colA + (i % 4) * flagStep, firstRow + (i / 4) * rowStep, flagWidth, true);
    ++i;
  }

  const DialogRect identifiers{15, 2104, 484, 132};
  b.List(DeviceIdentifierList, identifiers);
  b.Caption(DeviceIdentifierListLabel, L"Device Identifier List:", identifiers);
}

void BuildListPanels(Builder& b) {
  b.Frame(MountPointListPanel, {5, 2255, 503, 346});
  b.List(AllMountPointsList, {23, 2281, 463, 272});
  b.Frame(DiskListPanel, {5, 2612, 502, 347});
  b.List(AllDisksList, {22, 2645, 463, 272});
  b.Frame(AdapterListPanel, {5, 2981, 502, 347});
  b.List(AllAdaptersList, {22, 3007, 463, 272});
}

std::vector<ControlPlace> Build() {
  Builder b;
  BuildMountPointPanel(b);
  BuildDiskExtentPanel(b);
  BuildDiskPartitionPanel(b);
  BuildPhysicalDiskPanel(b);
  BuildScsiAdapterPanel(b);
  BuildScsiDevicePanel(b);
  BuildListPanels(b);
  return b.Done();
}

}  // namespace

std::span<const ControlPlace> FormTemplate() {
  static const std::vector<ControlPlace> places = Build();
  return places;
}

const ControlPlace* PlaceOfControl(ControlId id) {
  const auto all = FormTemplate();
  const auto it =
      std::lower_bound(all.begin(), all.end(), id, [](const ControlPlace& p, ControlId v) { return p.id < v; });
  return it != all.end() && it->id == id ? &*it : nullptr;
}
