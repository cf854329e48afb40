// The adapter, storage-port interface and device-manager sections of a machine
// file, and where each drive sits.
#include <algorithm>
#include <cstring>

#include "platform/machine/machine_file_parts.h"
#include "platform/wide_text.h"

namespace machine {

const std::vector<std::string> kDriveAdapterRequests = {"IOCTL_STORAGE_QUERY_PROPERTY", "StorageAdapterProperty",
                                                        "StorageDeviceProperty", "StorageDeviceIdProperty",
                                                        "IOCTL_SCSI_GET_ADDRESS"};

namespace {

const std::vector<std::string> kPortRequests = {"open",
                                                "QueryDosDeviceW",
                                                "IOCTL_STORAGE_QUERY_PROPERTY",
                                                "StorageAdapterProperty",
                                                "IOCTL_SCSI_GET_CAPABILITIES",
                                                "IOCTL_SCSI_GET_INQUIRY_DATA"};
const std::vector<std::string> kInterfaceRequests = {"open",
                                                     "SetupDiGetDeviceInterfaceDetailW",
                                                     "IOCTL_STORAGE_QUERY_PROPERTY",
                                                     "StorageAdapterProperty",
                                                     "IOCTL_SCSI_GET_CAPABILITIES",
                                                     "IOCTL_SCSI_GET_INQUIRY_DATA"};
const std::vector<std::string> kInstanceRequests = {
    "SetupDiEnumDeviceInfo",          "SetupDiGetDeviceRegistryPropertyW", "SPDRP_HARDWAREID",
    "SPDRP_COMPATIBLEIDS",            "SPDRP_MFG",                         "CM_Get_DevNode_Status_Ex",
    "CM_Get_First_Log_Conf_Ex",       "CM_Get_Next_Res_Des_Ex",            "CM_Get_Res_Des_Data_Size_Ex",
    "CM_Get_Res_Des_Data_Ex",         "SetupDiGetDeviceInstallParamsW",    "SetupDiSetDeviceInstallParamsW",
    "SetupDiBuildDriverInfoList",     "SetupDiEnumDriverInfoW",            "SetupDiGetDriverInfoDetailW",
    "SetupDiGetDriverInstallParamsW", "SetupDiOpenDevRegKey",              "RegQueryValueExW",
    "SetupDiSetSelectedDriverW",      "SetupDiCallClassInstaller",         "SetupScanFileQueueW"};
const std::vector<std::string> kDeviceManagerRequests = {
    "SetupDiCreateDeviceInfoList",     "SetupDiGetClassDevsExW",      "SetupDiGetClassDevsW",
    "SetupDiGetDeviceInfoListDetailW", "SetupDiEnumDeviceInterfaces", "SetupOpenFileQueue"};

struct NamedValue {
  const char* name;
  int value;
};

const NamedValue kBusTypes[] = {
    {"unknown", BusTypeUnknown}, {"scsi", BusTypeScsi},       {"atapi", BusTypeAtapi},
    {"ata", BusTypeAta},         {"1394", BusType1394},       {"ssa", BusTypeSsa},
    {"fibre", BusTypeFibre},     {"usb", BusTypeUsb},         {"raid", BusTypeRAID},
    {"iscsi", BusTypeiScsi},     {"sas", BusTypeSas},         {"sata", BusTypeSata},
    {"sd", BusTypeSd},           {"mmc", BusTypeMmc},         {"virtual", BusTypeVirtual},
    {"fileBackedVirtual", BusTypeFileBackedVirtual}, {"spaces", BusTypeSpaces}, {"nvme", BusTypeNvme},
};
const NamedValue kCodeSets[] = {{"reserved", 0}, {"binary", 1}, {"ascii", 2}, {"utf8", 3}};
const NamedValue kIdTypes[] = {{"vendorSpecific", 0}, {"vendorId", 1},         {"eui64", 2},
                               {"fcphName", 3},       {"portRelative", 4},     {"targetPortGroup", 5},
                               {"logicalUnitGroup", 6}, {"md5LogicalUnitIdentifier", 7}, {"scsiNameString", 8}};
const NamedValue kAssociations[] = {{"device", 0}, {"port", 1}, {"target", 2}};

// A name from `table`, or a number.
template <std::size_t N>
int Named(const JsonField& f, const NamedValue (&table)[N], int max) {
  if (f.IsString()) {
    const std::string text = f.Text();
    for (const NamedValue& v : table) {
      if (text == v.name) return v.value;
    }
    if (text.empty() || (text[0] < '0' || text[0] > '9')) {
      std::string names;
      for (const NamedValue& v : table) names += (names.empty() ? "\"" : ", \"") + std::string(v.name) + "\"";
      f.Fail("one of " + names + " or a number");
    }
  }
  const DWORD n = f.U32();
  if (n > static_cast<DWORD>(max)) f.Fail("a number up to " + std::to_string(max));
  return static_cast<int>(n);
}

std::vector<BYTE> Ascii(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

// Standard INQUIRY data: peripheral device type, removable bit, version,
// response format, additional length, then the space-padded identification.
std::vector<BYTE> BuildInquiry(BYTE deviceType, bool removable, const std::string& vendor, const std::string& product,
                               const std::string& revision, const std::vector<BYTE>& vendorSpecific,
                               std::optional<DWORD> length) {
  std::vector<BYTE> b(36, 0);
  b[0] = deviceType & 0x1F;
  b[1] = removable ? 0x80 : 0;
  b[2] = 5;
  b[3] = 2;
  auto put = [&b](std::size_t at, std::size_t width, const std::string& text) {
    for (std::size_t i = 0; i < width; ++i) b[at + i] = i < text.size() ? static_cast<BYTE>(text[i]) : ' ';
  };
  put(8, 8, vendor);
  put(16, 16, product);
  put(32, 4, revision);
  if (!vendorSpecific.empty()) {
    b.resize(56, 0);
    std::copy_n(vendorSpecific.begin(), std::min<std::size_t>(20, vendorSpecific.size()), b.begin() + 36);
  }
  if (length) b.resize(*length, 0);
  if (b.size() > 4) b[4] = static_cast<BYTE>(std::min<std::size_t>(b.size() - 5, 0xFF));
  return b;
}

LogicalUnit ReadUnit(const JsonField& f) {
  f.AllowOnly({"target", "lun", "claimed", "inquiry", "inquiryHex"});
  LogicalUnit u;
  u.target = f.Required("target").U8();
  u.lun = f.Or<BYTE>("lun", 0, &JsonField::U8);
  u.claimed = f.Or("claimed", true, &JsonField::Bool);
  if (f.Has("inquiry") && f.Has("inquiryHex")) f.Fail("a unit with \"inquiry\" or \"inquiryHex\", not both");
  if (auto hex = f.Optional("inquiryHex")) {
    u.inquiry = hex->Hex();
  } else {
    std::optional<JsonField> q = f.Optional("inquiry");
    if (q) q->AllowOnly({"deviceType", "removable", "vendor", "product", "revision", "vendorSpecific", "length"});
    auto text = [&q](const char* key) { return q ? q->Or(key, std::string(), &JsonField::Text) : std::string(); };
    std::optional<DWORD> length;
    if (q && q->Has("length")) {
      length = q->Required("length").U32();
      if (*length > 0xFFFF) q->Required("length").Fail("a length up to 65535");
    }
    u.inquiry = BuildInquiry(q ? q->Or<BYTE>("deviceType", 0, &JsonField::U8) : BYTE{0},
                             q ? q->Or("removable", false, &JsonField::Bool) : false, text("vendor"), text("product"),
                             text("revision"), q && q->Has("vendorSpecific") ? Ascii(text("vendorSpecific")) : std::vector<BYTE>{},
                             length);
  }
  return u;
}

STORAGE_ADAPTER_DESCRIPTOR DefaultAdapterDescriptor() {
  STORAGE_ADAPTER_DESCRIPTOR d{};
  d.Version = sizeof d;
  d.Size = sizeof d;
  d.MaximumTransferLength = 0x20000;
  d.MaximumPhysicalPages = 33;
  d.AlignmentMask = 1;
  d.BusType = BusTypeScsi;
  return d;
}

STORAGE_ADAPTER_DESCRIPTOR ReadAdapterDescriptor(const JsonField& f) {
  f.AllowOnly({"version", "size", "maximumTransferLength", "maximumPhysicalPages", "alignmentMask", "usesPio",
               "scansDown", "commandQueueing", "acceleratedTransfer", "busType", "busMajorVersion",
               "busMinorVersion"});
  STORAGE_ADAPTER_DESCRIPTOR d{};
  d.Version = f.Or<DWORD>("version", sizeof d, &JsonField::U32);
  d.Size = f.Or<DWORD>("size", sizeof d, &JsonField::U32);
  d.MaximumTransferLength = f.Or<DWORD>("maximumTransferLength", 0x20000, &JsonField::U32);
  d.MaximumPhysicalPages = f.Or<DWORD>("maximumPhysicalPages", 33, &JsonField::U32);
  d.AlignmentMask = f.Or<DWORD>("alignmentMask", 1, &JsonField::U32);
  d.AdapterUsesPio = f.Or("usesPio", false, &JsonField::Bool);
  d.AdapterScansDown = f.Or("scansDown", false, &JsonField::Bool);
  d.CommandQueueing = f.Or("commandQueueing", false, &JsonField::Bool);
  d.AcceleratedTransfer = f.Or("acceleratedTransfer", false, &JsonField::Bool);
  d.BusType = f.Has("busType") ? static_cast<BYTE>(Named(f.Required("busType"), kBusTypes, 0xFF)) : BYTE{BusTypeScsi};
  d.BusMajorVersion = f.Or<WORD>("busMajorVersion", 0, &JsonField::U16);
  d.BusMinorVersion = f.Or<WORD>("busMinorVersion", 0, &JsonField::U16);
  return d;
}

Port ReadPort(const JsonField& f) {
  f.AllowOnly({"port", "deviceName", "descriptor", "capabilities", "buses", "fail", "raw"});
  Port p;
  p.number = f.Required("port").U8();
  p.deviceName = f.Or("deviceName", L"\\Device\\ScsiPort" + std::to_wstring(p.number), &JsonField::Wide);
  if (auto d = f.Optional("descriptor")) {
    p.descriptor = ReadAdapterDescriptor(*d);
  } else {
    p.descriptor = DefaultAdapterDescriptor();
  }
  IO_SCSI_CAPABILITIES& c = p.capabilities;
  c.Length = sizeof c;
  c.MaximumTransferLength = p.descriptor->MaximumTransferLength;
  c.MaximumPhysicalPages = p.descriptor->MaximumPhysicalPages;
  c.AlignmentMask = p.descriptor->AlignmentMask;
  c.TaggedQueuing = p.descriptor->CommandQueueing;
  c.AdapterScansDown = p.descriptor->AdapterScansDown;
  c.AdapterUsesPio = p.descriptor->AdapterUsesPio;
  if (auto cf = f.Optional("capabilities")) {
    cf->AllowOnly({"length", "maximumTransferLength", "maximumPhysicalPages", "supportedAsynchronousEvents",
                   "alignmentMask", "taggedQueuing", "adapterScansDown", "adapterUsesPio"});
    c.Length = cf->Or<DWORD>("length", c.Length, &JsonField::U32);
    c.MaximumTransferLength = cf->Or<DWORD>("maximumTransferLength", c.MaximumTransferLength, &JsonField::U32);
    c.MaximumPhysicalPages = cf->Or<DWORD>("maximumPhysicalPages", c.MaximumPhysicalPages, &JsonField::U32);
    c.SupportedAsynchronousEvents = cf->Or<DWORD>("supportedAsynchronousEvents", 0, &JsonField::U32);
    c.AlignmentMask = cf->Or<DWORD>("alignmentMask", c.AlignmentMask, &JsonField::U32);
    c.TaggedQueuing = cf->Or("taggedQueuing", c.TaggedQueuing != 0, &JsonField::Bool);
    c.AdapterScansDown = cf->Or("adapterScansDown", c.AdapterScansDown != 0, &JsonField::Bool);
    c.AdapterUsesPio = cf->Or("adapterUsesPio", c.AdapterUsesPio != 0, &JsonField::Bool);
  }
  if (auto buses = f.Optional("buses")) {
    for (const JsonField& b : buses->Items()) {
      b.AllowOnly({"initiator", "units"});
      Bus bus;
      bus.initiator = b.Or<BYTE>("initiator", 7, &JsonField::U8);
      if (auto units = b.Optional("units")) {
        for (const JsonField& u : units->Items()) bus.units.push_back(ReadUnit(u));
      }
      if (bus.units.size() > 0xFF) b.Required("units").Fail("at most 255 units on a bus");
      p.buses.push_back(std::move(bus));
    }
    if (p.buses.size() > 0xFF) buses->Fail("at most 255 buses");
  }
  p.behaviour = ReadBehaviour(f, kPortRequests);
  return p;
}

Resource ReadResource(const JsonField& f) {
  f.AllowOnly({"type", "base", "end", "channel", "number"});
  Resource r;
  const std::string type = f.Required("type").Text();
  if (type == "mem" || type == "io") {
    r.type = type == "mem" ? ResType_Mem : ResType_IO;
    r.base = f.Required("base").U64();
    r.end = f.Required("end").U64();
  } else if (type == "dma") {
    r.type = ResType_DMA;
    r.value = f.Required("channel").U32();
  } else if (type == "irq") {
    r.type = ResType_IRQ;
    r.value = f.Required("number").U32();
  } else {
    f.Required("type").Fail("\"mem\", \"io\", \"dma\" or \"irq\"");
  }
  return r;
}

std::optional<std::vector<Resource>> ReadConfiguration(const JsonField& f, const char* key) {
  auto c = f.Optional(key);
  if (!c) return std::nullopt;
  std::vector<Resource> out;
  for (const JsonField& r : c->Items()) out.push_back(ReadResource(r));
  return out;
}

DriverNode ReadDriverNode(const JsonField& f) {
  f.AllowOnly({"description", "manufacturer", "provider", "infFile", "section", "hardwareId", "rank", "flags",
               "detail", "installParams"});
  DriverNode n;
  n.description = f.Or("description", std::wstring(), &JsonField::Wide);
  n.manufacturer = f.Or("manufacturer", std::wstring(), &JsonField::Wide);
  n.provider = f.Or("provider", std::wstring(), &JsonField::Wide);
  n.infFile = f.Or("infFile", std::wstring(), &JsonField::Wide);
  n.section = f.Or("section", std::wstring(), &JsonField::Wide);
  n.hardwareId = f.Or("hardwareId", std::wstring(), &JsonField::Wide);
  n.rank = f.Or<DWORD>("rank", 0, &JsonField::U32);
  n.flags = f.Or<DWORD>("flags", 0, &JsonField::U32);
  n.detailReadable = f.Or("detail", true, &JsonField::Bool);
  n.installParamsReadable = f.Or("installParams", true, &JsonField::Bool);
  for (const std::wstring* text : {&n.description, &n.manufacturer, &n.provider, &n.section}) {
    if (text->size() >= LINE_LEN) f.Error("driver node texts hold at most 255 characters");
  }
  if (n.infFile.size() >= MAX_PATH) f.Required("infFile").Fail("a file name of at most 259 characters");
  return n;
}

std::vector<std::wstring> ReadStrings(const JsonField& f) {
  std::vector<std::wstring> out;
  for (const JsonField& s : f.Items()) out.push_back(s.Wide());
  return out;
}

// A string value as the registry keeps it: UTF-16 with its terminator.
std::vector<BYTE> RegistryText(const std::wstring& text) {
  std::vector<BYTE> bytes = Utf16LeBytes(text);
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

DeviceInstance ReadInstance(const JsonField& f) {
  f.AllowOnly({"id", "hardwareIds", "compatibleIds", "manufacturer", "status", "problem", "allocated", "forced",
               "boot", "driverNodes", "classDriverNodes", "driverKey", "driverFiles", "fail", "raw"});
  DeviceInstance d;
  d.id = f.Required("id").Text();
  if (auto ids = f.Optional("hardwareIds")) d.hardwareIds = ReadStrings(*ids);
  if (auto ids = f.Optional("compatibleIds")) d.compatibleIds = ReadStrings(*ids);
  if (auto mfg = f.Optional("manufacturer")) d.manufacturer = mfg->Wide();
  d.status = f.Or<DWORD>("status", 0x0180200A, &JsonField::U32);
  d.problem = f.Or<DWORD>("problem", 0, &JsonField::U32);
  d.allocated = ReadConfiguration(f, "allocated");
  d.forced = ReadConfiguration(f, "forced");
  d.boot = ReadConfiguration(f, "boot");
  if (auto nodes = f.Optional("driverNodes")) {
    for (const JsonField& n : nodes->Items()) d.driverNodes.push_back(ReadDriverNode(n));
  }
  // The class list read from the installed INF holds the same nodes unless said otherwise.
  d.classDriverNodes = d.driverNodes;
  if (auto nodes = f.Optional("classDriverNodes")) {
    d.classDriverNodes.clear();
    for (const JsonField& n : nodes->Items()) d.classDriverNodes.push_back(ReadDriverNode(n));
  }
  if (auto key = f.Optional("driverKey")) {
    std::map<std::wstring, RegistryValue> values;
    for (const auto& [name, value] : key->Members()) {
      RegistryValue v;
      if (value.IsObject()) {
        value.AllowOnly({"type", "text", "hex"});
        v.type = value.Or<DWORD>("type", REG_SZ, &JsonField::U32);
        if (value.Has("text") == value.Has("hex")) value.Fail("an object with either \"text\" or \"hex\"");
        v.data = value.Has("text") ? RegistryText(value.Required("text").Wide()) : value.Required("hex").Hex();
      } else {
        v.data = RegistryText(value.Wide());
      }
      values[WideFromUtf8(name)] = std::move(v);
    }
    d.driverKey = std::move(values);
  }
  if (auto files = f.Optional("driverFiles")) d.driverFiles = ReadStrings(*files);
  d.behaviour = ReadBehaviour(f, kInstanceRequests);
  return d;
}

PortInterface ReadInterface(const JsonField& f, const MachineIndex& index) {
  f.AllowOnly({"path", "instance", "adapter", "fail", "raw"});
  PortInterface i;
  i.path = f.Required("path").Wide();
  const JsonField instance = f.Required("instance");
  i.instance = instance.Text();
  if (index.FindInstance(i.instance) == nullptr) instance.Fail("the id of a device instance under \"deviceInstances\"");
  if (auto port = f.Optional("adapter")) {
    i.port = port->U8();
    if (index.FindPort(*i.port) == nullptr) port->Fail("the port number of an adapter under \"adapters\"");
  }
  i.behaviour = ReadBehaviour(f, kInterfaceRequests);
  return i;
}

// A placed drive that its port's buses do not list yet gets a unit built from
// its device description, so that a short file still describes a whole port.
void AddDriveUnits(Machine& m, const MachineIndex& index) {
  for (const Drive& d : m.drives) {
    if (!d.placed) continue;
    const std::optional<std::size_t> portAt = index.PortPosition(d.placement.port);
    if (!portAt) continue;
    Port* port = &m.ports[*portAt];
    if (port->buses.size() <= d.placement.bus) port->buses.resize(d.placement.bus + 1u);
    Bus& bus = port->buses[d.placement.bus];
    const bool listed = std::any_of(bus.units.begin(), bus.units.end(), [&d](const LogicalUnit& u) {
      return u.target == d.placement.target && u.lun == d.placement.lun;
    });
    if (listed || bus.units.size() >= 0xFF) continue;
    LogicalUnit u;
    u.target = d.placement.target;
    u.lun = d.placement.lun;
    u.inquiry = BuildInquiry(d.device.deviceType, d.device.removable, d.device.vendor.value_or(""),
                             d.device.product.value_or(""), d.device.revision.value_or(""), {}, std::nullopt);
    bus.units.push_back(std::move(u));
  }
}

}  // namespace

void ReadDrivePlacement(const JsonField& f, Drive& d) {
  if (auto a = f.Optional("adapter")) {
    a->AllowOnly({"port", "bus", "target", "lun"});
    d.placed = true;
    d.placement.port = a->Required("port").U8();
    d.placement.bus = a->Or<BYTE>("bus", 0, &JsonField::U8);
    d.placement.target = a->Or<BYTE>("target", 0, &JsonField::U8);
    d.placement.lun = a->Or<BYTE>("lun", 0, &JsonField::U8);
  }
  if (auto dev = f.Optional("device")) {
    dev->AllowOnly({"version", "deviceType", "deviceTypeModifier", "removable", "commandQueueing", "busType", "vendor",
                    "product", "revision", "serial", "rawProperties"});
    DeviceDescription& x = d.device;
    x.version = dev->Or<DWORD>("version", x.version, &JsonField::U32);
    x.deviceType = dev->Or<BYTE>("deviceType", 0, &JsonField::U8);
    x.deviceTypeModifier = dev->Or<BYTE>("deviceTypeModifier", 0, &JsonField::U8);
    x.removable = dev->Or("removable", false, &JsonField::Bool);
    x.commandQueueing = dev->Or("commandQueueing", false, &JsonField::Bool);
    if (auto bt = dev->Optional("busType")) x.busType = static_cast<STORAGE_BUS_TYPE>(Named(*bt, kBusTypes, 0x7F));
    for (auto [key, field] : {std::pair{"vendor", &x.vendor}, std::pair{"product", &x.product},
                              std::pair{"revision", &x.revision}, std::pair{"serial", &x.serial}}) {
      if (auto t = dev->Optional(key)) {
        *field = t->Text();
        if (field->value().find('\0') != std::string::npos) t->Fail("text without a zero character");
      }
    }
    if (auto raw = dev->Optional("rawProperties")) x.rawProperties = raw->Hex();
  }
  if (auto ids = f.Optional("identifiers")) {
    for (const JsonField& i : ids->Items()) {
      i.AllowOnly({"codeSet", "type", "association", "text", "hex"});
      Identifier id;
      if (auto c = i.Optional("codeSet")) id.codeSet = static_cast<STORAGE_IDENTIFIER_CODE_SET>(Named(*c, kCodeSets, 0xFF));
      if (auto t = i.Optional("type")) id.type = static_cast<STORAGE_IDENTIFIER_TYPE>(Named(*t, kIdTypes, 0xFF));
      if (auto a = i.Optional("association")) id.association = static_cast<STORAGE_ASSOCIATION_TYPE>(Named(*a, kAssociations, 0xFF));
      if (i.Has("text") == i.Has("hex")) i.Fail("an identifier with either \"text\" or \"hex\"");
      id.bytes = i.Has("text") ? Ascii(i.Required("text").Text()) : i.Required("hex").Hex();
      if (id.bytes.size() > 0xFF00) i.Error("an identifier of at most 65280 bytes");
      d.identifiers.push_back(std::move(id));
    }
  }
}

void ReadPortSection(const JsonField& top, Machine& m, MachineIndex& index) {
  if (auto ports = top.Optional("adapters")) {
    for (const JsonField& p : ports->Items()) {
      Port port = ReadPort(p);
      if (index.FindPort(port.number) != nullptr) p.Required("port").Fail("a port number not used before");
      m.ports.push_back(std::move(port));
      index.AddStoragePort();
    }
  }
}

void ReadDeviceSections(const JsonField& top, Machine& m, MachineIndex& index) {
  AddDriveUnits(m, index);
  if (auto instances = top.Optional("deviceInstances")) {
    for (const JsonField& i : instances->Items()) {
      DeviceInstance instance = ReadInstance(i);
      if (index.FindInstance(instance.id) != nullptr) i.Required("id").Fail("a device instance id not used before");
      m.deviceInstances.push_back(std::move(instance));
      index.AddInstance();
    }
  }
  if (auto interfaces = top.Optional("storagePortInterfaces")) {
    for (const JsonField& i : interfaces->Items()) m.portInterfaces.push_back(ReadInterface(i, index));
  }
  if (auto dm = top.Optional("deviceManager")) {
    dm->AllowOnly({"fail"});
    m.deviceManager = ReadBehaviour(*dm, kDeviceManagerRequests);
  }
}

}  // namespace machine
