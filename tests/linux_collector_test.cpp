// The Linux collector on fake systems: each tree under tests/linux_trees is
// collected, answered by the recorded backend, scanned by the real document,
// and checked on the resulting model.
#include <fcntl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <set>

#include "app/common/console_prompt.h"
#include "platform/linux/linux_collector.h"
#include "platform/linux/volume_identity.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "tests/support/linux_fake_system.h"

namespace {

using fake::FakeSystem;
using fake::Guid;

const GUID kEfiType = Guid("c12a7328-f81f-11d2-ba4b-00a0c93ec93b");
const GUID kLinuxType = Guid("0fc63daf-8483-4772-8e79-3d69d8477de4");
const GUID kLaptopDisk = Guid("7d4e3b2a-1c0f-4e5d-9a8b-6c5d4e3f2a10");
const GUID kEfiId = Guid("11111111-2222-4333-8444-555555555555");
const GUID kRootId = Guid("22222222-3333-4444-8555-666666666666");
const GUID kBackupId = Guid("33333333-4444-4555-8666-777777777777");
const char* kRootFsUuid = "8f1e5d2c-3b4a-4c6d-9e8f-0a1b2c3d4e5f";

constexpr std::uint64_t kSector = 512;

// A scan of a collected machine.
struct Scanned {
  explicit Scanned(machine::Machine m, bool showAll = false) : platform(std::move(m)), doc(platform, prompt, nullptr) {
    doc.SetShowAllMountPoints(showAll);
    ok = doc.InitialScan();
  }
  const MountPointNode* MountPoint(const std::wstring& name) const {
    for (const auto& mp : doc.Model().MountPoints()->children) {
      if (mp->symbolicLinkName == name) return mp.get();
    }
    return nullptr;
  }
  const PhysicalDiskNode* Disk(int number) const { return doc.Model().PhysicalDisks()->FindPhysicalDisk(number); }
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (const auto& mp : doc.Model().MountPoints()->children) names.push_back(mp->symbolicLinkName);
    return names;
  }

  RecordedPlatform platform;
  ConsolePrompt prompt;
  CQuelbrinDoc doc;
  bool ok = false;
};

// Fixed figures for every mounted filesystem, told apart by where they are mounted.
linuxsys::CollectOptions FixedSpace() {
  linuxsys::CollectOptions options;
  options.fileSystemSpace = [](const std::string& path) -> std::optional<linuxsys::FileSystemSpace> {
    linuxsys::FileSystemSpace s;
    s.totalBytes = 1000000 + path.size();
    s.totalFreeBytes = 400000;
    s.freeBytesAvailable = 300000;
    s.maxNameLength = 255;
    return s;
  };
  return options;
}

void WriteLaptopImages(const FakeSystem& sys) {
  const std::uint64_t sectors = 1000215216;
  sys.WriteImage("nvme0n1", sectors * kSector,
                 fake::GptDisk(kLaptopDisk, sectors,
                               {{kEfiType, kEfiId, 2048, 1050623, 0x8000000000000001ull, u"EFI System Partition"},
                                {kLinuxType, kRootId, 1050624, 839911423, 0, u"root"},
                                {kLinuxType, kBackupId, 839911424, 1000214527, 0, u"backup"}}));
  sys.WriteImage("nvme0n1p2", 4 << 20, fake::ExtSuperblock("root", fake::UuidBytes(kRootFsUuid)));
  sys.WriteImage("nvme0n1p3", 4 << 20,
                 fake::ExtSuperblock("backup", fake::UuidBytes("0a0b0c0d-1111-2222-3333-444455556666")));
}

machine::Machine CollectLaptop(const FakeSystem& sys, std::vector<linuxsys::SystemFiles::OpenRecord>* opens = nullptr) {
  WriteLaptopImages(sys);
  linuxsys::SystemFiles files(sys.root());
  const auto options = FixedSpace();
  machine::Machine m = linuxsys::CollectMachine(files, options);
  if (opens != nullptr) *opens = files.opens();
  return m;
}

