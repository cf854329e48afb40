#include "platform/linux/storage_ports.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "platform/linux/scsi_inquiry.h"
#include "platform/linux/sysfs_paths.h"
#include "platform/wide_text.h"

namespace linuxsys {
namespace {

// What "ScsiN:" refers to must fit the 256 characters the scan asks into.
constexpr std::size_t kLongestPortName = 250;
constexpr BYTE kNoInitiator = 0xFF;
constexpr std::size_t kMaxListed = 0xFF;  // buses on a port, units on a bus
constexpr BYTE kNvmeInquiryVersion = 6;  // SPC-4, as the NVMe translation reports

enum class PortKind { ScsiHost, Nvme, Virtio, Mmc, Other, Virtual };

struct Unit {
  BYTE bus = 0;
  BYTE target = 0;
  BYTE lun = 0;
  bool claimed = true;
  bool inquiryBuilt = false;  // made from attributes, not read from the device
  std::vector<BYTE> inquiry;
  std::string deviceDir;              // SCSI: the "H:C:T:L" directory
  std::optional<std::size_t> drive;  // index into the drives
};

struct PortPlan {
  PortKind kind = PortKind::Other;
  std::string sysPath;  // the host, controller or device; the group's name for virtual devices
  std::optional<unsigned long> host;
  std::vector<Unit> units;
  std::vector<std::size_t> drives;  // not SCSI: the drives, in drive order
  std::optional<BYTE> number;
};

using KernelNameOrder = bool (*)(const std::string&, const std::string&);

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The leading letters of a kernel name: "loop" of "loop12".
std::string Letters(const std::string& name) {
  std::size_t n = 0;
  while (n < name.size() && std::isalpha(static_cast<unsigned char>(name[n]))) ++n;
  return n > 0 ? name.substr(0, n) : std::string("block");
}

DWORD Clamp32(std::uint64_t v) { return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(v); }

class PortCollector {
 public:
  PortCollector(SystemFiles& files, std::vector<machine::Drive>& drives, const std::vector<const BlockDevice*>& devices)
      : files_(files), drives_(drives), devices_(devices), others_(KernelNameLess) {}

  StoragePorts Run() {
    ListScsiDevices();
    for (std::size_t i = 0; i < drives_.size() && i < devices_.size(); ++i) PlaceDrive(i);
    for (auto& [path, plan] : others_) BuildUnits(plan);
    for (auto& [group, plan] : virtual_) BuildUnits(plan);
    NumberPorts();
    StoragePorts out;
    std::vector<PortPlan*> plans;
    for (auto& [host, plan] : hosts_) {
      if (!plan.units.empty()) plans.push_back(&plan);
    }
    for (auto& [path, plan] : others_) plans.push_back(&plan);
    for (auto& [group, plan] : virtual_) plans.push_back(&plan);
    std::sort(plans.begin(), plans.end(), [](const PortPlan* a, const PortPlan* b) {
      return a->number.value_or(0) < b->number.value_or(0);
    });
    for (PortPlan* plan : plans) {
      if (!plan->number) continue;
      out.ports.push_back(MakePort(*plan));
      PlaceUnits(*plan);
      if (plan->kind != PortKind::Virtual) AddController(*plan, out.controllers);
    }
    return out;
  }

 private:
  // ---- SCSI hosts and their logical units ------------------------------

  std::string HostAttribute(const PortPlan& host, const char* name) {
    const std::string hostName = "host" + std::to_string(*host.host);
    return host.sysPath + "/scsi_host/" + hostName + "/" + name;
  }

  void ListScsiDevices() {
    for (const std::string& entry : files_.List("/sys/bus/scsi/devices")) {
      if (auto host = NumberAfter(entry, "host")) {
        allHosts_.insert(*host);
      } else if (auto address = ParseScsiAddress(entry)) {
        AddScsiUnit(*address, ResolveLink(files_, "/sys/bus/scsi/devices/" + entry));
      }
    }
  }

