// Every request of the adapter stage and of the device manager made to fail in
// turn, at its first and its second call, with errors that mean "failed",
// "buffer too small" and "more data": the scan must end well each time, leave
// no handle open and no disk pointing at a node nobody owns.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "adapter_test_machine.h"
#include "platform/wide_text.h"

namespace {

using namespace adapter_test;

json Workstation() {
  std::ifstream in(std::string(QUELBRIN_SOURCE_DIR) + "/samples/workstation.json");
  std::stringstream text;
  text << in.rdbuf();
  return json::parse(text.str());
}

struct Target {
  std::string section;  // "drives", "adapters", ... or "deviceManager"
  std::vector<std::string> requests;
};

const std::vector<Target> kTargets = {
    {"drives",
     {"IOCTL_STORAGE_QUERY_PROPERTY", "StorageAdapterProperty", "StorageDeviceProperty", "StorageDeviceIdProperty",
      "IOCTL_SCSI_GET_ADDRESS"}},
    {"adapters",
     {"open", "QueryDosDeviceW", "IOCTL_SCSI_GET_CAPABILITIES", "IOCTL_SCSI_GET_INQUIRY_DATA"}},
    {"storagePortInterfaces",
     {"open", "SetupDiGetDeviceInterfaceDetailW", "IOCTL_STORAGE_QUERY_PROPERTY", "StorageAdapterProperty",
      "IOCTL_SCSI_GET_INQUIRY_DATA"}},
    {"deviceInstances",
     {"SetupDiEnumDeviceInfo", "SetupDiGetDeviceRegistryPropertyW", "SPDRP_HARDWAREID", "SPDRP_COMPATIBLEIDS",
      "SPDRP_MFG", "CM_Get_DevNode_Status_Ex", "CM_Get_First_Log_Conf_Ex", "CM_Get_Next_Res_Des_Ex",
      "CM_Get_Res_Des_Data_Size_Ex", "CM_Get_Res_Des_Data_Ex", "SetupDiGetDeviceInstallParamsW",
      "SetupDiSetDeviceInstallParamsW", "SetupDiBuildDriverInfoList", "SetupDiEnumDriverInfoW",
      "SetupDiGetDriverInfoDetailW", "SetupDiGetDriverInstallParamsW", "SetupDiOpenDevRegKey", "RegQueryValueExW",
      "SetupDiSetSelectedDriverW", "SetupDiCallClassInstaller", "SetupScanFileQueueW"}},
    {"deviceManager",
     {"SetupDiCreateDeviceInfoList", "SetupDiGetClassDevsExW", "SetupDiGetClassDevsW",
      "SetupDiGetDeviceInfoListDetailW", "SetupDiEnumDeviceInterfaces", "SetupOpenFileQueue"}},
};

// Every disk's adapter and device are nodes that the adapter list owns.
void ExpectLinksOwned(const CQuelbrinDoc& doc, const std::string& what) {
  if (!doc.Model().PhysicalDisks() || !doc.Model().Adapters()) return;
  for (const auto& disk : doc.Model().PhysicalDisks()->children) {
    bool adapterOwned = disk->adapter == nullptr;
    bool deviceOwned = disk->device == nullptr;
    for (const auto& a : doc.Model().Adapters()->children) {
      if (a.get() == disk->adapter) adapterOwned = true;
      for (const auto& d : a->devices) {
        if (d.get() == disk->device) deviceOwned = true;
      }
    }
    EXPECT_TRUE(adapterOwned && deviceOwned) << what << " " << Utf8FromWide(disk->GetName());
  }
}

TEST(AdapterFaultSweep, EveryRequestFailingAtEachOfItsFirstCallsEndsTheScanWell) {
  const json base = Workstation();
  Scan baseline(base);
  ASSERT_TRUE(baseline.scanned);
  for (const Target& target : kTargets) {
    for (const std::string& request : target.requests) {
      // The sweep means something only for requests the scan makes.
      EXPECT_GT(baseline.platform->requestCounts().count(request), 0u) << request;
    }
  }
  int scans = 0;
  for (const Target& target : kTargets) {
    const std::size_t objects = target.section == "deviceManager" ? 1 : base[target.section].size();
    for (std::size_t object = 0; object < objects; ++object) {
      for (const std::string& request : target.requests) {
        for (DWORD code : std::initializer_list<DWORD>{31, ERROR_INSUFFICIENT_BUFFER, ERROR_MORE_DATA}) {
          for (unsigned after : {0u, 1u}) {
            json m = base;
            json& owner = target.section == "deviceManager" ? m["deviceManager"] : m[target.section][object];
            owner["fail"][request] = {{"code", code}, {"after", after}};
            const std::string what = target.section + "[" + std::to_string(object) + "] " + request + " " +
                                     std::to_string(code) + " after " + std::to_string(after);
            Scan s(m);
            ++scans;
            if (s.scanned) {
              EXPECT_TRUE(s.prompt.messages.empty()) << what;
            } else {
              // Only the address query ends a scan, and it says so.
              EXPECT_EQ(request, "IOCTL_SCSI_GET_ADDRESS") << what;
              EXPECT_EQ(s.doc->LastScanResult(), code) << what;
              ASSERT_EQ(s.prompt.messages.size(), 1u) << what;
              EXPECT_EQ(s.prompt.messages[0], L"IOCTL_SCSI_GET_ADDRESS Error") << what;
            }
            ExpectLinksOwned(*s.doc, what);
            EXPECT_EQ(s.HandlesLeftAfterClose(), 0u) << what;
          }
        }
      }
    }
  }
  EXPECT_GT(scans, 500);
}

}  // namespace
