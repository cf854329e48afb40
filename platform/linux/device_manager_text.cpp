#include "platform/linux/device_manager_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cwctype>
#include <map>

#include "platform/linux/sysfs_paths.h"
#include "platform/linux/udev_database.h"
#include "platform/wide_text.h"

namespace linuxsys {
namespace {

constexpr ULONG kStartedStatus = 0x0180200A;  // driver loaded, started, disableable, NT enumerator and driver
constexpr ULONG kProblemStatus = 0x01802400;  // the same without a driver, with a problem
constexpr ULONG kProblemFailedInstall = 28;   // no driver for the device
constexpr DWORD kInstalledDriver = 0x00040000;
constexpr DWORD kInboxDriver = 0x00100000;
constexpr unsigned long kIoResource = 0x100;
constexpr unsigned long kMemResource = 0x200;
constexpr std::size_t kBaseAddressRegisters = 6;
const wchar_t* const kStoragePortClassSuffix = L"#{2accfe60-c130-11d2-b082-00a0c91efb8b}";

std::optional<std::uint64_t> Hex(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  std::uint64_t v = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<unsigned> HexAttribute(SystemFiles& files, const std::string& path, std::uint64_t max) {
  const auto v = Hex(files.ReadAttribute(path).value_or(""));
  if (!v || *v > max) return std::nullopt;
  return static_cast<unsigned>(*v);
}

// Texts of a driver node are held in fixed records of the platform's.
std::wstring Fit(const std::string& text, std::size_t limit) {
  std::wstring w = WideFromUtf8(text);
  if (w.size() > limit) w.resize(limit);
  return w;
}

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return s;
}

// "usb-storage.ko.zst" and "usb_storage" name one module.
std::string ModuleKey(std::string_view name) {
  std::string key(name.substr(0, name.find(".ko")));
  std::replace(key.begin(), key.end(), '-', '_');
  return key;
}

// The kernel's list of module files and what each depends on, read once.
class ModuleIndex {
 public:
  ModuleIndex(SystemFiles& files, std::string release) : files_(files), release_(std::move(release)) {}

  std::string Directory() const { return release_.empty() ? std::string("/lib/modules") : "/lib/modules/" + release_; }

  // The module's file, then those it needs; empty when not listed.
  std::vector<std::string> FilesOf(const std::string& module) {
    if (!read_) Read();
    auto it = modules_.find(ModuleKey(module));
    return it != modules_.end() ? it->second : std::vector<std::string>{};
  }

 private:
  void Read() {
    read_ = true;
    if (release_.empty()) return;
    const auto text = files_.ReadFile(Directory() + "/modules.dep", 64u << 20);
    if (!text) return;
    std::size_t pos = 0;
    while (pos < text->size()) {
      std::size_t end = text->find('\n', pos);
      if (end == std::string::npos) end = text->size();
      const std::string_view line(text->data() + pos, end - pos);
      pos = end + 1;
      const std::size_t colon = line.find(':');
      if (colon == std::string_view::npos || colon == 0) continue;
      std::vector<std::string> paths;
      auto add = [&](std::string_view relative) {
        if (relative.empty()) return;
        paths.push_back(relative.front() == '/' ? std::string(relative) : Directory() + "/" + std::string(relative));
      };
      add(line.substr(0, colon));
      std::string_view rest = line.substr(colon + 1);
      while (!rest.empty()) {
        const std::size_t blank = rest.find(' ');
        add(rest.substr(0, blank));
        if (blank == std::string_view::npos) break;
        rest.remove_prefix(blank + 1);
      }
      modules_.emplace(ModuleKey(BaseName(line.substr(0, colon))), std::move(paths));
    }
  }