  // Adds the unit at `dir` to its host, or finds it there; none when it cannot be addressed.
  Unit* AddScsiUnit(const std::array<unsigned long, 4>& address, const std::string& dir) {
    const std::string hostName = "host" + std::to_string(address[0]);
    std::string hostDir = dir;
    while (hostDir.size() > 1 && BaseName(hostDir) != hostName) hostDir = std::string(DirName(hostDir));
    if (hostDir.size() <= 1) return nullptr;
    allHosts_.insert(address[0]);
    // The platform's addresses hold a byte each, and a port lists at most 255
    // buses of at most 255 units.
    if (address[1] >= kMaxListed || address[2] > 0xFF || address[3] > 0xFF) return nullptr;
    PortPlan& host = hosts_[address[0]];
    host.kind = PortKind::ScsiHost;
    host.sysPath = hostDir;
    host.host = address[0];
    std::size_t onBus = 0;
    for (Unit& u : host.units) {
      if (u.bus == address[1] && u.target == address[2] && u.lun == address[3]) return &u;
      if (u.bus == address[1]) ++onBus;
    }
    if (onBus >= kMaxListed) return nullptr;
    Unit u;
    u.bus = static_cast<BYTE>(address[1]);
    u.target = static_cast<BYTE>(address[2]);
    u.lun = static_cast<BYTE>(address[3]);
    u.deviceDir = dir;
    u.claimed = files_.Exists(dir + "/driver");
    // The device's own INQUIRY answer where the kernel keeps it, else one made from its parts.
    if (auto raw = files_.ReadFile(dir + "/inquiry", 4096); raw && raw->size() >= 36) {
      const std::size_t kept = std::min(raw->size(), kInquiryKept);
      u.inquiry.assign(raw->begin(), raw->begin() + static_cast<std::ptrdiff_t>(kept));
    } else {
      InquiryFields f;
      f.deviceType = static_cast<BYTE>(std::min<std::uint64_t>(files_.ReadNumber(dir + "/type").value_or(0), 0x1F));
      f.vendor = files_.ReadAttribute(dir + "/vendor").value_or("");
      f.product = files_.ReadAttribute(dir + "/model").value_or("");
      f.revision = files_.ReadAttribute(dir + "/rev").value_or("");
      u.inquiry = StandardInquiry(f);
      u.inquiryBuilt = true;
    }
    host.units.push_back(std::move(u));
    return &host.units.back();
  }

  // ---- where each drive sits -------------------------------------------

  PortPlan& Other(PortKind kind, const std::string& sysPath) {
    PortPlan& plan = others_[sysPath];
    plan.kind = kind;
    plan.sysPath = sysPath;
    return plan;
  }

