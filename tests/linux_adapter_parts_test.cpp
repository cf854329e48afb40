// The pieces behind the Linux collector's adapters where faults hide: SCSI
// pages whose lengths disagree with the bytes present, the names of sysfs
// directories, PCI resource tables and ids, and the numbering of ports.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "platform/linux/block_devices.h"
#include "platform/linux/device_manager_text.h"
#include "platform/linux/scsi_inquiry.h"
#include "platform/linux/storage_ports.h"
#include "platform/linux/sysfs_paths.h"

namespace {

namespace fs = std::filesystem;
using linuxsys::HexDigits;
using linuxsys::ParseIdentificationPage;
using linuxsys::ParseSerialPage;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

TEST(IdentificationPage, DescriptorsAsTheyStand) {
  // Protocol and PIV bits beside the fields are not part of them.
  const std::string page = Bytes({0x00, 0x83, 0x00, 0x0e, 0x61, 0x93, 0x00, 0x02, 0xaa, 0xbb,  // port, NAA
                                  0x02, 0x21, 0x00, 0x02, 'A', 'B'});                          // target, vendor id
  const auto ids = ParseIdentificationPage(page);
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0].codeSet, StorageIdCodeSetBinary);
  EXPECT_EQ(ids[0].type, StorageIdTypeFCPHName);
  EXPECT_EQ(ids[0].association, StorageIdAssocPort);
  EXPECT_EQ(ids[0].bytes, (std::vector<BYTE>{0xaa, 0xbb}));
  EXPECT_EQ(ids[1].codeSet, StorageIdCodeSetAscii);
  EXPECT_EQ(ids[1].association, StorageIdAssocTarget);
  EXPECT_EQ(ids[1].bytes, (std::vector<BYTE>{'A', 'B'}));
}

TEST(IdentificationPage, LengthsBeyondTheBytesPresent) {
  // A page that claims more than it holds: the descriptors present are read.
  EXPECT_EQ(ParseIdentificationPage(Bytes({0x00, 0x83, 0xff, 0xff, 0x01, 0x03, 0x00, 0x01, 0x42})).size(), 1u);
  // A descriptor running past the end ends the list; the one before it stays.
  const auto ids = ParseIdentificationPage(
      Bytes({0x00, 0x83, 0x00, 0x0a, 0x01, 0x03, 0x00, 0x01, 0x42, 0x01, 0x03, 0x00, 0xf0, 0x00}));
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_EQ(ids[0].bytes, std::vector<BYTE>{0x42});
  // A page length shorter than the bytes present hides what follows it.
  EXPECT_TRUE(ParseIdentificationPage(Bytes({0x00, 0x83, 0x00, 0x02, 0x01, 0x03, 0x00, 0x00})).empty());
  // Not the page, or not even a header.
  EXPECT_TRUE(ParseIdentificationPage(Bytes({0x00, 0x80, 0x00, 0x04, 0x01, 0x03, 0x00, 0x00})).empty());
  EXPECT_TRUE(ParseIdentificationPage(Bytes({0x00, 0x83, 0x00})).empty());
  EXPECT_TRUE(ParseIdentificationPage("").empty());
}

TEST(SerialPage, TrimmedAndBounded) {
  EXPECT_EQ(ParseSerialPage(Bytes({0x00, 0x80, 0x00, 0x06, ' ', ' ', 'S', '1', ' ', ' '})), "S1");
  // Declared longer than present: what is present.
  EXPECT_EQ(ParseSerialPage(Bytes({0x00, 0x80, 0x00, 0x40, 'A', 'B'})), "AB");
  EXPECT_EQ(ParseSerialPage(Bytes({0x00, 0x80, 0x00, 0x02, 'A', 0x01})), "A?");
  EXPECT_FALSE(ParseSerialPage(Bytes({0x00, 0x80, 0x00, 0x02, ' ', ' '})));
  EXPECT_FALSE(ParseSerialPage(Bytes({0x00, 0x83, 0x00, 0x01, 'A'})));
  EXPECT_FALSE(ParseSerialPage(Bytes({0x00, 0x80})));
}

