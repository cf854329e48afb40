// The volume-side panels: "Mount Point Information", "Disk Extent" and
// "Disk Partition".
#include "model/physical_disk_node.h"
#include "platform/wide_text.h"
#include "ui/panel_support.h"
#include "ui/panels.h"
#include "ui/value_names.h"

using ValueNames::FormatWide;

namespace {

using ull = unsigned long long;

// A style the platform does not define, which the form still names.
constexpr int kPartitionStyleDynamic = 255;

ull U64(LONGLONG v) { return static_cast<ull>(v); }

// After the slice of extent i, the next extent slice takes this colour.
ColorRef ExtentColourAfter(int i) {
  return MakeRgb(static_cast<unsigned>((50 - i) * 5), static_cast<unsigned>((84 - i) * 3),
                 static_cast<unsigned>(253 - 2 * i));
}

void SetNumberOffsetLength(FormState& form, DWORD number, LONGLONG offset, LONGLONG length) {
  form.SetEdit(1030, FormatWide(L"%d", static_cast<int>(number)));
  form.SetEdit(1026, FormatWide(L"%I64x", U64(offset)));
  form.SetEdit(1028, FormatWide(L"%I64x", U64(length)));
}

// Which partition record the mount point's volume has decides what the
// partition frame shows; fields a style does not name keep earlier texts.
void ApplyPartitionRule(FormState& form, const MountPointNode& mp) {
  if (!mp.hasPartitionInfoEx) {
    const PARTITION_INFORMATION& p = mp.partitionInfo;
    form.SetEdit(1024, L"DYNAMIC");
    SetNumberOffsetLength(form, p.PartitionNumber, p.StartingOffset.QuadPart, p.PartitionLength.QuadPart);
    return;
  }
  const PARTITION_INFORMATION_EX& p = mp.partitionInfoEx;
  const wchar_t* styleText = nullptr;
  switch (static_cast<int>(p.PartitionStyle)) {
    case PARTITION_STYLE_MBR:
      styleText = L"MBR";
      break;
    case PARTITION_STYLE_GPT:
      styleText = L"GPT";
      break;
    case PARTITION_STYLE_RAW:
      styleText = L"RAW";
      break;
    case kPartitionStyleDynamic:
      styleText = L"DYNAMIC";
      break;
    default:
      form.SetEdit(1024, L"UNKNOWN");
      for (int id : {1030, 1026, 1028, 1032, 1036}) form.SetEdit(id, L"");
      for (int id : {1031, 1034, 1035}) form.SetCheck(id, false);
      return;
  }
  form.SetEdit(1024, styleText);
  SetNumberOffsetLength(form, p.PartitionNumber, p.StartingOffset.QuadPart, p.PartitionLength.QuadPart);
  if (p.PartitionStyle != PARTITION_STYLE_MBR) return;
  form.SetEdit(1032, ValueNames::PartitionTypeName(p.Mbr.PartitionType));
  form.SetEdit(1036, FormatWide(L"%d", static_cast<int>(p.Mbr.HiddenSectors)));
  form.SetCheck(1031, p.RewritePartition != 0);
  form.SetCheck(1034, p.Mbr.BootIndicator != 0);
  form.SetCheck(1035, p.Mbr.RecognizedPartition != 0);
}

std::wstring GptName(const PARTITION_INFORMATION_GPT& gpt) {
  std::size_t length = 0;
  while (length < 36 && gpt.Name[length] != 0) ++length;
  return WideFromUtf16(gpt.Name, length);
}

}  // namespace

void ShowMountPoint(FormState& form, const MountPointNode& mp) {
  form.ShowPanel(1010);
  form.SetEdit(1001, mp.GetName());
  form.SetEdit(1003, mp.uniqueIdText);
  form.SetEdit(1005, mp.deviceName);
  form.SetEdit(1007, mp.symbolicLinkName);
  form.SetEdit(1012, mp.volumeName);
  form.SetEdit(1014, FormatWide(L"%08.8x", static_cast<unsigned>(mp.volumeSerialNumber)));

  ListViewState& list = form.List(1008);
  list.Reset();
  ListBoxState& paths = form.ListBox(1039);
  paths.Clear();
  // Empty unless the platform can name the volume's mount paths.
  for (const std::wstring& path : mp.volumePathNames) paths.Add(path);

  list.AddColumns({{L"Extent Name   ", 21}, {L"Disk Number   ", 12}, {L"Starting Offset", 16},
                   {L"Extent Length  ", 16}, {L"Scsi Adapter   ", 21}, {L"Scsi Disk      ", 21}});

  PieChartContent& chart = form.Chart(1021);
  chart.title = L"Extent Size vs Volume Size";
  chart.slices.clear();
  for (std::size_t i = 0; i < mp.extents.size(); ++i) {
    DiskExtentNode* extent = mp.extents[i];
    if (extent == nullptr) break;
    const DISK_EXTENT& e = extent->diskExtent;
    ListRow& row = list.AddRow(extent);
    row.cells[0] = extent->GetName();
    row.cells[1] = FormatWide(L"%d", static_cast<int>(e.DiskNumber));
    row.cells[2] = FormatWide(L"%I64x", U64(e.StartingOffset.QuadPart));
    row.cells[3] = FormatWide(L"%I64x", U64(e.ExtentLength.QuadPart));
    const PhysicalDiskNode* disk = extent->partition != nullptr ? extent->partition->disk : nullptr;
    if (disk != nullptr) {
      row.cells[4] = panel::NameOrEmpty(disk->adapter);
      row.cells[5] = panel::NameOrEmpty(disk->device);
    }
    const auto value = panel::Percentage(U64(e.ExtentLength.QuadPart), mp.totalBytes);
    if (!value) continue;
    const ColorRef fill = i == 0 ? panel::kWhite : ExtentColourAfter(static_cast<int>(i) - 1);
    chart.slices.push_back({fill, panel::kBlackText, *value,
                            FormatWide(L"%d%ls Extent %d", *value, L"%", static_cast<int>(e.DiskNumber)), true});
  }

  form.SetEdit(1016, FormatWide(L"%d", static_cast<int>(mp.maxComponentLength)));
  form.SetEdit(1018, FormatWide(L"%08.8x", static_cast<unsigned>(mp.fileSystemFlags)));
  form.SetEdit(1020, mp.fileSystemName);
  ApplyPartitionRule(form, mp);
}

