// Mount points and the volumes behind them: which are kept, how each volume is
// opened and read, and what a refused volume request leaves in the model.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scan_harness.h"

namespace {

// One MBR drive 0 with one partition, one volume "v" on it, and the given
// mount points (a JSON array body); `volumeExtra` adds members to the volume.
std::string OneVolumeMachine(const std::string& mountPoints, const std::string& volumeExtra = "") {
  return MachineJson(R"(
    "drives": [{"number": 0, "size": 107374182400,
                "layout": {"style": "mbr", "signature": "0x1a2b3c4d",
                           "partitions": [{"number": 1, "offset": 1048576, "length": 52428800000}]}}],
    "volumes": [{"id": "v", "label": "Windows", "serialNumber": "0x5a3e91c2", "fileSystem": "NTFS",
                 "fileSystemFlags": "0x03e700ff", "maxComponentLength": 250, "totalBytes": 52428795904,
                 "totalFreeBytes": 1000, "freeBytesAvailable": 900,
                 "partition": {"disk": 0, "number": 1})" +
                     volumeExtra + R"(}],
    "mountPoints": [)" + mountPoints + "]");
}

std::vector<std::wstring> OpenedPaths(const RecordedPlatform& p) {
  std::vector<std::wstring> out;
  for (const auto& o : p.opens()) out.push_back(o.path);
  return out;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST(MountPointScan, DriveLetterIsOpenedAndReadThroughItsLetter) {
  ScanHarness h(OneVolumeMachine(R"({"name": "\\DosDevices\\E:", "volume": "v"})"));
  ASSERT_TRUE(h.InitialScan());
  EXPECT_EQ(h.doc->GetTitle(), L"Zav Volume Viewer V1.0");
  EXPECT_EQ(OpenedPaths(h.recorded),
            (std::vector<std::wstring>{L"\\\\.\\MountPointManager", L"\\\\.\\E:", L"\\\\.\\PhysicalDrive0",
                                       L"\\\\.\\Scsi0:"}));
  // Volumes and drives are opened for reading only.
  EXPECT_EQ(h.recorded.opens()[1].access, GENERIC_READ);
  EXPECT_EQ(h.recorded.opens()[2].access, GENERIC_READ);
  EXPECT_TRUE(h.faults.FindCall("GetVolumeInformationW", L"\\\\.\\E:\\"));
  EXPECT_TRUE(h.faults.FindCall("GetDiskFreeSpaceExW", L"\\\\.\\E:\\"));

  const MountPointNode* e = h.MountPoint(L"\\DosDevices\\E:");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->volumeName, L"Windows");
  EXPECT_EQ(e->fileSystemName, L"NTFS");
  EXPECT_EQ(e->volumeSerialNumber, 0x5a3e91c2u);
  EXPECT_EQ(e->fileSystemFlags, 0x03e700ffu);
  EXPECT_EQ(e->maxComponentLength, 250u);
  EXPECT_EQ(e->totalBytes, 52428795904u);
  EXPECT_EQ(e->totalFreeBytes, 1000u);
  EXPECT_EQ(e->freeBytesAvailable, 900u);
  EXPECT_EQ(e->deviceName, L"\\Device\\HarddiskVolume1");
  EXPECT_TRUE(e->hasPartitionInfoEx);
  EXPECT_EQ(e->partitionInfoEx.PartitionNumber, 1u);
  EXPECT_EQ(e->partitionInfoEx.StartingOffset.QuadPart, 1048576);
  ASSERT_EQ(e->extents.size(), 1u);
  EXPECT_EQ(h.doc->GetCurrentNode(), h.doc->Model().MountPoints());
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);  // the mount point manager, kept by the document
  h.doc.reset();
  EXPECT_EQ(h.recorded.OpenHandleCount(), 0u);
}

TEST(MountPointScan, ShowAllDecidesWhetherVolumeNamesAreOpened) {
  const std::string machine = OneVolumeMachine(
      R"({"name": "\\DosDevices\\C:", "volume": "v"},
         {"name": "\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}", "volume": "v"})");
  const std::wstring volumePath = L"\\\\.\\Volume{3f1b2c4d-0000-0000-0000-100000000000}";

  ScanHarness dropped(machine, false);
  ASSERT_TRUE(dropped.InitialScan());
  EXPECT_FALSE(Contains(OpenedPaths(dropped.recorded), volumePath));
  ASSERT_EQ(dropped.doc->Model().MountPoints()->children.size(), 1u);
  EXPECT_EQ(dropped.doc->Model().MountPoints()->children[0]->GetName(), L"\\DosDevices\\C:");

  ScanHarness kept(machine, true);
  ASSERT_TRUE(kept.InitialScan());
  EXPECT_TRUE(Contains(OpenedPaths(kept.recorded), volumePath));
  EXPECT_TRUE(kept.faults.FindCall("GetVolumeInformationW", volumePath + L"\\"));
  ASSERT_EQ(kept.doc->Model().MountPoints()->children.size(), 2u);
  const MountPointNode* byName = kept.MountPoint(L"\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}");
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(byName->volumeName, L"Windows");
  // Both mount points of the volume share its extent nodes.
  const MountPointNode* byLetter = kept.MountPoint(L"\\DosDevices\\C:");
  ASSERT_EQ(byName->extents.size(), 1u);
  EXPECT_EQ(byName->extents, byLetter->extents);
  EXPECT_EQ(kept.doc->Model().Extents().size(), 1u);
  EXPECT_EQ(kept.doc->Model().Partitions().size(), 1u);
  EXPECT_EQ(kept.doc->Model().PhysicalDisks()->children.size(), 1u);
}

TEST(MountPointScan, UniqueIdIsTextOrAReadableLine) {
  ScanHarness h(OneVolumeMachine(
      R"({"name": "\\DosDevices\\A:", "volume": "v", "uniqueId": {"text": "\\??\\IDE#CdRom"}},
         {"name": "\\DosDevices\\B:", "volume": "v",
          "uniqueId": {"hex": "44 4d 49 4f 3a 49 44 3a 7c 1e 4b 2a 9d 3e 4f 11 a1 b2 c3 d4 e5 f6 07 18"}},
         {"name": "\\DosDevices\\C:", "volume": "v"},
         {"name": "\\DosDevices\\D:", "volume": "v", "uniqueId": {"hex": "44 4d 49 4f 3a 49 44 3a 01"}},
         {"name": "\\DosDevices\\E:", "volume": "v", "uniqueId": {"hex": "01 02 03"}},
         {"name": "\\DosDevices\\F:", "volume": "v", "uniqueId": {"hex": ""}},
         {"name": "\\DosDevices\\G:", "volume": "v",
          "uniqueId": {"hex": "44 4d 49 4f 3a 49 44 3a 7c 1e 4b 2a 9d 3e 4f 11 a1 b2 c3 d4 e5 f6 07 18 ff ff ff ff"}},
         {"name": "\\DosDevices\\H:", "volume": "v", "uniqueId": {"hex": "01 00 00 00 02 00 00 00 03 00 00 00 ff ff"}})"));
  ASSERT_TRUE(h.InitialScan());
  ASSERT_EQ(h.doc->Model().MountPoints()->children.size(), 8u);
  const MountPointNode* text = h.MountPoint(L"\\DosDevices\\A:");
  EXPECT_EQ(text->uniqueIdText, L"\\??\\IDE#CdRom");
  EXPECT_TRUE(text->UniqueIdLine().empty());

  const MountPointNode* dynamic = h.MountPoint(L"\\DosDevices\\B:");
  EXPECT_TRUE(dynamic->uniqueIdText.empty());
  EXPECT_EQ(dynamic->UniqueIdLine(), L"DMIO:ID:{2a4b1e7c-3e9d-114f-a1b2-c3d4e5f60718}");

  // The default id of a basic MBR volume: disk signature, then the 64-bit offset.
  const MountPointNode* basic = h.MountPoint(L"\\DosDevices\\C:");
  EXPECT_TRUE(basic->uniqueIdText.empty());
  EXPECT_EQ(basic->UniqueIdLine(), L"BASIC:Signature 1a2b3c4d - Offset 100000 - Length 0");

  // Ids shorter than what the line reads: the missing bytes count as zero.
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\D:")->UniqueIdLine(),
            L"DMIO:ID:{00000001-0000-0000-0000-000000000000}");
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\E:")->UniqueIdLine(), L"BASIC:Signature 30201 - Offset 0 - Length 0");
  EXPECT_TRUE(h.MountPoint(L"\\DosDevices\\F:")->UniqueIdLine().empty());
  EXPECT_TRUE(h.MountPoint(L"\\DosDevices\\F:")->uniqueIdText.empty());
  // Ids longer than what the line reads: the bytes past it change nothing.
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\G:")->UniqueIdLine(), dynamic->UniqueIdLine());
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\H:")->UniqueIdLine(), L"BASIC:Signature 1 - Offset 2 - Length 3");
}

TEST(MountPointScan, NoMountPointsGiveThreeEmptyRoots) {
  ScanHarness h(MachineJson(R"("mountPoints": [])"));
  EXPECT_TRUE(h.InitialScan());
  EXPECT_EQ(h.doc->LastScanResult(), 0u);
  ASSERT_TRUE(h.doc->Model().MountPoints() && h.doc->Model().PhysicalDisks() && h.doc->Model().Adapters());
  EXPECT_TRUE(h.doc->Model().MountPoints()->children.empty());
  EXPECT_TRUE(h.doc->Model().PhysicalDisks()->children.empty());
  EXPECT_TRUE(h.doc->Model().Adapters()->children.empty());
  EXPECT_EQ(h.doc->GetCurrentNode(), h.doc->Model().MountPoints());

  // A refused query of the mount points is the same as none.
  ScanHarness refused(OneVolumeMachine(R"({"name": "\\DosDevices\\C:", "volume": "v"})").insert(
      1, R"("mountPointManager": {"fail": {"IOCTL_MOUNTMGR_QUERY_POINTS": 1117}}, )"));
  EXPECT_TRUE(refused.InitialScan());
  ASSERT_TRUE(refused.doc->Model().MountPoints());
  EXPECT_TRUE(refused.doc->Model().MountPoints()->children.empty());
  EXPECT_EQ(refused.recorded.opens().size(), 1u);
}

TEST(MountPointScan, UnopenableManagerLeavesNoRoots) {
  ScanHarness h(MachineJson(R"("mountPointManager": {"fail": {"open": 5}},
                                "drives": [{"number": 0, "size": 1000}])"));
  EXPECT_FALSE(h.InitialScan());
  EXPECT_FALSE(h.doc->Model().MountPoints());
  EXPECT_FALSE(h.doc->Model().PhysicalDisks());
  EXPECT_FALSE(h.doc->Model().Adapters());
  EXPECT_EQ(h.doc->GetCurrentNode(), nullptr);
  EXPECT_TRUE(h.progress.calls.empty());
  EXPECT_TRUE(h.listener.updates.empty());
  EXPECT_EQ(h.recorded.OpenHandleCount(), 0u);
}

TEST(MountPointScan, RefusedVolumeRequestsShortenWhatIsKept) {
  ScanHarness h(MachineJson(R"(
    "drives": [{"number": 0, "size": 107374182400,
                "layout": {"partitions": [{"number": 1, "offset": 1048576, "length": 1048576},
                                          {"number": 2, "offset": 2097152, "length": 1048576},
                                          {"number": 3, "offset": 3145728, "length": 1048576},
                                          {"number": 4, "offset": 4194304, "length": 1048576}]}}],
    "volumes": [
      {"id": "noinfo", "label": "L", "fileSystem": "NTFS", "serialNumber": 7, "totalFreeBytes": 5,
       "partition": {"disk": 0, "number": 1}, "fail": {"GetVolumeInformationW": 21}},
      {"id": "norecord", "label": "R", "partition": {"disk": 0, "number": 2},
       "fail": {"IOCTL_DISK_GET_PARTITION_INFO_EX": 1, "IOCTL_DISK_GET_PARTITION_INFO": 1}},
      {"id": "noextents", "label": "X", "partition": {"disk": 0, "number": 3},
       "fail": {"IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS": 1}},
      {"id": "closed", "label": "C", "partition": {"disk": 0, "number": 4}, "fail": {"open": 5}}],
    "mountPoints": [{"name": "\\DosDevices\\I:", "volume": "noinfo"},
                    {"name": "\\DosDevices\\R:", "volume": "norecord"},
                    {"name": "\\DosDevices\\X:", "volume": "noextents"},
                    {"name": "\\DosDevices\\C:", "volume": "closed"}])"));
  ASSERT_TRUE(h.InitialScan());
  ASSERT_EQ(h.doc->Model().MountPoints()->children.size(), 3u);

  // Volume information unavailable, but the volume opens: kept, empty and zero.
  const MountPointNode* noInfo = h.MountPoint(L"\\DosDevices\\I:");
  ASSERT_NE(noInfo, nullptr);
  EXPECT_TRUE(noInfo->volumeName.empty());
  EXPECT_TRUE(noInfo->fileSystemName.empty());
  EXPECT_EQ(noInfo->volumeSerialNumber, 0u);
  EXPECT_EQ(noInfo->maxComponentLength, 0u);
  EXPECT_EQ(noInfo->totalBytes, 0u);
  EXPECT_EQ(noInfo->totalFreeBytes, 0u);
  EXPECT_FALSE(h.faults.FindCall("GetDiskFreeSpaceExW", L"\\\\.\\I:\\"));
  EXPECT_EQ(noInfo->extents.size(), 1u);

  // Neither partition query: no record, and the layout is asked in extended form.
  const MountPointNode* noRecord = h.MountPoint(L"\\DosDevices\\R:");
  ASSERT_NE(noRecord, nullptr);
  EXPECT_EQ(noRecord->volumeName, L"R");
  EXPECT_FALSE(noRecord->hasPartitionInfoEx);
  EXPECT_EQ(noRecord->partitionInfo.PartitionNumber, 0u);
  EXPECT_EQ(noRecord->partitionInfo.StartingOffset.QuadPart, 0);
  ASSERT_EQ(noRecord->extents.size(), 1u);
  ASSERT_NE(noRecord->extents[0]->partition, nullptr);
  EXPECT_TRUE(noRecord->extents[0]->partition->hasPartitionInfoEx);

  // Extent query refused: kept without extents.
  const MountPointNode* noExtents = h.MountPoint(L"\\DosDevices\\X:");
  ASSERT_NE(noExtents, nullptr);
  EXPECT_TRUE(noExtents->extents.empty());

  // A volume that cannot be opened is dropped, yet its information was asked
  // through the drive letter as for every drive letter.
  EXPECT_EQ(h.MountPoint(L"\\DosDevices\\C:"), nullptr);
  EXPECT_TRUE(h.faults.FindCall("GetVolumeInformationW", L"\\\\.\\C:\\"));
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);
}

TEST(MountPointScan, ProgressFollowsEveryEntryIncludingDroppedOnes) {
  const std::string machine = OneVolumeMachine(
      R"({"name": "\\DosDevices\\C:", "volume": "v"},
         {"name": "\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}", "volume": "v"},
         {"name": "\\DosDevices\\D:", "volume": "v"})");
  ScanHarness h(machine, false);
  ASSERT_TRUE(h.InitialScan());
  EXPECT_EQ(h.doc->Model().MountPoints()->children.size(), 2u);
  EXPECT_EQ(h.progress.calls, (std::vector<std::string>{"text Getting Mount Points", "range 0 100", "range 0 3",
                                                        "step", "step", "step"}));

  // Without a progress display the scan builds the same model.
  ScanHarness silent(machine, false, false);
  ASSERT_TRUE(silent.InitialScan());
  ASSERT_EQ(silent.doc->Model().MountPoints()->children.size(), 2u);
  EXPECT_EQ(silent.doc->Model().Extents().size(), h.doc->Model().Extents().size());
  EXPECT_TRUE(silent.progress.calls.empty());

  // A refused query of the mount points reports only the start.
  ScanHarness refused(MachineJson(R"("mountPointManager": {"fail": {"IOCTL_MOUNTMGR_QUERY_POINTS": 1}})"));
  ASSERT_TRUE(refused.InitialScan());
  EXPECT_EQ(refused.progress.calls, (std::vector<std::string>{"text Getting Mount Points", "range 0 100"}));
}
