#include "ui/widgets/form_template.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

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
  void Frame(int id, DialogRect r) { Add(id, ControlKind::GroupBox, r, GroupBoxTitle(id)); }
  void List(int id, DialogRect r) { Add(id, ControlKind::ListView, r, L""); }
  void ListBox(int id, DialogRect r) { Add(id, ControlKind::ListBox, r, L""); }
  void Pie(int id, DialogRect r) { Add(id, ControlKind::PieChart, r, L""); }
  void Label(int id, DialogRect r, const wchar_t* text) { Add(id, ControlKind::Label, r, text); }

  // A label and its edit on one row: the label from x, `labelWidth` wide, the
  // edit right after it up to x + labelWidth + editWidth.
  void Field(int labelId, const wchar_t* label, int editId, int x, int y, int labelWidth, int editWidth) {
    Label(labelId, {x, y + kLabelDrop, labelWidth - 2, kLabelHeight}, label);
    Add(editId, ControlKind::Edit, {x + labelWidth, y, editWidth, kEditHeight}, L"");
  }
  // A caption above a list or list box, flush with its left edge.
  void Caption(int labelId, const wchar_t* label, const DialogRect& below, int width = 120) {
    Label(labelId, {below.x, below.y - kLabelHeight - 2, width, kLabelHeight}, label);
  }
  void Check(int id, const wchar_t* text, int x, int y, int width, bool textOnLeft = false) {
    ControlPlace& p = Add(id, ControlKind::CheckBox, {x, y + kCheckDrop, width, kCheckHeight}, text);
    p.textOnLeft = textOnLeft;
  }

  std::vector<ControlPlace> Done() {
    std::sort(places.begin(), places.end(), [](const ControlPlace& a, const ControlPlace& b) { return a.id < b.id; });
    return std::move(places);
  }

 private:
  ControlPlace& Add(int id, ControlKind kind, DialogRect r, const wchar_t* text) {
    if (KindOfControl(id) != kind) throw std::logic_error("form template: control of the wrong kind");
    places.push_back({id, kind, r, text != nullptr ? text : L"", false});
    return places.back();
  }

  std::vector<ControlPlace> places;
};

void MountPointPanel(Builder& b) {
  b.Frame(1010, {5, 18, 503, 346});
  // Names of the volume on the left, what its file system says on the right.
  constexpr int leftX = 14, leftLabel = 62, leftEdit = 256;
  b.Field(1000, L"Volume Name:", 1001, leftX, 30, leftLabel, leftEdit);
  b.Field(1002, L"Unique Id:", 1003, leftX, 44, leftLabel, leftEdit);
  b.Field(1004, L"Device Name:", 1005, leftX, 58, leftLabel, leftEdit);
  b.Field(1006, L"SymLink Name:", 1007, leftX, 72, leftLabel, leftEdit);
  constexpr int rightX = 336, rightLabel = 62, rightEdit = 104;
  b.Field(1011, L"Volume Label:", 1012, rightX, 30, rightLabel, rightEdit);
  b.Field(1013, L"Serial Number:", 1014, rightX, 44, rightLabel, rightEdit);
  b.Field(1015, L"Max Name Len:", 1016, rightX, 58, rightLabel, rightEdit);
  b.Field(1017, L"FS Flags:", 1018, rightX, 72, rightLabel, rightEdit);
  b.Field(1019, L"FS Name:", 1020, rightX, 86, rightLabel, rightEdit);

  // The caption stands beside the box: above it the names leave no room.
  b.ListBox(1039, {19, 87, 170, 46});
  b.Label(1038, {195, 89, 90, kLabelHeight}, L"Volume Path Names:");

  b.Frame(1022, {10, 138, 313, 143});
  constexpr int partX = 20, partLabel = 62, partEdit = 124;
  b.Field(1023, L"Style", 1024, partX, 154, partLabel, partEdit);
  b.Field(1029, L"Part. Number:", 1030, partX, 170, partLabel, partEdit);
  b.Field(1025, L"Starting Off:", 1026, partX, 186, partLabel, partEdit);
  b.Field(1027, L"Length:", 1028, partX, 202, partLabel, partEdit);
  b.Field(1033, L"Partition Type:", 1032, partX, 218, partLabel, partEdit);
  b.Field(1037, L"Hidden Sectors:", 1036, partX, 234, partLabel, partEdit);
  b.Check(1031, L"Rewrite Partition", 220, 154, 96);
  b.Check(1034, L"Boot Indicator", 220, 170, 96);
  b.Check(1035, L"Recognized Partition", 220, 186, 96);

  b.Pie(1021, {331, 121, 170, 170});
  const DialogRect extents{15, 299, 486, 59};
  b.List(1008, extents);
  b.Caption(1009, L"Disk Extent List:", extents);
}