TEST(LinuxCollectorLaptop, NvmeGptDiskWithTwoMountedPartitionsAndAnUnmountedOne) {
  FakeSystem sys("laptop");
  Scanned s(CollectLaptop(sys));
  ASSERT_TRUE(s.ok);
  // C: for "/", then the others in mount table order; the bind mount of /home adds no letter.
  EXPECT_EQ(s.Names(), (std::vector<std::wstring>{L"\\DosDevices\\C:", L"\\DosDevices\\D:", L"\\DosDevices\\E:",
                                                  L"\\DosDevices\\F:"}));

  const MountPointNode* c = s.MountPoint(L"\\DosDevices\\C:");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->deviceName, L"/dev/nvme0n1p2");
  EXPECT_EQ(c->fileSystemName, L"ext4");  // the kernel's name, not the probe's
  EXPECT_EQ(c->volumeName, L"root");
  EXPECT_EQ(c->volumeSerialNumber, 0x2c3d4e5fu);
  // The size its superblock gives (65536 blocks of 1 KiB), not the space figures, which leave out its metadata.
  EXPECT_EQ(c->totalBytes, 65536u * 1024);
  EXPECT_EQ(c->freeBytesAvailable, 300000u);
  EXPECT_EQ(c->maxComponentLength, 255u);
  EXPECT_EQ(c->volumePathNames, (std::vector<std::wstring>{L"/", L"/home"}));
  EXPECT_EQ(c->UniqueIdLine(), L"DMIO:ID:" + FormatGuid(kRootId));
  ASSERT_TRUE(c->hasPartitionInfoEx);
  EXPECT_EQ(c->partitionInfoEx.PartitionStyle, PARTITION_STYLE_GPT);
  EXPECT_EQ(c->partitionInfoEx.PartitionNumber, 2u);
  EXPECT_EQ(FormatGuid(c->partitionInfoEx.Gpt.PartitionType), FormatGuid(kLinuxType));
  EXPECT_EQ(WideFromUtf16(c->partitionInfoEx.Gpt.Name, 4), L"root");
  ASSERT_EQ(c->extents.size(), 1u);
  const DiskExtentNode* extent = c->extents[0];
  EXPECT_EQ(extent->diskExtent.StartingOffset.QuadPart, 1050624 * 512ll);
  EXPECT_EQ(extent->diskExtent.ExtentLength.QuadPart, 838860800 * 512ll);
  ASSERT_NE(extent->partition, nullptr);
  EXPECT_EQ(extent->partition->PartitionNumber(), 2u);

  const PhysicalDiskNode* nvme = extent->partition->disk;
  ASSERT_NE(nvme, nullptr);
  EXPECT_EQ(nvme->diskSize, 1000215216ull * 512);
  EXPECT_EQ(nvme->geometry.BytesPerSector, 512u);
  EXPECT_EQ(nvme->geometry.TracksPerCylinder, 255u);
  EXPECT_EQ(nvme->geometry.SectorsPerTrack, 63u);
  EXPECT_EQ(nvme->geometry.Cylinders.QuadPart, static_cast<LONGLONG>(1000215216ull * 512 / (255 * 63 * 512)));
  EXPECT_EQ(nvme->geometry.MediaType, FixedMedia);
  EXPECT_EQ(nvme->partitionStyleInfo.PartitionStyle, PARTITION_STYLE_GPT);
  EXPECT_EQ(FormatGuid(nvme->partitionStyleInfo.Gpt.DiskId), FormatGuid(kLaptopDisk));
  EXPECT_EQ(nvme->detectionInfo.DetectionType, DetectNone);
  // All three partitions of the table, the unmounted one too.
  ASSERT_EQ(nvme->partitions.size(), 3u);
  EXPECT_EQ(nvme->partitions[2]->StartingOffset(), 839911424ull * 512);

  const MountPointNode* d = s.MountPoint(L"\\DosDevices\\D:");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->deviceName, L"/dev/nvme0n1p1");
  EXPECT_EQ(d->fileSystemName, L"vfat");
  EXPECT_EQ(d->volumePathNames, std::vector<std::wstring>{L"/boot/efi"});
  EXPECT_EQ(FormatGuid(d->partitionInfoEx.Gpt.PartitionType), FormatGuid(kEfiType));
  EXPECT_EQ(d->partitionInfoEx.Gpt.Attributes, 0x8000000000000001ull);
  // Without a probe of its filesystem there is no label or serial, but the kernel's name.
  EXPECT_EQ(d->volumeName, L"");
}

TEST(LinuxCollectorLaptop, UnmountedFilesystemIsAVolumeReachedByItsName) {
  FakeSystem sys("laptop");
  Scanned s(CollectLaptop(sys), true);
  const MountPointNode* backup = s.MountPoint(L"\\??\\Volume" + FormatGuid(kBackupId));
  ASSERT_NE(backup, nullptr);
  EXPECT_EQ(backup->volumeName, L"backup");
  EXPECT_EQ(backup->fileSystemName, L"ext2");
  EXPECT_EQ(backup->volumeSerialNumber, 0x55556666u);
  EXPECT_TRUE(backup->volumePathNames.empty());
  EXPECT_EQ(backup->totalBytes, 0u);
  ASSERT_EQ(backup->extents.size(), 1u);
  EXPECT_NE(backup->extents[0]->partition, nullptr);
  // The volume name of C: is its partition GUID, and lists the same paths.
  const MountPointNode* root = s.MountPoint(L"\\??\\Volume" + FormatGuid(kRootId));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->volumePathNames, (std::vector<std::wstring>{L"/", L"/home"}));
}