  SystemFiles& files_;
  std::string release_;
  bool read_ = false;
  std::map<std::string, std::vector<std::string>> modules_;
};

struct Identity {
  std::string instanceId;
  std::vector<std::wstring> hardwareIds;
  std::vector<std::wstring> compatibleIds;
  std::string manufacturer;
  std::vector<machine::Resource> resources;
};

std::wstring Id(const wchar_t* format, unsigned a = 0, unsigned b = 0, unsigned c = 0, unsigned d = 0,
                unsigned e = 0) {
  return FormatWide(format, a, b, c, d, e);
}

}  // namespace

std::vector<std::wstring> PciHardwareIds(const PciIds& p) {
  std::vector<std::wstring> ids;
  if (p.subsystemVendor && p.subsystemDevice) {
    if (p.revision)
      ids.push_back(Id(L"PCI\\VEN_%04X&DEV_%04X&SUBSYS_%04X%04X&REV_%02X", p.vendor, p.device, *p.subsystemDevice,
                       *p.subsystemVendor, *p.revision));
    ids.push_back(Id(L"PCI\\VEN_%04X&DEV_%04X&SUBSYS_%04X%04X", p.vendor, p.device, *p.subsystemDevice,
                     *p.subsystemVendor));
  }
  if (p.classCode) {
    ids.push_back(Id(L"PCI\\VEN_%04X&DEV_%04X&CC_%06X", p.vendor, p.device, *p.classCode));
    ids.push_back(Id(L"PCI\\VEN_%04X&DEV_%04X&CC_%04X", p.vendor, p.device, *p.classCode >> 8));
  }
  return ids;
}

std::vector<std::wstring> PciCompatibleIds(const PciIds& p) {
  std::vector<std::wstring> ids;
  if (p.revision) ids.push_back(Id(L"PCI\\VEN_%04X&DEV_%04X&REV_%02X", p.vendor, p.device, *p.revision));
  ids.push_back(Id(L"PCI\\VEN_%04X&DEV_%04X", p.vendor, p.device));
  if (p.classCode) {
    ids.push_back(Id(L"PCI\\VEN_%04X&CC_%06X", p.vendor, *p.classCode));
    ids.push_back(Id(L"PCI\\VEN_%04X&CC_%04X", p.vendor, *p.classCode >> 8));
  }
  ids.push_back(Id(L"PCI\\VEN_%04X", p.vendor));
  if (p.classCode) {
    ids.push_back(Id(L"PCI\\CC_%06X", *p.classCode));
    ids.push_back(Id(L"PCI\\CC_%04X", *p.classCode >> 8));
  }
  return ids;
}

std::vector<machine::Resource> PciRanges(const std::string& table) {
  std::vector<machine::Resource> out;
  std::size_t pos = 0;
  for (std::size_t line = 0; line < kBaseAddressRegisters && pos < table.size(); ++line) {
    std::size_t end = table.find('\n', pos);
    if (end == std::string::npos) end = table.size();
    std::string_view text(table.data() + pos, end - pos);
    pos = end + 1;
    std::optional<std::uint64_t> v[3];
    for (auto& field : v) {
      while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
      const std::size_t blank = text.find(' ');
      field = Hex(text.substr(0, blank));
      text.remove_prefix(blank == std::string_view::npos ? text.size() : blank);
    }
    if (!v[0] || !v[1] || !v[2] || (*v[0] == 0 && *v[1] == 0) || *v[1] < *v[0]) continue;
    machine::Resource r;
    if ((*v[2] & kMemResource) != 0) {
      r.type = ResType_Mem;
    } else if ((*v[2] & kIoResource) != 0) {
      r.type = ResType_IO;
    } else {
      continue;
    }
    r.base = *v[0];
    r.end = *v[1];
    out.push_back(r);
  }
  return out;
}

namespace {

class ControllerDescriber {
 public:
  ControllerDescriber(SystemFiles& files, const std::string& release) : files_(files), modules_(files, release) {}

