// The adapter-side panels: "Scsi Adapter Information" and "Scsi Device". They decode the platform records the scan kept in the nodes;
// every length and offset of a record is checked against the bytes held, and a
// record that is missing gives empty texts.
#include <optional>

#include "platform/wide_text.h"
#include "ui/ansi_text.h"
#include "ui/panel_support.h"
#include "ui/panels.h"
#include "ui/value_names.h"

using enum ControlId;

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

void SetEditFrom(FormState& form, ControlId id, const std::optional<BYTE>& byte, const wchar_t* format,
                 unsigned value) {
  form.SetEdit(id, byte ? FormatWide(format, value) : std::wstring());
}

void SetCheckFrom(FormState& form, ControlId id, const std::optional<bool>& bit) {
  form.SetCheck(id, bit.value_or(false));
}

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
  form.SetEdit(DeviceTypeEdit, b0 ? ValueNames::DeviceTypeName(*b0 & 0x1Fu) : std::wstring());
  SetEditFrom(form, DeviceTypeQualifierEdit, b0, L"0x%03.3x", b0.value_or(0) >> 5);
  SetEditFrom(form, DeviceTypeModifierEdit, b1, L"0x%07.7x", b1.value_or(0) & 0x7Fu);
  SetCheckFrom(form, DeviceRemovableMediaCheck, q.Bit(1, 7));
  const unsigned version = b2.value_or(0);
  form.SetEdit(
      DeviceVersionEdit,
      b2 ? FormatWide(L"%03.3x,%03.3x,%02.2x", version & 7u, (version >> 3) & 7u, version >> 6) : std::wstring());
  SetEditFrom(form, DeviceResponseDataFormatEdit, b3, L"0x%4.4x", b3.value_or(0) & 0x0Fu);
  constexpr ControlId byte3[] = {DeviceHiSupportCheck, DeviceNormAcaCheck, DeviceTerminateTaskCheck, DeviceAercCheck};
  for (int bit = 4; bit <= 7; ++bit) SetCheckFrom(form, byte3[bit - 4], q.Bit(3, bit));
  form.SetEdit(DeviceAdditionalLengthEdit, b4 ? FormatWide(L"%d", static_cast<int>(*b4)) : std::wstring());
  constexpr ControlId byte6[] = {DeviceAddr16Check, DeviceAddr32Check, DeviceAckReqQCheck, DeviceMediumChangerCheck,
                                 DeviceMultiPortCheck};
  for (int bit = 0; bit <= 4; ++bit) SetCheckFrom(form, byte6[bit], q.Bit(6, bit));
  SetCheckFrom(form, DeviceEnclosureServicesCheck, q.Bit(6, 6));
  constexpr ControlId byte7[] = {DeviceSoftResetCheck,     DeviceCommandQueueCheck, DeviceTransferDisableCheck,
                                 DeviceLinkedCommandsCheck, DeviceSynchronousCheck,  DeviceWide16BitCheck,
                                 DeviceWide32BitCheck,      DeviceRelativeAddressingCheck};
  for (int bit = 0; bit <= 7; ++bit) SetCheckFrom(form, byte7[bit], q.Bit(7, bit));
  form.SetEdit(DeviceVendorIdEdit, q.Field(8, 8));
  form.SetEdit(DeviceProductIdEdit, q.Field(16, 16));
  form.SetEdit(DeviceProductRevisionEdit, q.Field(32, 4));
  form.SetEdit(DeviceVendorSpecificEdit, q.Field(36, 20));
}

void ShowUsbDisk(FormState& form, const ScsiDeviceNode& device) {
  if (device.deviceDescriptor.empty()) {
    for (ControlId id :
         {DeviceTypeEdit, DeviceTypeModifierEdit, DeviceVendorIdEdit, DeviceProductIdEdit, DeviceProductRevisionEdit})
      form.SetEdit(id, L"");
    form.SetCheck(DeviceRemovableMediaCheck, false);
    form.SetCheck(DeviceCommandQueueCheck, false);
    return;
  }
  const STORAGE_DEVICE_DESCRIPTOR d = device.DeviceDescriptorFields();
  const std::size_t bound = DescriptorBound(device.deviceDescriptor, d.Size);
  form.SetEdit(DeviceTypeEdit, ValueNames::DeviceTypeName(d.DeviceType));
  form.SetEdit(DeviceTypeModifierEdit, FormatWide(L"0x%07.7x", static_cast<unsigned>(d.DeviceTypeModifier)));
  form.SetCheck(DeviceRemovableMediaCheck, d.RemovableMedia != 0);
  form.SetCheck(DeviceCommandQueueCheck, d.CommandQueueing != 0);
  form.SetEdit(DeviceVendorIdEdit, DescriptorField(device.deviceDescriptor, bound, d.VendorIdOffset, 8));
  form.SetEdit(DeviceProductIdEdit, DescriptorField(device.deviceDescriptor, bound, d.ProductIdOffset, 16));
  form.SetEdit(DeviceProductRevisionEdit, DescriptorField(device.deviceDescriptor, bound, d.ProductRevisionOffset, 4));
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
    form.SetEdit(DeviceSerialNumberEdit, L"");
    return;
  }
  form.SetEdit(DeviceSerialNumberEdit, AnsiTextUpToNull(device.deviceDescriptor.data() + d.SerialNumberOffset,
                                      bound - d.SerialNumberOffset, kMaxConvertedChars));
}

}  // namespace