TEST(LinuxCollectorLaptop, UsbStickKnownFromTheUdevDatabase) {
  FakeSystem sys("laptop");
  Scanned s(CollectLaptop(sys));
  const MountPointNode* stick = s.MountPoint(L"\\DosDevices\\F:");
  ASSERT_NE(stick, nullptr);
  EXPECT_EQ(stick->deviceName, L"/dev/sda1");
  EXPECT_EQ(stick->volumeName, L"MY STICK");
  EXPECT_EQ(stick->volumeSerialNumber, 0x1a2b3c4du);
  EXPECT_EQ(stick->volumePathNames, std::vector<std::wstring>{L"/media/user/MY STICK"});
  // FAT keeps case but does not tell names apart by it.
  EXPECT_EQ(stick->fileSystemFlags & 0x3u, 0x2u);
  ASSERT_TRUE(stick->hasPartitionInfoEx);
  EXPECT_EQ(stick->partitionInfoEx.PartitionStyle, PARTITION_STYLE_MBR);
  EXPECT_EQ(stick->partitionInfoEx.Mbr.PartitionType, 0x0c);
  EXPECT_TRUE(stick->partitionInfoEx.Mbr.BootIndicator);
  EXPECT_TRUE(stick->partitionInfoEx.Mbr.RecognizedPartition) << "FAT32 is a type the platform mounts";
  EXPECT_EQ(stick->partitionInfoEx.Mbr.HiddenSectors, 2048u);
  EXPECT_EQ(stick->UniqueIdLine(), L"BASIC:Signature c0ffee00 - Offset 100000 - Length 0");
  ASSERT_EQ(stick->extents.size(), 1u);
  ASSERT_NE(stick->extents[0]->partition, nullptr);
  const PhysicalDiskNode* disk = stick->extents[0]->partition->disk;
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(disk->geometry.MediaType, RemovableMedia);
  EXPECT_EQ(disk->partitionStyleInfo.Mbr.Signature, 0xc0ffee00u);
}

TEST(LinuxCollectorLaptop, VirtualDevicesOnlyWhenMounted) {
  FakeSystem sys("laptop");
  const machine::Machine m = CollectLaptop(sys);
  // Real disks first in kernel name order, then the mounted loop device.
  ASSERT_EQ(m.drives.size(), 3u);
  std::set<std::string> volumes;
  for (const auto& v : m.volumes) volumes.insert(v.id);
  EXPECT_EQ(volumes.count("loop0"), 1u);
  EXPECT_EQ(volumes.count("loop1"), 0u);
  EXPECT_EQ(volumes.count("zram0"), 0u);

  Scanned s(m);
  const MountPointNode* snap = s.MountPoint(L"\\DosDevices\\E:");
  ASSERT_NE(snap, nullptr);
  EXPECT_EQ(snap->deviceName, L"/dev/loop0");
  EXPECT_EQ(snap->fileSystemName, L"squashfs");
  EXPECT_NE(snap->fileSystemFlags & 0x00080000u, 0u) << "read-only volume";
  EXPECT_EQ(snap->uniqueIdText, L"\\dev\\loop0");
  ASSERT_EQ(snap->extents.size(), 1u);
  EXPECT_EQ(snap->extents[0]->diskExtent.DiskNumber, 2u);
  EXPECT_EQ(snap->extents[0]->diskExtent.ExtentLength.QuadPart, 204800 * 512ll);
  // A filesystem on the whole device: one entry covering the disk, as the platform shows such media.
  ASSERT_NE(snap->extents[0]->partition, nullptr);
  EXPECT_EQ(snap->extents[0]->partition->disk, s.Disk(2));
}

