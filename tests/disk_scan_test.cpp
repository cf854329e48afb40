// The disk step: disks, extents and partitions behind the volumes, their links,
// the geometry, and the drive queries that stop a scan.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>

#include "tests/support/model_checks.h"
#include "tests/support/scan_harness.h"

namespace {

const std::wstring kLayoutError = L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error";
const std::wstring kGeometryError = L"IOCTL_DISK_GET_DRIVE_GEOMETRY_EX Error";

// Drive 0 (MBR, partitions 1 and 2) holds volumes "c" and "d"; drive 1 (MBR,
// one partition) holds "g". `drive1Extra` adds members to drive 1.
std::string TwoDriveMachine(const std::string& drive1Extra = "") {
  return MachineJson(R"(
    "drives": [
      {"number": 0, "size": 256060514304,
       "layout": {"signature": "0x1a2b3c4d",
                  "partitions": [{"number": 1, "offset": 1048576, "length": 524288000},
                                 {"number": 2, "offset": 525336576, "length": 214748364800}]}},
      {"number": 1, "size": 2000398934016,
       "layout": {"signature": "0x55667788",
                  "partitions": [{"number": 1, "offset": 1048576, "length": 2000397885440}]})" +
                     drive1Extra + R"(}],
    "volumes": [{"id": "c", "label": "C", "partition": {"disk": 0, "number": 1}},
                {"id": "g", "label": "G", "partition": {"disk": 1, "number": 1}},
                {"id": "d", "label": "D", "partition": {"disk": 0, "number": 2}}],
    "mountPoints": [{"name": "\\DosDevices\\C:", "volume": "c"},
                    {"name": "\\DosDevices\\G:", "volume": "g"},
                    {"name": "\\DosDevices\\D:", "volume": "d"}])");
}

}  // namespace

TEST(DiskScan, VolumesOnOneDiskShareItsNodeAndPartitions) {
  ScanHarness h(TwoDriveMachine());
  ASSERT_TRUE(h.InitialScan());
  ASSERT_EQ(h.doc->Model().PhysicalDisks()->children.size(), 2u);
  // Disks stand in the order of their first extent.
  EXPECT_EQ(h.doc->Model().PhysicalDisks()->children[0]->GetName(), L"PhysicalDrive0");
  EXPECT_EQ(h.doc->Model().PhysicalDisks()->children[1]->GetName(), L"PhysicalDrive1");
  const PhysicalDiskNode* disk0 = h.Disk(0);
  ASSERT_EQ(disk0->partitions.size(), 2u);
  EXPECT_EQ(disk0->partitions[0]->GetName(), L"DP(1)100000-1f400000");
  EXPECT_EQ(disk0->partitions[1]->GetName(), L"DP(2)1f500000-3200000000");
  EXPECT_EQ(h.doc->Model().Partitions().size(), 3u);
  for (const DiskPartitionNode* p : disk0->partitions) {
    EXPECT_EQ(p->disk, disk0);
    EXPECT_EQ(p->diskNumber, 0);
  }
  // Each extent is linked to the partition of its own disk that starts with it.
  const MountPointNode* c = h.MountPoint(L"\\DosDevices\\C:");
  const MountPointNode* d = h.MountPoint(L"\\DosDevices\\D:");
  const MountPointNode* g = h.MountPoint(L"\\DosDevices\\G:");
  EXPECT_EQ(c->extents.at(0)->partition, disk0->partitions[0]);
  EXPECT_EQ(d->extents.at(0)->partition, disk0->partitions[1]);
  EXPECT_EQ(g->extents.at(0)->partition, h.Disk(1)->partitions.at(0));
  EXPECT_EQ(g->extents.at(0)->partition->disk, h.Disk(1));
  // The geometry answer's partition and detection records are stored.
  EXPECT_EQ(disk0->diskSize, 256060514304u);
  EXPECT_EQ(disk0->partitionStyleInfo.SizeOfPartitionInfo, sizeof(DISK_PARTITION_INFO));
  EXPECT_EQ(disk0->partitionStyleInfo.Mbr.Signature, 0x1a2b3c4du);
  EXPECT_EQ(disk0->detectionInfo.SizeOfDetectInfo, sizeof(DISK_DETECTION_INFO));
  EXPECT_TRUE(DanglingLinks(*h.doc).empty());
}

TEST(DiskScan, VolumeSpanningTwoDisksGetsAnExtentOnEach) {
  ScanHarness h(MachineJson(R"(
    "drives": [{"number": 2, "size": 500107862016,
                "layout": {"partitions": [{"number": 1, "offset": 32256, "length": 500105740800, "type": "0x42"}]}},
               {"number": 3, "size": 500107862016,
                "layout": {"partitions": [{"number": 1, "offset": 32256, "length": 500105217024, "type": "0x42"}]}}],
    "volumes": [{"id": "s", "extents": [{"disk": 2, "offset": 32256, "length": 500105740800},
                                        {"disk": 3, "offset": 32256, "length": 400000000000}]}],
    "mountPoints": [{"name": "\\DosDevices\\S:", "volume": "s"}])"));
  ASSERT_TRUE(h.InitialScan());
  const MountPointNode* s = h.MountPoint(L"\\DosDevices\\S:");
  ASSERT_EQ(s->extents.size(), 2u);
  EXPECT_EQ(s->extents[0]->extentIndex, 0);
  EXPECT_EQ(s->extents[1]->extentIndex, 1);
  EXPECT_EQ(s->extents[0]->GetName(), L"Disk Extent 0 7e00-7470a00200");
  EXPECT_EQ(s->extents[1]->GetName(), L"Disk Extent 1 7e00-5d21dba000");
  // Same offset on both disks: each extent is linked within its own disk.
  ASSERT_NE(s->extents[0]->partition, nullptr);
  ASSERT_NE(s->extents[1]->partition, nullptr);
  EXPECT_EQ(s->extents[0]->partition->disk, h.Disk(2));
  EXPECT_EQ(s->extents[1]->partition->disk, h.Disk(3));
  // No partition record of the volume: the layout is asked in extended form.
  EXPECT_TRUE(s->extents[0]->partition->hasPartitionInfoEx);
}

TEST(DiskScan, LegacyVolumeAddsTheLegacyFormOfEveryPartition) {
  // "legacy" answers only the plain partition query, so its disk's layout is
  // asked in that form too; keys of the two forms never match.
  ScanHarness h(MachineJson(R"(
    "drives": [{"number": 0, "size": 256060514304,
                "layout": {"partitions": [{"number": 1, "offset": 1048576, "length": 524288000},
                                          {"number": 0, "offset": 600000000, "length": 1000, "type": "0x05"},
                                          {"number": 2, "offset": 525336576, "length": 214748364800}]}}],
    "volumes": [{"id": "ext", "partition": {"disk": 0, "number": 1}},
                {"id": "legacy", "partition": {"disk": 0, "number": 2},
                 "fail": {"IOCTL_DISK_GET_PARTITION_INFO_EX": 1}}],
    "mountPoints": [{"name": "\\DosDevices\\C:", "volume": "ext"},
                    {"name": "\\DosDevices\\F:", "volume": "legacy"},
                    {"name": "\\DosDevices\\G:", "volume": "legacy"}])"));
  ASSERT_TRUE(h.InitialScan());
  const PhysicalDiskNode* disk = h.Disk(0);
  ASSERT_EQ(disk->partitions.size(), 4u);
  EXPECT_TRUE(disk->partitions[0]->hasPartitionInfoEx);
  EXPECT_TRUE(disk->partitions[1]->hasPartitionInfoEx);
  EXPECT_FALSE(disk->partitions[2]->hasPartitionInfoEx);
  EXPECT_FALSE(disk->partitions[3]->hasPartitionInfoEx);
  EXPECT_EQ(disk->partitions[2]->GetName(), disk->partitions[0]->GetName());
  // The entry numbered 0 became no node in either form.
  for (const auto& p : h.doc->Model().Partitions()) EXPECT_NE(p->PartitionNumber(), 0u);
  EXPECT_EQ(h.doc->Model().Partitions().size(), 4u);

  const MountPointNode* f = h.MountPoint(L"\\DosDevices\\F:");
  EXPECT_FALSE(f->hasPartitionInfoEx);
  EXPECT_EQ(f->partitionInfo.PartitionNumber, 2u);
  EXPECT_EQ(f->extents.at(0)->partition, disk->partitions[3]);
  // The second mount point of the legacy volume finds every node again.
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\G:")->extents, f->extents);
}

TEST(DiskScan, ExtentWithoutAPartitionAtItsOffsetStaysUnlinked) {
  ScanHarness h(MachineJson(R"(
    "drives": [{"number": 0, "size": 107374182400,
                "layout": {"partitions": [{"number": 1, "offset": 1048576, "length": 524288000},
                                          {"number": 0, "offset": 2097152, "length": 1048576}]}}],
    "volumes": [{"id": "odd", "extents": [{"disk": 0, "offset": 1048577, "length": 524288000}]},
                {"id": "zero", "extents": [{"disk": 0, "offset": 2097152, "length": 1048576}]}],
    "mountPoints": [{"name": "\\DosDevices\\O:", "volume": "odd"},
                    {"name": "\\DosDevices\\Z:", "volume": "zero"}])"));
  ASSERT_TRUE(h.InitialScan());
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\O:")->extents.at(0)->partition, nullptr);
  // An entry numbered 0 is never linked, even where an extent starts with it.
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\Z:")->extents.at(0)->partition, nullptr);
  EXPECT_EQ(h.Disk(0)->partitions.size(), 1u);
}

TEST(DiskScan, GeometryFallsBackToThePlainQuery) {
  ScanHarness h(TwoDriveMachine(R"(, "geometry": {"cylinders": 60801}, "detection": {"type": "int13"},
                                     "fail": {"IOCTL_DISK_GET_DRIVE_GEOMETRY_EX": 1})"));
  ASSERT_TRUE(h.InitialScan());
  const PhysicalDiskNode* disk = h.Disk(1);
  EXPECT_EQ(disk->diskSize, 60801ull * 255 * 63 * 512);
  EXPECT_EQ(disk->geometry.Cylinders.QuadPart, 60801);
  EXPECT_EQ(disk->geometry.BytesPerSector, 512u);
  EXPECT_EQ(disk->partitionStyleInfo.SizeOfPartitionInfo, 0u);
  EXPECT_EQ(disk->partitionStyleInfo.Mbr.Signature, 0u);
  EXPECT_EQ(disk->detectionInfo.SizeOfDetectInfo, 0u);
  EXPECT_EQ(disk->detectionInfo.DetectionType, DetectNone);
  EXPECT_TRUE(h.prompt.messages.empty());
}

TEST(DiskScanStops, FailedLayoutQueryDropsTheVolumeAndANewDisk) {
  ScanHarness h(TwoDriveMachine(R"(, "fail": {"IOCTL_DISK_GET_DRIVE_LAYOUT_EX": 1117})"));
  EXPECT_FALSE(h.InitialScan());
  EXPECT_EQ(h.prompt.messages, std::vector<std::wstring>{kLayoutError});
  EXPECT_EQ(h.doc->LastScanResult(), 1117u);
  // What was linked before the stop stays; the volume being built and the disk
  // seen for the first time are gone; the scan went no further.
  ASSERT_TRUE(h.doc->Model().MountPoints());
  ASSERT_EQ(h.doc->Model().MountPoints()->children.size(), 1u);
  EXPECT_EQ(h.doc->Model().MountPoints()->children[0]->GetName(), L"\\DosDevices\\C:");
  ASSERT_EQ(h.doc->Model().PhysicalDisks()->children.size(), 1u);
  EXPECT_EQ(h.Disk(1), nullptr);
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\D:"), nullptr);
  EXPECT_EQ(h.doc->GetCurrentNode(), nullptr);
  EXPECT_TRUE(h.listener.updates.empty());
  // Nothing but closing handles follows the refused query: no storage-port stage.
  const auto failed = h.faults.FindCall("DeviceIoControl", L"PhysicalDrive1 IOCTL_DISK_GET_DRIVE_LAYOUT_EX");
  ASSERT_TRUE(failed);
  for (std::size_t i = *failed + 1; i < h.faults.calls().size(); ++i)
    EXPECT_EQ(h.faults.calls()[i].function, "CloseHandle");
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);
  EXPECT_TRUE(DanglingLinks(*h.doc).empty());
}

TEST(DiskScanStops, UnopenableDriveShowsNoPhysicalDriveThenTheLayoutError) {
  ScanHarness h(TwoDriveMachine(R"(, "fail": {"open": 5})"));
  EXPECT_FALSE(h.InitialScan());
  EXPECT_EQ(h.prompt.messages, (std::vector<std::wstring>{L"No Physical Drive", kLayoutError}));
  // The code says why the drive did not open; nothing is asked through the
  // handle that did not open.
  EXPECT_EQ(h.doc->LastScanResult(), 5u);
  EXPECT_FALSE(h.faults.FindCall("DeviceIoControl", L"(no handle)"));
  EXPECT_EQ(h.Disk(1), nullptr);
  EXPECT_EQ(h.doc->GetCurrentNode(), nullptr);
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);
}

TEST(DiskScanStops, BothGeometryQueriesFailing) {
  ScanHarness h(TwoDriveMachine(
      R"(, "fail": {"IOCTL_DISK_GET_DRIVE_GEOMETRY_EX": 1117, "IOCTL_DISK_GET_DRIVE_GEOMETRY": 21})"));
  EXPECT_FALSE(h.InitialScan());
  EXPECT_EQ(h.prompt.messages, std::vector<std::wstring>{kGeometryError});
  EXPECT_EQ(h.doc->LastScanResult(), 21u);
  EXPECT_EQ(h.Disk(1), nullptr);
  // The layout was read before the stop: its partitions stay in the document
  // but point at no deleted disk.
  ASSERT_EQ(h.doc->Model().Partitions().size(), 3u);
  EXPECT_EQ(h.doc->Model().Partitions()[2]->diskNumber, 1);
  EXPECT_EQ(h.doc->Model().Partitions()[2]->disk, nullptr);
  EXPECT_TRUE(DanglingLinks(*h.doc).empty());
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);
}

TEST(DiskScanStops, RefusalWithoutAnErrorCodeStillStopsWithOne) {
  const std::string machine = TwoDriveMachine();
  ScanHarness clean(machine);
  ASSERT_TRUE(clean.InitialScan());
  const auto layout = clean.faults.FindCall("DeviceIoControl", L"PhysicalDrive1 IOCTL_DISK_GET_DRIVE_LAYOUT_EX");
  ASSERT_TRUE(layout);

  ScanHarness h(machine);
  h.faults.FailCall(*layout, 0);
  EXPECT_FALSE(h.InitialScan());
  EXPECT_EQ(h.doc->LastScanResult(), ERROR_GEN_FAILURE);
  EXPECT_EQ(h.prompt.messages, std::vector<std::wstring>{kLayoutError});
}

namespace {

constexpr long long kMiB = 1048576;

// Disk 0: partitions 1 to 40, each at its number in MiB, then 41 at 5 MiB as
// well and an unused entry at 40 MiB. Disks 1 and 2: partitions 1 to 20, the
// same answer from both. Volume "g" asks its disk's layout in the legacy form;
// "e" starts where no partition does.
std::string LongLayoutMachine() {
  const auto partitions = [](int count) {
    std::string list;
    for (int n = 1; n <= count; ++n)
      list += (n > 1 ? "," : "") + std::string(R"({"number": )") + std::to_string(n) +
              R"(, "offset": )" + std::to_string(n * kMiB) + R"(, "length": )" + std::to_string(kMiB) + "}";
    return list;
  };
  return MachineJson(R"("drives": [
      {"number": 0, "size": 107374182400, "layout": {"partitions": [)" + partitions(40) +
                     R"(, {"number": 41, "offset": 5242880, "length": 2097152},
                          {"number": 0, "offset": 41943040, "length": 1048576}]}},
      {"number": 1, "size": 107374182400, "layout": {"partitions": [)" + partitions(20) + R"(]}},
      {"number": 2, "size": 107374182400, "layout": {"partitions": [)" + partitions(20) + R"(]}}],
    "volumes": [{"id": "a", "partition": {"disk": 0, "number": 3}},
                {"id": "b", "partition": {"disk": 1, "number": 2}},
                {"id": "c", "partition": {"disk": 0, "number": 5}},
                {"id": "d", "partition": {"disk": 0, "number": 40}},
                {"id": "g", "partition": {"disk": 1, "number": 7}, "fail": {"IOCTL_DISK_GET_PARTITION_INFO_EX": 1}},
                {"id": "h", "partition": {"disk": 1, "number": 9}},
                {"id": "i", "partition": {"disk": 2, "number": 2}},
                {"id": "e", "extents": [{"disk": 0, "offset": 42467328, "length": 1048576}]}],
    "mountPoints": [{"name": "\\DosDevices\\A:", "volume": "a"}, {"name": "\\DosDevices\\C:", "volume": "c"},
                    {"name": "\\DosDevices\\E:", "volume": "e"}, {"name": "\\DosDevices\\B:", "volume": "b"},
                    {"name": "\\DosDevices\\I:", "volume": "i"}, {"name": "\\DosDevices\\G:", "volume": "g"},
                    {"name": "\\DosDevices\\H:", "volume": "h"}, {"name": "\\DosDevices\\D:", "volume": "d"},
                    {"name": "\\DosDevices\\F:", "volume": "a"}, {"name": "\\DosDevices\\K:", "volume": "c"}])");
}

// Gives the first entry of every layout answer after the first a new number:
// a disk repartitioned while the scan runs.
class RepartitioningPlatform : public RecordedPlatform {
 public:
  using RecordedPlatform::RecordedPlatform;
  BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                       LPDWORD returned, LPOVERLAPPED overlapped) override {
    const BOOL ok = RecordedPlatform::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
    std::size_t at = 0;
    if (code == IOCTL_DISK_GET_DRIVE_LAYOUT_EX)
      at = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) + offsetof(PARTITION_INFORMATION_EX, PartitionNumber);
    if (code == IOCTL_DISK_GET_DRIVE_LAYOUT)
      at = offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry) + offsetof(PARTITION_INFORMATION, PartitionNumber);
    if (ok && at != 0 && layouts_++ > 0 && *returned >= at + sizeof(DWORD)) {
      const DWORD number = 1000 + layouts_;
      std::memcpy(static_cast<BYTE*>(out) + at, &number, sizeof number);
    }
    return ok;
  }

 private:
  DWORD layouts_ = 0;
};

}  // namespace

