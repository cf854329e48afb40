// Writing a machine file and reading it back gives the same machine.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "platform/machine/machine_file.h"
#include "platform/machine/machine_writer.h"
#include "platform/wide_text.h"

namespace {

using namespace machine;

std::string G(const GUID& g) { return Utf8FromWide(FormatGuid(g)); }

void ExpectSameBehaviour(const Behaviour& a, const Behaviour& b, const std::string& where) {
  EXPECT_EQ(a.fail, b.fail) << where;
  EXPECT_EQ(a.raw, b.raw) << where;
  EXPECT_EQ(a.failAfter, b.failAfter) << where;
}

void ExpectSameDriverNodes(const std::vector<DriverNode>& a, const std::vector<DriverNode>& b, const std::string& where) {
  ASSERT_EQ(a.size(), b.size()) << where;
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].description, b[i].description) << where;
    EXPECT_EQ(a[i].manufacturer, b[i].manufacturer) << where;
    EXPECT_EQ(a[i].provider, b[i].provider) << where;
    EXPECT_EQ(a[i].infFile, b[i].infFile) << where;
    EXPECT_EQ(a[i].section, b[i].section) << where;
    EXPECT_EQ(a[i].hardwareId, b[i].hardwareId) << where;
    EXPECT_EQ(a[i].rank, b[i].rank) << where;
    EXPECT_EQ(a[i].flags, b[i].flags) << where;
    EXPECT_EQ(a[i].detailReadable, b[i].detailReadable) << where;
    EXPECT_EQ(a[i].installParamsReadable, b[i].installParamsReadable) << where;
  }
}

void ExpectSameResources(const std::optional<std::vector<Resource>>& a, const std::optional<std::vector<Resource>>& b,
                         const std::string& where) {
  ASSERT_EQ(a.has_value(), b.has_value()) << where;
  if (!a) return;
  ASSERT_EQ(a->size(), b->size()) << where;
  for (std::size_t i = 0; i < a->size(); ++i) {
    EXPECT_EQ((*a)[i].type, (*b)[i].type) << where;
    EXPECT_EQ((*a)[i].base, (*b)[i].base) << where;
    EXPECT_EQ((*a)[i].end, (*b)[i].end) << where;
    EXPECT_EQ((*a)[i].value, (*b)[i].value) << where;
  }
}

