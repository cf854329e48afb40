// The volume-side panels: "Mount Point Information", "Disk Extent" and
// "Disk Partition".
#include "model/physical_disk_node.h"
#include "platform/wide_text.h"
#include "ui/panel_support.h"
#include "ui/panels.h"
#include "ui/value_names.h"

using enum ControlId;

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
  form.SetEdit(MountPointPartitionNumberEdit, FormatWide(L"%u", static_cast<unsigned>(number)));
  form.SetEdit(MountPointStartingOffsetEdit, FormatWide(L"%I64x", U64(offset)));
  form.SetEdit(MountPointLengthEdit, FormatWide(L"%I64x", U64(length)));
}

// Which partition record the mount point's volume has decides what the
// partition frame shows; fields a style does not name keep earlier texts.
void ApplyPartitionRule(FormState& form, const MountPointNode& mp) {
  if (!mp.hasPartitionInfoEx) {
    const PARTITION_INFORMATION& p = mp.partitionInfo;
    form.SetEdit(MountPointStyleEdit, L"DYNAMIC");
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
      form.SetEdit(MountPointStyleEdit, L"UNKNOWN");
      for (ControlId id : {MountPointPartitionNumberEdit, MountPointStartingOffsetEdit, MountPointLengthEdit,
                           MountPointPartitionTypeEdit, MountPointHiddenSectorsEdit})
        form.SetEdit(id, L"");
      for (ControlId id : {MountPointRewriteCheck, MountPointBootIndicatorCheck, MountPointRecognizedCheck})
        form.SetCheck(id, false);
      return;
  }
  form.SetEdit(MountPointStyleEdit, styleText);
  SetNumberOffsetLength(form, p.PartitionNumber, p.StartingOffset.QuadPart, p.PartitionLength.QuadPart);
  if (p.PartitionStyle != PARTITION_STYLE_MBR) return;
  form.SetEdit(MountPointPartitionTypeEdit, ValueNames::PartitionTypeName(p.Mbr.PartitionType));
  form.SetEdit(MountPointHiddenSectorsEdit, FormatWide(L"%u", static_cast<unsigned>(p.Mbr.HiddenSectors)));
  form.SetCheck(MountPointRewriteCheck, p.RewritePartition != 0);
  form.SetCheck(MountPointBootIndicatorCheck, p.Mbr.BootIndicator != 0);
  form.SetCheck(MountPointRecognizedCheck, p.Mbr.RecognizedPartition != 0);
}

std::wstring GptName(const PARTITION_INFORMATION_GPT& gpt) {
  std::size_t length = 0;
  while (length < 36 && gpt.Name[length] != 0) ++length;
  return WideFromUtf16(gpt.Name, length);
}

}  // namespace

void ShowMountPoint(FormState& form, const MountPointNode& mp) {
  form.ShowPanel(MountPointPanel);
  form.SetEdit(MountPointVolumeNameEdit, mp.GetName());
  form.SetEdit(MountPointUniqueIdEdit, mp.uniqueIdText);
  form.SetEdit(MountPointDeviceNameEdit, mp.deviceName);
  form.SetEdit(MountPointSymLinkNameEdit, mp.symbolicLinkName);
  form.SetEdit(MountPointVolumeLabelEdit, mp.volumeName);
  form.SetEdit(MountPointSerialNumberEdit, FormatWide(L"%08.8x", static_cast<unsigned>(mp.volumeSerialNumber)));

  ListViewState& list = form.List(MountPointExtentList);
  list.Reset();
  ListBoxState& paths = form.ListBox(MountPointPathNamesListBox);
  paths.Clear();
  // Empty unless the platform can name the volume's mount paths.
  paths.AddAll(mp.volumePathNames.Names());

  list.AddColumns({{L"Extent Name   ", 21}, {L"Disk Number   ", 12}, {L"Starting Offset", 16},
                   {L"Extent Length  ", 16}, {L"Scsi Adapter   ", 21}, {L"Scsi Disk      ", 21}});

  PieChartContent& chart = form.Chart(MountPointChart);
  chart.title = L"Extent Size vs Volume Size";
  chart.slices.clear();
  for (std::size_t i = 0; i < mp.extents.size(); ++i) {
    DiskExtentNode* extent = mp.extents[i];
    if (extent == nullptr) break;
    const DISK_EXTENT& e = extent->diskExtent;
    ListRow& row = list.AddRow(extent);
    row.cells[0] = extent->GetName();
    row.cells[1] = FormatWide(L"%u", static_cast<unsigned>(e.DiskNumber));
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
                            FormatWide(L"%d%ls Extent %u", *value, L"%", static_cast<unsigned>(e.DiskNumber)), true});
  }

  form.SetEdit(MountPointMaxNameLengthEdit, FormatWide(L"%u", static_cast<unsigned>(mp.maxComponentLength)));
  form.SetEdit(MountPointFsFlagsEdit, FormatWide(L"%08.8x", static_cast<unsigned>(mp.fileSystemFlags)));
  form.SetEdit(MountPointFsNameEdit, mp.fileSystemName);
  ApplyPartitionRule(form, mp);
}

