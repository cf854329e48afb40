// The list panels of the three roots: "Mountpoints", "Physical Disks" and
// "Scsi Adapters".
#include <charconv>

#include "ui/panel_support.h"
#include "ui/panels.h"
#include "ui/value_names.h"

using enum ControlId;

namespace {

// Shows the root's panel with one row per child, up to the first missing one;
// `fill` writes the cells of a row.
template <class Root, class Fill>
void ShowRootList(FormState& form, ControlId panelId, ControlId listId, std::initializer_list<ListColumn> columns,
                  const Root& root, Fill fill) {
  form.ShowPanel(panelId);
  std::size_t count = 0;
  while (count < root.children.size() && root.children[count]) ++count;
  // The rows are written over in place: shown again and again, a root of ten
  // thousand children would otherwise make and free fifty thousand strings.
  ListViewState& list = form.List(listId);
  list.ResetToEmptyRows(columns, count);
  for (std::size_t i = 0; i < count; ++i) {
    ListRow& row = list.rows[i];
    row.node = root.children[i].get();
    fill(row.cells, *root.children[i]);
  }
}

// A number as "%x" (after `prefix`) or "%d" writes it, into a cell whose room is kept.
void AssignHex(std::wstring& cell, unsigned value, const wchar_t* prefix = L"") {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
  cell.assign(prefix);
  cell.append(digits, end);
}

void AssignDecimal(std::wstring& cell, int value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  cell.assign(digits, end);
}

void AssignName(std::wstring& cell, const StorageNode* node) {
  if (node != nullptr)
    cell = node->GetName();
  else
    cell.clear();
}

}  // namespace

void ShowMountPointList(FormState& form, const MountPointList& mountPoints) {
  ShowRootList(form, MountPointListPanel, AllMountPointsList,
               {{L"Name", 42}, {L"Device Name", 22}, {L"Label", 11}, {L"Serial Number", 12}, {L"File System", 12}},
               mountPoints, [](std::vector<std::wstring>& cells, const MountPointNode& mp) {
                 cells[0] = mp.GetName();
                 cells[1] = mp.deviceName;
                 cells[2] = mp.volumeName;
                 AssignHex(cells[3], static_cast<unsigned>(mp.volumeSerialNumber));
                 cells[4] = mp.fileSystemName;
               });
}

void ShowPhysicalDiskList(FormState& form, const PhysicalDiskList& disks) {
  ShowRootList(form, DiskListPanel, AllDisksList,
               {{L"Name", 12}, {L"Size", 12}, {L"Partition Count", 20}, {L"Scsi Adapter", 21}, {L"Bus,Target,Lun", 33}},
               disks, [](std::vector<std::wstring>& cells, const PhysicalDiskNode& disk) {
                 cells[0] = disk.GetName();
                 cells[1] = ValueNames::FormatSize(disk.diskSize);
                 AssignDecimal(cells[2], static_cast<int>(disk.partitions.size()));
                 AssignName(cells[3], disk.adapter);
                 AssignName(cells[4], disk.device);
               });
}

void ShowAdapterList(FormState& form, const AdapterList& adapters) {
  ShowRootList(form, AdapterListPanel, AllAdaptersList,
               {{L"Name", 12}, {L"Bus Type", 12}, {L"Max TXFR Len", 20}, {L"Scsi Devices", 21}}, adapters,
               [](std::vector<std::wstring>& cells, const ScsiAdapterNode& adapter) {
                 cells[0] = adapter.GetName();
                 // An adapter without a descriptor has no bus type to name.
                 if (!adapter.adapterDescriptor.empty()) cells[1] = ValueNames::BusTypeName(adapter.GetBusType());
                 AssignHex(cells[2], static_cast<unsigned>(adapter.scsiCapabilities.MaximumTransferLength), L"0x");
                 AssignDecimal(cells[3], static_cast<int>(adapter.devices.size()));
               });
}