  void PlaceDrive(std::size_t i) {
    const BlockDevice& d = *devices_[i];
    const std::string blockPath = ResolveLink(files_, "/sys/block/" + d.name);
    if (d.kind == BlockKind::Virtual || !StartsWith(blockPath, "/sys/devices/")) {
      const std::string group = d.kind == BlockKind::Virtual ? Letters(d.name) : std::string("block");
      PortPlan& plan = virtual_[group];
      plan.kind = PortKind::Virtual;
      plan.sysPath = group;
      plan.drives.push_back(i);
      return;
    }
    const std::string parent(DirName(blockPath));
    const std::string deviceDir = BaseName(parent) == "block" ? std::string(DirName(parent)) : parent;
    deviceDirs_[i] = deviceDir;
    const std::string name(BaseName(deviceDir));
    if (auto address = ParseScsiAddress(name)) {
      if (Unit* u = AddScsiUnit(*address, deviceDir); u != nullptr && !u->drive) {
        u->drive = i;
        if (u->inquiryBuilt && d.removable) u->inquiry[1] |= 0x80;
        return;
      }
    } else if (NumberAfter(name, "nvme") && BaseName(DirName(deviceDir)) == "nvme") {
      Other(PortKind::Nvme, deviceDir).drives.push_back(i);
      return;
    } else if (StartsWith(deviceDir, "/sys/devices/virtual/nvme-subsystem/")) {
      // A namespace shared by several controllers: the first controller serves it.
      for (const std::string& entry : files_.List(deviceDir)) {
        if (!NumberAfter(entry, "nvme")) continue;
        const std::string controller = ResolveLink(files_, deviceDir + "/" + entry);
        if (StartsWith(controller, "/sys/devices/") && !StartsWith(controller, "/sys/devices/virtual/")) {
          Other(PortKind::Nvme, controller).drives.push_back(i);
          return;
        }
      }
    } else if (NumberAfter(name, "virtio")) {
      Other(PortKind::Virtio, deviceDir).drives.push_back(i);
      return;
    } else if (const std::string host(DirName(deviceDir));
               NumberAfter(BaseName(host), "mmc") && BaseName(DirName(host)) == "mmc_host") {
      Other(PortKind::Mmc, host).drives.push_back(i);
      return;
    }
    Other(PortKind::Other, deviceDir).drives.push_back(i);
  }

  // Units of a port that is no SCSI host: one per drive, at bus 0. Disks of one
  // kind stand at targets of their own across the machine: a storage-port
  // interface names its port's disks only by address, and two NVMe or virtio
  // controllers with their disks at one address would each match the other's
  // adapter and lend it their device manager's text.
  void BuildUnits(PortPlan& plan) {
    unsigned& next = nextTarget_[plan.kind];
    const auto target = [](unsigned n) { return static_cast<BYTE>(std::min(n, 0xFFu)); };
    const BYTE controllerTarget = target(next);
    if (plan.kind == PortKind::Nvme) ++next;
    std::set<std::pair<BYTE, BYTE>> used;
    for (std::size_t i : plan.drives) {
      if (plan.units.size() >= kMaxListed) break;  // the rest stay unplaced
      const BlockDevice& d = *devices_[i];
      Unit u;
      u.drive = i;
      u.inquiryBuilt = true;
      std::optional<BYTE> lun;
      if (plan.kind == PortKind::Nvme) {
        // Namespace n answers at logical unit n - 1, as the platform's NVMe driver places it.
        u.target = controllerTarget;
        std::optional<std::uint64_t> nsid = files_.ReadNumber(d.sysPath + "/nsid");
        if (!nsid) {
          const std::size_t n = d.name.rfind('n');
          if (n != std::string::npos) nsid = NumberAfter(std::string_view(d.name).substr(n), "n");
        }
        if (nsid && *nsid >= 1 && *nsid <= 0x100 && used.count({u.target, static_cast<BYTE>(*nsid - 1)}) == 0)
          lun = static_cast<BYTE>(*nsid - 1);
      } else {
        u.target = target(next++);
        if (used.count({u.target, 0}) == 0) lun = 0;
      }
      for (unsigned l = 0; l <= 0xFF && !lun; ++l) {
        if (used.count({u.target, static_cast<BYTE>(l)}) == 0) lun = static_cast<BYTE>(l);
      }
      if (!lun) continue;  // no address left
      u.lun = *lun;
      used.insert({u.target, u.lun});
      u.inquiry = StandardInquiry(BuiltInquiry(plan, d, deviceDirs_[i]));
      plan.units.push_back(std::move(u));
    }
  }

