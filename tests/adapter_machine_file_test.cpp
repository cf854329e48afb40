#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "adapter_test_machine.h"
#include "platform/recorded/port_answers.h"
#include "platform/wide_text.h"

namespace {

using namespace adapter_test;

std::string ErrorOf(const json& m) {
  try {
    ParseMachine(m.dump(), "bad.json");
  } catch (const MachineFileError& e) {
    return e.what();
  }
  return {};
}

TEST(AdapterMachineFile, MistakesAreReportedWithTheirField) {
  json m = NewMachine();
  AddDrive(m, 0, 'C', {{"port", 9}}, nullptr);
  EXPECT_NE(ErrorOf(m).find("port number of an adapter"), std::string::npos) << ErrorOf(m);

  m = NewMachine();
  m["adapters"] = json::array({Port(1, "firewire")});
  EXPECT_NE(ErrorOf(m).find("busType"), std::string::npos) << ErrorOf(m);

  m = NewMachine();
  m["adapters"] = {Port(1, "scsi"), Port(1, "sas")};
  EXPECT_NE(ErrorOf(m).find("not used before"), std::string::npos);

  m = NewMachine();
  m["storagePortInterfaces"] = {{{"path", "\\\\?\\x"}, {"instance", "missing"}}};
  EXPECT_NE(ErrorOf(m).find("device instance"), std::string::npos);

  m = NewMachine();
  m["deviceInstances"] = {{{"id", "A"}, {"allocated", {{{"type", "port"}}}}}};
  EXPECT_NE(ErrorOf(m).find("\"mem\", \"io\", \"dma\" or \"irq\""), std::string::npos);

  m = NewMachine();
  m["deviceInstances"] = {{{"id", "A"}, {"fail", {{"CreateFileW", 5}}}}};
  EXPECT_NE(ErrorOf(m).find("not a request of this object"), std::string::npos);

  m = NewMachine();
  m["adapters"] = json::array({Port(1, "scsi", {{"raw", {{"QueryDosDeviceW", "00"}}}})});
  EXPECT_NE(ErrorOf(m).find("raw answer"), std::string::npos);
}

// The number's bytes, lowest first, are target, bus and unit, so that drives
// 0 and 256 do not share one device.
TEST(AdapterMachineFile, DrivesWithoutPlacementStandOnPortZeroEachAtItsOwnAddress) {
  json m = NewMachine();
  AddDrive(m, 3, 'C', nullptr, nullptr);
  AddDrive(m, 256, 'D', nullptr, nullptr);
  AddDrive(m, 0, 'E', nullptr, nullptr);
  AddDrive(m, 70000, 'F', nullptr, nullptr);
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  ASSERT_EQ(s.doc->Model().Adapters()->children.size(), 1u);
  ScsiAdapterNode* adapter = s.Adapter(L"Scsi0");
  ASSERT_NE(adapter, nullptr);
  EXPECT_TRUE(adapter->adapterDescriptor.empty());
  std::vector<std::wstring> devices;
  for (const auto& device : adapter->devices) devices.push_back(device->GetName());
  std::sort(devices.begin(), devices.end());
  EXPECT_EQ(devices, (std::vector<std::wstring>{L"Bus0,Target0,Lun0", L"Bus0,Target3,Lun0", L"Bus1,Target0,Lun0",
                                                L"Bus17,Target112,Lun1"}));
}

TEST(PortAnswers, DescriptorsCarryTheirStringsIdentifiersAndShortBuffersGetAPrefix) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(2, "sata")});
  AddDrive(m, 0, 'C', {{"port", 2}},
           {{"vendor", "ACME"}, {"product", "Disk"}, {"serial", "S1"}, {"rawProperties", "aa bb"}});
  m["drives"][0]["identifiers"] = {{{"codeSet", "ascii"}, {"type", "vendorId"}, {"text", "ACME Disk"}},
                                   {{"codeSet", 1}, {"type", "eui64"}, {"hex", "01 02 03 04 05 06 07 08"}}};
  const machine::Machine described = ParseMachine(m.dump(), "test");
  const machine::Drive& drive = described.drives[0];
  const RecordBytes d = answers::DeviceDescriptorBytes(drive, &described.ports[0]);
  const auto fields = ReadRecord<STORAGE_DEVICE_DESCRIPTOR>(d);
  EXPECT_EQ(fields.Size, d.size());
  EXPECT_EQ(fields.BusType, BusTypeSata) << "the port's bus type when the device names none";
  EXPECT_EQ(fields.RawPropertiesLength, 2u);
  EXPECT_EQ(StringAt(d, fields.VendorIdOffset), "ACME");
  EXPECT_EQ(StringAt(d, fields.SerialNumberOffset), "S1");

  const RecordBytes ids = answers::DeviceIdDescriptorBytes(drive);
  const auto idFields = ReadRecord<STORAGE_DEVICE_ID_DESCRIPTOR>(ids);
  EXPECT_EQ(idFields.NumberOfIdentifiers, 2u);
  const auto first = ReadRecord<STORAGE_IDENTIFIER>(ids, layout::kDeviceIdDescriptorFixed);
  EXPECT_EQ(first.IdentifierSize, 9u);
  const auto second = ReadRecord<STORAGE_IDENTIFIER>(ids, layout::kDeviceIdDescriptorFixed + first.NextOffset);
  EXPECT_EQ(second.Type, StorageIdTypeEUI64);
  EXPECT_EQ(second.NextOffset, 0u);

  // Through the platform: an 8-byte buffer gets the header telling the full size.
  RecordedPlatform platform(described);
  HANDLE h = platform.CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
  STORAGE_PROPERTY_QUERY q{};
  q.PropertyId = StorageDeviceProperty;
  STORAGE_DESCRIPTOR_HEADER header{};
  DWORD returned = 0;
  ASSERT_TRUE(platform.DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, &q, sizeof q, &header, sizeof header, &returned,
                                       nullptr));
  EXPECT_EQ(returned, 8u);
  EXPECT_EQ(header.Size, d.size());
  // Nothing opens a drive for writing.
  EXPECT_EQ(platform.CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE, 3, nullptr, OPEN_EXISTING, 0,
                                 nullptr),
            INVALID_HANDLE_VALUE);
  platform.CloseHandle(h);
}

