#include "platform/machine/machine_writer.h"

#include <cstdio>
#include <optional>
#include <ostream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/wide_text.h"
#include "platform/whole_file.h"

namespace machine {
namespace {

using Json = nlohmann::ordered_json;

std::string Hex32(DWORD v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(v));
  return text;
}

std::string Hex64(ULONGLONG v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(v));
  return text;
}

std::string Byte(BYTE v) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(v));
  return text;
}

std::string HexBytes(const std::vector<BYTE>& bytes) {
  std::string out;
  char pair[4];
  for (BYTE b : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(b));
    if (!out.empty()) out += ' ';
    out += pair;
  }
  return out;
}

std::string Utf8(const std::wstring& text) { return Utf8FromWide(text); }
std::string Guid(const GUID& g) { return Utf8FromWide(FormatGuid(g)); }

const char* StyleName(PARTITION_STYLE s) {
  switch (s) {
    case PARTITION_STYLE_GPT:
      return "gpt";
    case PARTITION_STYLE_RAW:
      return "raw";
    case PARTITION_STYLE_MBR:
      break;
  }
  return "mbr";
}

void PutBehaviour(Json& object, const Behaviour& b) {
  if (!b.fail.empty()) {
    Json fail = Json::object();
    for (const auto& [name, code] : b.fail) {
      auto after = b.failAfter.find(name);
      if (after != b.failAfter.end()) {
        fail[name] = {{"code", code}, {"after", after->second}};
      } else {
        fail[name] = code;
      }
    }
    object["fail"] = fail;
  }
  if (!b.raw.empty()) {
    Json raw = Json::object();
    for (const auto& [name, bytes] : b.raw) raw[name] = HexBytes(bytes);
    object["raw"] = raw;
  }
}

Json Partition(const PartitionRecord& p) {
  Json j;
  j["style"] = StyleName(p.style);
  j["number"] = p.number;
  j["offset"] = p.offset;
  j["length"] = p.length;
  j["rewrite"] = p.rewrite;
  j["service"] = p.service;
  j["type"] = Byte(p.type);
  j["boot"] = p.boot;
  j["recognized"] = p.recognized;
  j["hiddenSectors"] = p.hiddenSectors;
  j["typeGuid"] = Guid(p.typeGuid);
  j["id"] = Guid(p.id);
  j["attributes"] = Hex64(p.attributes);
  j["name"] = Utf8(p.name);
  return j;
}

// Names the reader knows for coded values; other values are written as numbers.
struct NamedCode {
  int value;
  const char* name;
};
const NamedCode kBusTypeNames[] = {
    {BusTypeUnknown, "unknown"}, {BusTypeScsi, "scsi"},       {BusTypeAtapi, "atapi"},
    {BusTypeAta, "ata"},         {BusType1394, "1394"},       {BusTypeSsa, "ssa"},
    {BusTypeFibre, "fibre"},     {BusTypeUsb, "usb"},         {BusTypeRAID, "raid"},
    {BusTypeiScsi, "iscsi"},     {BusTypeSas, "sas"},         {BusTypeSata, "sata"},
    {BusTypeSd, "sd"},           {BusTypeMmc, "mmc"},         {BusTypeVirtual, "virtual"},
    {BusTypeFileBackedVirtual, "fileBackedVirtual"}, {BusTypeSpaces, "spaces"}, {BusTypeNvme, "nvme"},
};
const NamedCode kCodeSetNames[] = {{0, "reserved"}, {1, "binary"}, {2, "ascii"}, {3, "utf8"}};
const NamedCode kIdTypeNames[] = {{0, "vendorSpecific"},   {1, "vendorId"},         {2, "eui64"},
                                  {3, "fcphName"},         {4, "portRelative"},     {5, "targetPortGroup"},
                                  {6, "logicalUnitGroup"}, {7, "md5LogicalUnitIdentifier"}, {8, "scsiNameString"}};
const NamedCode kAssociationNames[] = {{0, "device"}, {1, "port"}, {2, "target"}};

template <std::size_t N>
Json Coded(int value, const NamedCode (&names)[N]) {
  for (const NamedCode& n : names) {
    if (n.value == value) return n.name;
  }
  return value;
}