  // The standard INQUIRY data the platform's own drivers report for a disk
  // that is not on a SCSI bus.
  InquiryFields BuiltInquiry(const PortPlan& plan, const BlockDevice& d, const std::string& deviceDir) {
    InquiryFields f;
    f.removable = d.removable;
    switch (plan.kind) {
      case PortKind::Nvme:
        f.vendor = "NVMe";
        f.product = files_.ReadAttribute(plan.sysPath + "/model").value_or("");
        f.revision = NvmeRevision(files_.ReadAttribute(plan.sysPath + "/firmware_rev").value_or(""));
        f.version = kNvmeInquiryVersion;
        f.commandQueueing = true;
        break;
      case PortKind::Virtual:
        f.vendor = "Linux";
        f.product = plan.sysPath;
        break;
      case PortKind::Virtio:
        // A virtio device knows its vendor id and nothing more of the kind.
        f.vendor = files_.ReadAttribute(deviceDir + "/vendor").value_or("");
        f.commandQueueing = true;
        break;
      case PortKind::Mmc:
        f.product = files_.ReadAttribute(deviceDir + "/name").value_or("");
        f.revision = files_.ReadAttribute(deviceDir + "/fwrev").value_or("");
        break;
      default:
        f.vendor = files_.ReadAttribute(deviceDir + "/vendor").value_or("");
        f.product = files_.ReadAttribute(deviceDir + "/model").value_or("");
        f.revision = files_.ReadAttribute(deviceDir + "/rev").value_or("");
        break;
    }
    return f;
  }

  // ---- port numbers ----------------------------------------------------

  // SCSI hosts keep their numbers; every other port takes the next free
  // number above the hosts, so that a new controller does not renumber them.
  void NumberPorts() {
    unsigned floor = 0;
    for (unsigned long h : allHosts_) {
      if (h <= 0xFF) floor = std::max(floor, static_cast<unsigned>(h) + 1);
    }
    std::vector<PortPlan*> later;
    for (auto& [host, plan] : hosts_) {
      if (plan.units.empty()) continue;
      if (host <= 0xFF && !used_[host]) {
        plan.number = static_cast<BYTE>(host);
        used_[host] = true;
      } else {
        later.push_back(&plan);
      }
    }
    for (auto& [path, plan] : others_) later.push_back(&plan);
    for (auto& [group, plan] : virtual_) later.push_back(&plan);
    for (PortPlan* plan : later) {
      for (unsigned n = 0; n <= 0xFF && !plan->number; ++n) {
        const unsigned candidate = (floor + n) & 0xFF;
        if (!used_[candidate]) {
          plan->number = static_cast<BYTE>(candidate);
          used_[candidate] = true;
        }
      }
    }
  }

  // ---- the port and its drives -----------------------------------------

  STORAGE_BUS_TYPE ScsiBusType(const PortPlan& host) {
    std::vector<std::string> names;
    for (std::string_view a = DirName(host.sysPath); a.size() > 1; a = DirName(a)) names.emplace_back(BaseName(a));
    // What stands between the host and its first unit: SAS ports, FC remote ports, iSCSI sessions.
    if (!host.units.empty()) {
      const std::string& dir = host.units.front().deviceDir;
      for (std::string_view a = DirName(dir); a.size() > host.sysPath.size(); a = DirName(a)) names.emplace_back(BaseName(a));
    }
    const std::string proc = files_.ReadAttribute(HostAttribute(host, "proc_name")).value_or("");
    for (const std::string& n : names) {
      if (IsUsbInterface(n)) return BusTypeUsb;
    }
    if (proc == "usb-storage" || proc == "uas") return BusTypeUsb;
    for (const std::string& n : names) {
      if (StartsWith(n, "fw") && n.size() > 2 && std::isdigit(static_cast<unsigned char>(n[2]))) return BusType1394;
    }
    if (proc == "sbp2") return BusType1394;
    for (const std::string& n : names) {
      if (NumberAfter(n, "ata")) return StartsWith(proc, "pata_") ? BusTypeAta : BusTypeSata;
      if (StartsWith(n, "end_device-") || StartsWith(n, "expander-") || StartsWith(n, "port-")) return BusTypeSas;
      if (StartsWith(n, "rport-")) return BusTypeFibre;
      if (NumberAfter(n, "session")) return BusTypeiScsi;
    }
    static const char* const kRaid[] = {"megaraid_sas", "hpsa", "smartpqi", "aacraid", "3w-9xxx", "3w-sas", "arcmsr"};
    for (const char* r : kRaid) {
      if (proc == r) return BusTypeRAID;
    }
    static const char* const kSas[] = {"mpt2sas", "mpt3sas", "mpi3mr", "hisi_sas", "pm80xx", "isci", "mvsas"};
    for (const char* s : kSas) {
      if (proc == s) return BusTypeSas;
    }
    if (StartsWith(proc, "iscsi")) return BusTypeiScsi;
    return BusTypeScsi;
  }