// An ordinary user may not open the disks, but reads what udev and the kernel
// publish: the same partition and filesystem UUIDs name the same volumes.
TEST(LinuxCollectorLaptop, OrdinaryUserNamesVolumesAsRootDoes) {
  FakeSystem asRoot("laptop");
  Scanned root(CollectLaptop(asRoot), true);

  FakeSystem asUser("laptop");  // no device images: nothing can be opened
  const std::string part = "/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1/nvme0n1p";
  asUser.Write(part + "2/uevent", "MAJOR=259\nMINOR=2\nDEVNAME=nvme0n1p2\nDEVTYPE=partition\nPARTN=2\n"
                                  "PARTUUID=" + Utf8FromWide(FormatGuid(kRootId)).substr(1, 36) + "\nPARTNAME=root\n");
  asUser.Write(part + "3/uevent", "PARTN=3\nPARTUUID=" + Utf8FromWide(FormatGuid(kBackupId)).substr(1, 36) + "\n");
  asUser.Link("/dev/disk/by-partuuid/" + Utf8FromWide(FormatGuid(kEfiId)).substr(1, 36), "../../nvme0n1p1");
  asUser.Link(std::string("/dev/disk/by-uuid/") + kRootFsUuid, "../../nvme0n1p2");
  asUser.Link("/dev/disk/by-label/r\\x20oot", "../../nvme0n1p2");
  linuxsys::SystemFiles files(asUser.root());
  const auto options = FixedSpace();
  Scanned user(linuxsys::CollectMachine(files, options), true);

  EXPECT_EQ(user.Names(), root.Names());
  const MountPointNode* c = user.MountPoint(L"\\DosDevices\\C:");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->UniqueIdLine(), root.MountPoint(L"\\DosDevices\\C:")->UniqueIdLine());
  EXPECT_EQ(c->volumeSerialNumber, 0x2c3d4e5fu);
  EXPECT_EQ(c->volumeName, L"r oot");
  ASSERT_TRUE(c->hasPartitionInfoEx);
  EXPECT_EQ(c->partitionInfoEx.PartitionStyle, PARTITION_STYLE_GPT);
  EXPECT_EQ(WideFromUtf16(c->partitionInfoEx.Gpt.Name, 4), L"root");
}

// A container host binds one filesystem at thousands of places, some of them
// more than once: each place is listed once, in mount table order.
TEST(LinuxCollectorLaptop, FilesystemBoundAtThousandsOfPlacesListsEachOnce) {
  FakeSystem sys("laptop");
  std::string binds;
  std::vector<std::wstring> expected = {L"/", L"/home"};
  for (int i = 0; i < 3000; ++i) {
    const std::string place = "/var/lib/pods/" + std::to_string(i);
    const std::string line = std::to_string(100 + i) + " 21 259:2 /data " + place + " rw - ext4 /dev/nvme0n1p2 rw\n";
    binds += line;
    if (i % 3 == 0) binds += line;  // mounted over itself
    expected.push_back(WideFromUtf8(place));
  }
  binds += "9000 21 259:2 / /home rw - ext4 /dev/nvme0n1p2 rw\n";
  sys.Write("/proc/self/mountinfo", binds, true);
  Scanned s(CollectLaptop(sys));
  ASSERT_TRUE(s.ok);
  const MountPointNode* c = s.MountPoint(L"\\DosDevices\\C:");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->volumePathNames, expected);
}

// A filesystem that does not answer holds up nobody: its sizes are unknown
// and a note names it. A FUSE mount goes by the name of what it mounts.
TEST(LinuxCollectorLaptop, StalledAndFuseMounts) {
  FakeSystem sys("laptop");
  WriteLaptopImages(sys);
  sys.Write("/proc/self/mountinfo", "27 21 259:3 / /media/backup rw - fuseblk /dev/nvme0n1p3 rw,user_id=0\n", true);
  auto gate = std::make_shared<std::promise<void>>();
  std::shared_future<void> opened = gate->get_future().share();
  linuxsys::CollectOptions options = FixedSpace();
  const auto fixed = options.fileSystemSpace;
  options.fileSystemSpace = [fixed, opened](const std::string& path) {
    if (path == "/media/user/MY STICK") opened.wait();  // a server gone away
    return fixed(path);
  };
  // Long enough for the answering mounts on a loaded machine; the stalled one waits it out.
  options.spaceLimit = std::chrono::milliseconds(1000);
  std::vector<std::string> notes;
  options.note = [&notes](const std::string& line) { notes.push_back(line); };
  linuxsys::SystemFiles files(sys.root());
  machine::Machine m = linuxsys::CollectMachine(files, options);
  gate->set_value();

  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("/media/user/MY STICK (/dev/sda1) did not answer"), std::string::npos) << notes[0];
  Scanned s(std::move(m));
  const MountPointNode* stick = s.MountPoint(L"\\DosDevices\\F:");
  ASSERT_NE(stick, nullptr);
  EXPECT_EQ(stick->deviceName, L"/dev/sda1");
  EXPECT_EQ(stick->fileSystemName, L"vfat");
  EXPECT_EQ(stick->totalBytes, 0u);
  EXPECT_EQ(stick->freeBytesAvailable, 0u);
  EXPECT_EQ(s.MountPoint(L"\\DosDevices\\C:")->freeBytesAvailable, 300000u);

  const MountPointNode* backup = s.MountPoint(L"\\DosDevices\\G:");
  ASSERT_NE(backup, nullptr);
  EXPECT_EQ(backup->deviceName, L"/dev/nvme0n1p3");
  EXPECT_EQ(backup->fileSystemName, L"ext2");
  EXPECT_EQ(backup->fileSystemFlags & (linuxsys::kFileCaseSensitiveSearch | linuxsys::kFilePersistentAcls),
            linuxsys::kFileCaseSensitiveSearch);
}