void DiskExtentPanel(Builder& b) {
  b.Frame(1500, {5, 378, 503, 346});
  // Above the chart and flush with it.
  constexpr int x = 156, label = 62, edit = 161;
  b.Field(1502, L"Disk Number:", 1501, x, 404, label, edit);
  b.Field(1504, L"Starting Offset:", 1503, x, 420, label, edit);
  b.Field(1506, L"Extent Length:", 1505, x, 436, label, edit);
  b.Pie(1507, {156, 476, 223, 223});
}

void DiskPartitionPanel(Builder& b) {
  b.Frame(1800, {5, 734, 503, 346});
  b.Frame(1801, {12, 751, 491, 108});
  // Fields of both styles on the left; the MBR and GPT groups share the right.
  constexpr int leftX = 22, leftLabel = 62, leftEdit = 120;
  b.Field(1802, L"Starting Offset:", 1803, leftX, 767, leftLabel, leftEdit);
  b.Field(1804, L"Length:", 1805, leftX, 783, leftLabel, leftEdit);
  b.Field(1806, L"Number:", 1807, leftX, 799, leftLabel, leftEdit);
  constexpr int rightX = 222, rightLabel = 60, rightEdit = 212;
  b.Field(1808, L"Hidden Sectors:", 1809, rightX, 767, rightLabel, rightEdit);
  b.Field(1810, L"Partition Type:", 1811, rightX, 783, rightLabel, rightEdit);
  b.Check(1812, L"Boot Indicator", rightX, 799, 104, true);
  b.Check(1813, L"Recognized Partition:", rightX, 815, 104, true);
  b.Check(1814, L"Rewrite Partition:", rightX, 831, 104, true);
  b.Field(1815, L"Partition Type:", 1816, rightX, 767, rightLabel, rightEdit);
  b.Field(1817, L"Partition Id:", 1818, rightX, 783, rightLabel, rightEdit);
  b.Field(1819, L"Attributes:", 1820, rightX, 799, rightLabel, rightEdit);
  b.Field(1821, L"Name:", 1822, rightX, 815, rightLabel, rightEdit);
  b.Pie(1823, {305, 869, 193, 193});
}

