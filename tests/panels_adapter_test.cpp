#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "tests/support/panel_expectations.h"
#include "tests/support/presentation_fixture.h"
#include "ui/panels.h"

using enum ControlId;

namespace {

ScsiAdapterNode& Adapter(ScannedSample& sample, const std::wstring& name) {
  for (const auto& a : sample.doc.Model().Adapters()->children)
    if (a->GetName() == name) return *a;
  throw std::out_of_range("no such adapter");
}

// A device with `inquiry` as its standard INQUIRY bytes.
void SetInquiry(ScsiDeviceNode& device, const std::vector<BYTE>& inquiry) {
  std::vector<BYTE> record(layout::kInquiryRecordHeader + inquiry.size());
  const ULONG length = static_cast<ULONG>(inquiry.size());
  std::memcpy(record.data() + offsetof(SCSI_INQUIRY_DATA, InquiryDataLength), &length, sizeof length);
  std::memcpy(record.data() + layout::kInquiryRecordHeader, inquiry.data(), inquiry.size());
  device.SetInquiryData(record.data(), record.size());
}

std::vector<BYTE> InquiryBytes(const char* vendor, const char* product, const char* revision) {
  std::vector<BYTE> bytes(36, 0);
  std::memcpy(bytes.data() + 8, vendor, 8);
  std::memcpy(bytes.data() + 16, product, 16);
  std::memcpy(bytes.data() + 32, revision, 4);
  return bytes;
}

// One identifier of a device identifier descriptor: its fixed part and data.
struct Identifier {
  int codeSet;
  int type;
  int association;
  std::vector<BYTE> data;
  int nextOffset = -1;  // -1: right after this identifier
};

RecordBytes IdDescriptor(DWORD count, const std::vector<Identifier>& ids, DWORD statedSize = 0) {
  RecordBytes bytes(layout::kDeviceIdDescriptorFixed, 0);
  for (const Identifier& id : ids) {
    STORAGE_IDENTIFIER fixed{};
    fixed.CodeSet = static_cast<STORAGE_IDENTIFIER_CODE_SET>(id.codeSet);
    fixed.Type = static_cast<STORAGE_IDENTIFIER_TYPE>(id.type);
    fixed.Association = static_cast<STORAGE_ASSOCIATION_TYPE>(id.association);
    fixed.IdentifierSize = static_cast<USHORT>(id.data.size());
    fixed.NextOffset = static_cast<USHORT>(id.nextOffset >= 0 ? id.nextOffset : layout::kIdentifierFixed + id.data.size());
    const std::size_t at = bytes.size();
    bytes.resize(at + layout::kIdentifierFixed);
    std::memcpy(bytes.data() + at, &fixed, layout::kIdentifierFixed);
    bytes.insert(bytes.end(), id.data.begin(), id.data.end());
  }
  STORAGE_DEVICE_ID_DESCRIPTOR header{};
  header.Version = 1;
  header.Size = statedSize != 0 ? statedSize : static_cast<DWORD>(bytes.size());
  header.NumberOfIdentifiers = count;
  std::memcpy(bytes.data(), &header, layout::kDeviceIdDescriptorFixed);
  return bytes;
}

}  // namespace

TEST(AdapterListPanel, ListsEveryAdapterWithBusTypeAndTransferLength) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowAdapterList(form, *sample.doc.Model().Adapters());
  EXPECT_EQ(form.PanelOnDisplay(), AdapterListPanel);
  const ListViewState& list = form.List(AllAdaptersList);
  EXPECT_EQ(Headings(list), (Cells{L"Name", L"Bus Type", L"Max TXFR Len", L"Scsi Devices"}));
  EXPECT_EQ(Widths(list), (std::vector<int>{12, 12, 20, 21}));
  ASSERT_EQ(list.rows.size(), 4u);
  // Bus type 11 is beyond the table.
  EXPECT_EQ(list.rows[0].cells, (Cells{L"Scsi2", L"UNKNOWN Bus", L"0x20000", L"2"}));
  EXPECT_EQ(list.rows[1].cells, (Cells{L"Scsi3", L"UNKNOWN Bus", L"0x100000", L"2"}));
  // The pseudo-adapters have no capabilities.
  EXPECT_EQ(list.rows[2].cells, (Cells{L"UsbStorage", L"BusTypeUsb", L"0x0", L"1"}));
  EXPECT_EQ(list.rows[3].cells, (Cells{L"1394Storage", L"BusType1394", L"0x0", L"1"}));
  EXPECT_EQ(list.rows[3].node, sample.doc.Model().Adapters()->children[3].get());

  // An adapter without a descriptor has no bus type to name, even where the
  // list showed one before.
  AdapterList hand;
  hand.children.push_back(std::make_unique<ScsiAdapterNode>());
  ShowAdapterList(form, hand);
  ASSERT_EQ(form.List(AllAdaptersList).rows.size(), 1u);
  EXPECT_EQ(form.List(AllAdaptersList).rows[0].cells[1], L"");
}

