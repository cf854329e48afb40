#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "adapter_test_machine.h"
#include "scan/adapter_steps.h"
#include "tests/support/allocation_limit.h"

namespace {

using namespace adapter_test;

json Usb(const char* serial) {
  return {{"vendor", "SanDisk"}, {"product", "Cruzer"}, {"serial", serial}, {"removable", true}};
}

TEST(DriveAdapterScan, UsbDrivesGatherUnderOnePseudoAdapterAndSecondVolumeAddsNothing) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(4, "usb")});
  AddDrive(m, 1, 'E', {{"port", 4}}, Usb("AAA"), 2);
  AddDrive(m, 2, 'G', {{"port", 4}}, Usb("BBB"));
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  ASSERT_EQ(s.doc->Model().Adapters()->children.size(), 1u);
  ScsiAdapterNode* usb = s.Adapter(L"UsbStorage");
  ASSERT_NE(usb, nullptr);
  EXPECT_TRUE(usb->IsUsbStorage());
  EXPECT_EQ(usb->numberOfBuses, 0);
  EXPECT_TRUE(usb->portDeviceName.empty());
  // Both devices keep the all-zero address, yet both are listed: only descriptors tell them apart.
  ASSERT_EQ(usb->devices.size(), 2u);
  EXPECT_EQ(usb->devices[0]->GetName(), L"Usb Disk");
  EXPECT_EQ(usb->devices[1]->GetName(), L"Usb Disk");
  EXPECT_EQ(s.Disk(1)->adapter, usb);
  EXPECT_EQ(s.Disk(1)->device, usb->devices[0].get());
  EXPECT_EQ(s.Disk(2)->device, usb->devices[1].get());
  // The pseudo-adapter's port is never asked for its address or opened.
  EXPECT_EQ(s.platform->requestCounts().count("IOCTL_SCSI_GET_ADDRESS"), 0u);
  EXPECT_EQ(s.HandlesLeftAfterClose(), 0u);
}

TEST(DriveAdapterScan, DriveOnPortZeroIsFiledUnderScsi0AfterA1394PseudoAdapter) {
  json m = NewMachine();
  m["adapters"] = {Port(0, "ata"), Port(5, "1394")};
  AddDrive(m, 1, 'E', {{"port", 5}}, {{"product", "OneTouch"}});
  AddDrive(m, 0, 'C', {{"port", 0}, {"target", 0}}, {{"product", "Disk"}});
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  ASSERT_EQ(s.doc->Model().Adapters()->children.size(), 2u);
  EXPECT_EQ(s.doc->Model().Adapters()->children[0]->GetName(), L"1394Storage");
  ScsiAdapterNode* scsi0 = s.Adapter(L"Scsi0");
  ASSERT_NE(scsi0, nullptr);
  EXPECT_EQ(s.Disk(0)->adapter, scsi0);
  ASSERT_EQ(scsi0->devices.size(), 1u);
  EXPECT_EQ(scsi0->devices[0]->GetName(), L"Bus0,Target0,Lun0");
  EXPECT_EQ(s.doc->Model().Adapters()->children[0]->devices.size(), 1u);
}

TEST(DriveAdapterScan, ADriveWithoutAnAdapterEntryIsNotAnsweredForByAPortZero) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(0, "sata")});
  AddDrive(m, 3, 'D', nullptr, {{"product", "Loose"}});
  Scan s(m, false);
  HANDLE drive = s.platform->CreateFileW(L"\\\\.\\PhysicalDrive3", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageAdapterProperty;
  query.QueryType = PropertyStandardQuery;
  BYTE out[512] = {};
  DWORD returned = 0;
  EXPECT_FALSE(s.platform->DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, out, sizeof out,
                                           &returned, nullptr));
  EXPECT_EQ(s.platform->GetLastError(), ERROR_INVALID_FUNCTION);
  query.PropertyId = StorageDeviceProperty;
  ASSERT_TRUE(s.platform->DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, out, sizeof out,
                                          &returned, nullptr));
  STORAGE_DEVICE_DESCRIPTOR descriptor{};
  std::memcpy(&descriptor, out, layout::kDeviceDescriptorFixed);
  EXPECT_EQ(descriptor.BusType, BusTypeUnknown) << "not the bus type of port 0";
  s.platform->CloseHandle(drive);

  // The scan files it under Scsi0 without a descriptor, at its own target.
  ASSERT_TRUE(s.doc->InitialScan());
  ScsiAdapterNode* scsi0 = s.Adapter(L"Scsi0");
  ASSERT_NE(scsi0, nullptr);
  EXPECT_TRUE(scsi0->adapterDescriptor.empty());
  EXPECT_EQ(s.Disk(3)->adapter, scsi0);
  ASSERT_NE(s.Disk(3)->device, nullptr);
  EXPECT_EQ(s.Disk(3)->device->GetName(), L"Bus0,Target3,Lun0");
}