void PhysicalDiskPanel(Builder& b) {
  b.Frame(1050, {5, 1171, 503, 346});
  constexpr int leftX = 14, leftLabel = 62, leftEdit = 160;
  constexpr int rightX = 256, rightLabel = 64, rightEdit = 180;
  b.Field(1052, L"Disk Size:", 1053, leftX, 1184, leftLabel, leftEdit);
  b.Field(1056, L"Cylinders:", 1057, leftX, 1198, leftLabel, leftEdit);
  b.Field(1058, L"Media Type:", 1059, leftX, 1212, leftLabel, leftEdit);
  b.Field(1060, L"Tracks/Cylinder:", 1061, rightX, 1184, rightLabel, rightEdit);
  b.Field(1062, L"Sectors/Track:", 1063, rightX, 1198, rightLabel, rightEdit);
  b.Field(1064, L"Bytes/Sector:", 1065, rightX, 1212, rightLabel, rightEdit);

  // Signature and checksum of an MBR disk, or the id of a GPT disk, in one place.
  b.Frame(1066, {9, 1228, 496, 40});
  b.Field(1067, L"Signature:", 1068, 16, 1244, 46, 100);
  b.Field(1069, L"Checksum:", 1070, 176, 1244, 46, 100);
  b.Field(1071, L"Disk Id:", 1072, 16, 1244, 46, 220);

  // The BIOS detection data: the Int13 group or the extended group, in one place.
  b.Frame(1073, {9, 1277, 304, 159});
  constexpr int x = 20, label = 64, edit = 120;
  b.Field(1074, L"Drive Select:", 1075, x, 1292, label, edit);
  b.Field(1076, L"Max Cylinders:", 1077, x, 1308, label, edit);
  b.Field(1078, L"Sectors/Track:", 1079, x, 1324, label, edit);
  b.Field(1080, L"Max Heads:", 1081, x, 1340, label, edit);
  b.Field(1082, L"# of Drives:", 1083, x, 1356, label, edit);
  b.Field(1084, L"Buffer Size:", 1085, x, 1292, label, edit);
  b.Field(1086, L"Flags:", 1087, x, 1308, label, edit);
  b.Field(1088, L"Cylinders:", 1089, x, 1324, label, edit);
  b.Field(1090, L"Heads:", 1091, x, 1340, label, edit);
  b.Field(1092, L"Sectors/Track:", 1093, x, 1356, label, edit);
  b.Field(1094, L"Sectors/Drive:", 1095, x, 1372, label, edit);
  b.Field(1096, L"Sector Size:", 1097, x, 1388, label, edit);
  b.Field(1098, L"Reserved:", 1099, x, 1404, label, edit);

  b.Pie(1055, {329, 1277, 170, 170});
  const DialogRect partitions{15, 1459, 485, 50};
  b.List(1051, partitions);
  b.Caption(1054, L"Disk Partition List:", partitions);
}

void ScsiAdapterPanel(Builder& b) {
  b.Frame(1130, {5, 1526, 503, 346});
  b.Field(1133, L"Driver Name:", 1134, 14, 1542, 56, 176);
  b.Field(1161, L"Device Name:", 1162, 258, 1542, 56, 176);
  constexpr int leftX = 14, leftLabel = 76, leftEdit = 90;
  b.Field(1135, L"Max TXFR Len:", 1136, leftX, 1562, leftLabel, leftEdit);
  b.Field(1137, L"Max Physical Pages:", 1138, leftX, 1578, leftLabel, leftEdit);
  b.Field(1139, L"Async Events:", 1140, leftX, 1594, leftLabel, leftEdit);
  b.Field(1141, L"Alignment Mask:", 1142, leftX, 1610, leftLabel, leftEdit);
  constexpr int checkX = 196;
  b.Check(1143, L"Tagged Queuing", checkX, 1562, 96);
  b.Check(1144, L"Adapter Scans Down", checkX, 1578, 96);
  b.Check(1145, L"Adapter Uses PIO", checkX, 1594, 96);
  b.Check(1146, L"Accelerated Transfer", checkX, 1610, 96);
  constexpr int rightX = 308, rightLabel = 56, rightEdit = 126;
  b.Field(1147, L"Bus Type:", 1148, rightX, 1562, rightLabel, rightEdit);
  b.Field(1149, L"Bus Maj. Ver:", 1150, rightX, 1578, rightLabel, rightEdit);
  b.Field(1151, L"Bus Minor Ver:", 1152, rightX, 1594, rightLabel, rightEdit);

  const DialogRect hardwareIds{24, 1664, 222, 40}, compatibleIds{267, 1664, 222, 40};
  const DialogRect resources{24, 1724, 222, 59}, driverNodes{267, 1724, 222, 59};
  b.ListBox(1154, hardwareIds);
  b.Caption(1153, L"Hardware Ids:", hardwareIds);
  b.ListBox(1156, compatibleIds);
  b.Caption(1155, L"Compatible Ids:", compatibleIds);
  b.ListBox(1158, resources);
  b.Caption(1157, L"Hardware Resources:", resources);
  b.ListBox(1160, driverNodes);
  b.Caption(1159, L"Device Node Information:", driverNodes);
  const DialogRect devices{15, 1798, 483, 64};
  b.List(1131, devices);
  b.Caption(1132, L"Scsi Device List:", devices);
}

