#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "adapter_test_machine.h"
#include "platform/wide_text.h"
#include "scan/device_manager.h"
#include "scan/scan_steps.h"
#include "tests/support/allocation_limit.h"

namespace {

using namespace adapter_test;

const char* kPath2 = "\\\\?\\pci#ven_8086&dev_2822#3&1&0&fa#{2accfe60-c130-11d2-b082-00a0c91efb8b}";
const char* kPath3 = "\\\\?\\pci#ven_1000&dev_0072#4&2&0&10#{2accfe60-c130-11d2-b082-00a0c91efb8b}";

json Instance(const std::string& id) {
  return {{"id", id},
          {"hardwareIds", {id + "&REV_00", id}},
          {"compatibleIds", {"PCI\\CC_0104"}},
          {"manufacturer", "Maker"},
          {"allocated", json::array()}};
}

// Port 2 with two disks and port 3 with one, each with a storage-port
// interface; the instances are filled in by each test.
json TwoPorts() {
  json m = NewMachine();
  m["adapters"] = {Port(2, "sata"), Port(3, "sas")};
  AddDrive(m, 0, 'C', {{"port", 2}, {"target", 0}}, {{"product", "A"}});
  AddDrive(m, 1, 'D', {{"port", 2}, {"target", 1}}, {{"product", "B"}});
  AddDrive(m, 2, 'E', {{"port", 3}, {"target", 5}}, {{"product", "C"}});
  m["deviceInstances"] = {Instance("PCI\\PORT2"), Instance("PCI\\PORT3")};
  m["storagePortInterfaces"] = {{{"path", kPath2}, {"instance", "PCI\\PORT2"}, {"adapter", 2}},
                                {{"path", kPath3}, {"instance", "PCI\\PORT3"}, {"adapter", 3}}};
  return m;
}

const DeviceManagerInfo& Info(Scan& s, const wchar_t* adapter) { return s.Adapter(adapter)->deviceManagerInfo; }

TEST(StoragePortStage, EachPortGetsTheTextOfItsOwnInterfaceAndDiagnosticsAreWritten) {
  Scan s(TwoPorts());
  ASSERT_TRUE(s.scanned);
  EXPECT_TRUE(s.Adapter(L"Scsi2")->hasDeviceManagerInfo);
  EXPECT_EQ(Info(s, L"Scsi2").hardwareIds, (std::vector<std::wstring>{L"PCI\\PORT2&REV_00", L"PCI\\PORT2"}));
  EXPECT_EQ(Info(s, L"Scsi3").hardwareIds, (std::vector<std::wstring>{L"PCI\\PORT3&REV_00", L"PCI\\PORT3"}));
  EXPECT_EQ(Info(s, L"Scsi3").compatibleIds, std::vector<std::wstring>{L"PCI\\CC_0104"});
  ASSERT_EQ(s.prompt.diagnostics.size(), 2u);
  EXPECT_EQ(s.prompt.diagnostics[0], L"Attempting to open " + WideFromUtf8(kPath2) + L"\n");
  EXPECT_EQ(s.platform->requestCounts().at("SetupDiGetClassDevsW"), 3u) << "indices 0, 1 and the end at 2";
  EXPECT_EQ(s.HandlesLeftAfterClose(), 0u);
}

TEST(StoragePortStage, InterfaceThatCannotBeOpenedIsSkippedAndTheWalkGoesOn) {
  json m = TwoPorts();
  m["storagePortInterfaces"][0]["fail"] = {{"open", 5}};
  Scan s(m);
  EXPECT_FALSE(s.Adapter(L"Scsi2")->hasDeviceManagerInfo);
  EXPECT_TRUE(s.Adapter(L"Scsi3")->hasDeviceManagerInfo);
  ASSERT_GE(s.prompt.diagnostics.size(), 2u);
  EXPECT_EQ(s.prompt.diagnostics[1], L"FAILED to open " + WideFromUtf8(kPath2) + L"\n");
}

TEST(StoragePortStage, AnAdapterTakesOnlyTheTextOfTheInterfaceThatIsItsOwn) {
  // Ports 2 and 3 alike but for their disks, each with an interface.
  auto alike = [](const char* secondProduct) {
    json m = NewMachine();
    m["adapters"] = {Port(2, "sata"), Port(3, "sata")};
    AddDrive(m, 0, 'C', {{"port", 2}, {"target", 0}}, {{"product", "A"}});
    AddDrive(m, 1, 'D', {{"port", 3}, {"target", 0}}, {{"product", secondProduct}});
    m["deviceInstances"] = {Instance("PCI\\PORT2"), Instance("PCI\\PORT3")};
    m["storagePortInterfaces"] = {{{"path", kPath2}, {"instance", "PCI\\PORT2"}, {"adapter", 2}},
                                  {{"path", kPath3}, {"instance", "PCI\\PORT3"}, {"adapter", 3}}};
    return m;
  };
  json unrelated = TwoPorts();
  // First an interface of a port whose bus lists nothing any adapter holds.
  unrelated["adapters"].push_back(Port(9, "sata", {{"buses", json::array({json{{"units", {{{"target", 7}}}}}})}}));
  unrelated["deviceInstances"].push_back(Instance("PCI\\OTHER"));
  const json other = {{"path", "\\\\?\\other"}, {"instance", "PCI\\OTHER"}, {"adapter", 9}};
  unrelated["storagePortInterfaces"].insert(unrelated["storagePortInterfaces"].begin(), other);
  json twice = TwoPorts();
  twice["deviceInstances"].push_back(Instance("PCI\\PORT2B"));
  twice["storagePortInterfaces"].push_back({{"path", "\\\\?\\second"}, {"instance", "PCI\\PORT2B"}, {"adapter", 2}});
  // One controller behind two ports, with one interface answering as the first.
  json shared = alike("B");
  shared["storagePortInterfaces"].erase(1);

  struct Case {
    const char* what;
    json machine;
    std::wstring scsi2, scsi3;  // the instance whose text each shows; empty: none
    std::size_t leftOut;        // diagnostic lines about text left out
  };
  const std::vector<Case> cases = {
      {"alike controllers with alike disks at one place", alike("A"), L"", L"", 2},
      {"alike controllers whose disks differ", alike("B"), L"PCI\\PORT2", L"PCI\\PORT3", 0},
      {"an interface that fits no adapter", unrelated, L"PCI\\PORT2", L"PCI\\PORT3", 0},
      {"two interfaces answering as one port", twice, L"", L"PCI\\PORT3", 1},
      {"one interface fitting two adapters, each fitted by it alone", shared, L"PCI\\PORT2", L"PCI\\PORT2", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scan s(c.machine);
    ASSERT_TRUE(s.scanned);
    for (const auto& [name, expected] : {std::pair{L"Scsi2", c.scsi2}, std::pair{L"Scsi3", c.scsi3}}) {
      const ScsiAdapterNode* a = s.Adapter(name);
      ASSERT_NE(a, nullptr);
      EXPECT_EQ(a->hasDeviceManagerInfo, !expected.empty()) << name;
      const std::vector<std::wstring> ids = expected.empty() ? std::vector<std::wstring>{}
                                                               : std::vector<std::wstring>{expected + L"&REV_00", expected};
      EXPECT_EQ(a->deviceManagerInfo.hardwareIds, ids) << name;
    }
    const auto leftOut = std::count_if(s.prompt.diagnostics.begin(), s.prompt.diagnostics.end(),
                                       [](const std::wstring& line) { return line.rfind(L"No device manager text for Scsi", 0) == 0; });
    EXPECT_EQ(static_cast<std::size_t>(leftOut), c.leftOut);
  }
}

TEST(StoragePortStage, PseudoAdaptersNeverReceiveDeviceManagerText) {
  json m = NewMachine();
  m["adapters"] = json::array({Port(4, "usb")});
  AddDrive(m, 0, 'C', {{"port", 4}}, {{"product", "Stick"}});
  m["deviceInstances"] = json::array({Instance("USB\\ROOT")});
  m["storagePortInterfaces"] = {{{"path", "\\\\?\\usb"}, {"instance", "USB\\ROOT"}, {"adapter", 4}}};
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  EXPECT_FALSE(s.Adapter(L"UsbStorage")->hasDeviceManagerInfo);
  EXPECT_TRUE(Info(s, L"UsbStorage").hardwareIds.empty());
}

TEST(StoragePortStage, EmptyInterfaceClassAnswersNoMoreItemsAtIndexZero) {
  json m = NewMachine();
  Scan s(m, false);
  StorageModel model;
  ScanContext scan{*s.platform, s.prompt, nullptr, model};
  HANDLE handle = nullptr;
  std::wstring path;
  EXPECT_EQ(OpenInterfaceDevice(scan, kStoragePortInterfaceClass, 0, handle, path), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(s.prompt.diagnostics.empty());
  EXPECT_EQ(s.platform->OpenHandleCount(), 0u);
}

TEST(StoragePortStage, AnEnumerationThatAlwaysFailsEndsTheWalk) {
  json m = TwoPorts();
  m["deviceManager"] = {{"fail", {{"SetupDiEnumDeviceInterfaces", 31}}}};
  Scan s(m);
  ASSERT_TRUE(s.scanned);
  EXPECT_EQ(s.platform->requestCounts().at("SetupDiEnumDeviceInterfaces"), 1u);
}

// Gives every interface path without its terminator: the record ends where
// the path's last character does.
class UnterminatedInterfacePaths : public RecordedPlatform {
 public:
  using RecordedPlatform::RecordedPlatform;
  BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO, SP_DEVICE_INTERFACE_DATA*, SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail,
                                        DWORD detailSize, PDWORD requiredSize, SP_DEVINFO_DATA*) override {
    const std::u16string path = u"odd-port";
    const DWORD needed = static_cast<DWORD>(layout::kInterfaceDetailFixed + path.size() * 2);
    if (requiredSize != nullptr) *requiredSize = needed;
    if (detail == nullptr || detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(reinterpret_cast<BYTE*>(detail) + layout::kInterfaceDetailFixed, path.data(), path.size() * 2);
    return TRUE;
  }
};

TEST(StoragePortStage, AnInterfacePathWithoutTerminatorEndsWithItsRecord) {
  UnterminatedInterfacePaths platform(ParseMachine(TwoPorts().dump(), "test"));
  RecordingPrompt prompt;
  StorageModel model;
  ScanContext scan{platform, prompt, nullptr, model};
  HANDLE handle = nullptr;
  std::wstring path;
  EXPECT_EQ(OpenInterfaceDevice(scan, kStoragePortInterfaceClass, 0, handle, path), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(path, L"odd-port");
  ASSERT_EQ(prompt.diagnostics.size(), 2u);
  EXPECT_EQ(prompt.diagnostics[1], L"FAILED to open odd-port\n");
  EXPECT_EQ(platform.OpenHandleCount(), 0u);
}

struct GatherResult {
  DeviceManagerInfo info;
  std::size_t handlesLeft = 0;
};

GatherResult Gather(json instance) {
  json m = TwoPorts();
  instance["id"] = "PCI\\PORT2";
  m["deviceInstances"][0] = instance;
  Scan s(m);
  GatherResult r;
  EXPECT_TRUE(s.scanned);
  r.info = s.Adapter(L"Scsi2")->deviceManagerInfo;
  r.handlesLeft = s.HandlesLeftAfterClose();
  return r;
}

json Mem(const char* base, const char* end) { return {{"type", "mem"}, {"base", base}, {"end", end}}; }
json Io(const char* base, const char* end) { return {{"type", "io"}, {"base", base}, {"end", end}}; }

TEST(HardwareResources, LinesInTypeOrderWithZeroLengthRangesSkipped) {
  json i = {{"allocated",
             {json{{"type", "irq"}, {"number", 11}}, Io("0x1f0", "0x1f7"), Mem("0xfebf0000", "0xfebeffff"),
              json{{"type", "dma"}, {"channel", 3}}, Mem("0xf7d16000", "0xf7d167ff"), Io("0x10", "0xf")}}};
  const GatherResult r = Gather(i);
  EXPECT_EQ(r.info.hardwareResources,
            (std::vector<std::wstring>{L"MEM : f7d16000-f7d167ff", L"IO  : 01f0-01f7", L"DMA : 3", L"IRQ : 11"}));
  EXPECT_EQ(r.handlesLeft, 0u);
}

// Says every resource record is nearly the largest the scan believes.
class LargeResourceRecords : public RecordedPlatform {
 public:
  using RecordedPlatform::RecordedPlatform;
  CONFIGRET CM_Get_Res_Des_Data_Size_Ex(PULONG size, RES_DES resDes, ULONG flags, HMACHINE machine) override {
    const CONFIGRET result = RecordedPlatform::CM_Get_Res_Des_Data_Size_Ex(size, resDes, flags, machine);
    if (result == CR_SUCCESS) *size = 60000;
    return result;
  }
};

TEST(HardwareResources, ARecordWhoseMemoryCannotBeHadIsLeftOut) {
  json m = TwoPorts();
  m["deviceInstances"][0]["allocated"] = json::array({Mem("0xf7d16000", "0xf7d167ff")});
  LargeResourceRecords platform(ParseMachine(m.dump(), "test"));
  LOG_CONF configuration = 0;
  ASSERT_EQ(platform.CM_Get_First_Log_Conf_Ex(&configuration, 1, ALLOC_LOG_CONF, nullptr), CR_SUCCESS);
  std::vector<std::wstring> lines;
  {
    AllocationLimit limit(32 * 1024);
    AppendResourcesOfType(platform, 1, nullptr, configuration, ResType_Mem, lines);
  }
  EXPECT_TRUE(lines.empty());
  // With the memory at hand the same record is read.
  AppendResourcesOfType(platform, 1, nullptr, configuration, ResType_Mem, lines);
  EXPECT_EQ(lines, std::vector<std::wstring>{L"MEM : f7d16000-f7d167ff"});
  platform.CM_Free_Log_Conf_Handle(configuration);
  EXPECT_EQ(platform.OpenHandleCount(), 0u);
}

TEST(HardwareResources, ConfigurationChosenByStatusAndProblem) {
  const json alloc = json::array({Io("0x100", "0x107")});
  const json forced = json::array({Io("0x200", "0x207")});
  const json boot = json::array({Io("0x300", "0x307")});
  // No problem: the allocated configuration.
  EXPECT_EQ(Gather({{"allocated", alloc}, {"forced", forced}, {"boot", boot}}).info.hardwareResources,
            std::vector<std::wstring>{L"IO  : 0100-0107"});
  // Disabled in hardware without a forced configuration: nothing, not even the boot one.
  EXPECT_TRUE(Gather({{"status", "0x01806400"}, {"problem", 29}, {"allocated", alloc}, {"boot", boot}})
                  .info.hardwareResources.empty());
  // Disabled in hardware with a forced configuration: the forced one.
  EXPECT_EQ(Gather({{"status", "0x01806400"}, {"problem", 29}, {"forced", forced}, {"boot", boot}}).info.hardwareResources,
            std::vector<std::wstring>{L"IO  : 0200-0207"});
  // Another problem: forced, else boot; the allocated one is not asked for.
  EXPECT_EQ(Gather({{"status", "0x01806400"}, {"problem", 10}, {"allocated", alloc}, {"boot", boot}}).info.hardwareResources,
            std::vector<std::wstring>{L"IO  : 0300-0307"});
  // No configuration at all.
  EXPECT_TRUE(Gather(json::object()).info.hardwareResources.empty());
}

TEST(DriverNodes, LinesOfEveryNodeWithFlagsC00AndUnreadableParts) {
  json i = {{"driverNodes",
             {{{"description", "Controller"}, {"manufacturer", "Maker"}, {"provider", "Vendor"},
               {"infFile", "C:\\Windows\\INF\\oem7.inf"}, {"section", "Ctl_Inst"}, {"hardwareId", "PCI\\VEN_1000&DEV_0072"},
               {"rank", "0xff0000"}, {"flags", "0xc00"}},
              {{"description", "Generic"}, {"manufacturer", "Std"}, {"provider", "OS"}, {"detail", false},
               {"installParams", false}}}}};
  const GatherResult r = Gather(i);
  EXPECT_EQ(r.info.driverNodes, (std::vector<std::wstring>{
                                    L"DriverNode 0", L"Inf file is C:\\Windows\\INF\\oem7.inf",
                                    L"Inf section is Ctl_Inst", L"Driver description is Controller",
                                    L"Manufacturer name is Maker", L"Provider name is Vendor",
                                    L"Driver node rank is 16711680", L"Driver node flags are 00000c00",
                                    L"Inf came from the Internet", L"Driver node is marked as BAD",
                                    L"DriverNode 1", L"Driver description is Generic", L"Manufacturer name is Std",
                                    L"Provider name is OS"}));
  EXPECT_EQ(r.handlesLeft, 0u);
}

TEST(DriverNodes, NoNodeGivesTheSingleLineAndUnreadableInstallParamsGiveNone) {
  EXPECT_EQ(Gather(json::object()).info.driverNodes, std::vector<std::wstring>{L"No DriverNodes found for device."});
  EXPECT_EQ(Gather({{"fail", {{"SetupDiBuildDriverInfoList", 31}}}}).info.driverNodes,
            std::vector<std::wstring>{L"No DriverNodes found for device."});
  EXPECT_TRUE(Gather({{"fail", {{"SetupDiGetDeviceInstallParamsW", 31}}}}).info.driverNodes.empty());
}

json Installed() {
  return {{"manufacturer", "Maker"},
          {"driverNodes",
           {{{"description", "Controller"}, {"manufacturer", "Maker"}, {"provider", "Vendor"}, {"infFile", "oem7.inf"},
             {"section", "Ctl_Inst"}}}},
          {"classDriverNodes",
           {{{"description", "Controller"}, {"manufacturer", "Maker"}, {"provider", "Vendor"}, {"infFile", "other.inf"},
             {"section", "Ctl_Inst"}},
            {{"description", "Controller"}, {"manufacturer", "Maker"}, {"provider", "Vendor"},
             {"infFile", "C:\\Windows\\INF\\oem7.inf"}, {"section", "Ctl_Inst"}}}},
          {"driverKey",
           {{"InfPath", "oem7.inf"}, {"ProviderName", "Vendor"}, {"InfSection", "Ctl_Inst"}, {"DriverDesc", "Controller"}}},
          {"driverFiles", {"C:\\Windows\\system32\\drivers\\ctl.sys", "C:\\Windows\\system32\\ctlsvc.exe"}}};
}

TEST(DriverFiles, TheInstalledDriversFilesInQueueOrder) {
  const GatherResult r = Gather(Installed());
  EXPECT_EQ(r.info.driverFiles, (std::vector<std::wstring>{L"C:\\Windows\\system32\\drivers\\ctl.sys",
                                                           L"C:\\Windows\\system32\\ctlsvc.exe"}));
  EXPECT_EQ(r.handlesLeft, 0u);
}

TEST(DriverFiles, AnyMismatchOrMissingValueGivesNoFiles) {
  json noSection = Installed();
  noSection["driverKey"].erase("InfSection");
  EXPECT_TRUE(Gather(noSection).info.driverFiles.empty());
  json otherProvider = Installed();
  otherProvider["driverKey"]["ProviderName"] = "vendor";  // comparisons are case-sensitive
  EXPECT_TRUE(Gather(otherProvider).info.driverFiles.empty());
  json notText = Installed();
  notText["driverKey"]["DriverDesc"] = {{"type", 7}, {"text", "Controller"}};
  EXPECT_TRUE(Gather(notText).info.driverFiles.empty());
  json noKey = Installed();
  noKey.erase("driverKey");
  EXPECT_TRUE(Gather(noKey).info.driverFiles.empty());
  for (const char* request : {"SetupOpenFileQueue", "SetupDiCallClassInstaller", "SetupScanFileQueueW",
                              "SetupDiSetSelectedDriverW", "SPDRP_MFG"}) {
    json failing = Installed();
    if (std::string(request) == "SetupOpenFileQueue") continue;  // a machine-wide request, swept elsewhere
    failing["fail"] = {{request, 31}};
    const GatherResult r = Gather(failing);
    EXPECT_TRUE(r.info.driverFiles.empty()) << request;
    EXPECT_EQ(r.handlesLeft, 0u) << request;
  }
}

TEST(MultiStringProperty, AHardwareIdPropertyOver8192BytesIsReadWhole) {
  std::vector<std::string> ids;
  for (int n = 0; n < 300; ++n) ids.push_back("PCI\\VEN_8086&DEV_2822&SUBSYS_" + std::to_string(100000 + n));
  const GatherResult r = Gather({{"hardwareIds", ids}});
  ASSERT_EQ(r.info.hardwareIds.size(), 300u);
  EXPECT_EQ(r.info.hardwareIds.back(), L"PCI\\VEN_8086&DEV_2822&SUBSYS_100299");
}

TEST(MultiStringProperty, StopsAtTheFirstEmptyStringAndMissingPropertiesAddNothing) {
  json i = {{"hardwareIds", {"A", "", "B"}}};
  i.erase("compatibleIds");
  const GatherResult r = Gather(i);
  EXPECT_EQ(r.info.hardwareIds, std::vector<std::wstring>{L"A"});
  EXPECT_TRUE(r.info.compatibleIds.empty());
}

}  // namespace