TEST(AdapterPanel, AScsiPortWithItsDevicesAndDeviceManagerText) {
  ScannedSample sample("workstation.json");
  FormState form;
  ScsiAdapterNode& scsi2 = Adapter(sample, L"Scsi2");
  ShowScsiAdapter(form, scsi2);
  EXPECT_EQ(form.PanelOnDisplay(), AdapterPanel);
  EXPECT_EQ(form.FrameTitle(AdapterPanel), L"Scsi Adapter Information");
  EXPECT_EQ(form.Edit(AdapterDriverNameEdit), L"C:\\Windows\\system32\\DRIVERS\\iaStorAC.sys");
  EXPECT_EQ(form.Edit(AdapterDeviceNameEdit), L"\\Device\\RaidPort0");
  EXPECT_EQ(form.Edit(AdapterMaxTransferLengthEdit), L"0x20000");
  EXPECT_EQ(form.Edit(AdapterMaxPhysicalPagesEdit), L"0x21");
  EXPECT_EQ(form.Edit(AdapterAsyncEventsEdit), L"0x0");
  EXPECT_EQ(form.Edit(AdapterAlignmentMaskEdit), L"0x1");
  EXPECT_TRUE(form.Checked(AdapterTaggedQueuingCheck));
  EXPECT_FALSE(form.Checked(AdapterScansDownCheck));
  EXPECT_FALSE(form.Checked(AdapterUsesPioCheck));
  EXPECT_TRUE(form.Checked(AdapterAcceleratedTransferCheck));
  EXPECT_EQ(form.Edit(AdapterBusTypeEdit), L"UNKNOWN Bus");
  EXPECT_EQ(form.Edit(AdapterBusMajorVersionEdit), L"0x0001");
  EXPECT_EQ(form.Edit(AdapterBusMinorVersionEdit), L"0x0000");
  EXPECT_EQ(form.ListBox(AdapterHardwareIdsListBox).lines, scsi2.deviceManagerInfo.hardwareIds);
  EXPECT_EQ(form.ListBox(AdapterCompatibleIdsListBox).lines.size(), 7u);
  EXPECT_EQ(form.ListBox(AdapterResourcesListBox).lines.front(), L"MEM : f7d16000-f7d167ff");
  EXPECT_EQ(form.ListBox(AdapterDriverNodesListBox).lines.size(), 16u);

  const ListViewState& list = form.List(AdapterDeviceList);
  EXPECT_EQ(Headings(list), (Cells{L"Bus,Target,Lun", L"Device Type", L"Removable", L"Vendor Id", L"Product Id",
                                   L"Product Rev. Level", L"Vendor Specific"}));
  EXPECT_EQ(Widths(list), (std::vector<int>{19, 12, 16, 20, 17, 23, 21}));
  ASSERT_EQ(list.rows.size(), 2u);
  // Thirty-six bytes of inquiry data: no vendor-specific bytes.
  EXPECT_EQ(list.rows[0].cells,
            (Cells{L"Bus0,Target0,Lun0", L"Disk", L"FALSE", L"        ", L"Samsung SSD 860 ", L"RVT0", L""}));
  EXPECT_EQ(list.rows[1].node, scsi2.devices[1].get());
}

