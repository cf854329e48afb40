// The adapter-side panels: "Scsi Adapters", "Scsi Adapter Information" and
// "Scsi Device". They decode the platform records the scan kept in the nodes;
// every length and offset of a record is checked against the bytes held, and a
// record that is missing gives empty texts.
#include <optional>

#include "platform/wide_text.h"
#include "ui/ansi_text.h"
#include "ui/panel_support.h"
#include "ui/panels.h"
#include "ui/value_names.h"

using ValueNames::FormatWide;

namespace {

constexpr std::size_t kMaxConvertedChars = 256;

std::wstring Hex(unsigned value) { return FormatWide(L"0x%x", value); }

// The standard INQUIRY bytes a device holds, each only when held.
class Inquiry {
 public:
  explicit Inquiry(const ScsiDeviceNode& device)
      : data_(device.inquiryData), length_(device.inquiryData != nullptr ? device.InquiryLength() : 0) {}

  bool Present() const { return length_ > 0; }
  std::optional<BYTE> Byte(std::size_t index) const {
    if (index >= length_) return std::nullopt;
    return data_[index];
  }
  std::optional<bool> Bit(std::size_t index, int bit) const {
    const auto b = Byte(index);
    if (!b) return std::nullopt;
    return ((*b >> bit) & 1) != 0;
  }
  // A fixed-size text field, cut where the bytes held end; empty when none are.
  std::wstring Field(std::size_t offset, std::size_t size) const {
    if (offset >= length_) return {};
    return FixedFieldText(data_ + offset, std::min(size, length_ - offset));
  }

 private:
  const BYTE* data_;
  std::size_t length_;
};

// A descriptor's bytes, bounded by both the buffer and the size it states.
std::size_t DescriptorBound(const RecordBytes& bytes, DWORD statedSize) {
  return std::min<std::size_t>(bytes.size(), statedSize);
}

// `size` bytes of text at `offset` of a descriptor; empty for offset 0 (absent)
// or an offset outside it.
std::wstring DescriptorField(const RecordBytes& bytes, std::size_t bound, DWORD offset, std::size_t size) {
  if (offset == 0 || offset >= bound) return {};
  return FixedFieldText(bytes.data() + offset, std::min<std::size_t>(size, bound - offset));
}

void SetEditFrom(FormState& form, int id, const std::optional<BYTE>& byte, const wchar_t* format, unsigned value) {
  form.SetEdit(id, byte ? FormatWide(format, value) : std::wstring());
}

void SetCheckFrom(FormState& form, int id, const std::optional<bool>& bit) { form.SetCheck(id, bit.value_or(false)); }

void AddDeviceRow(ListViewState& list, ScsiDeviceNode& device) {
  const Inquiry inquiry(device);
  ListRow& row = list.AddRow(&device);
  row.cells[0] = device.GetName();
  if (const auto b0 = inquiry.Byte(0)) row.cells[1] = ValueNames::DeviceTypeName(*b0 & 0x1Fu);
  if (const auto removable = inquiry.Bit(1, 7)) row.cells[2] = ValueNames::BoolText(*removable);
  row.cells[3] = inquiry.Field(8, 8);
  row.cells[4] = inquiry.Field(16, 16);
  row.cells[5] = inquiry.Field(32, 4);
  row.cells[6] = inquiry.Field(36, 20);
}

void ShowInquiry(FormState& form, const Inquiry& q) {
  const auto b0 = q.Byte(0);
  const auto b1 = q.Byte(1);
  const auto b2 = q.Byte(2);
  const auto b3 = q.Byte(3);
  const auto b4 = q.Byte(4);
  form.SetEdit(1303, b0 ? ValueNames::DeviceTypeName(*b0 & 0x1Fu) : std::wstring());
  SetEditFrom(form, 1304, b0, L"0x%03.3x", b0.value_or(0) >> 5);
  SetEditFrom(form, 1306, b1, L"0x%07.7x", b1.value_or(0) & 0x7Fu);
  SetCheckFrom(form, 1307, q.Bit(1, 7));
  const unsigned version = b2.value_or(0);
  form.SetEdit(1309, b2 ? FormatWide(L"%03.3x,%03.3x,%02.2x", version & 7u, (version >> 3) & 7u, version >> 6)
                        : std::wstring());
  SetEditFrom(form, 1311, b3, L"0x%4.4x", b3.value_or(0) & 0x0Fu);
  for (int bit = 4; bit <= 7; ++bit) SetCheckFrom(form, 1312 + (bit - 4), q.Bit(3, bit));
  form.SetEdit(1317, b4 ? FormatWide(L"%d", static_cast<int>(*b4)) : std::wstring());
  for (int bit = 0; bit <= 4; ++bit) SetCheckFrom(form, 1318 + bit, q.Bit(6, bit));
  SetCheckFrom(form, 1323, q.Bit(6, 6));
  for (int bit = 0; bit <= 7; ++bit) SetCheckFrom(form, 1324 + bit, q.Bit(7, bit));
  form.SetEdit(1333, q.Field(8, 8));
  form.SetEdit(1335, q.Field(16, 16));
  form.SetEdit(1337, q.Field(32, 4));
  form.SetEdit(1339, q.Field(36, 20));
}

void ShowUsbDisk(FormState& form, const ScsiDeviceNode& device) {
  if (device.deviceDescriptor.empty()) {
    for (int id : {1303, 1306, 1333, 1335, 1337}) form.SetEdit(id, L"");
    form.SetCheck(1307, false);
    form.SetCheck(1325, false);
    return;
  }
  const STORAGE_DEVICE_DESCRIPTOR d = device.DeviceDescriptorFields();
  const std::size_t bound = DescriptorBound(device.deviceDescriptor, d.Size);
  form.SetEdit(1303, ValueNames::DeviceTypeName(d.DeviceType));
  form.SetEdit(1306, FormatWide(L"0x%07.7x", static_cast<unsigned>(d.DeviceTypeModifier)));
  form.SetCheck(1307, d.RemovableMedia != 0);
  form.SetCheck(1325, d.CommandQueueing != 0);
  form.SetEdit(1333, DescriptorField(device.deviceDescriptor, bound, d.VendorIdOffset, 8));
  form.SetEdit(1335, DescriptorField(device.deviceDescriptor, bound, d.ProductIdOffset, 16));
  form.SetEdit(1337, DescriptorField(device.deviceDescriptor, bound, d.ProductRevisionOffset, 4));
}

std::wstring IdentifierData(DWORD codeSet, const BYTE* data, std::size_t size) {
  if (codeSet == 1) {
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) text += FormatWide(L"%01.1x", static_cast<unsigned>(data[i]));
    return text;
  }
  if (codeSet == 2) return AnsiTextUpToNull(data, size, kMaxConvertedChars);
  return {};
}