// Ports, where each drive sits, the interfaces and the device manager's records.
void ExpectSameAdapters(const Machine& a, const Machine& b) {
  for (std::size_t i = 0; i < a.drives.size() && i < b.drives.size(); ++i) {
    const Drive& x = a.drives[i];
    const Drive& y = b.drives[i];
    const std::string where = "drive " + std::to_string(x.number);
    EXPECT_EQ(x.placed, y.placed) << where;
    EXPECT_EQ(x.placement.port, y.placement.port) << where;
    EXPECT_EQ(x.placement.bus, y.placement.bus) << where;
    EXPECT_EQ(x.placement.target, y.placement.target) << where;
    EXPECT_EQ(x.placement.lun, y.placement.lun) << where;
    EXPECT_EQ(x.device.version, y.device.version) << where;
    EXPECT_EQ(x.device.deviceType, y.device.deviceType) << where;
    EXPECT_EQ(x.device.deviceTypeModifier, y.device.deviceTypeModifier) << where;
    EXPECT_EQ(x.device.removable, y.device.removable) << where;
    EXPECT_EQ(x.device.commandQueueing, y.device.commandQueueing) << where;
    EXPECT_EQ(x.device.busType, y.device.busType) << where;
    EXPECT_EQ(x.device.vendor, y.device.vendor) << where;
    EXPECT_EQ(x.device.product, y.device.product) << where;
    EXPECT_EQ(x.device.revision, y.device.revision) << where;
    EXPECT_EQ(x.device.serial, y.device.serial) << where;
    EXPECT_EQ(x.device.rawProperties, y.device.rawProperties) << where;
    ASSERT_EQ(x.identifiers.size(), y.identifiers.size()) << where;
    for (std::size_t k = 0; k < x.identifiers.size(); ++k) {
      EXPECT_EQ(x.identifiers[k].codeSet, y.identifiers[k].codeSet) << where;
      EXPECT_EQ(x.identifiers[k].type, y.identifiers[k].type) << where;
      EXPECT_EQ(x.identifiers[k].association, y.identifiers[k].association) << where;
      EXPECT_EQ(x.identifiers[k].bytes, y.identifiers[k].bytes) << where;
    }
  }
  ASSERT_EQ(a.ports.size(), b.ports.size());
  for (std::size_t i = 0; i < a.ports.size(); ++i) {
    const Port& x = a.ports[i];
    const Port& y = b.ports[i];
    const std::string where = "port " + std::to_string(x.number);
    EXPECT_EQ(x.number, y.number);
    EXPECT_EQ(x.deviceName, y.deviceName) << where;
    ASSERT_EQ(x.descriptor.has_value(), y.descriptor.has_value()) << where;
    if (x.descriptor) {
      const STORAGE_ADAPTER_DESCRIPTOR& p = *x.descriptor;
      const STORAGE_ADAPTER_DESCRIPTOR& q = *y.descriptor;
      EXPECT_EQ(std::tie(p.Version, p.Size, p.MaximumTransferLength, p.MaximumPhysicalPages, p.AlignmentMask,
                         p.AdapterUsesPio, p.AdapterScansDown, p.CommandQueueing, p.AcceleratedTransfer, p.BusType,
                         p.BusMajorVersion, p.BusMinorVersion),
                std::tie(q.Version, q.Size, q.MaximumTransferLength, q.MaximumPhysicalPages, q.AlignmentMask,
                         q.AdapterUsesPio, q.AdapterScansDown, q.CommandQueueing, q.AcceleratedTransfer, q.BusType,
                         q.BusMajorVersion, q.BusMinorVersion))
          << where;
    }
    const IO_SCSI_CAPABILITIES& c = x.capabilities;
    const IO_SCSI_CAPABILITIES& d = y.capabilities;
    EXPECT_EQ(std::tie(c.Length, c.MaximumTransferLength, c.MaximumPhysicalPages, c.SupportedAsynchronousEvents,
                       c.AlignmentMask, c.TaggedQueuing, c.AdapterScansDown, c.AdapterUsesPio),
              std::tie(d.Length, d.MaximumTransferLength, d.MaximumPhysicalPages, d.SupportedAsynchronousEvents,
                       d.AlignmentMask, d.TaggedQueuing, d.AdapterScansDown, d.AdapterUsesPio))
        << where;
    ASSERT_EQ(x.buses.size(), y.buses.size()) << where;
    for (std::size_t k = 0; k < x.buses.size(); ++k) {
      EXPECT_EQ(x.buses[k].initiator, y.buses[k].initiator) << where;
      ASSERT_EQ(x.buses[k].units.size(), y.buses[k].units.size()) << where;
      for (std::size_t u = 0; u < x.buses[k].units.size(); ++u) {
        const LogicalUnit& p = x.buses[k].units[u];
        const LogicalUnit& q = y.buses[k].units[u];
        EXPECT_EQ(std::tie(p.target, p.lun, p.claimed, p.inquiry), std::tie(q.target, q.lun, q.claimed, q.inquiry))
            << where;
      }
    }
    ExpectSameBehaviour(x.behaviour, y.behaviour, where);
  }
  ASSERT_EQ(a.portInterfaces.size(), b.portInterfaces.size());
  for (std::size_t i = 0; i < a.portInterfaces.size(); ++i) {
    EXPECT_EQ(a.portInterfaces[i].path, b.portInterfaces[i].path);
    EXPECT_EQ(a.portInterfaces[i].instance, b.portInterfaces[i].instance);
    EXPECT_EQ(a.portInterfaces[i].port, b.portInterfaces[i].port);
    ExpectSameBehaviour(a.portInterfaces[i].behaviour, b.portInterfaces[i].behaviour, "interface");
  }
  ASSERT_EQ(a.deviceInstances.size(), b.deviceInstances.size());
  for (std::size_t i = 0; i < a.deviceInstances.size(); ++i) {
    const DeviceInstance& x = a.deviceInstances[i];
    const DeviceInstance& y = b.deviceInstances[i];
    const std::string& where = x.id;
    EXPECT_EQ(x.id, y.id);
    EXPECT_EQ(x.hardwareIds, y.hardwareIds) << where;
    EXPECT_EQ(x.compatibleIds, y.compatibleIds) << where;
    EXPECT_EQ(x.manufacturer, y.manufacturer) << where;
    EXPECT_EQ(x.status, y.status) << where;
    EXPECT_EQ(x.problem, y.problem) << where;
    ExpectSameResources(x.allocated, y.allocated, where);
    ExpectSameResources(x.forced, y.forced, where);
    ExpectSameResources(x.boot, y.boot, where);
    ExpectSameDriverNodes(x.driverNodes, y.driverNodes, where);
    ExpectSameDriverNodes(x.classDriverNodes, y.classDriverNodes, where);
    ASSERT_EQ(x.driverKey.has_value(), y.driverKey.has_value()) << where;
    if (x.driverKey) {
      ASSERT_EQ(x.driverKey->size(), y.driverKey->size()) << where;
      for (const auto& [name, value] : *x.driverKey) {
        auto other = y.driverKey->find(name);
        ASSERT_NE(other, y.driverKey->end()) << where;
        EXPECT_EQ(value.type, other->second.type) << where;
        EXPECT_EQ(value.data, other->second.data) << where;
      }
    }
    EXPECT_EQ(x.driverFiles, y.driverFiles) << where;
    ExpectSameBehaviour(x.behaviour, y.behaviour, where);
  }
  ExpectSameBehaviour(a.deviceManager, b.deviceManager, "device manager");
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
    // Field by field: the records have padding, which no compiler need keep equal.
    auto int13 = [](const DISK_INT13_INFO& r) {
      return std::tuple(r.DriveSelect, r.MaxCylinders, r.SectorsPerTrack, r.MaxHeads, r.NumberDrives);
    };
    auto exInt13 = [](const DISK_EX_INT13_INFO& r) {
      return std::tuple(r.ExBufferSize, r.ExFlags, r.ExCylinders, r.ExHeads, r.ExSectorsPerTrack, r.ExSectorsPerDrive,
                        r.ExSectorSize, r.ExReserved);
    };
    EXPECT_EQ(int13(x.int13), int13(y.int13)) << where;
    EXPECT_EQ(exInt13(x.exInt13), exInt13(y.exInt13)) << where;
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
  ExpectSameAdapters(a, b);
}