// ------------------------------------------------------------------- server

const char* kSharedFsUuid = "5b6c7d8e-9f00-4112-8233-445566778899";

void WriteServerImages(const FakeSystem& sys) {
  // sda: a primary boot partition, an extended container with two logical partitions.
  const std::uint32_t ext = 1050624;
  const std::uint32_t ebr2 = 410652672;
  sys.WriteImage("sda", 976773168ull * kSector,
                 {{0, fake::BootRecord(0x5eedf00d, {{true, 0x83, 2048, 1048576}, {false, 0x05, ext, 975722544}})},
                  {ext * kSector, fake::BootRecord(0, {{false, 0x83, 2048, 409600000},
                                                       {false, 0x05, ebr2 - ext, 566120496}})},
                  {ebr2 * kSector, fake::BootRecord(0, {{false, 0x83, 2048, 566118448}})}});
  // A filesystem cloned onto two devices: one UUID, two volumes.
  sys.WriteImage("sda5", 4 << 20, fake::ExtSuperblock("system", fake::UuidBytes(kSharedFsUuid)));
  sys.WriteImage("vdb", 41943040ull * kSector, fake::ExtSuperblock("da\nta", fake::UuidBytes(kSharedFsUuid)));
}

machine::Machine CollectServer(const FakeSystem& sys, bool withDmTable) {
  WriteServerImages(sys);
  linuxsys::SystemFiles files(sys.root());
  auto options = FixedSpace();
  if (withDmTable) {
    options.deviceMapperTable = [](unsigned major, unsigned minor) -> std::optional<std::string> {
      if (major != 253 || minor != 0) return std::nullopt;
      return "0 4194304 linear 8:16 2048\n4194304 4194304 linear /dev/sdc 2048\n";
    };
  }
  return linuxsys::CollectMachine(files, options);
}

TEST(LinuxCollectorServer, SataDiskWithExtendedPartition) {
  FakeSystem sys("server");
  Scanned s(CollectServer(sys, true), true);
  ASSERT_TRUE(s.ok);
  const MountPointNode* c = s.MountPoint(L"\\DosDevices\\C:");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->deviceName, L"/dev/sda5");
  EXPECT_EQ(c->volumeName, L"system");
  ASSERT_TRUE(c->hasPartitionInfoEx);
  EXPECT_EQ(c->partitionInfoEx.PartitionNumber, 5u);
  EXPECT_EQ(c->partitionInfoEx.Mbr.PartitionType, 0x83);
  EXPECT_FALSE(c->partitionInfoEx.Mbr.RecognizedPartition) << "not a type the platform mounts";
  // Counted from the extended boot record that holds it.
  EXPECT_EQ(c->partitionInfoEx.Mbr.HiddenSectors, 2048u);
  EXPECT_EQ(c->UniqueIdLine(), L"BASIC:Signature 5eedf00d - Offset 20200000 - Length 0");

  const MountPointNode* boot = s.MountPoint(L"\\DosDevices\\D:");
  ASSERT_NE(boot, nullptr);
  EXPECT_EQ(boot->deviceName, L"/dev/sda1");
  EXPECT_TRUE(boot->partitionInfoEx.Mbr.BootIndicator);
  EXPECT_EQ(boot->partitionInfoEx.Mbr.HiddenSectors, 2048u);

  const PhysicalDiskNode* sda = s.Disk(0);
  ASSERT_NE(sda, nullptr);
  EXPECT_EQ(sda->partitionStyleInfo.PartitionStyle, PARTITION_STYLE_MBR);
  EXPECT_EQ(sda->partitionStyleInfo.Mbr.Signature, 0x5eedf00du);
  // The container is an entry without a number: no node; the logical partitions keep the kernel's numbers.
  std::vector<DWORD> numbers;
  for (const DiskPartitionNode* p : sda->partitions) numbers.push_back(p->PartitionNumber());
  EXPECT_EQ(numbers, (std::vector<DWORD>{1, 5, 6}));
  const machine::Drive* drive = s.platform.description().FindDrive(0);
  ASSERT_NE(drive, nullptr);
  bool container = false;
  for (const auto& p : drive->layout.partitions) {
    if (p.number == 0) {
      container = true;
      EXPECT_EQ(p.type, 0x05);
      EXPECT_EQ(p.offset, 1050624ull * kSector);
      EXPECT_EQ(p.length, 975722544ull * kSector);  // the table's length, not the kernel's stub
    }
  }
  EXPECT_TRUE(container);
  EXPECT_EQ(s.platform.description().FindVolume("sda2"), nullptr);

  // A partition without a filesystem: kept, with no volume information.
  const machine::Volume* empty = s.platform.description().FindVolume("sda6");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->behaviour.fail.count("GetVolumeInformationW"), 1u);
}

