// The list panels of the three roots: "Mountpoints", "Physical Disks" and
// "Scsi Adapters".
#include "platform/wide_text.h"
#include "ui/panel_support.h"
#include "ui/panels.h"
#include "ui/value_names.h"

using enum ControlId;

using ValueNames::FormatWide;

namespace {

// Shows the root's panel with one row per child, up to the first missing one;
// `fill` writes the cells of a row.
template <class Root, class Fill>
void ShowRootList(FormState& form, ControlId panelId, ControlId listId, std::initializer_list<ListColumn> columns,
                  const Root& root, Fill fill) {
  form.ShowPanel(panelId);
  ListViewState& list = form.List(listId);
  list.Reset();
  list.AddColumns(columns);
  for (const auto& child : root.children) {
    if (!child) break;
    fill(list.AddRow(child.get()).cells, *child);
  }
}

}  // namespace

void ShowMountPointList(FormState& form, const MountPointList& mountPoints) {
  ShowRootList(form, MountPointListPanel, AllMountPointsList,
               {{L"Name", 42}, {L"Device Name", 22}, {L"Label", 11}, {L"Serial Number", 12}, {L"File System", 12}},
               mountPoints, [](std::vector<std::wstring>& cells, const MountPointNode& mp) {
                 cells[0] = mp.GetName();
                 cells[1] = mp.deviceName;
                 cells[2] = mp.volumeName;
                 cells[3] = FormatWide(L"%x", static_cast<unsigned>(mp.volumeSerialNumber));
                 cells[4] = mp.fileSystemName;
               });
}

void ShowPhysicalDiskList(FormState& form, const PhysicalDiskList& disks) {
  ShowRootList(form, DiskListPanel, AllDisksList,
               {{L"Name", 12}, {L"Size", 12}, {L"Partition Count", 20}, {L"Scsi Adapter", 21}, {L"Bus,Target,Lun", 33}},
               disks, [](std::vector<std::wstring>& cells, const PhysicalDiskNode& disk) {
                 cells[0] = disk.GetName();
                 cells[1] = ValueNames::FormatSize(disk.diskSize);
                 cells[2] = FormatWide(L"%d", static_cast<int>(disk.partitions.size()));
                 cells[3] = panel::NameOrEmpty(disk.adapter);
                 cells[4] = panel::NameOrEmpty(disk.device);
               });
}

void ShowAdapterList(FormState& form, const AdapterList& adapters) {
  ShowRootList(form, AdapterListPanel, AllAdaptersList,
               {{L"Name", 12}, {L"Bus Type", 12}, {L"Max TXFR Len", 20}, {L"Scsi Devices", 21}}, adapters,
               [](std::vector<std::wstring>& cells, const ScsiAdapterNode& adapter) {
                 cells[0] = adapter.GetName();
                 // An adapter without a descriptor has no bus type to name.
                 if (!adapter.adapterDescriptor.empty()) cells[1] = ValueNames::BusTypeName(adapter.GetBusType());
                 cells[2] = FormatWide(L"0x%x", static_cast<unsigned>(adapter.scsiCapabilities.MaximumTransferLength));
                 cells[3] = FormatWide(L"%d", static_cast<int>(adapter.devices.size()));
               });
}