void ShowDiskExtent(FormState& form, const DiskExtentNode& extent) {
  form.ShowPanel(1500);
  const DISK_EXTENT& e = extent.diskExtent;
  form.SetEdit(1501, FormatWide(L"%d", static_cast<int>(e.DiskNumber)));
  form.SetEdit(1503, FormatWide(L"0x%I64x", U64(e.StartingOffset.QuadPart)));
  form.SetEdit(1505, FormatWide(L"0x%I64x", U64(e.ExtentLength.QuadPart)));

  PieChartContent& chart = form.Chart(1507);
  chart.title = L"Disk Extent Size vs. Partition Size";
  chart.slices.clear();
  if (extent.partition == nullptr) return;
  // Only the extent's own share gets a slice; the chart's background shows the rest.
  const auto value = panel::Percentage(U64(e.ExtentLength.QuadPart), extent.partition->PartitionLength());
  if (!value) return;
  chart.slices.push_back({panel::kWhite, panel::kBlackText, *value,
                          FormatWide(L"%d%ls Extent %d", *value, L"%", static_cast<int>(e.DiskNumber)), true});
}

void ShowDiskPartition(FormState& form, const DiskPartitionNode& partition) {
  form.ShowPanel(1800);
  auto showMbrGroup = [&form](bool mbr, const wchar_t* title) {
    form.ShowControlRange(1815, 1822, !mbr);
    form.ShowControlRange(1808, 1814, mbr);
    form.SetFrameTitle(1801, title);
  };
  auto showPlace = [&form](const LARGE_INTEGER& offset, const LARGE_INTEGER& length, DWORD number) {
    form.SetEdit(1803, FormatWide(L"0x%I64x", U64(offset.QuadPart)));
    form.SetEdit(1805, FormatWide(L"0x%I64x", U64(length.QuadPart)));
    form.SetEdit(1807, FormatWide(L"%d", static_cast<int>(number)));
  };
  // Both record forms carry the same MBR fields under other names.
  auto showMbr = [&form](DWORD hiddenSectors, BYTE type, bool recognized, bool rewrite, bool boot) {
    form.SetEdit(1809, FormatWide(L"0x%x", static_cast<unsigned>(hiddenSectors)));
    form.SetEdit(1811, ValueNames::PartitionTypeName(type));
    form.SetCheck(1813, recognized);
    form.SetCheck(1814, rewrite);
    form.SetCheck(1812, boot);
  };
  if (partition.hasPartitionInfoEx) {
    const PARTITION_INFORMATION_EX& p = partition.partitionInfoEx;
    switch (p.PartitionStyle) {
      case PARTITION_STYLE_MBR:
        showMbrGroup(true, L"MBR Partition");
        showPlace(p.StartingOffset, p.PartitionLength, p.PartitionNumber);
        showMbr(p.Mbr.HiddenSectors, p.Mbr.PartitionType, p.Mbr.RecognizedPartition != 0, p.RewritePartition != 0,
                p.Mbr.BootIndicator != 0);
        break;
      case PARTITION_STYLE_GPT:
        showMbrGroup(false, L"GPT Partition");
        showPlace(p.StartingOffset, p.PartitionLength, p.PartitionNumber);
        form.SetEdit(1816, ValueNames::FormatGuid(p.Gpt.PartitionType));
        form.SetEdit(1818, ValueNames::FormatGuid(p.Gpt.PartitionId));
        form.SetEdit(1820, FormatWide(L"0x%I64x", static_cast<ull>(p.Gpt.Attributes)));
        form.SetEdit(1822, GptName(p.Gpt));
        break;
      default:
        showMbrGroup(false, L"UNKNOWN Partition");
        break;
    }
  } else {
    const PARTITION_INFORMATION& p = partition.partitionInfo;
    showMbrGroup(true, L"MBR Partition");
    showPlace(p.StartingOffset, p.PartitionLength, p.PartitionNumber);
    showMbr(p.HiddenSectors, p.PartitionType, p.RecognizedPartition != 0, p.RewritePartition != 0,
            p.BootIndicator != 0);
  }

  PieChartContent& chart = form.Chart(1823);
  chart.title = L"Partition Size vs. Disk Size";
  chart.slices.clear();
  if (partition.disk == nullptr) return;
  const auto value = panel::Percentage(partition.PartitionLength(), partition.disk->diskSize);
  if (!value) return;
  chart.slices.push_back({panel::kWhite, panel::kBlackText, *value,
                          FormatWide(L"%d%ls Partition %d", *value, L"%", static_cast<int>(partition.PartitionNumber())),
                          true});
  if (*value < 100) {
    const int rest = panel::SubtractWrapping(100, *value);
    chart.slices.push_back({panel::kBlue, panel::kBlackText, rest, FormatWide(L"%d%ls Other Use", rest, L"%"), true});
  }
}