// One row per identifier, for as many as the descriptor counts. The walk ends
// where an identifier or its data would reach outside the descriptor's stated
// size, and at a next-offset of 0, which would list the same identifier again.
void ShowIdentifiers(ListViewState& list, const RecordBytes& bytes) {
  if (bytes.size() < layout::kDeviceIdDescriptorFixed) return;
  const auto descriptor = ReadRecord<STORAGE_DEVICE_ID_DESCRIPTOR>(bytes);
  const std::size_t bound = DescriptorBound(bytes, descriptor.Size);
  std::size_t offset = layout::kDeviceIdDescriptorFixed;
  for (DWORD i = 0; i < descriptor.NumberOfIdentifiers; ++i) {
    if (offset + layout::kIdentifierFixed > bound) return;
    const auto id = ReadRecord<STORAGE_IDENTIFIER>(bytes, offset);
    const std::size_t dataStart = offset + layout::kIdentifierFixed;
    if (id.IdentifierSize > bound - dataStart) return;
    ListRow& row = list.AddRow(nullptr);
    row.cells[0] = ValueNames::IdentifierCodeSetName(static_cast<std::uint32_t>(id.CodeSet));
    row.cells[1] = ValueNames::IdentifierTypeName(static_cast<std::uint32_t>(id.Type));
    row.cells[2] = ValueNames::IdentifierAssociationName(static_cast<std::uint32_t>(id.Association));
    row.cells[3] = FormatWide(L"0x0%4.4x", static_cast<unsigned>(id.IdentifierSize));
    row.cells[4] = IdentifierData(static_cast<DWORD>(id.CodeSet), bytes.data() + dataStart, id.IdentifierSize);
    if (id.NextOffset == 0) return;
    offset += id.NextOffset;
  }
}

void ShowSerialNumber(FormState& form, const ScsiDeviceNode& device) {
  if (device.deviceDescriptor.empty()) return;
  const STORAGE_DEVICE_DESCRIPTOR d = device.DeviceDescriptorFields();
  if (d.SerialNumberOffset == 0) return;
  const std::size_t bound = DescriptorBound(device.deviceDescriptor, d.Size);
  if (d.SerialNumberOffset >= bound) {
    form.SetEdit(1342, L"");
    return;
  }
  form.SetEdit(1342, AnsiTextUpToNull(device.deviceDescriptor.data() + d.SerialNumberOffset,
                                      bound - d.SerialNumberOffset, kMaxConvertedChars));
}

}  // namespace

void ShowAdapterList(FormState& form, const AdapterList& adapters) {
  form.ShowPanel(2200);
  ListViewState& list = form.List(2201);
  list.Reset();
  list.AddColumn(L"Name", 12);
  list.AddColumn(L"Bus Type", 12);
  list.AddColumn(L"Max TXFR Len", 20);
  list.AddColumn(L"Scsi Devices", 21);
  for (const auto& adapter : adapters.children) {
    if (!adapter) break;
    ListRow& row = list.AddRow(adapter.get());
    row.cells[0] = adapter->GetName();
    if (!adapter->adapterDescriptor.empty()) row.cells[1] = ValueNames::BusTypeName(adapter->GetBusType());
    row.cells[2] = Hex(adapter->scsiCapabilities.MaximumTransferLength);
    row.cells[3] = FormatWide(L"%d", static_cast<int>(adapter->devices.size()));
  }
}