// Bytes that are printable ASCII read back from text unchanged.
bool IsPlainText(const std::vector<BYTE>& bytes) {
  if (bytes.empty()) return false;
  for (BYTE b : bytes) {
    if (b < 0x20 || b > 0x7E) return false;
  }
  return true;
}

Json DeviceJson(const DeviceDescription& x) {
  Json j;
  j["version"] = x.version;
  j["deviceType"] = x.deviceType;
  j["deviceTypeModifier"] = x.deviceTypeModifier;
  j["removable"] = x.removable;
  j["commandQueueing"] = x.commandQueueing;
  if (x.busType) j["busType"] = Coded(*x.busType, kBusTypeNames);
  for (auto [key, text] : {std::pair{"vendor", &x.vendor}, std::pair{"product", &x.product},
                           std::pair{"revision", &x.revision}, std::pair{"serial", &x.serial}}) {
    if (*text) j[key] = **text;
  }
  if (!x.rawProperties.empty()) j["rawProperties"] = HexBytes(x.rawProperties);
  return j;
}

Json IdentifierJson(const Identifier& id) {
  Json j;
  j["codeSet"] = Coded(id.codeSet, kCodeSetNames);
  j["type"] = Coded(id.type, kIdTypeNames);
  j["association"] = Coded(id.association, kAssociationNames);
  if (IsPlainText(id.bytes)) {
    j["text"] = std::string(id.bytes.begin(), id.bytes.end());
  } else {
    j["hex"] = HexBytes(id.bytes);
  }
  return j;
}

Json PortJson(const Port& p) {
  Json j;
  j["port"] = p.number;
  j["deviceName"] = Utf8(p.deviceName);
  if (p.descriptor) {
    const STORAGE_ADAPTER_DESCRIPTOR& d = *p.descriptor;
    j["descriptor"] = {{"version", d.Version},
                       {"size", d.Size},
                       {"maximumTransferLength", Hex32(d.MaximumTransferLength)},
                       {"maximumPhysicalPages", d.MaximumPhysicalPages},
                       {"alignmentMask", Hex32(d.AlignmentMask)},
                       {"usesPio", d.AdapterUsesPio != 0},
                       {"scansDown", d.AdapterScansDown != 0},
                       {"commandQueueing", d.CommandQueueing != 0},
                       {"acceleratedTransfer", d.AcceleratedTransfer != 0},
                       {"busType", Coded(d.BusType, kBusTypeNames)},
                       {"busMajorVersion", d.BusMajorVersion},
                       {"busMinorVersion", d.BusMinorVersion}};
  }
  const IO_SCSI_CAPABILITIES& c = p.capabilities;
  j["capabilities"] = {{"length", c.Length},
                       {"maximumTransferLength", Hex32(c.MaximumTransferLength)},
                       {"maximumPhysicalPages", c.MaximumPhysicalPages},
                       {"supportedAsynchronousEvents", Hex32(c.SupportedAsynchronousEvents)},
                       {"alignmentMask", Hex32(c.AlignmentMask)},
                       {"taggedQueuing", c.TaggedQueuing != 0},
                       {"adapterScansDown", c.AdapterScansDown != 0},
                       {"adapterUsesPio", c.AdapterUsesPio != 0}};
  Json buses = Json::array();
  for (const Bus& b : p.buses) {
    Json units = Json::array();
    for (const LogicalUnit& u : b.units)
      units.push_back({{"target", u.target}, {"lun", u.lun}, {"claimed", u.claimed}, {"inquiryHex", HexBytes(u.inquiry)}});
    buses.push_back({{"initiator", b.initiator}, {"units", units}});
  }
  j["buses"] = buses;
  PutBehaviour(j, p.behaviour);
  return j;
}

Json InterfaceJson(const PortInterface& i) {
  Json j;
  j["path"] = Utf8(i.path);
  j["instance"] = i.instance;
  if (i.port) j["adapter"] = *i.port;
  PutBehaviour(j, i.behaviour);
  return j;
}

Json Strings(const std::vector<std::wstring>& strings) {
  Json out = Json::array();
  for (const std::wstring& s : strings) out.push_back(Utf8(s));
  return out;
}