TEST(LinuxCollectorServer, LvmVolumeOverTwoDisks) {
  FakeSystem sys("server");
  {
    Scanned s(CollectServer(sys, true));
    const MountPointNode* srv = s.MountPoint(L"\\DosDevices\\E:");
    ASSERT_NE(srv, nullptr);
    EXPECT_EQ(srv->deviceName, L"/dev/dm-0");
    EXPECT_EQ(srv->fileSystemName, L"xfs");
    EXPECT_EQ(srv->uniqueIdText, L"\\dev\\dm-0");
    EXPECT_FALSE(srv->hasPartitionInfoEx);
    EXPECT_EQ(srv->volumePathNames, std::vector<std::wstring>{L"/srv"});
    // One extent per range of the table, on the disks behind it.
    ASSERT_EQ(srv->extents.size(), 2u);
    EXPECT_EQ(srv->extents[0]->diskExtent.DiskNumber, 1u);
    EXPECT_EQ(srv->extents[1]->diskExtent.DiskNumber, 2u);
    EXPECT_EQ(srv->extents[0]->extentIndex, 0);
    EXPECT_EQ(srv->extents[1]->extentIndex, 1);
    for (const DiskExtentNode* e : srv->extents) {
      EXPECT_EQ(e->diskExtent.StartingOffset.QuadPart, 2048 * 512ll);
      EXPECT_EQ(e->diskExtent.ExtentLength.QuadPart, 4194304 * 512ll);
      EXPECT_EQ(e->partition, nullptr);
    }
    EXPECT_NE(s.Disk(1), nullptr);
    EXPECT_NE(s.Disk(2), nullptr);
  }
  {
    // Without the table: one extent per device the volume is built on.
    Scanned s(CollectServer(sys, false));
    const MountPointNode* srv = s.MountPoint(L"\\DosDevices\\E:");
    ASSERT_NE(srv, nullptr);
    ASSERT_EQ(srv->extents.size(), 2u);
    EXPECT_EQ(srv->extents[0]->diskExtent.StartingOffset.QuadPart, 0);
    EXPECT_EQ(srv->extents[0]->diskExtent.ExtentLength.QuadPart, (4194304 + 2048) * 512ll);
  }
}

TEST(LinuxCollectorServer, MdMirrorHasAnExtentOnEachMember) {
  FakeSystem sys("server");
  Scanned s(CollectServer(sys, true));
  const MountPointNode* home = s.MountPoint(L"\\DosDevices\\H:");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(home->deviceName, L"/dev/md0");
  EXPECT_EQ(home->volumePathNames, std::vector<std::wstring>{L"/home"});
  ASSERT_EQ(home->extents.size(), 2u);
  std::set<DWORD> disks;
  for (const DiskExtentNode* e : home->extents) {
    disks.insert(e->diskExtent.DiskNumber);
    // The member partition's start plus the data offset inside it.
    EXPECT_EQ(e->diskExtent.StartingOffset.QuadPart, (2048 + 8192) * 512ll);
    EXPECT_EQ(e->diskExtent.ExtentLength.QuadPart, 1044480 * 1024ll);
  }
  EXPECT_EQ(disks.size(), 2u);
}

TEST(LinuxCollectorServer, FilesystemOnAWholeDiskAndClonedUuids) {
  FakeSystem sys("server");
  Scanned s(CollectServer(sys, true), true);
  const MountPointNode* data = s.MountPoint(L"\\DosDevices\\F:");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->deviceName, L"/dev/vdb");
  EXPECT_EQ(data->volumeName, L"da\\x0ata") << "a control character shown escaped, on one line";
  // The platform's view of media without a partition table: one MBR entry
  // covering the disk, which the extent leads to, and on to the disk and its adapter.
  ASSERT_TRUE(data->hasPartitionInfoEx);
  EXPECT_EQ(data->partitionInfoEx.PartitionStyle, PARTITION_STYLE_MBR);
  EXPECT_EQ(data->partitionInfoEx.PartitionNumber, 1u);
  EXPECT_EQ(data->partitionInfoEx.PartitionLength.QuadPart, 41943040 * 512ll);
  EXPECT_EQ(data->partitionInfoEx.Mbr.HiddenSectors, 0u);
  ASSERT_EQ(data->extents.size(), 1u);
  EXPECT_EQ(data->extents[0]->diskExtent.StartingOffset.QuadPart, 0);
  EXPECT_EQ(data->extents[0]->diskExtent.ExtentLength.QuadPart, 41943040 * 512ll);
  ASSERT_NE(data->extents[0]->partition, nullptr);
  const PhysicalDiskNode* vdb = data->extents[0]->partition->disk;
  ASSERT_NE(vdb, nullptr);
  EXPECT_EQ(vdb, s.Disk(static_cast<int>(data->extents[0]->diskExtent.DiskNumber)));
  EXPECT_EQ(vdb->partitionStyleInfo.PartitionStyle, PARTITION_STYLE_MBR);
  EXPECT_EQ(vdb->partitions.size(), 1u);
  EXPECT_NE(vdb->adapter, nullptr);
  EXPECT_NE(vdb->device, nullptr);

  // sda5 and vdb carry one filesystem UUID; their volume names still differ.
  std::set<std::wstring> volumeNames;
  std::size_t count = 0;
  for (const auto& mp : s.doc.Model().MountPoints()->children) {
    if (mp->symbolicLinkName.rfind(L"\\??\\Volume{", 0) != 0) continue;
    volumeNames.insert(mp->symbolicLinkName);
    ++count;
  }
  EXPECT_EQ(volumeNames.size(), count);
  EXPECT_EQ(volumeNames.count(L"\\??\\Volume" + WideFromUtf8(std::string("{") + kSharedFsUuid + "}")), 1u);
}