TEST(PortAnswers, DosDeviceNameAnswersItsTargetAsAList) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(2, "sata", {{"deviceName", "\\Device\\RaidPort0"}})});
  RecordedPlatform platform(ParseMachine(m.dump(), "test"));
  wchar_t target[64] = {};
  EXPECT_EQ(platform.QueryDosDeviceW(L"Scsi2:", target, 64), 19u);
  EXPECT_STREQ(target, L"\\Device\\RaidPort0");
  EXPECT_EQ(platform.QueryDosDeviceW(L"Scsi2:", target, 10), 0u);
  EXPECT_EQ(platform.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(platform.QueryDosDeviceW(L"Scsi7:", target, 64), 0u);
}

TEST(QuelbrinCli, JsonPrintsTheWholeModelAndKeepsDiagnosticsOutOfIt) {
  const std::string command = std::string(QUELBRIN_CLI) + " --machine " + QUELBRIN_SOURCE_DIR +
                              "/samples/workstation.json json 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char chunk[4096];
  while (std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe.get())) out.append(chunk, n);
  const json model = json::parse(out);  // throws, failing the test, on anything but JSON
  const json& adapters = model["adapters"]["children"];
  ASSERT_EQ(adapters.size(), 4u);
  EXPECT_EQ(adapters[0]["name"], "Scsi2");
  EXPECT_EQ(adapters[0]["portDeviceName"], "\\Device\\RaidPort0");
  EXPECT_EQ(adapters[0]["devices"][0]["deviceDescriptor"]["productId"], "Samsung SSD 860 EVO 250GB");
  EXPECT_EQ(adapters[2]["name"], "UsbStorage");
  EXPECT_EQ(adapters[3]["name"], "1394Storage");
  const json& sas = adapters[1]["deviceManagerInfo"];
  EXPECT_TRUE(sas["hardwareResources"].empty()) << "disabled in hardware";
  EXPECT_NE(std::find(sas["driverNodes"].begin(), sas["driverNodes"].end(), "Driver node is marked as BAD"),
            sas["driverNodes"].end());
  EXPECT_EQ(model["physicalDisks"]["children"][0]["device"], "Scsi2/Bus0,Target0,Lun0");
  EXPECT_EQ(model["physicalDisks"]["children"][4]["adapter"], "UsbStorage");
}

}  // namespace

namespace {

TEST(AdapterSamples, ServerScansEveryDiskOntoItsPort) {
  std::ifstream in(std::string(QUELBRIN_SOURCE_DIR) + "/samples/server.json");
  std::stringstream text;
  text << in.rdbuf();
  RecordedPlatform platform(ParseMachine(text.str(), "server.json"));
  RecordingPrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  doc.SetShowAllMountPoints(true);
  ASSERT_TRUE(doc.InitialScan());
  ASSERT_EQ(doc.Model().Adapters()->children.size(), 5u);
  std::size_t devices = 0;
  for (const auto& a : doc.Model().Adapters()->children) {
    devices += a->devices.size();
    // Every port but the NVMe one, whose interface cannot be opened, has its text.
    EXPECT_EQ(a->hasDeviceManagerInfo, a->GetName() != L"Scsi4") << Utf8FromWide(a->GetName());
  }
  EXPECT_EQ(devices, doc.Model().PhysicalDisks()->children.size());
  EXPECT_EQ(devices, 39u);
}

}  // namespace
