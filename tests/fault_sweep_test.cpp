// Every request of a scan refused in turn: the scan must still end well, with
// the message boxes and code that the refused request calls for, no handle
// left open, and no link to a node the document no longer owns.
#include <gtest/gtest.h>

#include "platform/wide_text.h"
#include "tests/support/model_checks.h"
#include "tests/support/scan_harness.h"

namespace {

constexpr DWORD kInjected = ERROR_IO_DEVICE;

struct Expected {
  bool managerOpens = true;
  DWORD code = 0;
  std::vector<std::wstring> messages;
};

bool Has(const FaultInjectingPlatform::Call& call, const std::string& function, const std::wstring& part) {
  return call.function == function && call.subject.find(part) != std::wstring::npos;
}

// What refusing `call` must lead to.
Expected ExpectedFor(const FaultInjectingPlatform::Call& call) {
  Expected e;
  const std::wstring layoutError = L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error";
  if (Has(call, "CreateFileW", L"MountPointManager")) {
    e.managerOpens = false;
  } else if (Has(call, "CreateFileW", L"PhysicalDrive")) {
    e = {true, kInjected, {L"No Physical Drive", layoutError}};
  } else if (Has(call, "DeviceIoControl", L"IOCTL_DISK_GET_DRIVE_LAYOUT")) {  // either form
    e = {true, kInjected, {layoutError}};
  } else if (call.function == "DeviceIoControl" && call.subject.ends_with(L" IOCTL_DISK_GET_DRIVE_GEOMETRY")) {
    // The plain form is only asked after the extended form failed.
    e = {true, kInjected, {L"IOCTL_DISK_GET_DRIVE_GEOMETRY_EX Error"}};
  } else if (Has(call, "DeviceIoControl", L"IOCTL_SCSI_GET_ADDRESS")) {
    e = {true, kInjected, {L"IOCTL_SCSI_GET_ADDRESS Error"}};
  }
  return e;
}

void Sweep(const std::string& machine, bool showAll) {
  ScanHarness clean(machine, showAll);
  ASSERT_TRUE(clean.InitialScan());
  ASSERT_TRUE(clean.prompt.messages.empty());
  const std::vector<FaultInjectingPlatform::Call> calls = clean.faults.calls();
  ASSERT_GT(calls.size(), 20u);

  for (std::size_t i = 0; i < calls.size(); ++i) {
    const auto& call = calls[i];
    SCOPED_TRACE("call " + std::to_string(i) + ": " + call.function + " " + Utf8FromWide(call.subject));
    const Expected expected = ExpectedFor(call);

    ScanHarness h(machine, showAll);
    h.faults.FailCall(i, kInjected);
    const bool scanned = h.InitialScan();
    ASSERT_TRUE(h.faults.calls().size() > i && h.faults.calls()[i].injected);

    EXPECT_EQ(h.prompt.messages, expected.messages);
    EXPECT_EQ(h.doc->LastScanResult(), expected.code);
    EXPECT_EQ(scanned, expected.managerOpens && expected.code == 0);
    if (!expected.managerOpens) {
      EXPECT_FALSE(h.doc->Model().MountPoints());
    } else {
      EXPECT_TRUE(h.doc->Model().MountPoints() && h.doc->Model().PhysicalDisks() && h.doc->Model().Adapters());
    }
    EXPECT_EQ(h.doc->GetCurrentNode(), scanned ? h.doc->Model().MountPoints() : nullptr);
    EXPECT_EQ(DanglingLinks(*h.doc), std::vector<std::string>{});
    EXPECT_EQ(h.recorded.OpenHandleCount(), expected.managerOpens ? 1u : 0u);

    // A refresh after the refusal scans the whole machine again.
    h.doc->Refresh(showAll);
    EXPECT_EQ(h.doc->LastScanResult(), 0u);
    ASSERT_TRUE(h.doc->Model().MountPoints());
    EXPECT_EQ(h.doc->Model().MountPoints()->children.size(), clean.doc->Model().MountPoints()->children.size());
    EXPECT_EQ(DanglingLinks(*h.doc), std::vector<std::string>{});
    h.doc.reset();
    EXPECT_EQ(h.recorded.OpenHandleCount(), 0u);
  }
}

}  // namespace

TEST(FaultSweep, WorkstationDriveLettersOnly) { Sweep(SourceFile("samples/workstation.json"), false); }

TEST(FaultSweep, WorkstationAllMountPoints) { Sweep(SourceFile("samples/workstation.json"), true); }