TEST(AdapterPanel, TheUsbAdapterReadsItsDescriptorAndLeavesTwoFieldsAlone) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowScsiAdapter(form, Adapter(sample, L"Scsi2"));
  ShowScsiAdapter(form, Adapter(sample, L"UsbStorage"));
  EXPECT_EQ(form.FrameTitle(AdapterPanel), L"Usb Mass Storage Adapter Information");
  EXPECT_EQ(form.Edit(AdapterMaxTransferLengthEdit), L"0x10000");
  EXPECT_EQ(form.Edit(AdapterMaxPhysicalPagesEdit), L"0x11");
  EXPECT_EQ(form.Edit(AdapterAlignmentMaskEdit), L"0x0");
  EXPECT_EQ(form.Edit(AdapterBusTypeEdit), L"BusTypeUsb");
  EXPECT_EQ(form.Edit(AdapterBusMajorVersionEdit), L"0x0002");
  // Async Events and Tagged Queuing as Scsi2 left them.
  EXPECT_EQ(form.Edit(AdapterAsyncEventsEdit), L"0x0");
  EXPECT_TRUE(form.Checked(AdapterTaggedQueuingCheck));
  EXPECT_TRUE(form.List(AdapterDeviceList).columns.empty());
  EXPECT_TRUE(form.List(AdapterDeviceList).rows.empty());
  // Pseudo-adapters get no device-manager text: the driver and lists are emptied.
  EXPECT_EQ(form.Edit(AdapterDriverNameEdit), L"");
  EXPECT_EQ(form.Edit(AdapterDeviceNameEdit), L"");
  EXPECT_TRUE(form.ListBox(AdapterHardwareIdsListBox).lines.empty());

  // The 1394 adapter takes the SCSI branch; its disk has no inquiry data.
  ShowScsiAdapter(form, Adapter(sample, L"1394Storage"));
  EXPECT_EQ(form.FrameTitle(AdapterPanel), L"Scsi Adapter Information");
  EXPECT_EQ(form.Edit(AdapterAsyncEventsEdit), L"0x0");
  EXPECT_FALSE(form.Checked(AdapterTaggedQueuingCheck));
  ASSERT_EQ(form.List(AdapterDeviceList).rows.size(), 1u);
  EXPECT_EQ(form.List(AdapterDeviceList).rows[0].cells, (Cells{L"1394 Disk", L"", L"", L"", L"", L"", L""}));

  // A USB adapter without a descriptor shows no figures at all.
  ScsiAdapterNode bare;
  bare.MakeUsbStorage();
  ShowScsiAdapter(form, bare);
  EXPECT_EQ(form.Edit(AdapterMaxTransferLengthEdit), L"");
  EXPECT_FALSE(form.Checked(AdapterScansDownCheck));
  EXPECT_EQ(form.Edit(AdapterBusTypeEdit), L"BusType1394");  // no descriptor: kept
}

TEST(DevicePanel, AScsiDeviceFromItsInquiryDataAndIdentifiers) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowScsiDevice(form, *Adapter(sample, L"Scsi2").devices[0]);
  EXPECT_EQ(form.PanelOnDisplay(), DevicePanel);
  EXPECT_EQ(form.FrameTitle(DevicePanel), L"Scsi Device");
  EXPECT_EQ(form.Edit(DeviceTypeEdit), L"Disk");
  EXPECT_EQ(form.Edit(DeviceTypeQualifierEdit), L"0x000");
  EXPECT_EQ(form.Edit(DeviceTypeModifierEdit), L"0x0000000");
  EXPECT_FALSE(form.Checked(DeviceRemovableMediaCheck));
  EXPECT_EQ(form.Edit(DeviceVersionEdit), L"005,000,00");
  EXPECT_EQ(form.Edit(DeviceResponseDataFormatEdit), L"0x0002");
  EXPECT_EQ(form.Edit(DeviceAdditionalLengthEdit), L"31");
  EXPECT_EQ(form.Edit(DeviceVendorIdEdit), L"        ");
  EXPECT_EQ(form.Edit(DeviceProductIdEdit), L"Samsung SSD 860 ");
  EXPECT_EQ(form.Edit(DeviceProductRevisionEdit), L"RVT0");
  EXPECT_EQ(form.Edit(DeviceVendorSpecificEdit), L"");
  EXPECT_EQ(form.Edit(DeviceSerialNumberEdit), L"S3Y9NB0K512345X");
  const ListViewState& ids = form.List(DeviceIdentifierList);
  EXPECT_EQ(Headings(ids), (Cells{L"Code Set Type", L"Identifier Type", L"Association Type", L"Data Size", L"Data"}));
  EXPECT_EQ(Widths(ids), (std::vector<int>{12, 12, 20, 21, 33}));
  ASSERT_EQ(ids.rows.size(), 2u);
  EXPECT_EQ(ids.rows[0].cells, (Cells{L"Ascii", L"VendorId", L"Device", L"0x00031",
                                      L"ATA     Samsung SSD 860 EVO 250GB S3Y9NB0K512345X"}));
  EXPECT_EQ(ids.rows[1].cells, (Cells{L"Binary", L"FCPHName", L"Device", L"0x00008", L"502538d41234567"}));
  EXPECT_EQ(ids.rows[1].node, nullptr);
}