  STORAGE_BUS_TYPE BusTypeOf(const PortPlan& plan) {
    switch (plan.kind) {
      case PortKind::ScsiHost:
        return ScsiBusType(plan);
      case PortKind::Nvme:
        return BusTypeNvme;
      case PortKind::Virtio:
        return BusTypeVirtual;
      case PortKind::Mmc: {
        // The card's type tells SD from eMMC.
        for (std::size_t i : plan.drives) {
          const std::string type = files_.ReadAttribute(deviceDirs_[i] + "/type").value_or("");
          if (type == "SD" || type == "SDIO") return BusTypeSd;
        }
        return BusTypeMmc;
      }
      case PortKind::Virtual:
        return plan.sysPath == "loop" ? BusTypeFileBackedVirtual : plan.sysPath == "block" ? BusTypeUnknown : BusTypeVirtual;
      case PortKind::Other:
        break;
    }
    return StartsWith(BaseName(plan.sysPath), "vbd-") ? BusTypeVirtual : BusTypeUnknown;
  }

  machine::Port MakePort(const PortPlan& plan) {
    machine::Port p;
    p.number = *plan.number;
    const std::string name = plan.kind == PortKind::Virtual ? "/sys/devices/virtual/block" : plan.sysPath;
    p.deviceName = name.size() <= kLongestPortName ? WideFromUtf8(name) : FormatWide(L"\\Device\\ScsiPort%d", p.number);

    std::vector<const Unit*> units;
    for (const Unit& u : plan.units) units.push_back(&u);
    std::sort(units.begin(), units.end(), [](const Unit* a, const Unit* b) {
      return std::tie(a->bus, a->target, a->lun) < std::tie(b->bus, b->target, b->lun);
    });

    STORAGE_ADAPTER_DESCRIPTOR d{};
    d.Version = sizeof d;
    d.Size = sizeof d;
    // The transfer limits are those of the port's first disk's request queue.
    for (const Unit* u : units) {
      if (!u->drive) continue;
      const std::string queue = devices_[*u->drive]->sysPath + "/queue/";
      auto kib = files_.ReadNumber(queue + "max_hw_sectors_kb");
      if (!kib) kib = files_.ReadNumber(queue + "max_sectors_kb");
      if (!kib) continue;
      d.MaximumTransferLength = Clamp32(*kib > UINT64_MAX / 1024 ? UINT64_MAX : *kib * 1024);
      d.MaximumPhysicalPages = Clamp32(files_.ReadNumber(queue + "max_segments").value_or(0));
      d.AlignmentMask = Clamp32(files_.ReadNumber(queue + "dma_alignment").value_or(0));
      break;
    }
    switch (plan.kind) {
      case PortKind::ScsiHost:
        d.CommandQueueing = files_.ReadNumber(HostAttribute(plan, "can_queue")).value_or(0) > 1;
        break;
      case PortKind::Nvme:
      case PortKind::Virtio:
        d.CommandQueueing = true;
        break;
      default:
        break;
    }
    d.AcceleratedTransfer = plan.kind != PortKind::Virtual;
    d.BusType = static_cast<BYTE>(BusTypeOf(plan));
    p.descriptor = d;

    IO_SCSI_CAPABILITIES& c = p.capabilities;
    c.Length = sizeof c;
    c.MaximumTransferLength = d.MaximumTransferLength;
    c.MaximumPhysicalPages = d.MaximumPhysicalPages;
    c.AlignmentMask = d.AlignmentMask;
    c.TaggedQueuing = d.CommandQueueing;

    BYTE initiator = kNoInitiator;
    if (plan.kind == PortKind::ScsiHost) {
      if (auto id = files_.ReadNumber(HostAttribute(plan, "this_id")); id && *id < kNoInitiator) initiator = static_cast<BYTE>(*id);
    }
    for (const Unit* u : units) {
      if (p.buses.size() <= u->bus) p.buses.resize(u->bus + 1u);
      machine::LogicalUnit lu;
      lu.target = u->target;
      lu.lun = u->lun;
      lu.claimed = u->claimed;
      lu.inquiry = u->inquiry;
      p.buses[u->bus].units.push_back(std::move(lu));
    }
    if (p.buses.empty()) p.buses.resize(1);
    for (machine::Bus& b : p.buses) b.initiator = initiator;
    return p;
  }