// Changes what the port answers after its first capability and inquiry
// answers, to see whether a second pass takes the new ones.
class ChangingPorts : public RecordedPlatform {
 public:
  using RecordedPlatform::RecordedPlatform;
  BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                       LPDWORD returned, LPOVERLAPPED overlapped) override {
    const BOOL ok = RecordedPlatform::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
    if (!ok) return ok;
    if (code == IOCTL_SCSI_GET_CAPABILITIES && capabilityAnswers++ > 0)
      static_cast<IO_SCSI_CAPABILITIES*>(out)->MaximumTransferLength = 0x1234;
    if (code == IOCTL_SCSI_GET_INQUIRY_DATA && inquiryAnswers++ > 0) {
      // Byte 8 of the first record's inquiry data: the first vendor letter.
      SCSI_BUS_DATA bus{};
      std::memcpy(&bus, static_cast<BYTE*>(out) + 4, sizeof bus);
      static_cast<BYTE*>(out)[bus.InquiryDataOffset + 12 + 8] = 'Z';
    }
    return ok;
  }
  int capabilityAnswers = 0;
  int inquiryAnswers = 0;
};

TEST(DriveAdapterScan, SecondVolumeFindsAdapterAndDeviceAndRefreshesOnlyTheInquiry) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(2, "sata", {{"deviceName", "\\Device\\RaidPort0"}})});
  AddDrive(m, 0, 'C', {{"port", 2}, {"target", 1}}, {{"vendor", "ACME"}, {"product", "Disk"}, {"serial", "1"}}, 2);
  ChangingPorts platform(ParseMachine(m.dump(), "test"));
  platform.KeepCallRecords();
  RecordingPrompt prompt;
  {
    CQuelbrinDoc doc(platform, prompt, nullptr);
    ASSERT_TRUE(doc.InitialScan());
    ASSERT_EQ(doc.Model().Adapters()->children.size(), 1u);
    ScsiAdapterNode& adapter = *doc.Model().Adapters()->children[0];
    EXPECT_EQ(adapter.GetName(), L"Scsi2");
    EXPECT_EQ(adapter.portDeviceName, L"\\Device\\RaidPort0");
    EXPECT_EQ(platform.requestCounts().at("QueryDosDeviceW"), 1u) << "an old adapter is not asked again";
    EXPECT_EQ(platform.capabilityAnswers, 2);
    EXPECT_NE(adapter.scsiCapabilities.MaximumTransferLength, 0x1234u) << "capabilities are never updated";
    EXPECT_EQ(adapter.numberOfBuses, 1);
    ASSERT_EQ(adapter.devices.size(), 1u);
    const ScsiDeviceNode& device = *adapter.devices[0];
    EXPECT_EQ(doc.Model().PhysicalDisks()->FindPhysicalDisk(0)->device, &device);
    ASSERT_GE(device.InquiryLength(), 16u);
    EXPECT_EQ(device.inquiryData[8], 'Z') << "the second pass refreshes the inquiry record";
  }
  EXPECT_EQ(platform.OpenHandleCount(), 0u);
}

TEST(DriveAdapterScan, InvalidParameterIsToleratedByDeviceQueriesButNotByTheAdapterQuery) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(3, "usb")});
  json drive = {{"port", 3}, {"target", 4}};
  AddDrive(m, 0, 'C', drive, {{"product", "Stick"}});
  m["drives"][0]["fail"] = {{"StorageAdapterProperty", 87}, {"StorageDeviceProperty", 87}};
  m["drives"][0]["identifiers"] = json::array({json{{"text", "ID"}}});
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  // Without its descriptor the USB port is taken for a SCSI port.
  ScsiAdapterNode* adapter = s.Adapter(L"Scsi3");
  ASSERT_NE(adapter, nullptr);
  EXPECT_TRUE(adapter->adapterDescriptor.empty());
  ASSERT_EQ(adapter->devices.size(), 1u);
  EXPECT_TRUE(adapter->devices[0]->deviceDescriptor.empty());
  EXPECT_FALSE(adapter->devices[0]->deviceIdDescriptor.empty()) << "the identifier query still ran";

  HANDLE drive0 = s.platform->CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
  ScsiAdapterNode probe;
  ScsiDeviceNode device;
  EXPECT_FALSE(QueryAdapterDescriptor(*s.platform, drive0, probe));
  EXPECT_TRUE(QueryDeviceDescriptors(*s.platform, drive0, device));
  s.platform->CloseHandle(drive0);
}