TEST(InquiryData, BuiltAndRead) {
  linuxsys::InquiryFields f;
  f.deviceType = 0x25;  // only the low five bits are a type
  f.removable = true;
  f.vendor = "Ven\x01";
  f.product = "A product name longer than sixteen";
  f.revision = "1";
  const std::vector<BYTE> q = linuxsys::StandardInquiry(f);
  ASSERT_EQ(q.size(), 36u);
  EXPECT_EQ(q[0], 0x05);
  EXPECT_EQ(q[1], 0x80);
  EXPECT_EQ(q[4], 31);
  EXPECT_EQ(linuxsys::InquiryText(q, 8, 8), "Ven?    ");
  EXPECT_EQ(linuxsys::InquiryText(q, 16, 16), "A product name l");
  EXPECT_EQ(linuxsys::InquiryText(q, 32, 4), "1   ");
  EXPECT_EQ(linuxsys::InquiryText(q, 30, 16), " l1   ") << "as far as the data reaches";
  EXPECT_EQ(linuxsys::InquiryText(q, 40, 4), "");

  EXPECT_EQ(linuxsys::NvmeRevision("2B2QEXM7"), "EXM7");
  EXPECT_EQ(linuxsys::NvmeRevision("1.0     "), "1.0");
  EXPECT_EQ(linuxsys::NvmeRevision("AB CD EF"), "CDEF");
  EXPECT_EQ(HexDigits("00 25 38 8b"), (std::vector<BYTE>{0x00, 0x25, 0x38, 0x8b}));
  EXPECT_EQ(HexDigits("0011AABB-cc"), (std::vector<BYTE>{0x00, 0x11, 0xaa, 0xbb, 0xcc}));
  EXPECT_FALSE(HexDigits("001"));
  EXPECT_FALSE(HexDigits("eui.00"));
  EXPECT_FALSE(HexDigits(""));
}

TEST(SysfsNames, WhatDirectoriesAre) {
  using namespace linuxsys;
  EXPECT_EQ(NormalizePath("/sys/block/../devices/./pci0000:00//x/"), "/sys/devices/pci0000:00/x");
  EXPECT_EQ(NormalizePath("/../.."), "/");
  EXPECT_TRUE(IsPciAddress("0000:00:1f.2"));
  EXPECT_TRUE(IsPciAddress("10000:e1:00.7"));
  EXPECT_FALSE(IsPciAddress("0000:00:1f.8"));
  EXPECT_FALSE(IsPciAddress("pci0000:00"));
  EXPECT_FALSE(IsPciAddress("00:1f.2"));
  EXPECT_TRUE(IsUsbInterface("2-1.4:1.0"));
  EXPECT_FALSE(IsUsbInterface("2-1.4"));
  EXPECT_FALSE(IsUsbInterface("2-1.:1.0"));
  EXPECT_FALSE(IsUsbInterface("usb2"));
  EXPECT_TRUE(IsUsbDevice("usb2"));
  EXPECT_TRUE(IsUsbDevice("3-10.2"));
  EXPECT_FALSE(IsUsbDevice("3-10:1.0"));
  EXPECT_EQ(ParseScsiAddress("3:0:1:0"), (std::array<unsigned long, 4>{3, 0, 1, 0}));
  EXPECT_FALSE(ParseScsiAddress("3:0:1"));
  EXPECT_FALSE(ParseScsiAddress("3:0:1:0:1"));
  EXPECT_FALSE(ParseScsiAddress("3:0::0"));
  EXPECT_FALSE(ParseScsiAddress("target3:0:1"));
  EXPECT_FALSE(ParseScsiAddress("99999999999999999999999:0:0:0"));
  EXPECT_EQ(NumberAfter("host12", "host"), 12u);
  EXPECT_FALSE(NumberAfter("host", "host"));
  EXPECT_FALSE(NumberAfter("host1a", "host"));
}

