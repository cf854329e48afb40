#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "model/scsi_adapter_node.h"
#include "tests/support/allocation_limit.h"

namespace {

SCSI_ADDRESS Address(UCHAR port, UCHAR path, UCHAR target, UCHAR lun) {
  SCSI_ADDRESS a{};
  a.Length = sizeof a;
  a.PortNumber = port;
  a.PathId = path;
  a.TargetId = target;
  a.Lun = lun;
  return a;
}

// A device descriptor with the given strings after the fixed fields.
RecordBytes Descriptor(const char* vendor, const char* serial, const std::string& raw = {}) {
  RecordBytes b(layout::kDeviceDescriptorFixed + raw.size(), 0);
  STORAGE_DEVICE_DESCRIPTOR d{};
  d.Version = sizeof d;
  d.RawPropertiesLength = static_cast<DWORD>(raw.size());
  std::memcpy(b.data() + layout::kDeviceDescriptorFixed, raw.data(), raw.size());
  auto add = [&b](const char* text) -> DWORD {
    if (text == nullptr) return 0;
    const DWORD at = static_cast<DWORD>(b.size());
    b.insert(b.end(), text, text + std::strlen(text) + 1);
    return at;
  };
  d.VendorIdOffset = add(vendor);
  d.SerialNumberOffset = add(serial);
  d.Size = static_cast<DWORD>(b.size());
  std::memcpy(b.data(), &d, layout::kDeviceDescriptorFixed);
  return b;
}

std::unique_ptr<ScsiDeviceNode> Device(SCSI_ADDRESS address, RecordBytes descriptor) {
  auto d = std::make_unique<ScsiDeviceNode>();
  d->SetScsiAddress(address);
  d->deviceDescriptor = std::move(descriptor);
  return d;
}

TEST(AdapterNodes, NamesFollowAddressAndPseudoKind) {
  ScsiAdapterNode adapter;
  adapter.MakeUsbStorage();
  EXPECT_EQ(adapter.GetName(), L"UsbStorage");
  adapter.SetScsiAddress(Address(2, 0, 0, 0));
  EXPECT_EQ(adapter.GetName(), L"Scsi2");
  EXPECT_FALSE(adapter.IsUsbStorage());
  ScsiAdapterNode firewire;
  firewire.Make1394Storage();
  EXPECT_EQ(firewire.GetName(), L"1394Storage");
  EXPECT_TRUE(firewire.Is1394Storage());

  ScsiDeviceNode device;
  device.MakeUsbDisk();
  EXPECT_EQ(device.GetName(), L"Usb Disk");
  device.SetScsiAddress(Address(1, 0, 1, 0));
  EXPECT_EQ(device.GetName(), L"Bus0,Target1,Lun0");
  EXPECT_FALSE(device.IsUsbDisk());
  ScsiDeviceNode disk1394;
  disk1394.Make1394Disk();
  EXPECT_EQ(disk1394.GetName(), L"1394 Disk");
}

TEST(AdapterNodes, AddDeviceKeepsTheListedDeviceOfAnAddressEvenWithAnotherDescriptor) {
  ScsiAdapterNode adapter;
  auto first = Device(Address(1, 0, 1, 0), Descriptor("A", "1"));
  ScsiDeviceNode* kept = first.get();
  EXPECT_EQ(&adapter.AddDevice(std::move(first)), kept);
  auto second = Device(Address(1, 0, 1, 0), Descriptor("B", "2"));
  // A different length field does not make the address differ.
  second->scsiAddress.Length = 99;
  EXPECT_EQ(&adapter.AddDevice(std::move(second)), kept);
  auto third = Device(Address(1, 0, 2, 0), Descriptor("B", "2"));
  ScsiDeviceNode* added = third.get();
  EXPECT_EQ(&adapter.AddDevice(std::move(third)), added);
  ASSERT_EQ(adapter.devices.size(), 2u);
  EXPECT_EQ(adapter.devices[0].get(), kept);
  EXPECT_EQ(adapter.devices[1].get(), added);
}

TEST(AdapterNodes, FindsOnAnEmptyAdapterFindNothing) {
  ScsiAdapterNode adapter;
  auto probe = Device(Address(0, 0, 0, 0), Descriptor("A", "1"));
  EXPECT_EQ(adapter.FindDeviceByDescriptor(*probe), nullptr);
  EXPECT_EQ(adapter.FindDeviceByDescriptorAndAddress(*probe), nullptr);
  EXPECT_EQ(adapter.FindDeviceByPathTargetLun(Address(0, 0, 0, 0)), nullptr);
}

TEST(AdapterNodes, PathTargetLunIgnoresPortNumberAndAddressSearchNeedsBoth) {
  ScsiAdapterNode adapter;
  auto d = Device(Address(3, 1, 2, 0), Descriptor("A", "1"));
  ScsiDeviceNode* listed = &adapter.AddDevice(std::move(d));
  EXPECT_EQ(adapter.FindDeviceByPathTargetLun(Address(7, 1, 2, 0)), listed);
  EXPECT_EQ(adapter.FindDeviceByPathTargetLun(Address(3, 1, 2, 1)), nullptr);

  auto sameDescriptorOtherTarget = Device(Address(3, 1, 3, 0), Descriptor("A", "1"));
  EXPECT_EQ(adapter.FindDeviceByDescriptor(*sameDescriptorOtherTarget), listed);
  EXPECT_EQ(adapter.FindDeviceByDescriptorAndAddress(*sameDescriptorOtherTarget), nullptr);
  auto sameAddressOtherDescriptor = Device(Address(3, 1, 2, 0), Descriptor("A", "2"));
  EXPECT_EQ(adapter.FindDeviceByDescriptorAndAddress(*sameAddressOtherDescriptor), nullptr);
  auto both = Device(Address(3, 1, 2, 0), Descriptor("A", "1"));
  EXPECT_EQ(adapter.FindDeviceByDescriptorAndAddress(*both), listed);
}

// Devices appended straight to the list (as the USB and 1394 adapters do) may
// share an address, and may come after lookups; every search still finds the
// first that matches.
TEST(AdapterNodes, SearchesFindTheFirstMatchAmongDevicesListedAfterEarlierSearches) {
  ScsiAdapterNode adapter;
  ScsiDeviceNode* a = &adapter.AddDevice(Device(Address(2, 0, 5, 0), Descriptor("A", "1")));
  EXPECT_EQ(adapter.FindDeviceByPathTargetLun(Address(9, 0, 5, 0)), a);
  adapter.devices.push_back(Device(Address(2, 0, 5, 0), Descriptor("B", "2")));
  ScsiDeviceNode* b = adapter.devices.back().get();
  adapter.devices.push_back(Device(Address(1, 0, 6, 0), Descriptor("C", "3")));
  ScsiDeviceNode* c = adapter.devices.back().get();

  EXPECT_EQ(adapter.FindDeviceByDescriptorAndAddress(*Device(Address(2, 0, 5, 0), Descriptor("B", "2"))), b);
  EXPECT_EQ(adapter.FindDeviceByDescriptorAndAddress(*Device(Address(2, 0, 5, 0), Descriptor("A", "1"))), a);
  EXPECT_EQ(adapter.FindDeviceByPathTargetLun(Address(0, 0, 6, 0)), c);
  EXPECT_EQ(&adapter.AddDevice(Device(Address(2, 0, 5, 0), Descriptor("D", "4"))), a);
  EXPECT_EQ(&adapter.AddDevice(Device(Address(1, 0, 6, 0), Descriptor("D", "4"))), c);
  EXPECT_EQ(adapter.devices.size(), 3u);
}

TEST(DeviceDescriptorEquality, StringsRawPropertiesAndMissingDescriptors) {
  ScsiDeviceNode a, b;
  a.deviceDescriptor = Descriptor("VENDOR", "SERIAL1");
  b.deviceDescriptor = Descriptor("VENDOR", "SERIAL2");
  EXPECT_FALSE(SameDeviceDescriptor(a, b)) << "serial numbers differ";
  b.deviceDescriptor = Descriptor("VENDOR", "SERIAL1");
  EXPECT_TRUE(SameDeviceDescriptor(a, b));

  // Without serial numbers (offset 0) nothing past the vendor is compared.
  a.deviceDescriptor = Descriptor("VENDOR", nullptr);
  b.deviceDescriptor = Descriptor("VENDOR", nullptr);
  b.deviceDescriptor.push_back('x');  // bytes no offset names
  STORAGE_DEVICE_DESCRIPTOR fields = b.DeviceDescriptorFields();
  fields.Size = a.DeviceDescriptorFields().Size;
  std::memcpy(b.deviceDescriptor.data(), &fields, layout::kDeviceDescriptorFixed);
  EXPECT_TRUE(SameDeviceDescriptor(a, b));

  a.deviceDescriptor = Descriptor("V", nullptr, "raw1");
  b.deviceDescriptor = Descriptor("V", nullptr, "raw2");
  EXPECT_FALSE(SameDeviceDescriptor(a, b)) << "raw properties differ";

  ScsiDeviceNode none1, none2;
  EXPECT_TRUE(SameDeviceDescriptor(none1, none2));
  EXPECT_FALSE(SameDeviceDescriptor(none1, a));
  EXPECT_FALSE(SameDeviceDescriptor(a, none1));
}

TEST(DeviceDescriptorEquality, OffsetsAndLengthsOutsideTheBufferAreNotRead) {
  // A descriptor whose string offset and raw length point far past its end.
  ScsiDeviceNode a, b;
  a.deviceDescriptor = Descriptor("V", nullptr);
  STORAGE_DEVICE_DESCRIPTOR f = a.DeviceDescriptorFields();
  f.SerialNumberOffset = 0x7FFFFFF0;
  f.RawPropertiesLength = 0xFFFFFFFF;
  std::memcpy(a.deviceDescriptor.data(), &f, layout::kDeviceDescriptorFixed);
  b.deviceDescriptor = a.deviceDescriptor;
  EXPECT_TRUE(SameDeviceDescriptor(a, b));
  // An unterminated string at the very end compares by what is there.
  b.deviceDescriptor.back() = 'Z';
  EXPECT_FALSE(SameDeviceDescriptor(a, b));
  // A descriptor shorter than its fixed fields reads the missing ones as zero.
  ScsiDeviceNode tiny;
  tiny.deviceDescriptor = RecordBytes{40, 0, 0, 0};
  EXPECT_EQ(tiny.DeviceDescriptorFields().Version, 40u);
  EXPECT_EQ(tiny.DeviceDescriptorFields().Size, 0u);
}

TEST(AdapterDescriptorEquality, EveryFixedFieldAndMissingDescriptor) {
  ScsiAdapterNode a, b;
  EXPECT_TRUE(SameAdapterDescriptor(a, b));
  EXPECT_EQ(a.GetBusType(), 0) << "no descriptor reads as bus type 0";
  STORAGE_ADAPTER_DESCRIPTOR d{};
  d.Version = d.Size = sizeof d;
  d.BusType = BusTypeUsb;
  RecordBytes bytes(sizeof d);
  std::memcpy(bytes.data(), &d, sizeof d);
  a.SetAdapterDescriptor(bytes);
  EXPECT_EQ(a.GetBusType(), BusTypeUsb);
  EXPECT_FALSE(SameAdapterDescriptor(a, b));
  b.SetAdapterDescriptor(bytes);
  EXPECT_TRUE(SameAdapterDescriptor(a, b));
  d.BusMinorVersion = 1;
  std::memcpy(bytes.data(), &d, sizeof d);
  b.SetAdapterDescriptor(bytes);
  EXPECT_FALSE(SameAdapterDescriptor(a, b));
}

TEST(InquiryRecord, CopiesHeaderAndOnlyTheBytesThatArePresent) {
  BYTE buffer[12 + 36] = {};
  SCSI_INQUIRY_DATA h{};
  h.PathId = 1;
  h.TargetId = 2;
  h.InquiryDataLength = 36;
  std::memcpy(buffer, &h, 12);
  std::memcpy(buffer + 12 + 8, "VENDOR  ", 8);
  ScsiDeviceNode d;
  d.SetInquiryData(buffer, sizeof buffer);
  EXPECT_EQ(d.InquiryLength(), 36u);
  ASSERT_NE(d.inquiryData, nullptr);
  EXPECT_EQ(std::memcmp(d.inquiryData + 8, "VENDOR", 6), 0);
  EXPECT_EQ(d.InquiryHeader().TargetId, 2);

  // A length beyond the answer is cut to what the answer holds.
  h.InquiryDataLength = 0xFFFFFFF0;
  std::memcpy(buffer, &h, 12);
  d.SetInquiryData(buffer, 20);
  EXPECT_EQ(d.InquiryLength(), 8u);
  EXPECT_EQ(d.InquiryHeader().InquiryDataLength, 8u);
  // Less than a header gives no record at all.
  d.SetInquiryData(buffer, 11);
  EXPECT_TRUE(d.inquiryRecord.empty());
  EXPECT_EQ(d.inquiryData, nullptr);
}

TEST(InquiryRecord, ACopyWhoseMemoryCannotBeHadLeavesNoRecord) {
  // A record claiming the whole of a large answer.
  std::vector<BYTE> answer(12 + (4u << 20), 0);
  SCSI_INQUIRY_DATA h{};
  h.InquiryDataLength = 4u << 20;
  std::memcpy(answer.data(), &h, 12);
  ScsiDeviceNode d;
  {
    AllocationLimit limit(64 * 1024);
    d.SetInquiryData(answer.data(), answer.size());
  }
  EXPECT_TRUE(d.inquiryRecord.empty());
  EXPECT_EQ(d.inquiryData, nullptr);
  EXPECT_EQ(d.InquiryLength(), 0u);
}

}  // namespace