TEST(DriveAdapterScan, ToleratedFailureOfTheFullRequestLeavesAZeroDescriptorOfTheAnnouncedSize) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(1, "scsi")});
  AddDrive(m, 0, 'C', {{"port", 1}}, {{"vendor", "ACME"}, {"product", "Disk"}});
  // The header answers; the full request then fails with a tolerated error.
  m["drives"][0]["fail"] = {{"StorageDeviceProperty", {{"code", 50}, {"after", 1}}}};
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  const ScsiDeviceNode& device = *s.Adapter(L"Scsi1")->devices[0];
  ASSERT_FALSE(device.deviceDescriptor.empty());
  EXPECT_EQ(device.deviceDescriptor.size(), 36u + 5 + 5);
  for (BYTE b : device.deviceDescriptor) ASSERT_EQ(b, 0);
}

TEST(DriveAdapterScan, InquiryDataLargerThanTheFirstBufferIsStillRead) {
  json m = NewMachine();
  json units0 = json::array(), units1 = json::array();
  for (int t = 0; t < 150; ++t) {
    units0.push_back({{"target", t}, {"inquiry", {{"vendor", "BUS0"}}}});
    if (t != 149) units1.push_back({{"target", t}, {"inquiry", {{"vendor", "BUS1"}}}});
  }
  m["adapters"] = json::array({Port(2, "sas", {{"buses", json::array({json{{"units", units0}}, json{{"units", units1}}})}})});
  AddDrive(m, 0, 'C', {{"port", 2}, {"bus", 1}, {"target", 149}}, {{"vendor", "LAST"}, {"product", "ONE"}});
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  ScsiAdapterNode* adapter = s.Adapter(L"Scsi2");
  ASSERT_NE(adapter, nullptr);
  EXPECT_EQ(adapter->numberOfBuses, 2);
  const ScsiDeviceNode& device = *adapter->devices[0];
  EXPECT_EQ(device.GetName(), L"Bus1,Target149,Lun0");
  ASSERT_GE(device.InquiryLength(), 12u);
  EXPECT_EQ(std::memcmp(device.inquiryData + 8, "LAST", 4), 0);
}

TEST(DriveAdapterScan, AddressFailureStopsTheScanWithItsMessageAndCode) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(1, "scsi")});
  AddDrive(m, 0, 'C', {{"port", 1}}, nullptr);
  m["drives"][0]["fail"] = {{"IOCTL_SCSI_GET_ADDRESS", 31}};
  Scan s(m);
  EXPECT_FALSE(s.scanned);
  EXPECT_EQ(s.doc->LastScanResult(), 31u);
  ASSERT_EQ(s.prompt.messages.size(), 1u);
  EXPECT_EQ(s.prompt.messages[0], L"IOCTL_SCSI_GET_ADDRESS Error");
  EXPECT_TRUE(s.doc->Model().Adapters()->children.empty());
  EXPECT_EQ(s.HandlesLeftAfterClose(), 0u);
}

TEST(DriveAdapterScan, RefusedDeviceLeavesTheDiskOnTheListedDevice) {
  // Two drives report the same address with different descriptors.
  json m = NewMachine();
  m["adapters"] = json::array({Port(1, "scsi")});
  AddDrive(m, 0, 'C', {{"port", 1}, {"target", 3}}, {{"serial", "first"}});
  AddDrive(m, 1, 'D', {{"port", 1}, {"target", 3}}, {{"serial", "second"}});
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  ScsiAdapterNode* adapter = s.Adapter(L"Scsi1");
  ASSERT_EQ(adapter->devices.size(), 1u);
  EXPECT_EQ(s.Disk(0)->device, adapter->devices[0].get());
  EXPECT_EQ(s.Disk(1)->device, adapter->devices[0].get()) << "no disk may refer to a device no adapter owns";
}

TEST(DriveAdapterScan, PortThatCannotBeOpenedLeavesZeroCapabilitiesAndNoInquiry) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(1, "scsi", {{"fail", {{"open", 5}}}})});
  AddDrive(m, 0, 'C', {{"port", 1}}, {{"product", "Disk"}});
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  ScsiAdapterNode* adapter = s.Adapter(L"Scsi1");
  EXPECT_EQ(adapter->scsiCapabilities.Length, 0u);
  EXPECT_EQ(adapter->numberOfBuses, 0);
  EXPECT_TRUE(adapter->devices[0]->inquiryRecord.empty());
  EXPECT_TRUE(s.prompt.messages.empty());
}