TEST(PciText, ResourceTableAndIds) {
  const std::string table =
      "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"  // unused
      "0x00000000fe900000 0x00000000fe90ffff 0x0000000000140204\n"  // memory
      "0x000000000000e000 0x000000000000e0ff 0x0000000000040101\n"  // I/O
      "0x0000000000001000 0x0000000000000fff 0x0000000000040101\n"  // ends before it starts
      "garbage\n"
      "0x0000000000002000 0x0000000000002fff 0x0000000000000000\n"  // neither kind
      "0x00000000c0000000 0x00000000c001ffff 0x0000000000046200\n";  // the expansion ROM: not a BAR
  const auto ranges = linuxsys::PciRanges(table);
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_EQ(ranges[0].type, ResType_Mem);
  EXPECT_EQ(ranges[0].base, 0xfe900000u);
  EXPECT_EQ(ranges[0].end, 0xfe90ffffu);
  EXPECT_EQ(ranges[1].type, ResType_IO);
  EXPECT_TRUE(linuxsys::PciRanges("").empty());

  // Without subsystem ids, revision or class code, only the forms that need none.
  linuxsys::PciIds bare;
  bare.vendor = 0x1af4;
  bare.device = 0x1001;
  EXPECT_TRUE(linuxsys::PciHardwareIds(bare).empty());
  EXPECT_EQ(linuxsys::PciCompatibleIds(bare), (std::vector<std::wstring>{L"PCI\\VEN_1AF4&DEV_1001", L"PCI\\VEN_1AF4"}));
  bare.revision = 0xa;
  EXPECT_EQ(linuxsys::PciCompatibleIds(bare).front(), L"PCI\\VEN_1AF4&DEV_1001&REV_0A");
}

// A small system written on the spot, with links as sysfs has them.
class TempSystem {
 public:
  TempSystem() {
    char pattern[] = "/tmp/quelbrin-ports-XXXXXX";
    root = ::mkdtemp(pattern);
  }
  ~TempSystem() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  void Write(const std::string& path, const std::string& text) const {
    fs::create_directories(fs::path(root + path).parent_path());
    std::ofstream(root + path) << text;
  }
  // A whole disk at `devicePath`, listed in /sys/block.
  void Disk(const std::string& name, const std::string& devicePath) const {
    Write(devicePath + "/size", "2048\n");
    Write(devicePath + "/dev", "8:0\n");
    fs::create_directories(root + "/sys/block");
    fs::create_symlink(fs::relative(root + devicePath, root + "/sys/block"), root + "/sys/block/" + name);
  }
  std::string root;
};

TEST(PortNumbers, HostsKeepTheirsOthersFollowThem) {
  TempSystem t;
  const std::string pci = "/sys/devices/pci0000:00/0000:00:17.0";
  t.Disk("sdb", pci + "/ata3/host2/target2:0:0/2:0:0:0/block/sdb");
  t.Disk("sdc", "/sys/devices/pci0000:00/0000:00:18.0/host300/target300:0:0/300:0:0:0/block/sdc");
  t.Disk("sdd", pci + "/ata3/host2/target2:0:1/2:0:1:300/block/sdd");  // a unit the platform cannot address
  t.Disk("sde", pci + "/ata3/host2/target2:255:0/2:255:0:0/block/sde");  // nor list: bus 255 would be the 256th
  t.Disk("nvme0n1", "/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1");
  t.Write("/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1/nsid", "2\n");

  linuxsys::SystemFiles files(t.root);
  const std::vector<linuxsys::BlockDevice> devices = linuxsys::ListBlockDevices(files);
  std::vector<machine::Drive> drives(devices.size());
  std::vector<const linuxsys::BlockDevice*> pointers;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    drives[i].number = static_cast<DWORD>(i);
    pointers.push_back(&devices[i]);
  }
  const linuxsys::StoragePorts ports = linuxsys::CollectStoragePorts(files, drives, pointers);

  std::map<std::string, const machine::Drive*> byName;
  for (std::size_t i = 0; i < devices.size(); ++i) byName[devices[i].name] = &drives[i];
  for (const auto& [name, drive] : byName) ASSERT_TRUE(drive->placed) << name;
  // Host 2 is port 2 (found through the disk, as no SCSI bus is listed); host 300
  // does not fit a byte and takes the first number above the hosts that do.
  EXPECT_EQ(byName["sdb"]->placement.port, 2);
  EXPECT_EQ(byName["sdc"]->placement.port, 3);
  std::set<BYTE> numbers;
  for (const machine::Port& p : ports.ports) EXPECT_TRUE(numbers.insert(p.number).second) << int(p.number);
  EXPECT_EQ(ports.ports.size(), 5u);
  EXPECT_GT(byName["sdd"]->placement.port, 3);
  EXPECT_GT(byName["sde"]->placement.port, 3);
  for (const machine::Port& p : ports.ports) EXPECT_LE(p.buses.size(), 255u);
  EXPECT_GT(byName["nvme0n1"]->placement.port, 3);
  // Namespace 2 answers at logical unit 1.
  EXPECT_EQ(byName["nvme0n1"]->placement.lun, 1);
  // Hosts 2 and 300 and the NVMe controller each have a PCI function of their own,
  // and the ports of the units the host cannot hold share host 2's.
  EXPECT_EQ(ports.controllers.size(), 3u);
}

