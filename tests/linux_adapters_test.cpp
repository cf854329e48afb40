// The adapters, devices and device-manager text the Linux collector reads
// from the fake laptop and server, checked on what the real scan makes of
// them (as the json command prints it) and on the collected machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <nlohmann/json.hpp>

#include "app/common/console_prompt.h"
#include "ui/text/model_json.h"
#include "platform/linux/linux_collector.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"
#include "tests/support/linux_fake_system.h"

namespace {

using nlohmann::json;

struct ScannedTree {
  explicit ScannedTree(const std::string& tree, const std::function<void(const std::string&)>& change = nullptr)
      : sys(tree), files(sys.root()) {
    if (change) change(sys.root());
    m = linuxsys::CollectMachine(files);
    platform = std::make_unique<RecordedPlatform>(machine::Machine(m));
    doc = std::make_unique<CQuelbrinDoc>(*platform, prompt, nullptr);
    ok = doc->InitialScan();
    model = BuildModelJson(*doc);
  }
  // The scanned adapter of that name.
  json Adapter(const std::string& name) const {
    for (const json& a : model["adapters"]["children"]) {
      if (a["name"] == name) return a;
    }
    return nullptr;
  }
  const machine::Port* Port(BYTE number) const { return m.FindPort(number); }
  const machine::Drive& DriveNamed(const std::string& volumeOnIt) const {
    return *m.FindDrive(m.FindVolume(volumeOnIt)->extents.at(0).disk);
  }