// Inquiry answers that lie: every count and offset points somewhere it should
// not. The walk must stay inside the bytes returned (the sanitizers watch).
TEST(InquiryWalk, HostileAnswersShortenWhatIsShownAndNeverReadOutside) {
  auto walk = [](std::vector<BYTE> bytes) {
    AnswerBuffer answer;
    answer.Allocate(bytes.size());
    if (!bytes.empty()) std::memcpy(answer.data(), bytes.data(), bytes.size());
    *answer.returnedPtr() = static_cast<DWORD>(bytes.size());
    int records = 0;
    WalkInquiryRecords(answer, [&](std::size_t offset, const SCSI_INQUIRY_DATA&) {
      EXPECT_LE(offset + layout::kInquiryRecordHeader, bytes.size());
      ++records;
    });
    return records;
  };
  EXPECT_EQ(walk({}), 0);
  EXPECT_EQ(walk({200}), 0) << "bus count without bus entries";
  // One bus with 3 units whose first record offset is far outside.
  EXPECT_EQ(walk({1, 0, 0, 0, 3, 7, 0, 0, 0xFF, 0xFF, 0, 0}), 0);
  // One bus of 255 units whose chain of 48-byte records comes back to a record
  // it has seen: each record is visited once.
  struct Chain {
    const char* what;
    std::size_t records;
    ULONG first;
    std::vector<std::pair<std::size_t, ULONG>> next;  // record offset, its next offset
    int visited;
  };
  const Chain chains[] = {
      {"a record pointing at itself", 1, 12, {{12, 12}}, 1},
      {"two records pointing at each other", 2, 12, {{12, 60}, {60, 12}}, 2},
      {"back, then forward again to the first record", 3, 60, {{60, 12}, {12, 60}}, 2},
  };
  for (const Chain& c : chains) {
    std::vector<BYTE> bytes(12 + c.records * 48, 0);
    bytes[0] = 1;
    bytes[4] = 255;
    std::memcpy(bytes.data() + 8, &c.first, sizeof c.first);
    for (const auto& [at, next] : c.next) std::memcpy(bytes.data() + at + 8, &next, sizeof next);
    EXPECT_EQ(walk(bytes), c.visited) << c.what;
  }
}

// A large answer of 255 buses whose chains of 255 records run through one ring
// of 256: every bus shares records with the others. Each bus walks its whole
// chain, and the walk holds no memory in proportion to the answer's size.
TEST(InquiryWalk, EveryBusWalksItsWholeChainWithoutMemoryForTheAnswerSize) {
  constexpr std::size_t kBuses = 255;
  constexpr std::size_t kRecord = 16;  // header and four inquiry bytes
  constexpr std::size_t kRecordsAt = 4 + kBuses * 8;
  const std::size_t size = 8u << 20;
  AnswerBuffer answer;
  ASSERT_TRUE(answer.Allocate(size));
  BYTE* b = answer.data();
  b[0] = static_cast<BYTE>(kBuses);
  for (std::size_t r = 0; r < 256; ++r) {
    const std::size_t at = kRecordsAt + r * kRecord;
    const ULONG next = static_cast<ULONG>(kRecordsAt + (r + 1 < 256 ? r + 1 : 0) * kRecord);
    b[at + 4] = 4;
    std::memcpy(b + at + 8, &next, sizeof next);
  }
  for (std::size_t bus = 0; bus < kBuses; ++bus) {
    b[4 + bus * 8] = 255;
    const ULONG first = static_cast<ULONG>(kRecordsAt + bus * kRecord);
    std::memcpy(b + 4 + bus * 8 + 4, &first, sizeof first);
  }
  *answer.returnedPtr() = static_cast<DWORD>(size);
  std::size_t visits = 0;
  {
    AllocationLimit limit(64 * 1024);
    WalkInquiryRecords(answer, [&visits](std::size_t, const SCSI_INQUIRY_DATA&) { ++visits; });
  }
  EXPECT_EQ(visits, kBuses * 255) << "255 records on every bus, none cut short by another bus";
}