Json ResourcesJson(const std::vector<Resource>& resources) {
  Json out = Json::array();
  for (const Resource& r : resources) {
    switch (r.type) {
      case ResType_Mem:
      case ResType_IO:
        out.push_back({{"type", r.type == ResType_Mem ? "mem" : "io"}, {"base", Hex64(r.base)}, {"end", Hex64(r.end)}});
        break;
      case ResType_DMA:
        out.push_back({{"type", "dma"}, {"channel", r.value}});
        break;
      case ResType_IRQ:
        out.push_back({{"type", "irq"}, {"number", r.value}});
        break;
      default:
        break;  // no other kind is described
    }
  }
  return out;
}

Json DriverNodeJson(const DriverNode& n) {
  return {{"description", Utf8(n.description)},
          {"manufacturer", Utf8(n.manufacturer)},
          {"provider", Utf8(n.provider)},
          {"infFile", Utf8(n.infFile)},
          {"section", Utf8(n.section)},
          {"hardwareId", Utf8(n.hardwareId)},
          {"rank", Hex32(n.rank)},
          {"flags", Hex32(n.flags)},
          {"detail", n.detailReadable},
          {"installParams", n.installParamsReadable}};
}

// A REG_SZ value is written as its text when the text reads back to the same bytes.
Json RegistryValueJson(const RegistryValue& v) {
  if (v.type == REG_SZ && v.data.size() >= 2 && v.data.size() % 2 == 0 && v.data[v.data.size() - 1] == 0 &&
      v.data[v.data.size() - 2] == 0) {
    const std::wstring text = WideFromUtf16(v.data.data(), v.data.size() / 2 - 1);
    std::vector<BYTE> again;
    for (char16_t c : Utf16FromWide(WideFromUtf8(Utf8FromWide(text)))) {
      again.push_back(static_cast<BYTE>(c & 0xFF));
      again.push_back(static_cast<BYTE>(c >> 8));
    }
    again.push_back(0);
    again.push_back(0);
    if (again == v.data && text.find(L'\0') == std::wstring::npos) return Utf8(text);
  }
  return {{"type", v.type}, {"hex", HexBytes(v.data)}};
}

Json InstanceJson(const DeviceInstance& d) {
  Json j;
  j["id"] = d.id;
  if (d.hardwareIds) j["hardwareIds"] = Strings(*d.hardwareIds);
  if (d.compatibleIds) j["compatibleIds"] = Strings(*d.compatibleIds);
  if (d.manufacturer) j["manufacturer"] = Utf8(*d.manufacturer);
  j["status"] = Hex32(d.status);
  j["problem"] = d.problem;
  if (d.allocated) j["allocated"] = ResourcesJson(*d.allocated);
  if (d.forced) j["forced"] = ResourcesJson(*d.forced);
  if (d.boot) j["boot"] = ResourcesJson(*d.boot);
  Json nodes = Json::array();
  for (const DriverNode& n : d.driverNodes) nodes.push_back(DriverNodeJson(n));
  j["driverNodes"] = nodes;
  Json classNodes = Json::array();
  for (const DriverNode& n : d.classDriverNodes) classNodes.push_back(DriverNodeJson(n));
  j["classDriverNodes"] = classNodes;
  if (d.driverKey) {
    Json key = Json::object();
    for (const auto& [name, value] : *d.driverKey) key[Utf8(name)] = RegistryValueJson(value);
    j["driverKey"] = key;
  }
  j["driverFiles"] = Strings(d.driverFiles);
  PutBehaviour(j, d.behaviour);
  return j;
}