TEST(DevicePanel, UsbAndFireWireDisksReadTheirDescriptor) {
  ScannedSample sample("workstation.json");
  FormState form;
  ShowScsiDevice(form, *Adapter(sample, L"Scsi2").devices[0]);
  ShowScsiDevice(form, *Adapter(sample, L"UsbStorage").devices[0]);
  EXPECT_EQ(form.FrameTitle(DevicePanel), L"Usb Disk");
  EXPECT_EQ(form.Edit(DeviceTypeEdit), L"Disk");
  EXPECT_TRUE(form.Checked(DeviceRemovableMediaCheck));
  EXPECT_FALSE(form.Checked(DeviceCommandQueueCheck));
  EXPECT_EQ(form.Edit(DeviceVendorIdEdit), L"SanDisk");
  EXPECT_EQ(form.Edit(DeviceProductIdEdit), L"Cruzer Blade");
  EXPECT_EQ(form.Edit(DeviceProductRevisionEdit), L"1.00");
  EXPECT_EQ(form.Edit(DeviceSerialNumberEdit), L"4C530001230518114223");
  // What only inquiry data gives stays from the SCSI device.
  EXPECT_EQ(form.Edit(DeviceVersionEdit), L"005,000,00");
  EXPECT_EQ(form.Edit(DeviceAdditionalLengthEdit), L"31");
  EXPECT_TRUE(form.List(DeviceIdentifierList).columns.empty());

  ShowScsiDevice(form, *Adapter(sample, L"1394Storage").devices[0]);
  EXPECT_EQ(form.FrameTitle(DevicePanel), L"Usb Disk");
  EXPECT_EQ(form.Edit(DeviceVendorIdEdit), L"Maxtor");
  EXPECT_EQ(form.Edit(DeviceProductIdEdit), L"OneTouch");
  EXPECT_EQ(form.Edit(DeviceSerialNumberEdit), L"2HA1B2C3");
  // Its identifier is not listed.
  EXPECT_TRUE(form.List(DeviceIdentifierList).rows.empty());
}