  fake::FakeSystem sys;
  linuxsys::SystemFiles files;
  machine::Machine m;
  ConsolePrompt prompt;
  std::unique_ptr<RecordedPlatform> platform;
  std::unique_ptr<CQuelbrinDoc> doc;
  bool ok = false;
  json model;
};

std::vector<std::string> Strings(const json& list) {
  std::vector<std::string> out;
  for (const json& s : list) out.push_back(s.get<std::string>());
  return out;
}

TEST(LinuxAdaptersLaptop, NvmeControllerIsAPortWithTheTranslatedInquiry) {
  ScannedTree s("laptop");
  ASSERT_TRUE(s.ok);
  // SCSI hosts keep their numbers (the USB stick's host6); the NVMe controller comes next.
  const json nvme = s.Adapter("Scsi7");
  ASSERT_FALSE(nvme.is_null()) << s.model["adapters"].dump(1);
  EXPECT_EQ(nvme["portDeviceName"], "/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0");
  EXPECT_EQ(nvme["numberOfBuses"], 1);
  EXPECT_EQ(nvme["adapterDescriptor"]["busType"], BusTypeNvme);
  EXPECT_EQ(nvme["adapterDescriptor"]["maximumTransferLength"], 128 * 1024);
  EXPECT_EQ(nvme["adapterDescriptor"]["maximumPhysicalPages"], 127);
  EXPECT_EQ(nvme["adapterDescriptor"]["alignmentMask"], 3);
  EXPECT_EQ(nvme["adapterDescriptor"]["commandQueueing"], true);
  EXPECT_EQ(nvme["scsiCapabilities"]["maximumTransferLength"], 128 * 1024);
  EXPECT_EQ(nvme["scsiCapabilities"]["taggedQueuing"], true);

  ASSERT_EQ(nvme["devices"].size(), 1u);
  const json& device = nvme["devices"][0];
  EXPECT_EQ(device["name"], "Bus0,Target0,Lun0");  // namespace 1 at logical unit 0
  EXPECT_EQ(device["inquiry"]["vendorId"], "NVMe    ");
  EXPECT_EQ(device["inquiry"]["productId"], "Samsung SSD 970 ");  // the model's first 16 characters
  EXPECT_EQ(device["inquiry"]["productRevision"], "EXM7");         // the firmware's last four
  EXPECT_EQ(device["deviceDescriptor"]["serialNumber"], "S4EVNX0N123456A");
  EXPECT_EQ(device["deviceDescriptor"]["commandQueueing"], true);
  EXPECT_EQ(device["deviceDescriptor"]["busType"], BusTypeNvme);
  // The EUI-64; the all-zero NGUID is no identifier.
  const json& ids = device["deviceIdDescriptor"]["identifiers"];
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_EQ(ids[0]["type"], StorageIdTypeEUI64);
  EXPECT_EQ(ids[0]["codeSet"], StorageIdCodeSetBinary);
  EXPECT_EQ(ids[0]["identifier"], "00 25 38 5b 91 b0 12 34");

  ASSERT_EQ(nvme["hasDeviceManagerInfo"], true);
  const json& dm = nvme["deviceManagerInfo"];
  EXPECT_EQ(Strings(dm["hardwareIds"]),
            (std::vector<std::string>{"PCI\\VEN_144D&DEV_A808&SUBSYS_A801144D&REV_00", "PCI\\VEN_144D&DEV_A808&SUBSYS_A801144D",
                                      "PCI\\VEN_144D&DEV_A808&CC_010802", "PCI\\VEN_144D&DEV_A808&CC_0108"}));
  EXPECT_EQ(Strings(dm["compatibleIds"]),
            (std::vector<std::string>{"PCI\\VEN_144D&DEV_A808&REV_00", "PCI\\VEN_144D&DEV_A808", "PCI\\VEN_144D&CC_010802",
                                      "PCI\\VEN_144D&CC_0108", "PCI\\VEN_144D", "PCI\\CC_010802", "PCI\\CC_0108"}));
  // Message-signalled interrupts in numeric order, after the memory range.
  EXPECT_EQ(Strings(dm["hardwareResources"]),
            (std::vector<std::string>{"MEM : a4000000-a4003fff", "IRQ : 98", "IRQ : 99", "IRQ : 130"}));
  EXPECT_EQ(Strings(dm["driverNodes"]),
            (std::vector<std::string>{"DriverNode 0", "Inf file is /lib/modules/6.1.0-test/modules.alias",
                                      "Inf section is nvme", "Driver description is nvme",
                                      "Manufacturer name is Samsung Electronics Co Ltd", "Provider name is Linux",
                                      "Driver node rank is 0", "Driver node flags are 00140000"}));
  // The loaded module's file first, then the modules it needs.
  EXPECT_EQ(Strings(dm["driverFiles"]),
            (std::vector<std::string>{"/lib/modules/6.1.0-test/kernel/drivers/nvme/host/nvme.ko.xz",
                                      "/lib/modules/6.1.0-test/kernel/drivers/nvme/host/nvme-core.ko.xz"}));
}

TEST(LinuxAdaptersLaptop, UsbStickAndLoopDevice) {
  ScannedTree s("laptop");
  ASSERT_TRUE(s.ok);
  const json usb = s.Adapter("UsbStorage");
  ASSERT_FALSE(usb.is_null());
  EXPECT_EQ(usb["adapterDescriptor"]["busType"], BusTypeUsb);
  EXPECT_EQ(usb["hasDeviceManagerInfo"], false);  // a pseudo-adapter has no buses to match
  ASSERT_EQ(usb["devices"].size(), 1u);
  const json& stick = usb["devices"][0];
  EXPECT_EQ(stick["name"], "Usb Disk");
  EXPECT_EQ(stick["deviceDescriptor"]["vendorId"], "SanDisk ");
  EXPECT_EQ(stick["deviceDescriptor"]["productId"], "Ultra Fit       ");
  EXPECT_EQ(stick["deviceDescriptor"]["productRevision"], "1.00");
  // Without a serial number page, the USB device's own serial number.
  EXPECT_EQ(stick["deviceDescriptor"]["serialNumber"], "4C530001230915116352");
  EXPECT_EQ(stick["deviceDescriptor"]["removableMedia"], true);

  // The stick's host is still a port of the machine, with its USB interface described.
  const machine::Port* host = s.Port(6);
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(host->buses.size(), 1u);
  ASSERT_EQ(host->buses[0].units.size(), 1u);
  EXPECT_EQ(host->buses[0].units[0].inquiry[1], 0x80) << "removable, as the block device says";
  const machine::DeviceInstance* instance = s.m.FindInstance("USB\\VID_0781&PID_5583\\2-1:1.0");
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(*instance->hardwareIds, (std::vector<std::wstring>{L"USB\\VID_0781&PID_5583&REV_0100", L"USB\\VID_0781&PID_5583"}));
  EXPECT_EQ(*instance->compatibleIds, (std::vector<std::wstring>{L"USB\\Class_08&SubClass_06&Prot_50",
                                                                  L"USB\\Class_08&SubClass_06", L"USB\\Class_08"}));
  EXPECT_EQ(instance->manufacturer, L"SanDisk");
  ASSERT_EQ(instance->driverNodes.size(), 1u);
  EXPECT_EQ(instance->driverNodes[0].description, L"usb-storage");
  EXPECT_EQ(instance->driverNodes[0].section, L"usb_storage");
  EXPECT_EQ(instance->driverFiles.front(), L"/lib/modules/6.1.0-test/kernel/drivers/usb/storage/usb-storage.ko.xz");

  // The mounted loop device sits on a port of its own kind, without a controller.
  const json loop = s.Adapter("Scsi8");
  ASSERT_FALSE(loop.is_null());
  EXPECT_EQ(loop["adapterDescriptor"]["busType"], BusTypeFileBackedVirtual);
  EXPECT_EQ(loop["portDeviceName"], "/sys/devices/virtual/block");
  EXPECT_EQ(loop["devices"][0]["deviceDescriptor"]["productId"], "loop            ");
  EXPECT_EQ(loop["hasDeviceManagerInfo"], false);
}

TEST(LinuxAdaptersServer, SataHostsWithInquiryAndDeviceIdentification) {
  ScannedTree s("server");
  ASSERT_TRUE(s.ok);
  const json host0 = s.Adapter("Scsi0");
  ASSERT_FALSE(host0.is_null());
  EXPECT_EQ(host0["portDeviceName"], "/sys/devices/pci0000:00/0000:00:1f.2/ata1/host0");
  EXPECT_EQ(host0["adapterDescriptor"]["busType"], BusTypeSata);
  EXPECT_EQ(host0["adapterDescriptor"]["maximumTransferLength"], 32767 * 1024);
  EXPECT_EQ(host0["adapterDescriptor"]["maximumPhysicalPages"], 168);
  EXPECT_EQ(host0["adapterDescriptor"]["commandQueueing"], true);  // can_queue 32
  const json& sda = host0["devices"][0];
  EXPECT_EQ(sda["name"], "Bus0,Target0,Lun0");
  // The device's own INQUIRY answer, kept to its first 56 bytes.
  EXPECT_EQ(sda["inquiry"]["inquiryDataLength"], 56);
  EXPECT_EQ(sda["inquiry"]["vendorId"], "ATA     ");
  EXPECT_EQ(sda["inquiry"]["productId"], "Samsung SSD 860 ");
  EXPECT_EQ(sda["inquiry"]["productRevision"], "2B6Q");
  EXPECT_EQ(sda["deviceDescriptor"]["productId"], "Samsung SSD 860 ");
  EXPECT_EQ(sda["deviceDescriptor"]["serialNumber"], "S3Z9NB0K123456A");  // from VPD page 0x80
  const json& ids = sda["deviceIdDescriptor"]["identifiers"];
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0]["type"], StorageIdTypeFCPHName);  // NAA
  EXPECT_EQ(ids[0]["identifier"], "50 02 53 8e 40 12 34 56");
  EXPECT_EQ(ids[1]["type"], StorageIdTypeVendorId);
  EXPECT_EQ(ids[1]["codeSet"], StorageIdCodeSetAscii);
  EXPECT_EQ(ids[1]["text"], "ATA     Samsung SSD 860 EVO 500GB                 S3Z9NB0K123456A     ");

  // A unit without an INQUIRY attribute: built from vendor, model and revision.
  const json host3 = s.Adapter("Scsi3");
  ASSERT_FALSE(host3.is_null());
  EXPECT_EQ(host3["devices"][0]["inquiry"]["productId"], "ST3160815AS     ");
  EXPECT_EQ(host3["devices"][0]["inquiry"]["inquiryDataLength"], 36);

  // One AHCI controller drives the six hosts: each gets its text, found through
  // the interface that answers as the first host.
  for (int h = 0; h < 6; ++h) {
    const json a = s.Adapter("Scsi" + std::to_string(h));
    ASSERT_FALSE(a.is_null()) << h;
    ASSERT_EQ(a["hasDeviceManagerInfo"], true) << h;
    EXPECT_EQ(Strings(a["deviceManagerInfo"]["hardwareResources"]),
              (std::vector<std::string>{"MEM : febd1000-febd1fff", "IO  : c040-c05f", "IRQ : 27"}));
    // A driver built into the kernel has no file of its own.
    EXPECT_TRUE(a["deviceManagerInfo"]["driverFiles"].empty());
    EXPECT_EQ(a["deviceManagerInfo"]["driverNodes"][1], "Inf file is /lib/modules/6.1.0-18-amd64/modules.builtin");
  }
}