void ShowScsiAdapter(FormState& form, const ScsiAdapterNode& adapter) {
  form.ShowPanel(1130);
  ListViewState& list = form.List(1131);
  list.Reset();
  for (int id : {1154, 1156, 1158, 1160}) form.ListBox(id).Clear();
  form.SetEdit(1134, L"");
  form.SetEdit(1162, adapter.portDeviceName);

  const bool hasDescriptor = !adapter.adapterDescriptor.empty();
  const STORAGE_ADAPTER_DESCRIPTOR descriptor = adapter.AdapterDescriptorFields();
  if (!adapter.isUsbStorage) {
    const IO_SCSI_CAPABILITIES& caps = adapter.scsiCapabilities;
    form.SetFrameTitle(1130, L"Scsi Adapter Information");
    form.SetEdit(1136, Hex(caps.MaximumTransferLength));
    form.SetEdit(1138, Hex(caps.MaximumPhysicalPages));
    form.SetEdit(1140, Hex(caps.SupportedAsynchronousEvents));
    form.SetEdit(1142, Hex(caps.AlignmentMask));
    form.SetCheck(1143, caps.TaggedQueuing != 0);
    form.SetCheck(1144, caps.AdapterScansDown != 0);
    form.SetCheck(1145, caps.AdapterUsesPio != 0);
    list.AddColumn(L"Bus,Target,Lun", 19);
    list.AddColumn(L"Device Type", 12);
    list.AddColumn(L"Removable", 16);
    list.AddColumn(L"Vendor Id", 20);
    list.AddColumn(L"Product Id", 17);
    list.AddColumn(L"Product Rev. Level", 23);
    list.AddColumn(L"Vendor Specific", 21);
    for (const auto& device : adapter.devices) {
      if (!device) break;
      AddDeviceRow(list, *device);
    }
  } else {
    // The USB adapter reports through its descriptor; Async Events and Tagged
    // Queuing have no source there and keep what the last adapter showed.
    form.SetFrameTitle(1130, L"Usb Mass Storage Adapter Information");
    form.SetEdit(1136, hasDescriptor ? Hex(descriptor.MaximumTransferLength) : std::wstring());
    form.SetEdit(1138, hasDescriptor ? Hex(descriptor.MaximumPhysicalPages) : std::wstring());
    form.SetEdit(1142, hasDescriptor ? Hex(descriptor.AlignmentMask) : std::wstring());
    form.SetCheck(1144, hasDescriptor && descriptor.AdapterScansDown != 0);
    form.SetCheck(1145, hasDescriptor && descriptor.AdapterUsesPio != 0);
  }

  if (hasDescriptor) {
    form.SetCheck(1146, descriptor.AcceleratedTransfer != 0);
    form.SetEdit(1148, ValueNames::BusTypeName(descriptor.BusType));
    form.SetEdit(1150, FormatWide(L"0x%4.4x", static_cast<unsigned>(descriptor.BusMajorVersion)));
    form.SetEdit(1152, FormatWide(L"0x%4.4x", static_cast<unsigned>(descriptor.BusMinorVersion)));
  }

  if (adapter.hasDeviceManagerInfo) {
    const DeviceManagerInfo& info = adapter.deviceManagerInfo;
    for (const std::wstring& line : info.hardwareIds) form.ListBox(1154).Add(line);
    for (const std::wstring& line : info.compatibleIds) form.ListBox(1156).Add(line);
    for (const std::wstring& line : info.hardwareResources) form.ListBox(1158).Add(line);
    for (const std::wstring& line : info.driverNodes) form.ListBox(1160).Add(line);
    if (!info.driverFiles.empty()) form.SetEdit(1134, info.driverFiles.front());
  }
}

void ShowScsiDevice(FormState& form, const ScsiDeviceNode& device) {
  form.ShowPanel(1300);
  ListViewState& list = form.List(1344);
  list.Reset();
  if (device.isUsbDisk || device.is1394Disk) {
    form.SetFrameTitle(1300, L"Usb Disk");
    ShowUsbDisk(form, device);
  } else {
    form.SetFrameTitle(1300, L"Scsi Device");
    ShowInquiry(form, Inquiry(device));
    list.AddColumn(L"Code Set Type", 12);
    list.AddColumn(L"Identifier Type", 12);
    list.AddColumn(L"Association Type", 20);
    list.AddColumn(L"Data Size", 21);
    list.AddColumn(L"Data", 33);
    ShowIdentifiers(list, device.deviceIdDescriptor);
  }
  ShowSerialNumber(form, device);
}