// Places the disks of `t` and gives each one's port.
std::map<std::string, const machine::Port*> PortsOfDisks(const TempSystem& t, linuxsys::StoragePorts& out,
                                                         std::vector<linuxsys::BlockDevice>& devices,
                                                         std::vector<machine::Drive>& drives) {
  linuxsys::SystemFiles files(t.root);
  devices = linuxsys::ListBlockDevices(files);
  drives.assign(devices.size(), machine::Drive{});
  std::vector<const linuxsys::BlockDevice*> pointers;
  for (const auto& d : devices) pointers.push_back(&d);
  out = linuxsys::CollectStoragePorts(files, drives, pointers);
  std::map<std::string, const machine::Port*> byName;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    for (const machine::Port& p : out.ports) {
      if (drives[i].placed && p.number == drives[i].placement.port) byName[devices[i].name] = &p;
    }
  }
  return byName;
}

TEST(PortBusTypes, FromWhereTheHostSits) {
  TempSystem t;
  t.Disk("sda", "/sys/devices/pci0000:00/0000:05:00.0/fw1/fw1.0/host9/target9:0:0/9:0:0:0/block/sda");
  t.Disk("sdb", "/sys/devices/platform/host10/session1/target10:0:0/10:0:0:0/block/sdb");
  t.Disk("sdc", "/sys/devices/pci0000:00/0000:01:00.0/host11/port-11:0/end_device-11:0/target11:0:0/11:0:0:0/block/sdc");
  t.Disk("sdd", "/sys/devices/pci0000:00/0000:02:00.0/host12/rport-12:0-0/target12:0:0/12:0:0:0/block/sdd");
  t.Disk("sde", "/sys/devices/pci0000:00/0000:00:1f.1/ata1/host13/target13:0:0/13:0:0:0/block/sde");
  t.Write("/sys/devices/pci0000:00/0000:00:1f.1/ata1/host13/scsi_host/host13/proc_name", "pata_amd\n");
  t.Disk("sdf", "/sys/devices/pci0000:00/0000:03:00.0/host14/target14:2:0/14:2:0:0/block/sdf");
  t.Write("/sys/devices/pci0000:00/0000:03:00.0/host14/scsi_host/host14/proc_name", "megaraid_sas\n");
  t.Disk("mmcblk0", "/sys/devices/pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:aaaa/block/mmcblk0");
  t.Write("/sys/devices/pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:aaaa/type", "SD\n");
  t.Write("/sys/devices/pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:aaaa/name", "SL32G\n");
  t.Disk("vda", "/sys/devices/pci0000:00/0000:00:04.0/virtio2/block/vda");

  linuxsys::StoragePorts ports;
  std::vector<linuxsys::BlockDevice> devices;
  std::vector<machine::Drive> drives;
  auto byName = PortsOfDisks(t, ports, devices, drives);
  const std::map<std::string, int> expected = {{"sda", BusType1394}, {"sdb", BusTypeiScsi}, {"sdc", BusTypeSas},
                                               {"sdd", BusTypeFibre}, {"sde", BusTypeAta},  {"sdf", BusTypeRAID},
                                               {"mmcblk0", BusTypeSd}, {"vda", BusTypeVirtual}};
  for (const auto& [name, busType] : expected) {
    ASSERT_EQ(byName.count(name), 1u) << name;
    EXPECT_EQ(byName[name]->descriptor->BusType, busType) << name;
  }
  EXPECT_EQ(byName["sdf"]->buses.size(), 3u) << "channel 2 makes three buses";
  EXPECT_EQ(byName["mmcblk0"]->deviceName, L"/sys/devices/pci0000:00/0000:00:1e.6/mmc_host/mmc0");
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].name == "mmcblk0") {
      EXPECT_EQ(drives[i].device.product, "SL32G           ");
    }
  }
  // Every port but the iSCSI session's has a controller to describe.
  EXPECT_EQ(ports.controllers.size(), expected.size() - 1);
}

}  // namespace
