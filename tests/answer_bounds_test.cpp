// Answers that are broken, short or larger than the first buffer: what they
// hold is used, nothing outside them is read, and nothing is silently lost.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/recorded/storage_answers.h"
#include "tests/support/bytes.h"
#include "tests/support/model_checks.h"
#include "tests/support/scan_harness.h"

namespace {

struct RawEntry {
  explicit RawEntry(std::u16string symbolicLink) : link(std::move(symbolicLink)) {}
  std::u16string link;
  std::u16string device = u"\\Device\\HarddiskVolume1";
  std::vector<BYTE> uniqueId = {1, 2, 3, 4};
  // Overrides of what the entry says, to aim it outside the answer.
  std::optional<std::uint32_t> linkOffset;
  std::optional<std::uint16_t> linkLength;
  std::optional<std::uint16_t> deviceLength;
};

// A mount point manager answer laid out as the platform does: the header, the
// entries, then the names.
std::vector<BYTE> MountPointAnswer(const std::vector<RawEntry>& entries, std::optional<std::uint32_t> count = {},
                                   std::optional<std::uint32_t> size = {}) {
  std::vector<BYTE> names;
  std::vector<BYTE> table;
  const std::size_t namesStart = 8 + entries.size() * 24;
  auto name = [&](const std::vector<BYTE>& bytes, std::optional<std::uint32_t> offset,
                  std::optional<std::uint16_t> length) {
    PutLE(table, offset.value_or(static_cast<std::uint32_t>(namesStart + names.size())), 4);
    PutLE(table, length.value_or(static_cast<std::uint16_t>(bytes.size())), 2);
    PutLE(table, 0, 2);
    names.insert(names.end(), bytes.begin(), bytes.end());
  };
  for (const RawEntry& e : entries) {
    std::vector<BYTE> link;
    PutUtf16(link, e.link);
    std::vector<BYTE> device;
    PutUtf16(device, e.device);
    name(link, e.linkOffset, e.linkLength);
    name(e.uniqueId, {}, {});
    name(device, {}, e.deviceLength);
  }
  std::vector<BYTE> answer;
  PutLE(answer, size.value_or(static_cast<std::uint32_t>(namesStart + names.size())), 4);
  PutLE(answer, count.value_or(static_cast<std::uint32_t>(entries.size())), 4);
  answer.insert(answer.end(), table.begin(), table.end());
  answer.insert(answer.end(), names.begin(), names.end());
  return answer;
}

// Volumes "c", "d" and "e" on drive 0, opened through "\\.\C:", "\\.\D:" and
// "\\.\E:"; the mount point manager answers `answer`.
std::string RawManagerMachine(const std::vector<BYTE>& answer) {
  return MachineJson(R"(
    "mountPointManager": {"raw": {"IOCTL_MOUNTMGR_QUERY_POINTS": ")" +
                     HexText(answer) + R"("}},
    "drives": [{"number": 0, "size": 107374182400,
                "layout": {"partitions": [{"number": 1, "offset": 1048576, "length": 1048576},
                                          {"number": 2, "offset": 2097152, "length": 1048576},
                                          {"number": 3, "offset": 3145728, "length": 1048576}]}}],
    "volumes": [{"id": "c", "paths": ["\\\\.\\C:"], "partition": {"disk": 0, "number": 1}},
                {"id": "d", "paths": ["\\\\.\\D:"], "partition": {"disk": 0, "number": 2}},
                {"id": "e", "paths": ["\\\\.\\E:"], "partition": {"disk": 0, "number": 3}}])");
}

std::vector<std::wstring> KeptNames(const CQuelbrinDoc& doc) {
  std::vector<std::wstring> out;
  for (const auto& mp : doc.Model().MountPoints()->children) out.push_back(mp->GetName());
  return out;
}

}  // namespace

TEST(MountPointAnswerBounds, EntryReachingOutsideTheAnswerIsDroppedAlone) {
  RawEntry c(u"\\DosDevices\\C:");
  RawEntry farOffset(u"\\DosDevices\\D:");
  farOffset.linkOffset = 0xFFFFFFF0u;
  RawEntry longDevice(u"\\DosDevices\\E:");
  longDevice.deviceLength = 0xFFFF;
  RawEntry e(u"\\DosDevices\\E:");
  ScanHarness h(RawManagerMachine(MountPointAnswer({c, farOffset, longDevice, e})));
  ASSERT_TRUE(h.InitialScan());
  EXPECT_EQ(KeptNames(*h.doc), (std::vector<std::wstring>{L"\\DosDevices\\C:", L"\\DosDevices\\E:"}));
  // The dropped entries still count for progress.
  EXPECT_EQ(std::count(h.progress.calls.begin(), h.progress.calls.end(), "step"), 4);
}