Json DriveJson(const machine::Drive& d) {
  Json j;
  j["number"] = d.number;
  j["size"] = d.size;
  j["geometry"] = {{"cylinders", d.geometry.Cylinders.QuadPart},
                   {"mediaType", static_cast<DWORD>(d.geometry.MediaType)},
                   {"tracksPerCylinder", d.geometry.TracksPerCylinder},
                   {"sectorsPerTrack", d.geometry.SectorsPerTrack},
                   {"bytesPerSector", d.geometry.BytesPerSector}};
  const char* detection = d.detection == DetectInt13 ? "int13" : d.detection == DetectExInt13 ? "exInt13" : "none";
  j["detection"] = {{"type", detection},
                    {"int13",
                     {{"driveSelect", d.int13.DriveSelect},
                      {"maxCylinders", d.int13.MaxCylinders},
                      {"sectorsPerTrack", d.int13.SectorsPerTrack},
                      {"maxHeads", d.int13.MaxHeads},
                      {"numberDrives", d.int13.NumberDrives}}},
                    {"exInt13",
                     {{"bufferSize", d.exInt13.ExBufferSize},
                      {"flags", d.exInt13.ExFlags},
                      {"cylinders", d.exInt13.ExCylinders},
                      {"heads", d.exInt13.ExHeads},
                      {"sectorsPerTrack", d.exInt13.ExSectorsPerTrack},
                      {"sectorsPerDrive", d.exInt13.ExSectorsPerDrive},
                      {"sectorSize", d.exInt13.ExSectorSize},
                      {"reserved", d.exInt13.ExReserved}}}};
  Json layout;
  layout["style"] = StyleName(d.layout.style);
  layout["signature"] = Hex32(d.layout.signature);
  layout["checksum"] = Hex32(d.layout.checksum);
  layout["diskId"] = Guid(d.layout.diskId);
  layout["startingUsableOffset"] = d.layout.startingUsableOffset;
  layout["usableLength"] = d.layout.usableLength;
  layout["maxPartitionCount"] = d.layout.maxPartitionCount;
  Json partitions = Json::array();
  for (const PartitionRecord& p : d.layout.partitions) partitions.push_back(Partition(p));
  layout["partitions"] = partitions;
  j["layout"] = layout;
  if (d.placed)
    j["adapter"] = {{"port", d.placement.port}, {"bus", d.placement.bus}, {"target", d.placement.target},
                    {"lun", d.placement.lun}};
  j["device"] = DeviceJson(d.device);
  Json identifiers = Json::array();
  for (const Identifier& id : d.identifiers) identifiers.push_back(IdentifierJson(id));
  j["identifiers"] = identifiers;
  PutBehaviour(j, d.behaviour);
  return j;
}

Json VolumeJson(const machine::Volume& v) {
  Json j;
  j["id"] = v.id;
  Json paths = Json::array();
  for (const std::wstring& p : v.paths) paths.push_back(Utf8(p));
  j["paths"] = paths;
  j["label"] = Utf8(v.label);
  j["serialNumber"] = Hex32(v.serialNumber);
  j["fileSystem"] = Utf8(v.fileSystem);
  j["fileSystemFlags"] = Hex32(v.fileSystemFlags);
  j["maxComponentLength"] = v.maxComponentLength;
  j["freeBytesAvailable"] = v.freeBytesAvailable;
  j["totalBytes"] = v.totalBytes;
  j["totalFreeBytes"] = v.totalFreeBytes;
  if (v.partition) j["partition"] = Partition(*v.partition);
  Json extents = Json::array();
  for (const Extent& e : v.extents) extents.push_back({{"disk", e.disk}, {"offset", e.offset}, {"length", e.length}});
  j["extents"] = extents;
  Json mounts = Json::array();
  for (const std::wstring& p : v.mountPaths) mounts.push_back(Utf8(p));
  j["mountPaths"] = mounts;
  PutBehaviour(j, v.behaviour);
  return j;
}

// A unique id is written as text when it is text to the scan (UTF-16 starting
// with a backslash) and reads back to the same bytes.
std::optional<std::wstring> TextOf(const std::vector<BYTE>& id) {
  if (id.size() < 2 || id.size() % 2 != 0 || id[0] != '\\' || id[1] != 0) return std::nullopt;
  const std::wstring text = WideFromUtf16(id.data(), id.size() / 2);
  // The file holds UTF-8: what cannot be written as such is kept as bytes.
  if (WideFromUtf8(Utf8FromWide(text)) != text) return std::nullopt;
  const std::u16string units = Utf16FromWide(text);
  if (units.size() * 2 != id.size()) return std::nullopt;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (static_cast<BYTE>(units[i]) != id[2 * i] || static_cast<BYTE>(units[i] >> 8) != id[2 * i + 1])
      return std::nullopt;
  }
  return text;
}