TEST(LinuxCollectorServer, UnreadableDiskShowsItsPartitionsFromSysfs) {
  FakeSystem sys("server");
  Scanned s(CollectServer(sys, true), true);
  const MountPointNode* old = s.MountPoint(L"\\DosDevices\\G:");
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(old->deviceName, L"/dev/sdd1");
  EXPECT_EQ(old->fileSystemName, L"ext3");
  EXPECT_NE(old->fileSystemFlags & 0x00080000u, 0u) << "mounted read-only";
  EXPECT_EQ(old->uniqueIdText, L"\\dev\\sdd1");
  ASSERT_TRUE(old->hasPartitionInfoEx);
  EXPECT_EQ(old->partitionInfoEx.PartitionNumber, 1u);
  ASSERT_EQ(old->extents.size(), 1u);
  ASSERT_NE(old->extents[0]->partition, nullptr);
  const PhysicalDiskNode* sdd = old->extents[0]->partition->disk;
  ASSERT_NE(sdd, nullptr);
  EXPECT_EQ(sdd->diskNumber, 3);
  EXPECT_EQ(sdd->partitionStyleInfo.PartitionStyle, PARTITION_STYLE_RAW);
  ASSERT_EQ(sdd->partitions.size(), 2u);
  EXPECT_EQ(sdd->partitions[1]->StartingOffset(), 204802048ull * 512);
  EXPECT_EQ(sdd->partitions[1]->PartitionLength(), 29639600ull * 512);
  // Every mounted block filesystem got a letter; tmpfs and proc did not.
  EXPECT_NE(s.MountPoint(L"\\DosDevices\\H:"), nullptr);
  EXPECT_EQ(s.MountPoint(L"\\DosDevices\\I:"), nullptr);
}

TEST(LinuxCollector, EveryOpenIsReadOnly) {
  FakeSystem laptop("laptop");
  std::vector<linuxsys::SystemFiles::OpenRecord> opens;
  CollectLaptop(laptop, &opens);
  FakeSystem server("server");
  WriteServerImages(server);
  linuxsys::SystemFiles files(server.root());
  linuxsys::CollectMachine(files);  // asks the (absent) kernel for the dm table too
  opens.insert(opens.end(), files.opens().begin(), files.opens().end());

  std::set<std::string> opened;
  for (const auto& r : opens) {
    EXPECT_EQ(r.flags & O_ACCMODE, O_RDONLY) << r.path;
    EXPECT_EQ(r.flags & (O_CREAT | O_TRUNC | O_APPEND), 0) << r.path;
    if (r.opened) opened.insert(r.path.substr(r.path.rfind('/') + 1));
  }
  // The record covers the mount table, sysfs attributes and the devices themselves.
  EXPECT_EQ(opened.count("mountinfo"), 1u);
  EXPECT_EQ(opened.count("nvme0n1"), 1u);
  EXPECT_EQ(opened.count("sda5"), 1u);
  EXPECT_EQ(opened.count("logical_block_size"), 1u);
  // and what the adapters are read from.
  EXPECT_EQ(opened.count("vpd_pg83"), 1u);
  EXPECT_EQ(opened.count("resource"), 1u);
  EXPECT_EQ(opened.count("modules.dep"), 1u);
  bool askedForDmControl = false;
  for (const auto& r : opens) askedForDmControl |= r.path.find("/dev/mapper/control") != std::string::npos;
  EXPECT_TRUE(askedForDmControl);
}