TEST(LinuxAdaptersServer, VirtioDiskAndAControllerWithoutDisks) {
  ScannedTree s("server");
  ASSERT_TRUE(s.ok);
  const machine::Drive& vdb = s.DriveNamed("vdb");
  ASSERT_TRUE(vdb.placed);
  const machine::Port* port = s.Port(vdb.placement.port);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->number, 8) << "after the highest SCSI host, host7";
  EXPECT_EQ(port->descriptor->BusType, BusTypeVirtual);
  // 2147483647 KiB does not fit the record: the largest value it holds.
  EXPECT_EQ(port->descriptor->MaximumTransferLength, 0xFFFFFFFFu);
  EXPECT_EQ(vdb.device.vendor, "0x1af4  ");
  EXPECT_EQ(vdb.device.serial, "SRV-DATA-01");

  const json virtio = s.Adapter("Scsi8");
  ASSERT_FALSE(virtio.is_null());
  ASSERT_EQ(virtio["hasDeviceManagerInfo"], true);
  // The driver bound nearest the disk (virtio_blk), not the PCI transport's.
  EXPECT_EQ(virtio["deviceManagerInfo"]["driverNodes"][3], "Driver description is virtio_blk");
  EXPECT_EQ(Strings(virtio["deviceManagerInfo"]["driverFiles"]),
            std::vector<std::string>{"/lib/modules/6.1.0-18-amd64/kernel/drivers/block/virtio_blk.ko"});
  EXPECT_EQ(Strings(virtio["deviceManagerInfo"]["hardwareResources"]),
            (std::vector<std::string>{"MEM : febd2000-febd2fff", "IO  : c000-c03f", "IRQ : 11"}));

  // The SAS adapter holds only an enclosure: a port of the machine with its unit, which no drive reaches.
  const machine::Port* sas = s.Port(7);
  ASSERT_NE(sas, nullptr);
  EXPECT_EQ(sas->descriptor->BusType, BusTypeSas);
  EXPECT_EQ(sas->descriptor->MaximumTransferLength, 0u) << "no disk, no request queue";
  ASSERT_EQ(sas->buses.size(), 1u);
  ASSERT_EQ(sas->buses[0].units.size(), 1u);
  EXPECT_EQ(sas->buses[0].units[0].target, 4);
  EXPECT_FALSE(sas->buses[0].units[0].claimed);
  EXPECT_EQ(sas->buses[0].units[0].inquiry[0], 13) << "enclosure services";
  EXPECT_TRUE(s.Adapter("Scsi7").is_null());
  const machine::DeviceInstance* hba = s.m.FindInstance("PCI\\VEN_1000&DEV_0097&SUBSYS_30901000&REV_02\\0000:03:00.0");
  ASSERT_NE(hba, nullptr);
  EXPECT_EQ(hba->driverFiles.size(), 3u);

  // Interface n belongs to device instance n, each answering as its controller's first port.
  ASSERT_EQ(s.m.portInterfaces.size(), s.m.deviceInstances.size());
  for (std::size_t i = 0; i < s.m.portInterfaces.size(); ++i) {
    EXPECT_EQ(s.m.portInterfaces[i].instance, s.m.deviceInstances[i].id);
    ASSERT_TRUE(s.m.portInterfaces[i].port.has_value());
    EXPECT_NE(s.Port(*s.m.portInterfaces[i].port), nullptr);
  }
  EXPECT_EQ(s.m.portInterfaces[0].port, 0);
}

