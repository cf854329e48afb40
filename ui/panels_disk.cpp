// The "Disk Information" panel: geometry, partition style, BIOS detection data,
// the partition table and its allocation chart.
#include "platform/wide_text.h"
#include "ui/panel_support.h"
#include "ui/panels.h"
#include "ui/value_names.h"

using enum ControlId;

using ValueNames::FormatWide;

namespace {

using ull = unsigned long long;

ull U64(LONGLONG v) { return static_cast<ull>(v); }

// After the slice of the partition at index i (skipped entries counted), the
// next partition slice takes this colour.
ColorRef PartitionColourAfter(int i) {
  const auto fade = static_cast<unsigned>((50 - i) * 5);
  switch (i % 4) {
    case 0:
      return MakeRgb(fade, 255, 255);
    case 1:
      return MakeRgb(255, fade, 255);
    case 2:
      return MakeRgb(255, 255, fade);
    default:
      return MakeRgb(static_cast<unsigned>(253 - 2 * i), static_cast<unsigned>(251 - 4 * i),
                     static_cast<unsigned>(249 - 6 * i));
  }
}

std::wstring Hex4(unsigned value) { return FormatWide(L"%04.4x", value); }
std::wstring Hex8(unsigned value) { return FormatWide(L"%08.8x", value); }

void ShowPartitionStyle(FormState& form, const DISK_PARTITION_INFO& info) {
  switch (info.PartitionStyle) {
    case PARTITION_STYLE_MBR:
      form.SetFrameTitle(DiskStyleFrame, L"MBR Partition");
      form.SetEdit(DiskSignatureEdit, Hex8(info.Mbr.Signature));
      form.SetEdit(DiskChecksumEdit, Hex8(info.Mbr.CheckSum));
      form.ShowControlRange(DiskIdLabel, DiskIdEdit, false);
      form.ShowControlRange(DiskSignatureLabel, DiskChecksumEdit, true);
      break;
    case PARTITION_STYLE_GPT:
      form.ShowControlRange(DiskIdLabel, DiskIdEdit, true);
      form.ShowControlRange(DiskSignatureLabel, DiskChecksumEdit, false);
      form.SetFrameTitle(DiskStyleFrame, L"GPT Partition");
      form.SetEdit(DiskIdEdit, ValueNames::FormatGuid(info.Gpt.DiskId));
      break;
    default:
      form.SetFrameTitle(DiskStyleFrame, L"Unknown Partition");
      form.ShowControlRange(DiskIdLabel, DiskIdEdit, false);
      form.ShowControlRange(DiskSignatureLabel, DiskChecksumEdit, false);
      break;
  }
}

void ShowDetection(FormState& form, const DISK_DETECTION_INFO& info) {
  const DETECTION_TYPE type = info.DetectionType;
  form.SetFrameTitle(DiskDetectionFrame, ValueNames::DetectionTypeName(static_cast<std::uint32_t>(type)));
  if (type == DetectExInt13) {
    const DISK_EX_INT13_INFO& x = info.ExInt13;
    form.ShowControlRange(DiskInt13DriveSelectLabel, DiskInt13DriveCountEdit, false);
    form.ShowControlRange(DiskExInt13BufferSizeLabel, DiskExInt13ReservedEdit, true);
    form.SetEdit(DiskExInt13BufferSizeEdit, Hex4(x.ExBufferSize));
    form.SetEdit(DiskExInt13FlagsEdit, Hex4(x.ExFlags));
    form.SetEdit(DiskExInt13CylindersEdit, Hex8(x.ExCylinders));
    form.SetEdit(DiskExInt13HeadsEdit, Hex8(x.ExHeads));
    form.SetEdit(DiskExInt13SectorsPerTrackEdit, Hex8(x.ExSectorsPerTrack));
    form.SetEdit(DiskExInt13SectorsPerDriveEdit, FormatWide(L"%I64x", static_cast<ull>(x.ExSectorsPerDrive)));
    form.SetEdit(DiskExInt13SectorSizeEdit, Hex4(x.ExSectorSize));
    form.SetEdit(DiskExInt13ReservedEdit, Hex4(x.ExReserved));
  } else if (type == DetectInt13) {
    const DISK_INT13_INFO& b = info.Int13;
    form.ShowControlRange(DiskInt13DriveSelectLabel, DiskInt13DriveCountEdit, true);
    form.ShowControlRange(DiskExInt13BufferSizeLabel, DiskExInt13ReservedEdit, false);
    form.SetEdit(DiskInt13DriveSelectEdit, Hex4(b.DriveSelect));
    form.SetEdit(DiskInt13MaxCylindersEdit, Hex8(b.MaxCylinders));
    form.SetEdit(DiskInt13SectorsPerTrackEdit, Hex4(b.SectorsPerTrack));
    form.SetEdit(DiskInt13MaxHeadsEdit, Hex4(b.MaxHeads));
    form.SetEdit(DiskInt13DriveCountEdit, Hex4(b.NumberDrives));
  } else {
    form.ShowControlRange(DiskInt13DriveSelectLabel, DiskExInt13ReservedEdit, false);
  }
}

// The Type cell: the MBR type name, except that a GPT record shows its
// partition type GUID rather than a name read from the GUID's first byte.
std::wstring PartitionTypeCell(const DiskPartitionNode& p) {
  if (!p.hasPartitionInfoEx) return ValueNames::PartitionTypeName(p.partitionInfo.PartitionType);
  if (p.partitionInfoEx.PartitionStyle == PARTITION_STYLE_GPT)
    return ValueNames::FormatGuid(p.partitionInfoEx.Gpt.PartitionType);
  return ValueNames::PartitionTypeName(p.partitionInfoEx.Mbr.PartitionType);
}

void AddPartitionRow(ListViewState& list, DiskPartitionNode& p) {
  ListRow& row = list.AddRow(&p);
  const bool rewrite = p.hasPartitionInfoEx ? p.partitionInfoEx.RewritePartition != 0
                                            : p.partitionInfo.RewritePartition != 0;
  row.cells[0] = p.hasPartitionInfoEx
                     ? ValueNames::PartitionStyleName(static_cast<std::uint32_t>(p.partitionInfoEx.PartitionStyle))
                     : L"UNKNOWN";
  row.cells[1] = FormatWide(L"%u", static_cast<unsigned>(p.PartitionNumber()));
  row.cells[2] = FormatWide(L"%I64x", static_cast<ull>(p.StartingOffset()));
  row.cells[3] = FormatWide(L"%I64x", static_cast<ull>(p.PartitionLength()));
  row.cells[4] = FormatWide(L"%s", ValueNames::BoolText(rewrite).c_str());
  row.cells[5] = PartitionTypeCell(p);
}

}  // namespace