TEST(DevicePanel, InquiryBytesBitByBit) {
  ScsiDeviceNode device;
  std::vector<BYTE> inquiry = InquiryBytes("ABCD    ", "0123456789ABCDEF", "v1.2");
  inquiry[0] = 0xE5;  // qualifier 7, CD-ROM
  inquiry[1] = 0x80 | 0x7F;
  inquiry[2] = 0x02;
  inquiry[3] = 0xF0 | 0x0A;
  inquiry[4] = 0x7F;
  inquiry[6] = 0x5F;  // bits 0 to 4 and 6
  inquiry[7] = 0xA5;
  SetInquiry(device, inquiry);
  FormState form;
  ShowScsiDevice(form, device);
  EXPECT_EQ(form.Edit(DeviceTypeEdit), L"Cdrom");
  EXPECT_EQ(form.Edit(DeviceTypeQualifierEdit), L"0x007");
  EXPECT_EQ(form.Edit(DeviceTypeModifierEdit), L"0x000007f");
  EXPECT_TRUE(form.Checked(DeviceRemovableMediaCheck));
  EXPECT_EQ(form.Edit(DeviceVersionEdit), L"002,000,00");
  EXPECT_EQ(form.Edit(DeviceResponseDataFormatEdit), L"0x000a");
  for (ControlId id : {DeviceHiSupportCheck, DeviceNormAcaCheck, DeviceTerminateTaskCheck, DeviceAercCheck})
    EXPECT_TRUE(form.Checked(id)) << id;
  EXPECT_EQ(form.Edit(DeviceAdditionalLengthEdit), L"127");
  for (ControlId id : {DeviceAddr16Check, DeviceAddr32Check, DeviceAckReqQCheck, DeviceMediumChangerCheck,
                       DeviceMultiPortCheck, DeviceEnclosureServicesCheck})
    EXPECT_TRUE(form.Checked(id)) << id;
  const std::pair<ControlId, bool> byte7[] = {  // 0xA5
      {DeviceSoftResetCheck, true},       {DeviceCommandQueueCheck, false}, {DeviceTransferDisableCheck, true},
      {DeviceLinkedCommandsCheck, false}, {DeviceSynchronousCheck, false},  {DeviceWide16BitCheck, true},
      {DeviceWide32BitCheck, false},      {DeviceRelativeAddressingCheck, true}};
  for (const auto& [id, set] : byte7) EXPECT_EQ(form.Checked(id), set) << id;
  EXPECT_EQ(form.Edit(DeviceVendorIdEdit), L"ABCD    ");
  EXPECT_EQ(form.Edit(DeviceProductIdEdit), L"0123456789ABCDEF");
  EXPECT_EQ(form.Edit(DeviceProductRevisionEdit), L"v1.2");
  // No descriptor, so no serial number: the field keeps its text.
  form.SetEdit(DeviceSerialNumberEdit, L"earlier");
  ShowScsiDevice(form, device);
  EXPECT_EQ(form.Edit(DeviceSerialNumberEdit), L"earlier");

  // Byte 5 is reserved; a mask that read it would turn MultiPort on for 0x10 there.
  inquiry[6] = 0x20;
  inquiry[5] = 0xFF;
  SetInquiry(device, inquiry);
  ShowScsiDevice(form, device);
  for (ControlId id : {DeviceAddr16Check, DeviceAddr32Check, DeviceAckReqQCheck, DeviceMediumChangerCheck,
                       DeviceMultiPortCheck, DeviceEnclosureServicesCheck})
    EXPECT_FALSE(form.Checked(id)) << id;
}

TEST(DevicePanel, MissingOrShortRecordsGiveEmptyTexts) {
  FormState form;
  ScsiDeviceNode full;
  SetInquiry(full, InquiryBytes("VENDOR  ", "PRODUCT         ", "REV1"));
  ShowScsiDevice(form, full);
  ASSERT_EQ(form.Edit(DeviceVendorIdEdit), L"VENDOR  ");

  // Only five inquiry bytes: everything beyond them is empty or unchecked.
  ScsiDeviceNode shortOne;
  SetInquiry(shortOne, {0x00, 0x80, 0x02, 0x12, 0x1F});
  ShowScsiDevice(form, shortOne);
  EXPECT_EQ(form.Edit(DeviceTypeEdit), L"Disk");
  EXPECT_EQ(form.Edit(DeviceAdditionalLengthEdit), L"31");
  EXPECT_EQ(form.Edit(DeviceVendorIdEdit), L"");
  EXPECT_FALSE(form.Checked(DeviceCommandQueueCheck));

  // No inquiry data at all.
  ScsiDeviceNode none;
  ShowScsiDevice(form, none);
  for (ControlId id : {DeviceTypeEdit, DeviceTypeQualifierEdit, DeviceTypeModifierEdit, DeviceVersionEdit,
                       DeviceResponseDataFormatEdit, DeviceAdditionalLengthEdit, DeviceVendorIdEdit})
    EXPECT_EQ(form.Edit(id), L"") << id;
  EXPECT_FALSE(form.Checked(DeviceRemovableMediaCheck));
  EXPECT_EQ(form.List(DeviceIdentifierList).columns.size(), 5u);
  EXPECT_TRUE(form.List(DeviceIdentifierList).rows.empty());

  // A USB disk without a descriptor.
  ScsiDeviceNode usb;
  usb.MakeUsbDisk();
  form.SetEdit(DeviceVendorIdEdit, L"earlier");
  ShowScsiDevice(form, usb);
  EXPECT_EQ(form.Edit(DeviceVendorIdEdit), L"");
  EXPECT_EQ(form.Edit(DeviceTypeEdit), L"");

  // A descriptor whose offsets lie outside it.
  RecordBytes descriptor(layout::kDeviceDescriptorFixed + 4, 0);
  STORAGE_DEVICE_DESCRIPTOR d{};
  d.Size = static_cast<DWORD>(descriptor.size());
  d.VendorIdOffset = 36;
  d.ProductIdOffset = 400;
  d.SerialNumberOffset = 0xFFFFFFF0u;
  std::memcpy(descriptor.data(), &d, layout::kDeviceDescriptorFixed);
  std::memcpy(descriptor.data() + 36, "WXYZ", 4);  // no terminator before the end
  usb.deviceDescriptor = descriptor;
  ShowScsiDevice(form, usb);
  EXPECT_EQ(form.Edit(DeviceVendorIdEdit), L"WXYZ");
  EXPECT_EQ(form.Edit(DeviceProductIdEdit), L"");
  EXPECT_EQ(form.Edit(DeviceSerialNumberEdit), L"");
}

