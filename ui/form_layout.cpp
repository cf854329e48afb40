#include "ui/form_layout.h"

#include <algorithm>
#include <array>
#include <vector>

using enum ControlId;

namespace {

constexpr std::array<PanelInfo, 9> kPanels{{
    {4, MountPointPanel, MountPointVolumeNameLabel, MountPointPathNamesListBox, L"Mount Point Information", 18},
    {5, ExtentPanel, ExtentPanel, ExtentChart, L"Disk Extent", 378},
    {6, PartitionPanel, PartitionPanel, PartitionChart, L"Disk Partition", 734},
    {7, DiskPanel, DiskPanel, DiskExInt13ReservedEdit, L"Disk Information", 1171},
    {8, AdapterPanel, AdapterPanel, AdapterDeviceNameEdit, L"Scsi Adapter Information", 1526},
    {9, DevicePanel, DevicePanel, DeviceIdentifierList, L"Scsi Device", 1880},
    {1, MountPointListPanel, MountPointListPanel, AllMountPointsList, L"Mountpoints", 2255},
    {2, DiskListPanel, DiskListPanel, AllDisksList, L"Physical Disks", 2612},
    {3, AdapterListPanel, AdapterListPanel, AllAdaptersList, L"Scsi Adapters", 2981},
}};

constexpr std::array<ControlId, 69> kEditIds{
    MountPointVolumeNameEdit,
    MountPointUniqueIdEdit,
    MountPointDeviceNameEdit,
    MountPointSymLinkNameEdit,
    MountPointVolumeLabelEdit,
    MountPointSerialNumberEdit,
    MountPointMaxNameLengthEdit,
    MountPointFsFlagsEdit,
    MountPointFsNameEdit,
    MountPointStyleEdit,
    MountPointStartingOffsetEdit,
    MountPointLengthEdit,
    MountPointPartitionNumberEdit,
    MountPointPartitionTypeEdit,
    MountPointHiddenSectorsEdit,  // mount point
    DiskSizeEdit,
    DiskCylindersEdit,
    DiskMediaTypeEdit,
    DiskTracksPerCylinderEdit,
    DiskSectorsPerTrackEdit,
    DiskBytesPerSectorEdit,
    DiskSignatureEdit,
    DiskChecksumEdit,
    DiskIdEdit,
    DiskInt13DriveSelectEdit,
    DiskInt13MaxCylindersEdit,
    DiskInt13SectorsPerTrackEdit,
    DiskInt13MaxHeadsEdit,
    DiskInt13DriveCountEdit,
    DiskExInt13BufferSizeEdit,
    DiskExInt13FlagsEdit,  // disk
    DiskExInt13CylindersEdit,
    DiskExInt13HeadsEdit,
    DiskExInt13SectorsPerTrackEdit,
    DiskExInt13SectorsPerDriveEdit,
    DiskExInt13SectorSizeEdit,
    DiskExInt13ReservedEdit,  //
    AdapterDriverNameEdit,
    AdapterMaxTransferLengthEdit,
    AdapterMaxPhysicalPagesEdit,
    AdapterAsyncEventsEdit,
    AdapterAlignmentMaskEdit,
    AdapterBusTypeEdit,
    AdapterBusMajorVersionEdit,
    AdapterBusMinorVersionEdit,
    AdapterDeviceNameEdit,  // adapter
    DeviceTypeEdit,
    DeviceTypeQualifierEdit,
    DeviceTypeModifierEdit,
    DeviceVersionEdit,
    DeviceResponseDataFormatEdit,
    DeviceAdditionalLengthEdit,
    DeviceVendorIdEdit,
    DeviceProductIdEdit,
    DeviceProductRevisionEdit,
    DeviceVendorSpecificEdit,
    DeviceSerialNumberEdit,  // device
    ExtentDiskNumberEdit,
    ExtentStartingOffsetEdit,
    ExtentLengthEdit,  // extent
    PartitionStartingOffsetEdit,
    PartitionLengthEdit,
    PartitionNumberEdit,
    PartitionHiddenSectorsEdit,
    PartitionMbrTypeEdit,
    PartitionGptTypeEdit,
    PartitionGptIdEdit,
    PartitionGptAttributesEdit,
    PartitionGptNameEdit,  // partition
};

constexpr std::array<ControlId, 29> kCheckBoxIds{
    MountPointRewriteCheck,
    MountPointBootIndicatorCheck,
    MountPointRecognizedCheck,  // mount point
    AdapterTaggedQueuingCheck,
    AdapterScansDownCheck,
    AdapterUsesPioCheck,
    AdapterAcceleratedTransferCheck,  // adapter
    DeviceRemovableMediaCheck,
    DeviceHiSupportCheck,
    DeviceNormAcaCheck,
    DeviceTerminateTaskCheck,
    DeviceAercCheck,
    DeviceAddr16Check,
    DeviceAddr32Check,
    DeviceAckReqQCheck,
    DeviceMediumChangerCheck,
    DeviceMultiPortCheck,
    DeviceEnclosureServicesCheck,
    DeviceSoftResetCheck,
    DeviceCommandQueueCheck,
    DeviceTransferDisableCheck,
    DeviceLinkedCommandsCheck,  // device
    DeviceSynchronousCheck,
    DeviceWide16BitCheck,
    DeviceWide32BitCheck,
    DeviceRelativeAddressingCheck,  //
    PartitionBootIndicatorCheck,
    PartitionRecognizedCheck,
    PartitionRewriteCheck,  // partition
};

constexpr std::array<ControlId, 7> kListViewIds{MountPointExtentList, DiskPartitionList,  AdapterDeviceList,
                                                DeviceIdentifierList, AllMountPointsList, AllDisksList,
                                                AllAdaptersList};
constexpr std::array<ControlId, 5> kListBoxIds{MountPointPathNamesListBox, AdapterHardwareIdsListBox,
                                               AdapterCompatibleIdsListBox, AdapterResourcesListBox,
                                               AdapterDriverNodesListBox};
constexpr std::array<ControlId, 4> kPieChartIds{MountPointChart, DiskChart, ExtentChart, PartitionChart};

struct IdText {
  ControlId id;
  const wchar_t* text;
};

constexpr std::array<IdText, 5> kRetitledFrames{{
    {DiskStyleFrame, L"MBR Partition"},
    {DiskDetectionFrame, L"Detect Int13"},
    {AdapterPanel, L"Scsi Adapter Information"},
    {DevicePanel, L"Scsi Device"},
    {PartitionStyleFrame, L"MBR Partition"},
}};

constexpr std::array<IdText, 5> kInnerFrames{{
    {MountPointPartitionFrame, L"Mount Point Partition Information"},
    {DiskStyleFrame, L"MBR Partition"},
    {DiskDetectionFrame, L"Detect Int13"},
    {DeviceInquiryFrame, L"Device Inquiry Data:"},
    {PartitionStyleFrame, L"MBR Partition"},
}};

struct ChartSize {
  ControlId id;
  DialogSize size;
};
constexpr std::array<ChartSize, 4> kChartSizes{{
    {MountPointChart, {170, 170}},
    {DiskChart, {170, 170}},
    {ExtentChart, {223, 223}},
    {PartitionChart, {193, 193}},
}};

using T = FormField::Type;

constexpr FormField kMountPointFields[] = {
    {T::Edit, MountPointVolumeNameEdit, L"Volume Name:"},
    {T::Edit, MountPointUniqueIdEdit, L"Unique Id:"},
    {T::Edit, MountPointDeviceNameEdit, L"Device Name:"},
    {T::Edit, MountPointSymLinkNameEdit, L"SymLink Name:"},
    {T::Edit, MountPointVolumeLabelEdit, L"Volume Label:"},
    {T::Edit, MountPointSerialNumberEdit, L"Serial Number:"},
    {T::Edit, MountPointMaxNameLengthEdit, L"Max Name Len:"},
    {T::Edit, MountPointFsFlagsEdit, L"FS Flags:"},
    {T::Edit, MountPointFsNameEdit, L"FS Name:"},
    {T::ListBox, MountPointPathNamesListBox, L"Volume Path Names:"},
    {T::FrameBegin, MountPointPartitionFrame, nullptr},
    {T::Edit, MountPointStyleEdit, L"Style"},
    {T::Edit, MountPointPartitionNumberEdit, L"Part. Number:"},
    {T::Edit, MountPointStartingOffsetEdit, L"Starting Off:"},
    {T::Edit, MountPointLengthEdit, L"Length:"},
    {T::Edit, MountPointPartitionTypeEdit, L"Partition Type:"},
    {T::Edit, MountPointHiddenSectorsEdit, L"Hidden Sectors:"},
    {T::CheckBox, MountPointRewriteCheck, L"Rewrite Partition"},
    {T::CheckBox, MountPointBootIndicatorCheck, L"Boot Indicator"},
    {T::CheckBox, MountPointRecognizedCheck, L"Recognized Partition"},
    {T::FrameEnd, MountPointPartitionFrame, nullptr},
    {T::PieChart, MountPointChart, nullptr},
    {T::ListView, MountPointExtentList, L"Disk Extent List:"},
};

constexpr FormField kDiskExtentFields[] = {
    {T::Edit, ExtentDiskNumberEdit, L"Disk Number:"},
    {T::Edit, ExtentStartingOffsetEdit, L"Starting Offset:"},
    {T::Edit, ExtentLengthEdit, L"Extent Length:"},
    {T::PieChart, ExtentChart, nullptr},
};

constexpr FormField kDiskPartitionFields[] = {
    {T::FrameBegin, PartitionStyleFrame, nullptr},
    {T::Edit, PartitionStartingOffsetEdit, L"Starting Offset:"},
    {T::Edit, PartitionLengthEdit, L"Length:"},
    {T::Edit, PartitionNumberEdit, L"Number:"},
    {T::Edit, PartitionHiddenSectorsEdit, L"Hidden Sectors:"},
    {T::Edit, PartitionMbrTypeEdit, L"Partition Type:"},
    {T::CheckBox, PartitionBootIndicatorCheck, L"Boot Indicator"},
    {T::CheckBox, PartitionRecognizedCheck, L"Recognized Partition:"},
    {T::CheckBox, PartitionRewriteCheck, L"Rewrite Partition:"},
    {T::Edit, PartitionGptTypeEdit, L"Partition Type:"},
    {T::Edit, PartitionGptIdEdit, L"Partition Id:"},
    {T::Edit, PartitionGptAttributesEdit, L"Attributes:"},
    {T::Edit, PartitionGptNameEdit, L"Name:"},
    {T::FrameEnd, PartitionStyleFrame, nullptr},
    {T::PieChart, PartitionChart, nullptr},
};

constexpr FormField kPhysicalDiskFields[] = {
    {T::Edit, DiskSizeEdit, L"Disk Size:"},
    {T::Edit, DiskCylindersEdit, L"Cylinders:"},
    {T::Edit, DiskMediaTypeEdit, L"Media Type:"},
    {T::Edit, DiskTracksPerCylinderEdit, L"Tracks/Cylinder:"},
    {T::Edit, DiskSectorsPerTrackEdit, L"Sectors/Track:"},
    {T::Edit, DiskBytesPerSectorEdit, L"Bytes/Sector:"},
    {T::FrameBegin, DiskStyleFrame, nullptr},
    {T::Edit, DiskSignatureEdit, L"Signature:"},
    {T::Edit, DiskChecksumEdit, L"Checksum:"},
    {T::Edit, DiskIdEdit, L"Disk Id:"},
    {T::FrameEnd, DiskStyleFrame, nullptr},
    {T::FrameBegin, DiskDetectionFrame, nullptr},
    {T::Edit, DiskInt13DriveSelectEdit, L"Drive Select:"},
    {T::Edit, DiskInt13MaxCylindersEdit, L"Max Cylinders:"},
    {T::Edit, DiskInt13SectorsPerTrackEdit, L"Sectors/Track:"},
    {T::Edit, DiskInt13MaxHeadsEdit, L"Max Heads:"},
    {T::Edit, DiskInt13DriveCountEdit, L"# of Drives:"},
    {T::Edit, DiskExInt13BufferSizeEdit, L"Buffer Size:"},
    {T::Edit, DiskExInt13FlagsEdit, L"Flags:"},
    {T::Edit, DiskExInt13CylindersEdit, L"Cylinders:"},
    {T::Edit, DiskExInt13HeadsEdit, L"Heads:"},
    {T::Edit, DiskExInt13SectorsPerTrackEdit, L"Sectors/Track:"},
    {T::Edit, DiskExInt13SectorsPerDriveEdit, L"Sectors/Drive:"},
    {T::Edit, DiskExInt13SectorSizeEdit, L"Sector Size:"},
    {T::Edit, DiskExInt13ReservedEdit, L"Reserved:"},
    {T::FrameEnd, DiskDetectionFrame, nullptr},
    {T::PieChart, DiskChart, nullptr},
    {T::ListView, DiskPartitionList, L"Disk Partition List:"},
};

constexpr FormField kScsiAdapterFields[] = {
    {T::Edit, AdapterDriverNameEdit, L"Driver Name:"},
    {T::Edit, AdapterDeviceNameEdit, L"Device Name:"},
    {T::Edit, AdapterMaxTransferLengthEdit, L"Max TXFR Len:"},
    {T::Edit, AdapterMaxPhysicalPagesEdit, L"Max Physical Pages:"},
    {T::Edit, AdapterAsyncEventsEdit, L"Async Events:"},
    {T::Edit, AdapterAlignmentMaskEdit, L"Alignment Mask:"},
    {T::CheckBox, AdapterTaggedQueuingCheck, L"Tagged Queuing"},
    {T::CheckBox, AdapterScansDownCheck, L"Adapter Scans Down"},
    {T::CheckBox, AdapterUsesPioCheck, L"Adapter Uses PIO"},
    {T::CheckBox, AdapterAcceleratedTransferCheck, L"Accelerated Transfer"},
    {T::Edit, AdapterBusTypeEdit, L"Bus Type:"},
    {T::Edit, AdapterBusMajorVersionEdit, L"Bus Maj. Ver:"},
    {T::Edit, AdapterBusMinorVersionEdit, L"Bus Minor Ver:"},
    {T::ListBox, AdapterHardwareIdsListBox, L"Hardware Ids:"},
    {T::ListBox, AdapterCompatibleIdsListBox, L"Compatible Ids:"},
    {T::ListBox, AdapterResourcesListBox, L"Hardware Resources:"},
    {T::ListBox, AdapterDriverNodesListBox, L"Device Node Information:"},
    {T::ListView, AdapterDeviceList, L"Scsi Device List:"},
};

constexpr FormField kScsiDeviceFields[] = {
    {T::FrameBegin, DeviceInquiryFrame, nullptr},
    {T::Edit, DeviceTypeEdit, L"Device Type:"},
    {T::Edit, DeviceTypeQualifierEdit, L"Device Type Qual."},
    {T::Edit, DeviceTypeModifierEdit, L"Device Type Mod."},
    {T::CheckBox, DeviceRemovableMediaCheck, L"Removable Media:"},
    {T::Edit, DeviceVersionEdit, L"Version:"},
    {T::Edit, DeviceResponseDataFormatEdit, L"Resp. Data Fmt."},
    {T::CheckBox, DeviceHiSupportCheck, L"Hi Support:"},
    {T::CheckBox, DeviceNormAcaCheck, L"Norm ACA:"},
    {T::CheckBox, DeviceTerminateTaskCheck, L"Terminate Task:"},
    {T::CheckBox, DeviceAercCheck, L"AERC:"},
    {T::Edit, DeviceAdditionalLengthEdit, L"Additional Length:"},
    {T::CheckBox, DeviceAddr16Check, L"Addr 16:"},
    {T::CheckBox, DeviceAddr32Check, L"Addr 32:"},
    {T::CheckBox, DeviceAckReqQCheck, L"Ack ReqQ:"},
    {T::CheckBox, DeviceMediumChangerCheck, L"Medium Changer:"},
    {T::CheckBox, DeviceMultiPortCheck, L"MultiPort:"},
    {T::CheckBox, DeviceEnclosureServicesCheck, L"Enclosure Services:"},
    {T::CheckBox, DeviceSoftResetCheck, L"Soft Reset:"},
    {T::CheckBox, DeviceCommandQueueCheck, L"Command Queue:"},
    {T::CheckBox, DeviceTransferDisableCheck, L"Transfer Disable:"},
    {T::CheckBox, DeviceLinkedCommandsCheck, L"Linked Commands:"},
    {T::CheckBox, DeviceSynchronousCheck, L"Synchronous:"},
    {T::CheckBox, DeviceWide16BitCheck, L"Wide 16 Bit:"},
    {T::CheckBox, DeviceWide32BitCheck, L"Wide 32 Bit:"},
    {T::CheckBox, DeviceRelativeAddressingCheck, L"Relative Addressing:"},
    {T::Edit, DeviceVendorIdEdit, L"Vendor Id:"},
    {T::Edit, DeviceProductIdEdit, L"Product Id:"},
    {T::Edit, DeviceProductRevisionEdit, L"Prod. Rev. Lvl:"},
    {T::Edit, DeviceVendorSpecificEdit, L"Vend Specific:"},
    {T::FrameEnd, DeviceInquiryFrame, nullptr},
    {T::Edit, DeviceSerialNumberEdit, L"Serial Number:"},
    {T::ListView, DeviceIdentifierList, L"Device Identifier List:"},
};

constexpr FormField kMountPointListFields[] = {{T::ListView, AllMountPointsList, nullptr}};
constexpr FormField kPhysicalDiskListFields[] = {{T::ListView, AllDisksList, nullptr}};
constexpr FormField kAdapterListFields[] = {{T::ListView, AllAdaptersList, nullptr}};

template <std::size_t N>
bool Contains(const std::array<ControlId, N>& ids, ControlId id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::vector<ControlId> CollectAllIds() {
  std::vector<ControlId> ids;
  for (const PanelInfo& p : kPanels)
    for (int id = static_cast<int>(p.firstId); id <= static_cast<int>(p.lastId); ++id) ids.push_back(ControlId{id});
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace

std::span<const PanelInfo> Panels() { return kPanels; }

const PanelInfo* PanelOfKind(int kind) {
  for (const PanelInfo& p : kPanels)
    if (p.kind == kind) return &p;
  return nullptr;
}

const PanelInfo* PanelOfControl(ControlId id) {
  for (const PanelInfo& p : kPanels)
    if (id >= p.firstId && id <= p.lastId) return &p;
  return nullptr;
}

std::span<const ControlId> AllControlIds() {
  static const std::vector<ControlId> ids = CollectAllIds();
  return ids;
}

ControlKind KindOfControl(ControlId id) {
  if (Contains(kEditIds, id)) return ControlKind::Edit;
  if (Contains(kCheckBoxIds, id)) return ControlKind::CheckBox;
  if (Contains(kListViewIds, id)) return ControlKind::ListView;
  if (Contains(kListBoxIds, id)) return ControlKind::ListBox;
  if (Contains(kPieChartIds, id)) return ControlKind::PieChart;
  if (GroupBoxTitle(id) != nullptr) return ControlKind::GroupBox;
  return ControlKind::Label;
}

std::span<const ControlId> EditIds() { return kEditIds; }
std::span<const ControlId> CheckBoxIds() { return kCheckBoxIds; }
std::span<const ControlId> ListViewIds() { return kListViewIds; }
std::span<const ControlId> ListBoxIds() { return kListBoxIds; }
std::span<const ControlId> PieChartIds() { return kPieChartIds; }

std::span<const ControlId> RetitledFrameIds() {
  static constexpr std::array<ControlId, 5> ids{DiskStyleFrame, DiskDetectionFrame, AdapterPanel, DevicePanel,
                                                PartitionStyleFrame};
  return ids;
}

const wchar_t* TemplateFrameTitle(ControlId id) {
  for (const IdText& f : kRetitledFrames)
    if (f.id == id) return f.text;
  return nullptr;
}

const wchar_t* GroupBoxTitle(ControlId id) {
  for (const PanelInfo& p : kPanels)
    if (p.groupBoxId == id) return p.title;
  for (const IdText& f : kInnerFrames)
    if (f.id == id) return f.text;
  return nullptr;
}

bool HiddenInTemplate(ControlId id) { return id == DiskIdLabel || id == DiskIdEdit; }

DialogSize PieChartDialogSize(ControlId id) {
  for (const ChartSize& c : kChartSizes)
    if (c.id == id) return c.size;
  return {0, 0};
}

// The form's font averages 6 by 13 pixels; a dialog unit is a quarter of the
// width and an eighth of the height.
int DialogUnitsToPixelsX(int units) { return units * 6 / 4; }
int DialogUnitsToPixelsY(int units) { return units * 13 / 8; }

std::span<const FormField> PanelFields(ControlId groupBoxId) {
  switch (groupBoxId) {
    case MountPointPanel:
      return kMountPointFields;
    case ExtentPanel:
      return kDiskExtentFields;
    case PartitionPanel:
      return kDiskPartitionFields;
    case DiskPanel:
      return kPhysicalDiskFields;
    case AdapterPanel:
      return kScsiAdapterFields;
    case DevicePanel:
      return kScsiDeviceFields;
    case MountPointListPanel:
      return kMountPointListFields;
    case DiskListPanel:
      return kPhysicalDiskListFields;
    case AdapterListPanel:
      return kAdapterListFields;
    default:
      return {};
  }
}