void ScsiDevicePanel(Builder& b) {
  b.Frame(1300, {5, 1880, 503, 364});
  b.Field(1341, L"Serial Number:", 1342, 24, 1900, 62, 260);

  b.Frame(1340, {18, 1933, 480, 148});
  // Three columns of short fields, two of texts, then the flags four abreast.
  constexpr int colA = 26, colB = 182, colC = 338, label = 70, edit = 80;
  b.Field(1301, L"Device Type:", 1303, colA, 1948, label, edit);
  b.Field(1302, L"Device Type Qual.", 1304, colB, 1948, label, edit);
  b.Field(1305, L"Device Type Mod.", 1306, colC, 1948, label, edit);
  b.Field(1308, L"Version:", 1309, colA, 1963, label, edit);
  b.Field(1310, L"Resp. Data Fmt.", 1311, colB, 1963, label, edit);
  b.Field(1316, L"Additional Length:", 1317, colC, 1963, label, edit);
  constexpr int textLabel = 70, textEdit = 158;
  b.Field(1332, L"Vendor Id:", 1333, colA, 1978, textLabel, textEdit);
  b.Field(1334, L"Product Id:", 1335, 260, 1978, 66, textEdit);
  b.Field(1336, L"Prod. Rev. Lvl:", 1337, colA, 1993, textLabel, textEdit);
  b.Field(1338, L"Vend Specific:", 1339, 260, 1993, 66, textEdit);

  struct Flag {
    int id;
    const wchar_t* text;
  };
  constexpr Flag flags[] = {
      {1307, L"Removable Media:"}, {1312, L"Hi Support:"},      {1313, L"Norm ACA:"},
      {1314, L"Terminate Task:"},  {1315, L"AERC:"},            {1318, L"Addr 16:"},
      {1319, L"Addr 32:"},         {1320, L"Ack ReqQ:"},        {1321, L"Medium Changer:"},
      {1322, L"MultiPort:"},       {1323, L"Enclosure Services:"}, {1324, L"Soft Reset:"},
      {1325, L"Command Queue:"},   {1326, L"Transfer Disable:"}, {1327, L"Linked Commands:"},
      {1328, L"Synchronous:"},     {1329, L"Wide 16 Bit:"},     {1330, L"Wide 32 Bit:"},
      {1331, L"Relative Addressing:"},
  };
  constexpr int flagWidth = 104, flagStep = 116, rowStep = 13, firstRow = 2012;
  int i = 0;
  for (const Flag& f : flags) {
    b.Check(f.id, f.text, colA + (i % 4) * flagStep, firstRow + (i / 4) * rowStep, flagWidth, true);
    ++i;
  }

  const DialogRect identifiers{15, 2104, 484, 132};
  b.List(1344, identifiers);
  b.Caption(1343, L"Device Identifier List:", identifiers);
}

void ListPanels(Builder& b) {
  b.Frame(2000, {5, 2255, 503, 346});
  b.List(2001, {23, 2281, 463, 272});
  b.Frame(2100, {5, 2612, 502, 347});
  b.List(2101, {22, 2645, 463, 272});
  b.Frame(2200, {5, 2981, 502, 347});
  b.List(2201, {22, 3007, 463, 272});
}

std::vector<ControlPlace> Build() {
  Builder b;
  MountPointPanel(b);
  DiskExtentPanel(b);
  DiskPartitionPanel(b);
  PhysicalDiskPanel(b);
  ScsiAdapterPanel(b);
  ScsiDevicePanel(b);
  ListPanels(b);
  return b.Done();
}

}  // namespace

std::span<const ControlPlace> FormTemplate() {
  static const std::vector<ControlPlace> places = Build();
  return places;
}

const ControlPlace* PlaceOfControl(int id) {
  const auto all = FormTemplate();
  const auto it = std::lower_bound(all.begin(), all.end(), id, [](const ControlPlace& p, int v) { return p.id < v; });
  return it != all.end() && it->id == id ? &*it : nullptr;
}