Json MountPointJson(const machine::MountPoint& mp) {
  Json j;
  j["name"] = Utf8(mp.symbolicLink);
  j["volume"] = mp.volume;
  j["deviceName"] = Utf8(mp.deviceName);
  if (auto text = TextOf(mp.uniqueId)) {
    j["uniqueId"] = {{"text", Utf8(*text)}};
  } else {
    j["uniqueId"] = {{"hex", HexBytes(mp.uniqueId)}};
  }
  return j;
}

// The top-level object, written member by member and each list entry by
// entry, laid out as one dump of the whole document would be: a machine of
// many drives never has its document, or its text, whole in memory.
class FileWriter {
 public:
  explicit FileWriter(std::ostream& out) : out_(out) { out_ << '{'; }

  void Member(const char* name, const Json& value) {
    Key(name);
    Write(value, 1);
  }

  template <class Entries, class ToJson>
  void List(const char* name, const Entries& list, ToJson toJson) {
    Key(name);
    if (list.empty()) {
      out_ << "[]";
      return;
    }
    out_ << '[';
    const char* separator = "\n    ";
    for (const auto& entry : list) {
      out_ << separator;
      separator = ",\n    ";
      Write(toJson(entry), 2);
    }
    out_ << "\n  ]";
  }

  void End() { out_ << "\n}\n"; }

 private:
  // A value `depth` levels in, formatted by the library as the model's JSON
  // writer does it. Text the platform gave that is not UTF-8 is written with
  // replacement characters.
  void Write(const Json& value, unsigned depth) {
    text_.clear();
    nlohmann::detail::serializer<Json> s(nlohmann::detail::output_adapter<char>(text_), ' ',
                                         Json::error_handler_t::replace);
    s.dump(value, true, false, 2, 2 * depth);
    out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  }

  void Key(const char* name) {
    out_ << (first_ ? "\n  \"" : ",\n  \"") << name << "\": ";
    first_ = false;
  }

  std::ostream& out_;
  bool first_ = true;
  std::string text_;
};

}  // namespace
}  // namespace machine

void WriteMachine(const machine::Machine& m, std::ostream& out) {
  using namespace machine;
  FileWriter file(out);
  file.Member("format", "quelbrin-machine");
  file.Member("version", Machine::kVersion);
  file.Member("description", m.description);
  if (!m.mountPointManager.fail.empty() || !m.mountPointManager.raw.empty()) {
    Json manager = Json::object();
    PutBehaviour(manager, m.mountPointManager);
    file.Member("mountPointManager", manager);
  }
  file.List("drives", m.drives, DriveJson);
  file.List("volumes", m.volumes, VolumeJson);
  file.List("mountPoints", m.mountPoints, MountPointJson);
  if (!m.ports.empty()) file.List("adapters", m.ports, PortJson);
  if (!m.deviceInstances.empty()) file.List("deviceInstances", m.deviceInstances, InstanceJson);
  if (!m.portInterfaces.empty()) file.List("storagePortInterfaces", m.portInterfaces, InterfaceJson);
  if (!m.deviceManager.fail.empty()) {
    Json manager = Json::object();
    PutBehaviour(manager, m.deviceManager);
    file.Member("deviceManager", manager);
  }
  file.End();
}

std::string WriteMachine(const machine::Machine& m) {
  std::ostringstream text;
  WriteMachine(m, text);
  return std::move(text).str();
}

bool SaveMachineFile(const machine::Machine& m, const std::string& path, std::string& error) {
  return SaveMachineFile(path, [&m](std::ostream& out) { WriteMachine(m, out); }, error);
}

bool SaveMachineFile(const std::string& path, const std::function<void(std::ostream&)>& write, std::string& error) {
  std::string reason;
  switch (WriteWholeFile(PathFromUtf8(path), write, reason)) {
    case WholeFile::Written:
      return true;
    case WholeFile::CannotCreate:
      error = path + ": cannot create the machine file";
      break;
    case WholeFile::CannotWrite:
      error = path + ": cannot write the machine file";
      break;
    case WholeFile::CannotReplace:
      error = path + ": cannot replace the machine file (" + reason + ")";
      break;
  }
  return false;
}