TEST(InquiryWalk, ARawHostileAnswerDuringTheScanOnlyShortensTheDevice) {
  json m = NewMachine();
  // Bus count 2; bus 0 has one record at 20 claiming 1000 inquiry bytes; bus 1 points outside.
  m["adapters"] = json::array({Port(1, "scsi", {{"raw", {{"IOCTL_SCSI_GET_INQUIRY_DATA",
                                                          "02 00 00 00 01 07 00 00 14 00 00 00 05 07 00 00 ff ff 00 00 "
                                                          "00 00 00 01 e8 03 00 00 00 00 00 00 00 00 05 02 1f 00 00 00 41 43"}}}})});
  AddDrive(m, 0, 'C', {{"port", 1}}, {{"product", "Disk"}});
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  const ScsiDeviceNode& device = *s.Adapter(L"Scsi1")->devices[0];
  EXPECT_EQ(device.InquiryLength(), 10u) << "only the inquiry bytes the answer holds";
  EXPECT_EQ(s.Adapter(L"Scsi1")->numberOfBuses, 2);
}

}  // namespace

#include "ui/text/model_json.h"
#include "ui/text/tree_printer.h"

namespace {

using namespace adapter_test;

TEST(HostileDescriptors, OffsetsLengthsAndCountsBeyondTheDescriptorAreShownShortened) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(1, "scsi")});
  AddDrive(m, 0, 'C', {{"port", 1}}, nullptr);
  // A 48-byte device descriptor whose vendor offset points past its end, whose
  // product string runs to the end unterminated, with 4 GiB of raw properties;
  // an identifier descriptor claiming 1000 identifiers of 60000 bytes each.
  std::string device =
      "28 00 00 00 30 00 00 00 00 00 00 00 00 01 00 00 2c 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 "
      "ff ff ff ff 41 41 41 41 41 41 41 41 42 42 42 42";
  std::string ids = "01 00 00 00 20 00 00 00 e8 03 00 00 02 00 00 00 01 00 00 00 60 ea 04 00 00 00 00 00 43 44 45 46";
  m["drives"][0]["raw"] = {{"StorageDeviceProperty", device}, {"StorageDeviceIdProperty", ids}};
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  const ScsiDeviceNode& node = *s.Adapter(L"Scsi1")->devices[0];
  ASSERT_EQ(node.deviceDescriptor.size(), 48u);
  const json model = BuildModelJson(*s.doc);
  const json& d = model["adapters"]["children"][0]["devices"][0];
  EXPECT_EQ(d["deviceDescriptor"]["vendorId"], "");
  EXPECT_EQ(d["deviceDescriptor"]["productId"], "BBBB");
  EXPECT_EQ(d["deviceDescriptor"]["rawDeviceProperties"], "41 41 41 41 41 41 41 41 42 42 42 42");
  // The first identifier keeps the 4 bytes present; its next offset (4) lands
  // a second one whose bytes would start at the descriptor's end.
  const json& found = d["deviceIdDescriptor"]["identifiers"];
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0]["identifier"], "43 44 45 46");
  EXPECT_EQ(found[1]["identifier"], "");
}

TEST(HostileDescriptors, AnAnnouncedSizeBeyondReasonGivesNoDescriptor) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(1, "scsi")});
  AddDrive(m, 0, 'C', {{"port", 1}}, nullptr);
  m["drives"][0]["raw"] = {{"StorageDeviceProperty", "28 00 00 00 00 00 00 f0 00 00 00 00"}};
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  EXPECT_TRUE(s.Adapter(L"Scsi1")->devices[0]->deviceDescriptor.empty());
}

TEST(AdapterModel, ShowsAdaptersTheirDevicesAndEachDisksPlace) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(2, "sata", {{"deviceName", "\\Device\\RaidPort0"}})});
  AddDrive(m, 0, 'C', {{"port", 2}, {"target", 1}}, {{"product", "Disk One"}});
  Scan s(m);
  std::ostringstream out;
  PrintStorageTree(*s.doc, out);
  const std::string text = out.str();
  // The disk hangs on its adapter with its own device below; the adapter lists the device.
  EXPECT_NE(text.find("\n  PhysicalDrive0\n    Scsi2\n      Bus0,Target1,Lun0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n  Scsi2\n    Bus0,Target1,Lun0\n"), std::string::npos) << text;

  const json model = BuildModelJson(*s.doc);
  const json& disk = model["physicalDisks"]["children"][0];
  EXPECT_EQ(disk["adapter"], "Scsi2");
  EXPECT_EQ(disk["device"], "Scsi2/Bus0,Target1,Lun0");
  const json& adapter = model["adapters"]["children"][0];
  EXPECT_EQ(adapter["portDeviceName"], "\\Device\\RaidPort0");
  EXPECT_EQ(adapter["numberOfBuses"], 1);
  ASSERT_EQ(adapter["devices"].size(), 1u);
  EXPECT_EQ(adapter["devices"][0]["name"], "Bus0,Target1,Lun0");
  EXPECT_EQ(adapter["devices"][0]["deviceDescriptor"]["productId"], "Disk One");
}

}  // namespace