TEST(MountPointAnswerBounds, CountsAndSizesBeyondTheAnswerAreNotBelieved) {
  RawEntry c(u"\\DosDevices\\C:");
  RawEntry d(u"\\DosDevices\\D:");
  // More mount points announced than entries present: the bytes after the
  // entries (the names) do not make sensible entries and are dropped.
  ScanHarness more(RawManagerMachine(MountPointAnswer({c, d}, 1000)));
  ASSERT_TRUE(more.InitialScan());
  EXPECT_EQ(KeptNames(*more.doc), (std::vector<std::wstring>{L"\\DosDevices\\C:", L"\\DosDevices\\D:"}));

  // An announced size far beyond any buffer: what was returned is used.
  ScanHarness huge(RawManagerMachine(MountPointAnswer({c, d}, {}, 0xFFFFFFFFu)));
  ASSERT_TRUE(huge.InitialScan());
  EXPECT_EQ(KeptNames(*huge.doc).size(), 2u);

  // An answer shorter than its header holds nothing.
  ScanHarness cut(RawManagerMachine({0x20, 0, 0}));
  ASSERT_TRUE(cut.InitialScan());
  EXPECT_TRUE(cut.doc->Model().MountPoints()->children.empty());

  // An odd name length takes the whole characters only.
  RawEntry odd(u"\\DosDevices\\C:");
  odd.linkLength = 27;
  ScanHarness oddLength(RawManagerMachine(MountPointAnswer({odd})));
  ASSERT_TRUE(oddLength.InitialScan());
  EXPECT_EQ(KeptNames(*oddLength.doc), std::vector<std::wstring>{L"\\DosDevices\\C"});
}

TEST(MountPointAnswerBounds, LinksTooShortToNameAVolumeOpenNothing) {
  ScanHarness h(MachineJson(R"(
    "drives": [{"number": 0, "size": 107374182400,
                "layout": {"partitions": [{"number": 1, "offset": 1048576, "length": 1048576}]}}],
    "volumes": [{"id": "x", "paths": ["\\\\.\\X:"], "partition": {"disk": 0, "number": 1}}],
    "mountPoints": [{"name": "\\DosDevices\\", "volume": "x"},
                    {"name": "\\??", "volume": "x"},
                    {"name": "\\??\\", "volume": "x"},
                    {"name": "", "volume": "x"},
                    {"name": "\\DosDevices\\X", "volume": "x"}])"),
                true);
  ASSERT_TRUE(h.InitialScan());
  EXPECT_EQ(KeptNames(*h.doc), std::vector<std::wstring>{L"\\DosDevices\\X"});
  std::vector<std::wstring> opened;
  for (const auto& o : h.recorded.opens()) opened.push_back(o.path);
  EXPECT_EQ(opened, (std::vector<std::wstring>{L"\\\\.\\MountPointManager", L"\\\\.\\X:", L"\\\\.\\PhysicalDrive0",
                                               L"\\\\.\\Scsi0:"}));
  EXPECT_EQ(std::count(h.progress.calls.begin(), h.progress.calls.end(), "step"), 5);
}

TEST(GrowingAnswers, TwoThousandMountPointsAreAllKept) {
  constexpr int kCount = 2000;
  std::string volumes;
  std::string mounts;
  char name[96];
  for (int i = 0; i < kCount; ++i) {
    if (i > 0) {
      volumes += ",";
      mounts += ",";
    }
    volumes += R"({"id": "v)" + std::to_string(i) + R"(", "extents": [{"disk": 0, "offset": )" +
               std::to_string((i + 1) * 1048576ull) + R"(, "length": 1048576}]})";
    std::snprintf(name, sizeof name, R"(\\??\\Volume{%08x-0000-0000-0000-000000000000})", i);
    mounts += R"({"name": ")" + std::string(name) + R"(", "volume": "v)" + std::to_string(i) + R"("})";
  }
  const std::string json = MachineJson(R"("drives": [{"number": 0, "size": 107374182400}], "volumes": [)" +
                                       volumes + R"(], "mountPoints": [)" + mounts + "]");
  ScanHarness h(json, true);
  // More than the 100000 bytes a first buffer holds.
  ASSERT_GT(answers::MountPoints(h.recorded.description()).bytes.size(), 100000u);
  ASSERT_TRUE(h.InitialScan());
  ASSERT_EQ(h.doc->Model().MountPoints()->children.size(), static_cast<std::size_t>(kCount));
  EXPECT_EQ(h.doc->Model().MountPoints()->children.back()->GetName(),
            L"\\??\\Volume{000007cf-0000-0000-0000-000000000000}");
  EXPECT_EQ(h.doc->Model().Extents().size(), static_cast<std::size_t>(kCount));
  EXPECT_EQ(h.progress.calls.at(2), "range 0 2000");
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);
}