  std::optional<std::string> SerialOf(const PortPlan& plan, const Unit& u, const BlockDevice& d) {
    std::optional<std::string> serial;
    switch (plan.kind) {
      case PortKind::ScsiHost:
        if (auto page = files_.ReadFile(u.deviceDir + "/vpd_pg80", 4096)) serial = ParseSerialPage(*page);
        if (!serial) {
          // A USB disk that keeps no serial page is known by its USB device's serial number.
          for (std::string_view a = DirName(plan.sysPath); a.size() > 1 && !serial; a = DirName(a)) {
            if (IsUsbInterface(BaseName(a))) serial = files_.ReadAttribute(std::string(DirName(a)) + "/serial");
          }
        }
        break;
      case PortKind::Nvme:
        serial = files_.ReadAttribute(plan.sysPath + "/serial");
        break;
      case PortKind::Virtual:
        break;
      default:
        serial = files_.ReadAttribute(d.sysPath + "/serial");
        if (!serial || serial->empty()) serial = files_.ReadAttribute(deviceDirs_[*u.drive] + "/serial");
        break;
    }
    if (serial) {
      const std::size_t first = serial->find_first_not_of(' ');
      *serial = first == std::string::npos ? std::string() : Printable(serial->substr(first));
      if (serial->empty()) serial.reset();
    }
    return serial;
  }

  // An NVMe namespace's identifiers: its NGUID and EUI-64 where the
  // controller gives them, else its world-wide name as text.
  std::vector<machine::Identifier> NvmeIdentifiers(const BlockDevice& d) {
    std::vector<machine::Identifier> ids;
    for (const char* attribute : {"nguid", "eui"}) {
      auto bytes = HexDigits(files_.ReadAttribute(d.sysPath + "/" + attribute).value_or(""));
      if (!bytes || std::all_of(bytes->begin(), bytes->end(), [](BYTE b) { return b == 0; })) continue;
      machine::Identifier id;
      id.codeSet = StorageIdCodeSetBinary;
      id.type = StorageIdTypeEUI64;
      id.bytes = std::move(*bytes);
      ids.push_back(std::move(id));
    }
    if (ids.empty()) {
      const std::string wwid = Printable(files_.ReadAttribute(d.sysPath + "/wwid").value_or(""));
      if (!wwid.empty() && wwid.size() <= 0xFF) {
        machine::Identifier id;
        id.codeSet = StorageIdCodeSetUtf8;
        id.type = StorageIdTypeScsiNameString;
        id.bytes.assign(wwid.begin(), wwid.end());
        ids.push_back(std::move(id));
      }
    }
    return ids;
  }

