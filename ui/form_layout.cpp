#include "ui/form_layout.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr std::array<PanelInfo, 9> kPanels{{
    {4, 1010, 1000, 1039, L"Mount Point Information", 18},
    {5, 1500, 1500, 1507, L"Disk Extent", 378},
    {6, 1800, 1800, 1823, L"Disk Partition", 734},
    {7, 1050, 1050, 1099, L"Disk Information", 1171},
    {8, 1130, 1130, 1162, L"Scsi Adapter Information", 1526},
    {9, 1300, 1300, 1344, L"Scsi Device", 1880},
    {1, 2000, 2000, 2001, L"Mountpoints", 2255},
    {2, 2100, 2100, 2101, L"Physical Disks", 2612},
    {3, 2200, 2200, 2201, L"Scsi Adapters", 2981},
}};

constexpr std::array<int, 69> kEditIds{
    1001, 1003, 1005, 1007, 1012, 1014, 1016, 1018, 1020, 1024, 1026, 1028, 1030, 1032, 1036,        // mount point
    1053, 1057, 1059, 1061, 1063, 1065, 1068, 1070, 1072, 1075, 1077, 1079, 1081, 1083, 1085, 1087,  // disk
    1089, 1091, 1093, 1095, 1097, 1099,                                                              //
    1134, 1136, 1138, 1140, 1142, 1148, 1150, 1152, 1162,                                            // adapter
    1303, 1304, 1306, 1309, 1311, 1317, 1333, 1335, 1337, 1339, 1342,                                // device
    1501, 1503, 1505,                                                                                // extent
    1803, 1805, 1807, 1809, 1811, 1816, 1818, 1820, 1822,                                            // partition
};

constexpr std::array<int, 29> kCheckBoxIds{
    1031, 1034, 1035,                                                                        // mount point
    1143, 1144, 1145, 1146,                                                                  // adapter
    1307, 1312, 1313, 1314, 1315, 1318, 1319, 1320, 1321, 1322, 1323, 1324, 1325, 1326, 1327,  // device
    1328, 1329, 1330, 1331,                                                                  //
    1812, 1813, 1814,                                                                        // partition
};

constexpr std::array<int, 7> kListViewIds{1008, 1051, 1131, 1344, 2001, 2101, 2201};
constexpr std::array<int, 5> kListBoxIds{1039, 1154, 1156, 1158, 1160};
constexpr std::array<int, 4> kPieChartIds{1021, 1055, 1507, 1823};

struct IdText {
  int id;
  const wchar_t* text;
};

constexpr std::array<IdText, 5> kRetitledFrames{{
    {1066, L"MBR Partition"},
    {1073, L"Detect Int13"},
    {1130, L"Scsi Adapter Information"},
    {1300, L"Scsi Device"},
    {1801, L"MBR Partition"},
}};

constexpr std::array<IdText, 5> kInnerFrames{{
    {1022, L"Mount Point Partition Information"},
    {1066, L"MBR Partition"},
    {1073, L"Detect Int13"},
    {1340, L"Device Inquiry Data:"},
    {1801, L"MBR Partition"},
}};

struct ChartSize {
  int id;
  DialogSize size;
};
constexpr std::array<ChartSize, 4> kChartSizes{{
    {1021, {170, 170}},
    {1055, {170, 170}},
    {1507, {223, 223}},
    {1823, {193, 193}},
}};

using T = FormField::Type;

constexpr FormField kMountPointFields[] = {
    {T::Edit, 1001, L"Volume Name:"},
    {T::Edit, 1003, L"Unique Id:"},
    {T::Edit, 1005, L"Device Name:"},
    {T::Edit, 1007, L"SymLink Name:"},
    {T::Edit, 1012, L"Volume Label:"},
    {T::Edit, 1014, L"Serial Number:"},
    {T::Edit, 1016, L"Max Name Len:"},
    {T::Edit, 1018, L"FS Flags:"},
    {T::Edit, 1020, L"FS Name:"},
    {T::ListBox, 1039, L"Volume Path Names:"},
    {T::FrameBegin, 1022, nullptr},
    {T::Edit, 1024, L"Style"},
    {T::Edit, 1030, L"Part. Number:"},
    {T::Edit, 1026, L"Starting Off:"},
    {T::Edit, 1028, L"Length:"},
    {T::Edit, 1032, L"Partition Type:"},
    {T::Edit, 1036, L"Hidden Sectors:"},
    {T::CheckBox, 1031, L"Rewrite Partition"},
    {T::CheckBox, 1034, L"Boot Indicator"},
    {T::CheckBox, 1035, L"Recognized Partition"},
    {T::FrameEnd, 1022, nullptr},
    {T::PieChart, 1021, nullptr},
    {T::ListView, 1008, L"Disk Extent List:"},
};

