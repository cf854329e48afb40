// A machine captured through the platform's requests replays to the same
// scan. `capture` on Windows does this against the live system; here it runs
// against described machines, whose every answer and refusal is known.
#include <gtest/gtest.h>

#include "ui/text/model_json.h"
#include "platform/capture/platform_capture.h"
#include "platform/machine/machine_writer.h"
#include "platform/wide_text.h"
#include "tests/support/scan_harness.h"

namespace {

// Everything a scan leaves: the model, the messages and the diagnostic lines.
std::string ScanResult(const machine::Machine& m, bool showAll) {
  RecordedPlatform platform(m);
  RecordingPrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  doc.SetShowAllMountPoints(showAll);
  const bool scanned = doc.InitialScan();
  std::string out = BuildModelJson(doc).dump(1) + (scanned ? "\nscanned\n" : "\nstopped\n");
  for (const std::wstring& line : prompt.messages) out += "message: " + Utf8FromWide(line) + "\n";
  for (const std::wstring& line : prompt.diagnostics) out += "diagnostic: " + Utf8FromWide(line);
  return out;
}

// Refusals of every kind the storage requests can give, on a drive whose
// adapter is reached both ways.
const char* const kRefusing = R"("drives": [
    {"number": 0, "size": 68719476736, "adapter": {"port": 1, "target": 3},
     "device": {"vendor": "ACME", "product": "Disk", "busType": "sas"},
     "layout": {"style": "gpt", "diskId": "{11111111-2222-3333-4444-555555555555}",
                "partitions": [{"number": 1, "offset": 1048576, "length": 1073741824, "name": "data"}]},
     "fail": {"IOCTL_DISK_GET_DRIVE_GEOMETRY_EX": 1, "StorageDeviceIdProperty": 50}},
    {"number": 1, "size": 1073741824, "fail": {"IOCTL_DISK_GET_DRIVE_LAYOUT_EX": 1117}}],
  "volumes": [
    {"id": "data", "label": "Data", "fileSystem": "NTFS", "partition": {"disk": 0, "number": 1},
     "mountPaths": ["D:\\"], "fail": {"GetDiskFreeSpaceExW": 21, "IOCTL_DISK_GET_PARTITION_INFO_EX": 1}},
    {"id": "gone", "fail": {"open": 5}},
    {"id": "broken", "extents": [{"disk": 1, "offset": 0, "length": 1073741824}]}],
  "mountPoints": [
    {"name": "\\DosDevices\\D:", "volume": "data"},
    {"name": "\\??\\Volume{0000000d-0000-0000-0000-000000000000}", "volume": "data"},
    {"name": "\\DosDevices\\E:", "volume": "gone"},
    {"name": "\\DosDevices\\F:", "volume": "broken"}],
  "adapters": [{"port": 1, "deviceName": "\\Device\\RaidPort1", "fail": {"IOCTL_SCSI_GET_CAPABILITIES": 1}}])";

}  // namespace

TEST(PlatformCapture, ReplaysToTheSameScan) {
  const std::vector<std::pair<std::string, std::string>> machines = {
      {"workstation", SourceFile("samples/workstation.json")},
      {"server", SourceFile("samples/server.json")},
      {"failing-layout", SourceFile("samples/failing-layout.json")},
      {"refusing", MachineJson(kRefusing)},
  };
  for (const auto& [name, text] : machines) {
    const machine::Machine original = ParseMachine(text, name);
    RecordedPlatform live(original);
    const machine::Machine captured = capture::CaptureMachine(live);
    EXPECT_EQ(live.OpenHandleCount(), 0u) << name;
    // Through the file form, as `capture` writes it and --machine reads it.
    const machine::Machine replayed = ParseMachine(WriteMachine(captured), name + " captured");
    for (bool showAll : {false, true}) {
      SCOPED_TRACE(name + (showAll ? " all" : ""));
      EXPECT_EQ(ScanResult(replayed, showAll), ScanResult(original, showAll));
    }
  }
}
