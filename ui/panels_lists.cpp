// The list panels of the three roots: "Mountpoints", "Physical Disks" and
// "Scsi Adapters".
#include "platform/wide_text.h"
#include "ui/panel_support.h"
#include "ui/panels.h"
#include "ui/value_names.h"

using ValueNames::FormatWide;

void ShowMountPointList(FormState& form, const MountPointList& mountPoints) {
  form.ShowPanel(2000);
  ListViewState& list = form.List(2001);
  list.Reset();
  list.AddColumn(L"Name", 42);
  list.AddColumn(L"Device Name", 22);
  list.AddColumn(L"Label", 11);
  list.AddColumn(L"Serial Number", 12);
  list.AddColumn(L"File System", 12);
  for (const auto& mp : mountPoints.children) {
    if (!mp) break;
    ListRow& row = list.AddRow(mp.get());
    row.cells[0] = mp->GetName();
    row.cells[1] = mp->deviceName;
    row.cells[2] = mp->volumeName;
    row.cells[3] = FormatWide(L"%x", static_cast<unsigned>(mp->volumeSerialNumber));
    row.cells[4] = mp->fileSystemName;
  }
}

void ShowPhysicalDiskList(FormState& form, const PhysicalDiskList& disks) {
  form.ShowPanel(2100);
  ListViewState& list = form.List(2101);
  list.Reset();
  list.AddColumn(L"Name", 12);
  list.AddColumn(L"Size", 12);
  list.AddColumn(L"Partition Count", 20);
  list.AddColumn(L"Scsi Adapter", 21);
  list.AddColumn(L"Bus,Target,Lun", 33);
  for (const auto& disk : disks.children) {
    if (!disk) break;
    ListRow& row = list.AddRow(disk.get());
    row.cells[0] = disk->GetName();
    row.cells[1] = ValueNames::FormatSize(static_cast<std::int64_t>(disk->diskSize));
    row.cells[2] = FormatWide(L"%d", static_cast<int>(disk->partitions.size()));
    row.cells[3] = panel::NameOrEmpty(disk->adapter);
    row.cells[4] = panel::NameOrEmpty(disk->device);
  }
}