constexpr FormField kDiskExtentFields[] = {
    {T::Edit, 1501, L"Disk Number:"},
    {T::Edit, 1503, L"Starting Offset:"},
    {T::Edit, 1505, L"Extent Length:"},
    {T::PieChart, 1507, nullptr},
};

constexpr FormField kDiskPartitionFields[] = {
    {T::FrameBegin, 1801, nullptr},
    {T::Edit, 1803, L"Starting Offset:"},
    {T::Edit, 1805, L"Length:"},
    {T::Edit, 1807, L"Number:"},
    {T::Edit, 1809, L"Hidden Sectors:"},
    {T::Edit, 1811, L"Partition Type:"},
    {T::CheckBox, 1812, L"Boot Indicator"},
    {T::CheckBox, 1813, L"Recognized Partition:"},
    {T::CheckBox, 1814, L"Rewrite Partition:"},
    {T::Edit, 1816, L"Partition Type:"},
    {T::Edit, 1818, L"Partition Id:"},
    {T::Edit, 1820, L"Attributes:"},
    {T::Edit, 1822, L"Name:"},
    {T::FrameEnd, 1801, nullptr},
    {T::PieChart, 1823, nullptr},
};

constexpr FormField kPhysicalDiskFields[] = {
    {T::Edit, 1053, L"Disk Size:"},
    {T::Edit, 1057, L"Cylinders:"},
    {T::Edit, 1059, L"Media Type:"},
    {T::Edit, 1061, L"Tracks/Cylinder:"},
    {T::Edit, 1063, L"Sectors/Track:"},
    {T::Edit, 1065, L"Bytes/Sector:"},
    {T::FrameBegin, 1066, nullptr},
    {T::Edit, 1068, L"Signature:"},
    {T::Edit, 1070, L"Checksum:"},
    {T::Edit, 1072, L"Disk Id:"},
    {T::FrameEnd, 1066, nullptr},
    {T::FrameBegin, 1073, nullptr},
    {T::Edit, 1075, L"Drive Select:"},
    {T::Edit, 1077, L"Max Cylinders:"},
    {T::Edit, 1079, L"Sectors/Track:"},
    {T::Edit, 1081, L"Max Heads:"},
    {T::Edit, 1083, L"# of Drives:"},
    {T::Edit, 1085, L"Buffer Size:"},
    {T::Edit, 1087, L"Flags:"},
    {T::Edit, 1089, L"Cylinders:"},
    {T::Edit, 1091, L"Heads:"},
    {T::Edit, 1093, L"Sectors/Track:"},
    {T::Edit, 1095, L"Sectors/Drive:"},
    {T::Edit, 1097, L"Sector Size:"},
    {T::Edit, 1099, L"Reserved:"},
    {T::FrameEnd, 1073, nullptr},
    {T::PieChart, 1055, nullptr},
    {T::ListView, 1051, L"Disk Partition List:"},
};

constexpr FormField kScsiAdapterFields[] = {
    {T::Edit, 1134, L"Driver Name:"},
    {T::Edit, 1162, L"Device Name:"},
    {T::Edit, 1136, L"Max TXFR Len:"},
    {T::Edit, 1138, L"Max Physical Pages:"},
    {T::Edit, 1140, L"Async Events:"},
    {T::Edit, 1142, L"Alignment Mask:"},
    {T::CheckBox, 1143, L"Tagged Queuing"},
    {T::CheckBox, 1144, L"Adapter Scans Down"},
    {T::CheckBox, 1145, L"Adapter Uses PIO"},
    {T::CheckBox, 1146, L"Accelerated Transfer"},
    {T::Edit, 1148, L"Bus Type:"},
    {T::Edit, 1150, L"Bus Maj. Ver:"},
    {T::Edit, 1152, L"Bus Minor Ver:"},
    {T::ListBox, 1154, L"Hardware Ids:"},
    {T::ListBox, 1156, L"Compatible Ids:"},
    {T::ListBox, 1158, L"Hardware Resources:"},
    {T::ListBox, 1160, L"Device Node Information:"},
    {T::ListView, 1131, L"Scsi Device List:"},
};