// Stacks followed down to their disks: dm-crypt on an LVM volume on an md
// mirror of two partitions. The containers themselves are no filesystems.
TEST(LinuxCollectorServer, StacksOfMdLvmAndCryptReachTheirDisks) {
  FakeSystem sys("server");
  const std::string md1 = "/sys/devices/virtual/block/md1";
  sys.Link("/sys/block/md1", "../devices/virtual/block/md1");
  sys.Write(md1 + "/dev", "9:1\n");
  sys.Write(md1 + "/size", "28000000\n");
  sys.Write(md1 + "/md/level", "raid1\n");
  sys.Write(md1 + "/md/uuid", "0a1b2c3d:4e5f6071:8293a4b5:c6d7e8f9\n");
  for (const char* member : {"sda6", "sdd2"}) {
    sys.Write(md1 + "/md/dev-" + member + "/offset", "2048\n");
    sys.Write(md1 + "/md/dev-" + member + "/size", "14000000\n");
    sys.Link(md1 + "/slaves/" + member, std::string("../../") + member);
  }
  const struct {
    const char* name;
    const char* number;
    const char* sectors;
    const char* dmName;
    const char* lower;
  } dms[] = {{"dm-1", "253:1", "20000000", "vg1-lv", "md1"}, {"dm-2", "253:2", "19967232", "secure", "dm-1"}};
  for (const auto& dm : dms) {
    const std::string dir = std::string("/sys/devices/virtual/block/") + dm.name;
    sys.Link(std::string("/sys/block/") + dm.name, std::string("../devices/virtual/block/") + dm.name);
    sys.Write(dir + "/dev", std::string(dm.number) + "\n");
    sys.Write(dir + "/size", std::string(dm.sectors) + "\n");
    sys.Write(dir + "/dm/name", std::string(dm.dmName) + "\n");
    sys.Write(dir + "/dm/uuid", std::string("X-") + dm.dmName + "\n");
    sys.Link(dir + "/slaves/" + dm.lower, std::string("../../") + dm.lower);
  }
  sys.Write("/proc/self/mountinfo", "27 20 253:2 / /secure rw,relatime - ext4 /dev/mapper/secure rw\n", true);
  sys.Write("/run/udev/data/b253:1", "E:ID_FS_TYPE=crypto_LUKS\nE:ID_FS_USAGE=crypto\n");
  sys.Write("/run/udev/data/b9:1", "E:ID_FS_TYPE=LVM2_member\nE:ID_FS_USAGE=raid\n");
  sys.Write("/run/udev/data/b8:16", "E:ID_FS_TYPE=LVM2_member\n");
  WriteServerImages(sys);
  linuxsys::SystemFiles files(sys.root());
  auto options = FixedSpace();
  options.deviceMapperTable = [](unsigned major, unsigned minor) -> std::optional<std::string> {
    if (major != 253) return std::nullopt;
    if (minor == 0) return "0 4194304 linear 8:16 2048\n4194304 4194304 linear /dev/sdc 2048\n";
    if (minor == 1) return "0 20000000 linear 9:1 2048\n";
    if (minor == 2) return "0 19967232 crypt aes-xts-plain64 :64:logon:cryptsetup:x 0 253:1 32768 1 discard\n";
    return std::nullopt;
  };
  Scanned s(linuxsys::CollectMachine(files, options), true);

  const MountPointNode* secure = nullptr;
  for (const auto& mp : s.doc.Model().MountPoints()->children) {
    if (mp->deviceName == L"/dev/dm-2" && mp->symbolicLinkName.rfind(L"\\DosDevices\\", 0) == 0) secure = mp.get();
  }
  ASSERT_NE(secure, nullptr);
  EXPECT_EQ(secure->volumePathNames, std::vector<std::wstring>{L"/secure"});
  // Each mirror half: its partition's start, the array's data offset, the
  // logical volume's offset in the array and the encrypted data's past its header.
  const struct {
    DWORD disk;
    ULONGLONG start;
  } expected[] = {{0, 410654720ull}, {3, 204802048ull}};
  ASSERT_EQ(secure->extents.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const DISK_EXTENT& e = secure->extents[i]->diskExtent;
    EXPECT_EQ(e.DiskNumber, expected[i].disk);
    EXPECT_EQ(static_cast<ULONGLONG>(e.StartingOffset.QuadPart), (expected[i].start + 2048 + 2048 + 32768) * kSector);
    EXPECT_EQ(static_cast<ULONGLONG>(e.ExtentLength.QuadPart), 19967232ull * kSector);
    ASSERT_NE(s.Disk(static_cast<int>(e.DiskNumber)), nullptr);
  }
  for (const char* container : {"dm-1", "md1", "sdb"}) {
    const machine::Volume* v = s.platform.description().FindVolume(container);
    ASSERT_NE(v, nullptr) << container;
    EXPECT_EQ(v->fileSystemFlags, 0u) << container << " holds no files";
  }
}

}  // namespace