void ShowScsiAdapter(FormState& form, const ScsiAdapterNode& adapter) {
  form.ShowPanel(AdapterPanel);
  ListViewState& list = form.List(AdapterDeviceList);
  list.Reset();
  for (ControlId id :
       {AdapterHardwareIdsListBox, AdapterCompatibleIdsListBox, AdapterResourcesListBox, AdapterDriverNodesListBox})
    form.ListBox(id).Clear();
  form.SetEdit(AdapterDriverNameEdit, L"");
  form.SetEdit(AdapterDeviceNameEdit, adapter.portDeviceName);

  const bool hasDescriptor = !adapter.adapterDescriptor.empty();
  const STORAGE_ADAPTER_DESCRIPTOR descriptor = adapter.AdapterDescriptorFields();
  if (!adapter.isUsbStorage) {
    const IO_SCSI_CAPABILITIES& caps = adapter.scsiCapabilities;
    form.SetFrameTitle(AdapterPanel, L"Scsi Adapter Information");
    form.SetEdit(AdapterMaxTransferLengthEdit, Hex(caps.MaximumTransferLength));
    form.SetEdit(AdapterMaxPhysicalPagesEdit, Hex(caps.MaximumPhysicalPages));
    form.SetEdit(AdapterAsyncEventsEdit, Hex(caps.SupportedAsynchronousEvents));
    form.SetEdit(AdapterAlignmentMaskEdit, Hex(caps.AlignmentMask));
    form.SetCheck(AdapterTaggedQueuingCheck, caps.TaggedQueuing != 0);
    form.SetCheck(AdapterScansDownCheck, caps.AdapterScansDown != 0);
    form.SetCheck(AdapterUsesPioCheck, caps.AdapterUsesPio != 0);
    list.AddColumns({{L"Bus,Target,Lun", 19}, {L"Device Type", 12}, {L"Removable", 16}, {L"Vendor Id", 20},
                     {L"Product Id", 17}, {L"Product Rev. Level", 23}, {L"Vendor Specific", 21}});
    for (const auto& device : adapter.devices) {
      if (!device) break;
      AddDeviceRow(list, *device);
    }
  } else {
    // The USB adapter reports through its descriptor; Async Events and Tagged
    // Queuing have no source there and keep what the last adapter showed.
    form.SetFrameTitle(AdapterPanel, L"Usb Mass Storage Adapter Information");
    form.SetEdit(AdapterMaxTransferLengthEdit, hasDescriptor ? Hex(descriptor.MaximumTransferLength) : std::wstring());
    form.SetEdit(AdapterMaxPhysicalPagesEdit, hasDescriptor ? Hex(descriptor.MaximumPhysicalPages) : std::wstring());
    form.SetEdit(AdapterAlignmentMaskEdit, hasDescriptor ? Hex(descriptor.AlignmentMask) : std::wstring());
    form.SetCheck(AdapterScansDownCheck, hasDescriptor && descriptor.AdapterScansDown != 0);
    form.SetCheck(AdapterUsesPioCheck, hasDescriptor && descriptor.AdapterUsesPio != 0);
  }

  if (hasDescriptor) {
    form.SetCheck(AdapterAcceleratedTransferCheck, descriptor.AcceleratedTransfer != 0);
    form.SetEdit(AdapterBusTypeEdit, ValueNames::BusTypeName(descriptor.BusType));
    form.SetEdit(AdapterBusMajorVersionEdit, FormatWide(L"0x%4.4x", static_cast<unsigned>(descriptor.BusMajorVersion)));
    form.SetEdit(AdapterBusMinorVersionEdit, FormatWide(L"0x%4.4x", static_cast<unsigned>(descriptor.BusMinorVersion)));
  }

  if (adapter.hasDeviceManagerInfo) {
    const DeviceManagerInfo& info = adapter.deviceManagerInfo;
    for (const std::wstring& line : info.hardwareIds) form.ListBox(AdapterHardwareIdsListBox).Add(line);
    for (const std::wstring& line : info.compatibleIds) form.ListBox(AdapterCompatibleIdsListBox).Add(line);
    for (const std::wstring& line : info.hardwareResources) form.ListBox(AdapterResourcesListBox).Add(line);
    for (const std::wstring& line : info.driverNodes) form.ListBox(AdapterDriverNodesListBox).Add(line);
    if (!info.driverFiles.empty()) form.SetEdit(AdapterDriverNameEdit, info.driverFiles.front());
  }
}

void ShowScsiDevice(FormState& form, const ScsiDeviceNode& device) {
  form.ShowPanel(DevicePanel);
  ListViewState& list = form.List(DeviceIdentifierList);
  list.Reset();
  if (device.isUsbDisk || device.is1394Disk) {
    form.SetFrameTitle(DevicePanel, L"Usb Disk");
    ShowUsbDisk(form, device);
  } else {
    form.SetFrameTitle(DevicePanel, L"Scsi Device");
    ShowInquiry(form, Inquiry(device));
    list.AddColumns({{L"Code Set Type", 12}, {L"Identifier Type", 12}, {L"Association Type", 20}, {L"Data Size", 21},
                     {L"Data", 33}});
    ShowIdentifiers(list, device.deviceIdDescriptor);
  }
  ShowSerialNumber(form, device);
}