constexpr FormField kScsiDeviceFields[] = {
    {T::FrameBegin, 1340, nullptr},
    {T::Edit, 1303, L"Device Type:"},
    {T::Edit, 1304, L"Device Type Qual."},
    {T::Edit, 1306, L"Device Type Mod."},
    {T::CheckBox, 1307, L"Removable Media:"},
    {T::Edit, 1309, L"Version:"},
    {T::Edit, 1311, L"Resp. Data Fmt."},
    {T::CheckBox, 1312, L"Hi Support:"},
    {T::CheckBox, 1313, L"Norm ACA:"},
    {T::CheckBox, 1314, L"Terminate Task:"},
    {T::CheckBox, 1315, L"AERC:"},
    {T::Edit, 1317, L"Additional Length:"},
    {T::CheckBox, 1318, L"Addr 16:"},
    {T::CheckBox, 1319, L"Addr 32:"},
    {T::CheckBox, 1320, L"Ack ReqQ:"},
    {T::CheckBox, 1321, L"Medium Changer:"},
    {T::CheckBox, 1322, L"MultiPort:"},
    {T::CheckBox, 1323, L"Enclosure Services:"},
    {T::CheckBox, 1324, L"Soft Reset:"},
    {T::CheckBox, 1325, L"Command Queue:"},
    {T::CheckBox, 1326, L"Transfer Disable:"},
    {T::CheckBox, 1327, L"Linked Commands:"},
    {T::CheckBox, 1328, L"Synchronous:"},
    {T::CheckBox, 1329, L"Wide 16 Bit:"},
    {T::CheckBox, 1330, L"Wide 32 Bit:"},
    {T::CheckBox, 1331, L"Relative Addressing:"},
    {T::Edit, 1333, L"Vendor Id:"},
    {T::Edit, 1335, L"Product Id:"},
    {T::Edit, 1337, L"Prod. Rev. Lvl:"},
    {T::Edit, 1339, L"Vend Specific:"},
    {T::FrameEnd, 1340, nullptr},
    {T::Edit, 1342, L"Serial Number:"},
    {T::ListView, 1344, L"Device Identifier List:"},
};

constexpr FormField kMountPointListFields[] = {{T::ListView, 2001, nullptr}};
constexpr FormField kPhysicalDiskListFields[] = {{T::ListView, 2101, nullptr}};
constexpr FormField kAdapterListFields[] = {{T::ListView, 2201, nullptr}};

template <std::size_t N>
bool Contains(const std::array<int, N>& ids, int id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::vector<int> CollectAllIds() {
  std::vector<int> ids;
  for (const PanelInfo& p : kPanels)
    for (int id = p.firstId; id <= p.lastId; ++id) ids.push_back(id);
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

const PanelInfo* PanelOfControl(int id) {
  for (const PanelInfo& p : kPanels)
    if (id >= p.firstId && id <= p.lastId) return &p;
  return nullptr;
}

std::span<const int> AllControlIds() {
  static const std::vector<int> ids = CollectAllIds();
  return ids;
}

ControlKind KindOfControl(int id) {
  if (Contains(kEditIds, id)) return ControlKind::Edit;
  if (Contains(kCheckBoxIds, id)) return ControlKind::CheckBox;
  if (Contains(kListViewIds, id)) return ControlKind::ListView;
  if (Contains(kListBoxIds, id)) return ControlKind::ListBox;
  if (Contains(kPieChartIds, id)) return ControlKind::PieChart;
  if (GroupBoxTitle(id) != nullptr) return ControlKind::GroupBox;
  return ControlKind::Label;
}

std::span<const int> EditIds() { return kEditIds; }
std::span<const int> CheckBoxIds() { return kCheckBoxIds; }
std::span<const int> ListViewIds() { return kListViewIds; }
std::span<const int> ListBoxIds() { return kListBoxIds; }
std::span<const int> PieChartIds() { return kPieChartIds; }

std::span<const int> RetitledFrameIds() {
  static constexpr std::array<int, 5> ids{1066, 1073, 1130, 1300, 1801};
  return ids;
}

const wchar_t* TemplateFrameTitle(int id) {
  for (const IdText& f : kRetitledFrames)
    if (f.id == id) return f.text;
  return nullptr;
}

const wchar_t* GroupBoxTitle(int id) {
  for (const PanelInfo& p : kPanels)
    if (p.groupBoxId == id) return p.title;
  for (const IdText& f : kInnerFrames)
    if (f.id == id) return f.text;
  return nullptr;
}

bool HiddenInTemplate(int id) { return id == 1071 || id == 1072; }

DialogSize PieChartDialogSize(int id) {
  for (const ChartSize& c : kChartSizes)
    if (c.id == id) return c.size;
  return {0, 0};
}

// The form's font averages 6 by 13 pixels; a dialog unit is a quarter of the
// width and an eighth of the height.
int DialogUnitsToPixelsX(int units) { return units * 6 / 4; }
int DialogUnitsToPixelsY(int units) { return units * 13 / 8; }

std::span<const FormField> PanelFields(int groupBoxId) {
  switch (groupBoxId) {
    case 1010:
      return kMountPointFields;
    case 1500:
      return kDiskExtentFields;
    case 1800:
      return kDiskPartitionFields;
    case 1050:
      return kPhysicalDiskFields;
    case 1130:
      return kScsiAdapterFields;
    case 1300:
      return kScsiDeviceFields;
    case 2000:
      return kMountPointListFields;
    case 2100:
      return kPhysicalDiskListFields;
    case 2200:
      return kAdapterListFields;
    default:
      return {};
  }
}