void Write(const std::string& path, const std::string& text, bool append = false) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, append ? std::ios::app : std::ios::trunc) << text;
}

TEST(LinuxAdaptersServer, TwoLikeControllersEachKeepTheirOwnText) {
  // A second virtio disk on a controller of its own, alike but for its interrupt.
  ScannedTree s("server", [](const std::string& root) {
    namespace fs = std::filesystem;
    const std::string first = root + "/sys/devices/pci0000:00/0000:00:05.0";
    const std::string second = root + "/sys/devices/pci0000:00/0000:00:06.0";
    fs::copy(first, second, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    Write(second + "/irq", "12\n");
    const std::string disk = second + "/virtio3/block/vdc";
    fs::rename(second + "/virtio3/block/vdb", disk);
    Write(disk + "/dev", "254:32\n");
    Write(disk + "/vdc1/partition", "1\n");
    Write(disk + "/vdc1/start", "2048\n");
    Write(disk + "/vdc1/size", "4096\n");
    Write(disk + "/vdc1/dev", "254:33\n");
    fs::create_symlink("../devices/pci0000:00/0000:00:06.0/virtio3/block/vdc", root + "/sys/block/vdc");
    Write(root + "/proc/self/mountinfo", "27 20 254:33 / /data2 rw,relatime - ext4 /dev/vdc1 rw\n", true);
  });
  ASSERT_TRUE(s.ok);
  std::vector<std::string> resources;
  for (const char* name : {"Scsi8", "Scsi9"}) {
    const json a = s.Adapter(name);
    ASSERT_FALSE(a.is_null()) << name;
    ASSERT_EQ(a["hasDeviceManagerInfo"], true) << name;
    resources.push_back(a["deviceManagerInfo"]["hardwareResources"].back().get<std::string>());
  }
  EXPECT_EQ(resources, (std::vector<std::string>{"IRQ : 11", "IRQ : 12"}));
  // The first virtio disk keeps the first target; the second stands at the next.
  EXPECT_EQ(s.Adapter("Scsi8")["devices"][0]["name"], "Bus0,Target0,Lun0");
  EXPECT_EQ(s.Adapter("Scsi9")["devices"][0]["name"], "Bus0,Target1,Lun0");
}

}  // namespace