// Every extent asks its drive for the whole layout. However many entries it
// holds, the extent is linked to the last entry that starts where it starts,
// each entry is one node per disk and form, and an answer that changed since
// the last is read in full.
TEST(DiskScan, LongLayoutsLinkEachExtentAsAWalkOfTheirEntriesWould) {
  for (const bool repartitioned : {false, true}) {
    SCOPED_TRACE(repartitioned ? "repartitioned during the scan" : "recorded");
    RepartitioningPlatform changing(ParseMachine(LongLayoutMachine(), "long.json"));
    RecordedPlatform recorded(ParseMachine(LongLayoutMachine(), "long.json"));
    RecordingPrompt prompt;
    CQuelbrinDoc doc(repartitioned ? changing : recorded, prompt, nullptr);
    const StorageModel& model = doc.Model();
    const auto linked = [&model](const std::wstring& link) -> const DiskPartitionNode* {
      for (const auto& mp : model.MountPoints()->children) {
        if (mp->symbolicLinkName == link) return mp->extents.at(0)->partition;
      }
      ADD_FAILURE() << "no mount point " << std::string(link.begin(), link.end());
      return nullptr;
    };
    // In the order scanned. A drive's answer is kept the second time it comes:
    // E, D, F and K find the one C's extent read, whatever came between; I's
    // answer is B's, but from another disk.
    const struct {
      const wchar_t* link;
      int disk;
      DWORD number;  // 0: none
      bool extended;
    } expected[] = {{L"\\DosDevices\\A:", 0, 3, true}, {L"\\DosDevices\\C:", 0, 41, true},
                    {L"\\DosDevices\\E:", 0, 0, true}, {L"\\DosDevices\\B:", 1, 2, true},
                    {L"\\DosDevices\\I:", 2, 2, true}, {L"\\DosDevices\\G:", 1, 7, false},
                    {L"\\DosDevices\\H:", 1, 9, true}, {L"\\DosDevices\\D:", 0, 40, true},
                    {L"\\DosDevices\\F:", 0, 3, true}, {L"\\DosDevices\\K:", 0, 41, true}};
    // Disk 0: 41 nodes; disk 1: 20 in each form; disk 2: 20. Repartitioned,
    // each answer but the very first gives its first entry a number of its own:
    // nine nodes more, and none for the three partitions numbered 1 on disks 1
    // and 2, which no answer then names. A second scan starts from nothing;
    // repartitioned, every answer renumbers.
    for (const bool refreshed : {false, true}) {
      SCOPED_TRACE(refreshed ? "second scan" : "first scan");
      if (refreshed) {
        doc.Refresh(false);
      } else {
        ASSERT_TRUE(doc.InitialScan());
      }
      ASSERT_NE(model.MountPoints(), nullptr);
      EXPECT_TRUE(DanglingLinks(doc).empty());
      EXPECT_EQ(model.Partitions().size(), !repartitioned ? 101u : refreshed ? 101u + 10u - 4u : 101u + 9u - 3u);
      std::size_t onDisks = 0;
      for (const auto& disk : model.PhysicalDisks()->children) onDisks += disk->partitions.size();
      EXPECT_EQ(onDisks, model.Partitions().size());
      for (const auto& e : expected) {
        SCOPED_TRACE(std::string(e.link, e.link + std::wcslen(e.link)));
        const DiskPartitionNode* p = linked(e.link);
        if (e.number == 0) {
          EXPECT_EQ(p, nullptr);
          continue;
        }
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->PartitionNumber(), e.number);
        EXPECT_EQ(p->hasPartitionInfoEx, e.extended);
        EXPECT_EQ(p->diskNumber, e.disk);
        EXPECT_EQ(p->disk, model.PhysicalDisks()->FindPhysicalDisk(e.disk));
      }
    }
  }
}
