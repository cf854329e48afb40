// Writing a machine file and reading it back gives the same machine.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/machine/machine_file.h"
#include "platform/machine/machine_writer.h"
#include "platform/wide_text.h"

namespace {

using namespace machine;

std::string G(const GUID& g) { return Utf8FromWide(FormatGuid(g)); }

void ExpectSameBehaviour(const Behaviour& a, const Behaviour& b, const std::string& where) {
  EXPECT_EQ(a.fail, b.fail) << where;
  EXPECT_EQ(a.raw, b.raw) << where;
}

void ExpectSamePartition(const PartitionRecord& a, const PartitionRecord& b, const std::string& where) {
  EXPECT_EQ(a.style, b.style) << where;
  EXPECT_EQ(a.number, b.number) << where;
  EXPECT_EQ(a.offset, b.offset) << where;
  EXPECT_EQ(a.length, b.length) << where;
  EXPECT_EQ(a.rewrite, b.rewrite) << where;
  EXPECT_EQ(a.service, b.service) << where;
  EXPECT_EQ(a.type, b.type) << where;
  EXPECT_EQ(a.boot, b.boot) << where;
  EXPECT_EQ(a.recognized, b.recognized) << where;
  EXPECT_EQ(a.hiddenSectors, b.hiddenSectors) << where;
  EXPECT_EQ(G(a.typeGuid), G(b.typeGuid)) << where;
  EXPECT_EQ(G(a.id), G(b.id)) << where;
  EXPECT_EQ(a.attributes, b.attributes) << where;
  EXPECT_EQ(a.name, b.name) << where;
}

void ExpectSameMachine(const Machine& a, const Machine& b) {
  EXPECT_EQ(a.description, b.description);
  ExpectSameBehaviour(a.mountPointManager, b.mountPointManager, "manager");
  ASSERT_EQ(a.drives.size(), b.drives.size());
  for (std::size_t i = 0; i < a.drives.size(); ++i) {
    const Drive& x = a.drives[i];
    const Drive& y = b.drives[i];
    const std::string where = "drive " + std::to_string(x.number);
    EXPECT_EQ(x.number, y.number);
    EXPECT_EQ(x.size, y.size) << where;
    EXPECT_EQ(0, std::memcmp(&x.geometry, &y.geometry, sizeof x.geometry)) << where;
    EXPECT_EQ(x.detection, y.detection) << where;
    EXPECT_EQ(0, std::memcmp(&x.int13, &y.int13, sizeof x.int13)) << where;
    EXPECT_EQ(0, std::memcmp(&x.exInt13, &y.exInt13, sizeof x.exInt13)) << where;
    EXPECT_EQ(x.layout.style, y.layout.style) << where;
    EXPECT_EQ(x.layout.signature, y.layout.signature) << where;
    EXPECT_EQ(x.layout.checksum, y.layout.checksum) << where;
    EXPECT_EQ(G(x.layout.diskId), G(y.layout.diskId)) << where;
    EXPECT_EQ(x.layout.startingUsableOffset, y.layout.startingUsableOffset) << where;
    EXPECT_EQ(x.layout.usableLength, y.layout.usableLength) << where;
    EXPECT_EQ(x.layout.maxPartitionCount, y.layout.maxPartitionCount) << where;
    ASSERT_EQ(x.layout.partitions.size(), y.layout.partitions.size()) << where;
    for (std::size_t p = 0; p < x.layout.partitions.size(); ++p)
      ExpectSamePartition(x.layout.partitions[p], y.layout.partitions[p], where + " partition " + std::to_string(p));
    ExpectSameBehaviour(x.behaviour, y.behaviour, where);
  }
  ASSERT_EQ(a.volumes.size(), b.volumes.size());
  for (std::size_t i = 0; i < a.volumes.size(); ++i) {
    const Volume& x = a.volumes[i];
    const Volume& y = b.volumes[i];
    const std::string where = "volume " + x.id;
    EXPECT_EQ(x.id, y.id);
    EXPECT_EQ(x.paths, y.paths) << where;
    EXPECT_EQ(x.label, y.label) << where;
    EXPECT_EQ(x.serialNumber, y.serialNumber) << where;
    EXPECT_EQ(x.fileSystem, y.fileSystem) << where;
    EXPECT_EQ(x.fileSystemFlags, y.fileSystemFlags) << where;
    EXPECT_EQ(x.maxComponentLength, y.maxComponentLength) << where;
    EXPECT_EQ(x.freeBytesAvailable, y.freeBytesAvailable) << where;
    EXPECT_EQ(x.totalBytes, y.totalBytes) << where;
    EXPECT_EQ(x.totalFreeBytes, y.totalFreeBytes) << where;
    ASSERT_EQ(x.partition.has_value(), y.partition.has_value()) << where;
    if (x.partition) ExpectSamePartition(*x.partition, *y.partition, where);
    ASSERT_EQ(x.extents.size(), y.extents.size()) << where;
    for (std::size_t e = 0; e < x.extents.size(); ++e) {
      EXPECT_EQ(x.extents[e].disk, y.extents[e].disk) << where;
      EXPECT_EQ(x.extents[e].offset, y.extents[e].offset) << where;
      EXPECT_EQ(x.extents[e].length, y.extents[e].length) << where;
    }
    EXPECT_EQ(x.mountPaths, y.mountPaths) << where;
    ExpectSameBehaviour(x.behaviour, y.behaviour, where);
  }
  ASSERT_EQ(a.mountPoints.size(), b.mountPoints.size());
  for (std::size_t i = 0; i < a.mountPoints.size(); ++i) {
    EXPECT_EQ(a.mountPoints[i].symbolicLink, b.mountPoints[i].symbolicLink);
    EXPECT_EQ(a.mountPoints[i].deviceName, b.mountPoints[i].deviceName);
    EXPECT_EQ(a.mountPoints[i].uniqueId, b.mountPoints[i].uniqueId) << Utf8FromWide(a.mountPoints[i].symbolicLink);
    EXPECT_EQ(a.mountPoints[i].volume, b.mountPoints[i].volume);
  }
}

Machine RoundTrip(const Machine& m) { return ParseMachine(WriteMachine(m), "written"); }

TEST(MachineWriter, SamplesReadBackTheSame) {
  for (const char* name : {"workstation.json", "failing-layout.json"}) {
    SCOPED_TRACE(name);
    const Machine original = LoadMachineFile(std::string(QUELBRIN_SOURCE_DIR) + "/samples/" + name);
    const Machine again = RoundTrip(original);
    ExpectSameMachine(original, again);
    // Full records: a second write is the same text.
    EXPECT_EQ(WriteMachine(again), WriteMachine(original));
  }
}

TEST(MachineWriter, EdgesOfTheRecords) {
  Machine m;
  m.description = "caf\xc3\xa9 \xe2\x9c\x93";
  m.mountPointManager.fail["IOCTL_MOUNTMGR_QUERY_POINTS"] = 1117;
  Drive d;
  d.number = 7;
  d.size = ~0ull;
  d.geometry.Cylinders.QuadPart = 0x7fffffffffffffffll;
  d.geometry.MediaType = RemovableMedia;
  d.geometry.BytesPerSector = 4096;
  d.detection = DetectExInt13;
  d.int13.DriveSelect = 0x80;
  d.exInt13.ExSectorsPerDrive = 0x123456789abcull;
  d.layout.style = PARTITION_STYLE_GPT;
  d.layout.diskId = GUID{0xdeadbeef, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
  PartitionRecord p;
  p.style = PARTITION_STYLE_GPT;
  p.number = 1;
  p.offset = 1 << 20;
  p.length = 1ull << 40;
  p.attributes = 0x8000000000000001ull;
  p.name = std::wstring(36, L'\u00e9');
  p.type = 0;
  d.layout.partitions.push_back(p);
  d.behaviour.raw["IOCTL_DISK_GET_DRIVE_LAYOUT_EX"] = {0, 1, 0xff};
  m.drives.push_back(d);

  Volume v;
  v.id = "v\"1";
  v.label = L"Daten \U0001F4BE";
  v.fileSystem = L"ext4";
  v.serialNumber = 0xffffffffu;
  v.maxComponentLength = 0;  // not the reader's default
  v.extents.push_back({7, 1 << 20, 1ull << 40});
  v.mountPaths = {L"/", L"/home/\u00e9"};
  v.paths = {L"\\\\.\\sdb1"};
  v.behaviour.fail["GetVolumeInformationW"] = 1005;
  m.volumes.push_back(v);
  Volume bare;
  bare.id = "bare";  // no partition record, no extents, nothing mounted
  m.volumes.push_back(bare);

  auto mount = [&m](const wchar_t* name, const std::string& volume, std::vector<BYTE> id) {
    m.mountPoints.push_back(MountPoint{name, L"/dev/x", std::move(id), volume});
  };
  mount(L"\\DosDevices\\C:", "v\"1", {'\\', 0, 'd', 0});               // text
  mount(L"\\DosDevices\\D:", "v\"1", {'\\', 0, 'd'});                  // odd length: bytes
  mount(L"\\DosDevices\\E:", "bare", {0x4d, 0x3c, 0x2b, 0x1a, 0, 0});  // binary
  mount(L"\\DosDevices\\F:", "bare", {'\\', 0, 0x00, 0xd8});           // a lone surrogate: bytes
  mount(L"\\DosDevices\\G:", "bare", {});                              // empty

  const std::string text = WriteMachine(m);
  const Machine again = ParseMachine(text, "edges");
  ExpectSameMachine(m, again);
  EXPECT_NE(text.find("\"text\": \"\\\\d\""), std::string::npos) << text;
}

TEST(MachineWriter, SaveReportsAFileThatCannotBeWritten) {
  Machine m;
  std::string error;
  EXPECT_FALSE(SaveMachineFile(m, "/nonexistent-dir/x.json", error));
  EXPECT_NE(error.find("/nonexistent-dir/x.json"), std::string::npos);
  const std::string path = ::testing::TempDir() + "machine-writer.json";
  ASSERT_TRUE(SaveMachineFile(m, path, error)) << error;
  EXPECT_EQ(LoadMachineFile(path).drives.size(), 0u);
}

}  // namespace