  void PlaceUnits(const PortPlan& plan) {
    for (const Unit& u : plan.units) {
      if (!u.drive) continue;
      machine::Drive& drive = drives_[*u.drive];
      const BlockDevice& d = *devices_[*u.drive];
      drive.placed = true;
      drive.placement = machine::Placement{*plan.number, u.bus, u.target, u.lun};
      // The device descriptor says what the INQUIRY data says.
      machine::DeviceDescription& x = drive.device;
      const std::vector<BYTE>& q = u.inquiry;
      x.deviceType = q.empty() ? BYTE{0} : static_cast<BYTE>(q[0] & 0x1F);
      x.removable = q.size() > 1 ? (q[1] & 0x80) != 0 : d.removable;
      x.commandQueueing = q.size() > 7 && (q[7] & 0x02) != 0;
      if (q.size() > 8) x.vendor = InquiryText(q, 8, 8);
      if (q.size() > 16) x.product = InquiryText(q, 16, 16);
      if (q.size() > 32) x.revision = InquiryText(q, 32, 4);
      x.serial = SerialOf(plan, u, d);
      if (plan.kind == PortKind::ScsiHost) {
        if (auto page = files_.ReadFile(u.deviceDir + "/vpd_pg83", 64 * 1024)) drive.identifiers = ParseIdentificationPage(*page);
      } else if (plan.kind == PortKind::Nvme) {
        drive.identifiers = NvmeIdentifiers(d);
      }
    }
  }

  // ---- the controllers the device manager describes ----------------------

  // The storage controller of a port: the USB interface of a USB disk, else
  // the nearest PCI function, else the port's parent device.
  std::string ControllerOf(const PortPlan& plan) {
    for (std::string_view a = DirName(plan.sysPath); StartsWith(a, "/sys/devices/"); a = DirName(a)) {
      const std::string_view name = BaseName(a);
      if ((plan.kind == PortKind::ScsiHost && IsUsbInterface(name)) || IsPciAddress(name)) return std::string(a);
    }
    for (std::string_view a = DirName(plan.sysPath); StartsWith(a, "/sys/devices/"); a = DirName(a)) {
      const std::string_view name = BaseName(a);
      if (name == "mmc_host" || name == "nvme" || name == "block" || name == "scsi_host") continue;
      if (a == "/sys/devices/platform" || StartsWith(a, "/sys/devices/virtual")) break;
      return std::string(a);
    }
    return {};
  }

  void AddController(const PortPlan& plan, std::vector<PortController>& controllers) {
    const std::string controller = ControllerOf(plan);
    if (controller.empty()) return;
    for (PortController& c : controllers) {
      if (c.sysPath == controller) {
        c.ports.push_back(*plan.number);
        return;
      }
    }
    PortController c;
    c.sysPath = controller;
    c.ports.push_back(*plan.number);
    // The driver that serves the port is the one bound nearest to it on the way up.
    for (std::string_view a = plan.sysPath; a.size() >= controller.size(); a = DirName(a)) {
      if (files_.LinkTarget(std::string(a) + "/driver")) {
        c.driverDevice = std::string(a);
        break;
      }
    }
    controllers.push_back(std::move(c));
  }

  SystemFiles& files_;
  std::vector<machine::Drive>& drives_;
  const std::vector<const BlockDevice*>& devices_;
  std::set<unsigned long> allHosts_;
  std::map<unsigned long, PortPlan> hosts_;
  std::map<std::string, PortPlan, KernelNameOrder> others_;
  std::map<std::string, PortPlan> virtual_;
  std::map<std::size_t, std::string> deviceDirs_;
  std::map<PortKind, unsigned> nextTarget_;
  bool used_[0x100] = {};
};

}  // namespace

StoragePorts CollectStoragePorts(SystemFiles& files, std::vector<machine::Drive>& drives,
                                 const std::vector<const BlockDevice*>& devices) {
  return PortCollector(files, drives, devices).Run();
}

}  // namespace linuxsys