  std::optional<machine::DeviceInstance> Describe(const PortController& c) {
    std::optional<Identity> identity = IdentityOf(c.sysPath);
    if (!identity) return std::nullopt;
    machine::DeviceInstance d;
    d.id = identity->instanceId;
    d.hardwareIds = identity->hardwareIds;
    d.compatibleIds = identity->compatibleIds;
    d.manufacturer = Fit(identity->manufacturer, LINE_LEN - 1);

    if (c.driverDevice.empty()) {
      // Without a driver the device holds nothing; what the firmware gave it is its boot configuration.
      d.status = kProblemStatus;
      d.problem = kProblemFailedInstall;
      d.boot = identity->resources;
      return d;
    }
    d.status = kStartedStatus;
    d.allocated = identity->resources;

    const std::string driverDir = ResolveLink(files_, c.driverDevice + "/driver");
    const std::string driver(BaseName(driverDir));
    std::string module;
    if (auto link = files_.LinkTarget(driverDir + "/module")) module = std::string(BaseName(*link));
    // A module built into the kernel keeps no load state.
    const bool builtIn = module.empty() || !files_.Exists("/sys/module/" + module + "/initstate");
    const bool inTree =
        builtIn || files_.ReadAttribute("/sys/module/" + module + "/taint").value_or("").find('O') == std::string::npos;

    machine::DriverNode node;
    node.description = Fit(driver, LINE_LEN - 1);
    node.manufacturer = *d.manufacturer;
    node.provider = L"Linux";
    node.infFile = Fit(modules_.Directory() + (builtIn ? "/modules.builtin" : "/modules.alias"), MAX_PATH - 1);
    node.section = Fit(module.empty() ? driver : module, LINE_LEN - 1);
    if (!d.hardwareIds->empty()) node.hardwareId = d.hardwareIds->front();
    node.rank = 0;
    node.flags = kInstalledDriver | (inTree ? kInboxDriver : 0);
    d.driverNodes.push_back(node);
    d.classDriverNodes = d.driverNodes;
    d.driverKey = std::map<std::wstring, machine::RegistryValue>{{L"InfPath", Text(node.infFile)},
                                                                  {L"ProviderName", Text(node.provider)},
                                                                  {L"InfSection", Text(node.section)},
                                                                  {L"DriverDesc", Text(node.description)}};
    if (!builtIn) {
      for (const std::string& file : modules_.FilesOf(module)) d.driverFiles.push_back(WideFromUtf8(file));
    }
    return d;
  }

 private:
  static machine::RegistryValue Text(const std::wstring& text) {
    machine::RegistryValue v;
    v.type = REG_SZ;
    for (char16_t c : Utf16FromWide(text)) {
      v.data.push_back(static_cast<BYTE>(c & 0xFF));
      v.data.push_back(static_cast<BYTE>(c >> 8));
    }
    v.data.push_back(0);
    v.data.push_back(0);
    return v;
  }