void ShowDiskExtent(FormState& form, const DiskExtentNode& extent) {
  form.ShowPanel(ExtentPanel);
  const DISK_EXTENT& e = extent.diskExtent;
  form.SetEdit(ExtentDiskNumberEdit, FormatWide(L"%u", static_cast<unsigned>(e.DiskNumber)));
  form.SetEdit(ExtentStartingOffsetEdit, FormatWide(L"0x%I64x", U64(e.StartingOffset.QuadPart)));
  form.SetEdit(ExtentLengthEdit, FormatWide(L"0x%I64x", U64(e.ExtentLength.QuadPart)));

  PieChartContent& chart = form.Chart(ExtentChart);
  chart.title = L"Disk Extent Size vs. Partition Size";
  chart.slices.clear();
  if (extent.partition == nullptr) return;
  // Only the extent's own share gets a slice; the chart's background shows the rest.
  const auto value = panel::Percentage(U64(e.ExtentLength.QuadPart), extent.partition->PartitionLength());
  if (!value) return;
  chart.slices.push_back({panel::kWhite, panel::kBlackText, *value,
                          FormatWide(L"%d%ls Extent %u", *value, L"%", static_cast<unsigned>(e.DiskNumber)), true});
}

void ShowDiskPartition(FormState& form, const DiskPartitionNode& partition) {
  form.ShowPanel(PartitionPanel);
  auto showMbrGroup = [&form](bool mbr, const wchar_t* title) {
    form.ShowControlRange(PartitionGptTypeLabel, PartitionGptNameEdit, !mbr);
    form.ShowControlRange(PartitionHiddenSectorsLabel, PartitionRewriteCheck, mbr);
    form.SetFrameTitle(PartitionStyleFrame, title);
  };
  auto showPlace = [&form](const LARGE_INTEGER& offset, const LARGE_INTEGER& length, DWORD number) {
    form.SetEdit(PartitionStartingOffsetEdit, FormatWide(L"0x%I64x", U64(offset.QuadPart)));
    form.SetEdit(PartitionLengthEdit, FormatWide(L"0x%I64x", U64(length.QuadPart)));
    form.SetEdit(PartitionNumberEdit, FormatWide(L"%u", static_cast<unsigned>(number)));
  };
  // Both record forms carry the same MBR fields under other names.
  auto showMbr = [&form](DWORD hiddenSectors, BYTE type, bool recognized, bool rewrite, bool boot) {
    form.SetEdit(PartitionHiddenSectorsEdit, FormatWide(L"0x%x", static_cast<unsigned>(hiddenSectors)));
    form.SetEdit(PartitionMbrTypeEdit, ValueNames::PartitionTypeName(type));
    form.SetCheck(PartitionRecognizedCheck, recognized);
    form.SetCheck(PartitionRewriteCheck, rewrite);
    form.SetCheck(PartitionBootIndicatorCheck, boot);
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
        form.SetEdit(PartitionGptTypeEdit, ValueNames::FormatGuid(p.Gpt.PartitionType));
        form.SetEdit(PartitionGptIdEdit, ValueNames::FormatGuid(p.Gpt.PartitionId));
        form.SetEdit(PartitionGptAttributesEdit, FormatWide(L"0x%I64x", static_cast<ull>(p.Gpt.Attributes)));
        form.SetEdit(PartitionGptNameEdit, GptName(p.Gpt));
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

  PieChartContent& chart = form.Chart(PartitionChart);
  chart.title = L"Partition Size vs. Disk Size";
  chart.slices.clear();
  if (partition.disk == nullptr) return;
  const auto value = panel::Percentage(partition.PartitionLength(), partition.disk->diskSize);
  if (!value) return;
  chart.slices.push_back({panel::kWhite, panel::kBlackText, *value,
                          FormatWide(L"%d%ls Partition %u", *value, L"%", static_cast<unsigned>(partition.PartitionNumber())),
                          true});
  if (*value < 100) {
    const int rest = panel::SubtractWrapping(100, *value);
    chart.slices.push_back({panel::kBlue, panel::kBlackText, rest, FormatWide(L"%d%ls Other Use", rest, L"%"), true});
  }
}