TEST(GrowingAnswers, GptDiskWith128PartitionsAndVolumeWith150Extents) {
  std::string partitions;
  for (int i = 1; i <= 128; ++i) {
    partitions += std::string(i > 1 ? "," : "") + R"({"number": )" + std::to_string(i) +
                  R"(, "offset": )" + std::to_string(i * 1048576ull) + R"(, "length": 1048576})";
  }
  std::string extents;
  for (int i = 0; i < 150; ++i) {
    extents += std::string(i > 0 ? "," : "") + R"({"disk": 1, "offset": )" + std::to_string((i + 1) * 4096ull) +
               R"(, "length": 4096})";
  }
  ScanHarness h(MachineJson(R"(
    "drives": [{"number": 0, "size": 1000204886016, "layout": {"style": "gpt", "partitions": [)" +
                            partitions + R"(]}},
               {"number": 1, "size": 1000204886016}],
    "volumes": [{"id": "last", "partition": {"disk": 0, "number": 128}},
                {"id": "many", "extents": [)" + extents + R"(]}],
    "mountPoints": [{"name": "\\DosDevices\\L:", "volume": "last"},
                    {"name": "\\DosDevices\\M:", "volume": "many"}])"));
  ASSERT_TRUE(h.InitialScan());
  const PhysicalDiskNode* gpt = h.Disk(0);
  ASSERT_EQ(gpt->partitions.size(), 128u);
  EXPECT_EQ(gpt->partitions.back()->PartitionNumber(), 128u);
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\L:")->extents.at(0)->partition, gpt->partitions.back());

  const MountPointNode* many = h.MountPoint(L"\\DosDevices\\M:");
  ASSERT_EQ(many->extents.size(), 150u);
  EXPECT_EQ(many->extents.back()->extentIndex, 149);
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);
}

TEST(RawDriveAnswers, CountsBeyondTheAnswerAndShortGeometry) {
  // A layout announcing 1000 entries but holding one, an extent list
  // announcing 100000 extents but holding one, and a geometry answer that
  // ends before the partition and detection records.
  std::vector<BYTE> layout;
  PutLE(layout, 0, 4);     // MBR
  PutLE(layout, 1000, 4);  // PartitionCount
  layout.resize(48);
  PARTITION_INFORMATION_EX entry{};
  entry.StartingOffset.QuadPart = 1048576;
  entry.PartitionLength.QuadPart = 1048576;
  entry.PartitionNumber = 1;
  const auto* entryBytes = reinterpret_cast<const BYTE*>(&entry);
  layout.insert(layout.end(), entryBytes, entryBytes + sizeof entry);

  std::vector<BYTE> extents;
  PutLE(extents, 100000, 4);
  PutLE(extents, 0, 4);
  PutLE(extents, 0, 4);  // disk 0
  PutLE(extents, 0, 4);
  PutLE(extents, 1048576, 8);
  PutLE(extents, 1048576, 8);

  std::vector<BYTE> geometry;
  PutLE(geometry, 1000, 8);  // cylinders
  PutLE(geometry, 12, 4);
  PutLE(geometry, 255, 4);
  PutLE(geometry, 63, 4);
  PutLE(geometry, 512, 4);
  PutLE(geometry, 8225280000ull, 8);  // disk size; nothing after it

  ScanHarness h(MachineJson(R"(
    "drives": [{"number": 0, "size": 107374182400, "detection": {"type": "int13"},
                "raw": {"IOCTL_DISK_GET_DRIVE_LAYOUT_EX": ")" +
                            HexText(layout) + R"(", "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX": ")" + HexText(geometry) +
                            R"("}}],
    "volumes": [{"id": "v", "extents": [{"disk": 0, "offset": 0, "length": 1}],
                 "raw": {"IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS": ")" +
                            HexText(extents) + R"("}}],
    "mountPoints": [{"name": "\\DosDevices\\C:", "volume": "v"}])"));
  ASSERT_TRUE(h.InitialScan());
  const MountPointNode* c = h.MountPoint(L"\\DosDevices\\C:");
  ASSERT_EQ(c->extents.size(), 1u);
  const PhysicalDiskNode* disk = h.Disk(0);
  ASSERT_EQ(disk->partitions.size(), 1u);
  EXPECT_EQ(c->extents[0]->partition, disk->partitions[0]);
  EXPECT_EQ(disk->diskSize, 8225280000u);
  EXPECT_EQ(disk->geometry.Cylinders.QuadPart, 1000);
  EXPECT_EQ(disk->partitionStyleInfo.SizeOfPartitionInfo, 0u);
  EXPECT_EQ(disk->detectionInfo.SizeOfDetectInfo, 0u);
  EXPECT_EQ(disk->detectionInfo.DetectionType, DetectNone);
}