void ShowPhysicalDisk(FormState& form, const PhysicalDiskNode& disk) {
  form.ShowPanel(DiskPanel);
  ListViewState& list = form.List(DiskPartitionList);
  list.Reset();
  PieChartContent& chart = form.Chart(DiskChart);
  chart.title = L"Disk Partition Allocation";
  chart.slices.clear();

  const DISK_GEOMETRY& g = disk.geometry;
  form.SetEdit(DiskSizeEdit, FormatWide(L"%I64x", static_cast<ull>(disk.diskSize)));
  form.SetEdit(DiskCylindersEdit, FormatWide(L"%I64x", U64(g.Cylinders.QuadPart)));
  form.SetEdit(DiskMediaTypeEdit, ValueNames::MediaTypeText(static_cast<std::uint32_t>(g.MediaType)));
  form.SetEdit(DiskTracksPerCylinderEdit, Hex8(g.TracksPerCylinder));
  form.SetEdit(DiskSectorsPerTrackEdit, Hex8(g.SectorsPerTrack));
  form.SetEdit(DiskBytesPerSectorEdit, Hex8(g.BytesPerSector));
  ShowPartitionStyle(form, disk.partitionStyleInfo);
  ShowDetection(form, disk.detectionInfo);

  list.AddColumns({{L"Style   ", 12}, {L"Number   ", 11}, {L"Starting Offset", 16}, {L" Length  ", 16},
                   {L"ReWrite   ", 17}, {L"Type      ", 21}});

  ColorRef fill = panel::kWhite;
  int sum = 0;
  for (std::size_t i = 0; i < disk.partitions.size(); ++i) {
    DiskPartitionNode* p = disk.partitions[i];
    if (p == nullptr) break;
    if (p->PartitionNumber() == 0) continue;
    AddPartitionRow(list, *p);
    const auto value = panel::Percentage(p->PartitionLength(), disk.diskSize);
    if (!value) continue;
    chart.slices.push_back({fill, panel::kBlackText, *value,
                            FormatWide(L"%d%ls Partition %u", *value, L"%", static_cast<unsigned>(p->PartitionNumber())),
                            true});
    fill = PartitionColourAfter(static_cast<int>(i));
    sum = panel::AddWrapping(sum, *value);
  }
  // A disk of size 0 has no shares at all: its chart shows only the background.
  if (disk.diskSize != 0 && sum < 100) {
    const int rest = panel::SubtractWrapping(100, sum);
    chart.slices.push_back({panel::kBlue, panel::kBlackText, rest, FormatWide(L"%d%ls Unallocated", rest, L"%"), true});
  }
}