  std::optional<Identity> IdentityOf(const std::string& path) {
    const std::string name(BaseName(path));
    if (IsPciAddress(name)) {
      if (auto pci = PciIdentity(path, name)) return pci;
    }
    if (IsUsbInterface(name)) {
      if (auto usb = UsbIdentity(path, name)) return usb;
    }
    // Any other bus: its module alias, in the platform's "BUS\rest" form.
    const std::string alias = files_.ReadAttribute(path + "/modalias").value_or("");
    const std::size_t colon = alias.find(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    std::string bus = alias.substr(0, colon);
    for (char& ch : bus) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    Identity id;
    id.hardwareIds.push_back(WideFromUtf8(bus + "\\" + alias.substr(colon + 1)));
    id.instanceId = bus + "\\" + alias.substr(colon + 1) + "\\" + name;
    return id;
  }

  std::optional<Identity> PciIdentity(const std::string& path, const std::string& address) {
    const auto vendor = HexAttribute(files_, path + "/vendor", 0xFFFF);
    const auto device = HexAttribute(files_, path + "/device", 0xFFFF);
    if (!vendor || !device) return std::nullopt;
    PciIds p;
    p.vendor = *vendor;
    p.device = *device;
    p.subsystemVendor = HexAttribute(files_, path + "/subsystem_vendor", 0xFFFF);
    p.subsystemDevice = HexAttribute(files_, path + "/subsystem_device", 0xFFFF);
    p.revision = HexAttribute(files_, path + "/revision", 0xFF);
    p.classCode = HexAttribute(files_, path + "/class", 0xFFFFFF);
    Identity id;
    id.hardwareIds = PciHardwareIds(p);
    id.compatibleIds = PciCompatibleIds(p);
    const std::wstring& first = id.hardwareIds.empty() ? id.compatibleIds.front() : id.hardwareIds.front();
    id.instanceId = Utf8FromWide(first) + "\\" + address;
    id.manufacturer = ReadUdevEntry(files_, "+pci:" + address)["ID_VENDOR_FROM_DATABASE"];
    if (auto table = files_.ReadFile(path + "/resource", 64 * 1024)) id.resources = PciRanges(*table);
    // Message-signalled interrupts each count as one; else the line interrupt, if any.
    std::vector<unsigned long> irqs;
    for (const std::string& entry : files_.List(path + "/msi_irqs")) {
      if (auto n = NumberAfter("irq" + entry, "irq"); n && *n <= 0xFFFFFFFFul) irqs.push_back(*n);
    }
    std::sort(irqs.begin(), irqs.end());
    if (irqs.empty()) {
      if (auto irq = files_.ReadNumber(path + "/irq"); irq && *irq != 0 && *irq <= 0xFFFFFFFFu) irqs.push_back(*irq);
    }
    for (unsigned long n : irqs) {
      machine::Resource r;
      r.type = ResType_IRQ;
      r.value = static_cast<ULONG>(n);
      id.resources.push_back(r);
    }
    return id;
  }

  std::optional<Identity> UsbIdentity(const std::string& path, const std::string& name) {
    const std::string usbDevice(DirName(path));
    const auto vendor = HexAttribute(files_, usbDevice + "/idVendor", 0xFFFF);
    const auto product = HexAttribute(files_, usbDevice + "/idProduct", 0xFFFF);
    if (!vendor || !product) return std::nullopt;
    Identity id;
    if (auto rev = HexAttribute(files_, usbDevice + "/bcdDevice", 0xFFFF))
      id.hardwareIds.push_back(Id(L"USB\\VID_%04X&PID_%04X&REV_%04X", *vendor, *product, *rev));
    id.hardwareIds.push_back(Id(L"USB\\VID_%04X&PID_%04X", *vendor, *product));
    const auto cls = HexAttribute(files_, path + "/bInterfaceClass", 0xFF);
    const auto sub = HexAttribute(files_, path + "/bInterfaceSubClass", 0xFF);
    const auto prot = HexAttribute(files_, path + "/bInterfaceProtocol", 0xFF);
    if (cls) {
      if (sub && prot) id.compatibleIds.push_back(Id(L"USB\\Class_%02X&SubClass_%02X&Prot_%02X", *cls, *sub, *prot));
      if (sub) id.compatibleIds.push_back(Id(L"USB\\Class_%02X&SubClass_%02X", *cls, *sub));
      id.compatibleIds.push_back(Id(L"USB\\Class_%02X", *cls));
    }
    id.instanceId = Utf8FromWide(id.hardwareIds.back()) + "\\" + name;
    id.manufacturer = files_.ReadAttribute(usbDevice + "/manufacturer").value_or("");
    return id;
  }

  SystemFiles& files_;
  ModuleIndex modules_;
};

}  // namespace

DeviceManagerText DescribeControllers(SystemFiles& files, const std::vector<PortController>& controllers,
                                      const std::string& kernelRelease) {
  DeviceManagerText out;
  ControllerDescriber describer(files, kernelRelease);
  for (const PortController& c : controllers) {
    if (c.ports.empty()) continue;
    std::optional<machine::DeviceInstance> instance = describer.Describe(c);
    if (!instance) continue;
    // Instance ids name one device each.
    const std::string base = instance->id;
    for (int n = 1; std::any_of(out.instances.begin(), out.instances.end(),
                                [&instance](const machine::DeviceInstance& d) { return d.id == instance->id; });
         ++n)
      instance->id = base + "&" + std::to_string(n);
    std::wstring path = Lower(WideFromUtf8(instance->id));
    std::replace(path.begin(), path.end(), L'\\', L'#');
    machine::PortInterface iface;
    iface.path = L"\\\\?\\" + path + kStoragePortClassSuffix;
    iface.instance = instance->id;
    // The interface answers as the controller's first port.
    iface.port = c.ports.front();
    out.interfaces.push_back(std::move(iface));
    out.instances.push_back(std::move(*instance));
  }
  return out;
}

}  // namespace linuxsys