TEST(DevicePanel, TheIdentifierWalkStaysInsideTheDescriptor) {
  ScsiDeviceNode device;
  SetInquiry(device, InquiryBytes("        ", "                ", "    "));
  FormState form;

  device.deviceIdDescriptor = IdDescriptor(1, {{1, 0, 1, {0x01, 0xAB, 0x00}}});
  ShowScsiDevice(form, device);
  ASSERT_EQ(form.List(DeviceIdentifierList).rows.size(), 1u);
  EXPECT_EQ(form.List(DeviceIdentifierList).rows[0].cells,
            (Cells{L"Binary", L"VendorSpecific", L"Port", L"0x00003", L"1ab0"}));

  // Unknown code sets show no data; ASCII ends at a null byte.
  device.deviceIdDescriptor =
      IdDescriptor(2, {{9, 8, 2, {0x41, 0x42}}, {2, 2, 0, {'a', 'b', 0, 'c'}}});
  ShowScsiDevice(form, device);
  ASSERT_EQ(form.List(DeviceIdentifierList).rows.size(), 2u);
  EXPECT_EQ(form.List(DeviceIdentifierList).rows[0].cells,
            (Cells{L"Unknown", L"Unknown", L"Unknown", L"0x00002", L""}));
  EXPECT_EQ(form.List(DeviceIdentifierList).rows[1].cells[4], L"ab");

  // A count larger than the identifiers present ends where the bytes end.
  device.deviceIdDescriptor = IdDescriptor(5, {{1, 0, 0, {0x10}}, {1, 0, 0, {0x20}}});
  ShowScsiDevice(form, device);
  EXPECT_EQ(form.List(DeviceIdentifierList).rows.size(), 2u);

  // A next offset leading outside the stated size ends the walk there.
  device.deviceIdDescriptor = IdDescriptor(2, {{1, 0, 0, {0x10}, 4000}, {1, 0, 0, {0x20}}});
  ShowScsiDevice(form, device);
  EXPECT_EQ(form.List(DeviceIdentifierList).rows.size(), 1u);

  // Data reaching past the stated size is not read.
  device.deviceIdDescriptor = IdDescriptor(1, {{1, 0, 0, {1, 2, 3, 4}}}, layout::kDeviceIdDescriptorFixed + 18);
  ShowScsiDevice(form, device);
  EXPECT_TRUE(form.List(DeviceIdentifierList).rows.empty());

  // A next offset of 0 would list the same identifier again and again.
  device.deviceIdDescriptor = IdDescriptor(3, {{1, 0, 0, {0x10}, 0}});
  ShowScsiDevice(form, device);
  EXPECT_EQ(form.List(DeviceIdentifierList).rows.size(), 1u);

  // Too short to hold the header.
  device.deviceIdDescriptor = RecordBytes(5, 0xFF);
  ShowScsiDevice(form, device);
  EXPECT_TRUE(form.List(DeviceIdentifierList).rows.empty());
}