Machine RoundTrip(const Machine& m) { return ParseMachine(WriteMachine(m), "written"); }

TEST(MachineWriter, SamplesReadBackTheSame) {
  for (const char* name : {"workstation.json", "server.json", "failing-layout.json"}) {
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

TEST(MachineWriter, AdapterRecordsAtTheirEdges) {
  Machine m;
  Port port;
  port.number = 200;
  port.deviceName = L"/sys/devices/pci0000:00/0000:00:17.0/ata1/host0";
  STORAGE_ADAPTER_DESCRIPTOR d{};
  d.Version = d.Size = sizeof d;
  d.MaximumTransferLength = 0xFFFFFFFFu;
  d.BusType = 0x13;  // a bus type without a name in the file format
  d.BusMajorVersion = 0xFFFF;
  port.descriptor = d;
  port.capabilities.Length = 24;
  port.capabilities.SupportedAsynchronousEvents = 0x80000000u;
  port.buses.resize(2);
  port.buses[1].initiator = 0xFF;
  port.buses[1].units.push_back(LogicalUnit{4, 255, false, {}});  // no INQUIRY bytes at all
  port.buses[1].units.push_back(LogicalUnit{5, 0, true, std::vector<BYTE>(56, 0x20)});
  port.behaviour.fail["IOCTL_SCSI_GET_CAPABILITIES"] = 50;
  port.behaviour.failAfter["IOCTL_SCSI_GET_CAPABILITIES"] = 2;
  port.behaviour.raw["IOCTL_SCSI_GET_INQUIRY_DATA"] = {1, 0};
  m.ports.push_back(port);

  Drive placed;
  placed.number = 0;
  placed.size = 1 << 30;
  placed.placed = true;
  placed.placement = Placement{200, 1, 5, 0};
  placed.device.busType = BusTypeNvme;
  placed.device.vendor = "";  // present but empty is not absent
  placed.device.product = "Q\"uote";
  placed.device.rawProperties = {0, 1};
  placed.identifiers.push_back(Identifier{StorageIdCodeSetAscii, StorageIdTypeVendorId, StorageIdAssocDevice,
                                          {'A', 'T', 'A', ' '}});
  placed.identifiers.push_back(Identifier{static_cast<STORAGE_IDENTIFIER_CODE_SET>(5),
                                          static_cast<STORAGE_IDENTIFIER_TYPE>(0xA), StorageIdAssocTarget, {0, 0x7F, 0xFF}});
  placed.identifiers.push_back(Identifier{});  // empty
  m.drives.push_back(placed);
  Drive unplaced;
  unplaced.number = 1;
  unplaced.size = 1 << 30;
  m.drives.push_back(unplaced);

  DeviceInstance bare;
  bare.id = "ROOT\\NOTHING\\0000";  // no ids, no manufacturer, no configurations, no driver key
  m.deviceInstances.push_back(bare);
  DeviceInstance full;
  full.id = "PCI\\VEN_8086&DEV_2822\\0000:00:17.0";
  full.hardwareIds = std::vector<std::wstring>{L"PCI\\VEN_8086&DEV_2822", L""};
  full.compatibleIds = std::vector<std::wstring>{};
  full.manufacturer = L"";
  full.status = 0x01802400;
  full.problem = 28;
  full.allocated = std::vector<Resource>{};
  full.boot = std::vector<Resource>{Resource{ResType_Mem, 0, ~0ull, 0}, Resource{ResType_IO, 0x1f0, 0x1f7, 0},
                                    Resource{ResType_DMA, 0, 0, 3}, Resource{ResType_IRQ, 0, 0, 0xFFFFFFFFu}};
  DriverNode node;
  node.description = L"ahci \u00e9";
  node.rank = 0xFF0000;
  node.flags = 0xC00;
  node.detailReadable = false;
  full.driverNodes.push_back(node);
  node.installParamsReadable = false;
  full.classDriverNodes.push_back(node);  // not the same as the compatible list
  std::map<std::wstring, RegistryValue> key;
  key[L"InfPath"] = RegistryValue{REG_SZ, {'o', 0, 0, 0}};
  key[L"Odd"] = RegistryValue{REG_SZ, {'o', 0, 0}};            // not whole characters
  key[L"Inner"] = RegistryValue{REG_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0}};  // a terminator inside
  key[L"Multi"] = RegistryValue{REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0}};
  full.driverKey = key;
  full.driverFiles = {L"/lib/modules/x/kernel/drivers/ata/ahci.ko"};
  full.behaviour.fail["SetupDiCallClassInstaller"] = 5;
  m.deviceInstances.push_back(full);
  m.portInterfaces.push_back(PortInterface{L"\\\\?\\pci#a", full.id, 200, {}});
  m.portInterfaces.push_back(PortInterface{L"\\\\?\\root#b", bare.id, std::nullopt, {}});
  m.deviceManager.fail["SetupDiEnumDeviceInterfaces"] = 31;

  const std::string text = WriteMachine(m);
  const Machine again = ParseMachine(text, "adapter edges");
  ExpectSameMachine(m, again);
  EXPECT_EQ(WriteMachine(again), text);
  // Readable where it can be: bus type names and identifier text.
  EXPECT_NE(text.find("\"busType\": \"nvme\""), std::string::npos);
  EXPECT_NE(text.find("\"text\": \"ATA \""), std::string::npos);
  EXPECT_NE(text.find("\"InfPath\": \"o\""), std::string::npos);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(MachineWriter, SaveReplacesAFileOnlyWithAWholeOne) {
  Machine empty;
  std::string error;
  EXPECT_FALSE(SaveMachineFile(empty, "/nonexistent-dir/x.json", error));
  EXPECT_NE(error.find("/nonexistent-dir/x.json"), std::string::npos);

  const std::string path = ::testing::TempDir() + "machine-writer.json";
  std::remove(path.c_str());
  ASSERT_TRUE(SaveMachineFile(empty, path, error)) << error;
  EXPECT_EQ(LoadMachineFile(path).drives.size(), 0u);
  // Saved over, the file holds the new machine, and nothing is left beside it.
  Machine one;
  one.drives.emplace_back().number = 3;
  ASSERT_TRUE(SaveMachineFile(one, path, error)) << error;
  EXPECT_TRUE(FileText(path) == WriteMachine(one)) << "the file holds the machine saved last";
  EXPECT_FALSE(std::ifstream(path + ".part").good());

#ifndef _WIN32
  // A write cut short, as on a full disk: the file that was there stays
  // whole, and neither the part written nor half a new file is left.
  const std::string before = FileText(path);
  Machine many;
  for (DWORD i = 0; i < 200; ++i) many.drives.emplace_back().number = i;
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{4096, limit.rlim_max};
  void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string fresh = path + "-new";
  std::remove(fresh.c_str());
  const bool saved = SaveMachineFile(many, path, error);
  const bool savedFresh = SaveMachineFile(many, fresh, error);
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved);
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_TRUE(FileText(path) == before) << "the file that was there changed";
  EXPECT_FALSE(std::ifstream(path + ".part").good());
  EXPECT_FALSE(savedFresh);
  EXPECT_FALSE(std::ifstream(fresh).good()) << "half a new file was left";

  // What is no regular file is written to as it is.
  EXPECT_TRUE(SaveMachineFile(one, "/dev/null", error)) << error;
#endif
  std::remove(path.c_str());
}

}  // namespace
