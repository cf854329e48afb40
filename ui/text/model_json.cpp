#include "ui/text/model_json.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <unordered_map>

#include "model/record_bytes.h"
#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"

namespace {

using nlohmann::json;

std::string Text(const std::wstring& s) { return Utf8FromWide(s); }
std::string Name(const StorageNode& n) { return Utf8FromWide(n.GetName()); }

std::string Hex(const BYTE* bytes, std::size_t size) {
  std::string out;
  char two[4];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(two, sizeof two, "%02x", bytes[i]);
    if (i > 0) out += ' ';
    out += two;
  }
  return out;
}

std::string Guid(const GUID& g) { return Utf8FromWide(FormatGuid(g)); }

// Single-byte text as found in a record; bytes outside printable ASCII are
// shown as escapes so that the output stays valid UTF-8.
std::string Ascii(std::string_view s) {
  std::string out;
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) {
      out += c;
    } else {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02x", u);
      out += esc;
    }
  }
  return out;
}

template <std::size_t N>
std::string Utf16Field(const WCHAR (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return Utf8FromWide(WideFromUtf16(field, n));
}

std::string PartitionPath(const DiskPartitionNode& p) {
  return Utf8FromWide(FormatWide(L"PhysicalDrive%u/", static_cast<unsigned>(p.diskNumber))) + Name(p);
}
std::string ExtentPath(const DiskExtentNode& e) {
  return Utf8FromWide(FormatWide(L"PhysicalDrive%u/", static_cast<unsigned>(e.diskExtent.DiskNumber))) + Name(e);
}
std::string DevicePath(const ScsiAdapterNode& a, const ScsiDeviceNode& d) { return Name(a) + "/" + Name(d); }

json PartitionEx(const PARTITION_INFORMATION_EX& p) {
  json j = {{"partitionStyle", static_cast<int>(p.PartitionStyle)},
            {"startingOffset", p.StartingOffset.QuadPart},
            {"partitionLength", p.PartitionLength.QuadPart},
            {"partitionNumber", p.PartitionNumber},
            {"rewritePartition", p.RewritePartition != 0},
            {"isServicePartition", p.IsServicePartition != 0}};
  if (p.PartitionStyle == PARTITION_STYLE_MBR) {
    j["mbr"] = {{"partitionType", p.Mbr.PartitionType},
                {"bootIndicator", p.Mbr.BootIndicator != 0},
                {"recognizedPartition", p.Mbr.RecognizedPartition != 0},
                {"hiddenSectors", p.Mbr.HiddenSectors},
                {"partitionId", Guid(p.Mbr.PartitionId)}};
  } else if (p.PartitionStyle == PARTITION_STYLE_GPT) {
    j["gpt"] = {{"partitionType", Guid(p.Gpt.PartitionType)},
                {"partitionId", Guid(p.Gpt.PartitionId)},
                {"attributes", p.Gpt.Attributes},
                {"name", Utf16Field(p.Gpt.Name)}};
  }
  return j;
}

json Partition(const PARTITION_INFORMATION& p) {
  return {{"startingOffset", p.StartingOffset.QuadPart},
          {"partitionLength", p.PartitionLength.QuadPart},
          {"hiddenSectors", p.HiddenSectors},
          {"partitionNumber", p.PartitionNumber},
          {"partitionType", p.PartitionType},
          {"bootIndicator", p.BootIndicator != 0},
          {"recognizedPartition", p.RecognizedPartition != 0},
          {"rewritePartition", p.RewritePartition != 0}};
}

json Geometry(const DISK_GEOMETRY& g) {
  return {{"cylinders", g.Cylinders.QuadPart},
          {"mediaType", static_cast<int>(g.MediaType)},
          {"tracksPerCylinder", g.TracksPerCylinder},
          {"sectorsPerTrack", g.SectorsPerTrack},
          {"bytesPerSector", g.BytesPerSector}};
}

json MountPoint(const MountPointNode& m) {
  json extents = json::array();
  for (const DiskExtentNode* e : m.extents) extents.push_back(ExtentPath(*e));
  json paths = json::array();
  for (const auto& p : m.volumePathNames) paths.push_back(Text(p));
  return {{"name", Name(m)},
          {"kind", m.kind},
          {"symbolicLinkName", Text(m.symbolicLinkName)},
          {"uniqueIdText", Text(m.uniqueIdText)},
          {"uniqueIdLine", Text(m.UniqueIdLine())},
          {"deviceName", Text(m.deviceName)},
          {"volumeName", Text(m.volumeName)},
          {"volumeSerialNumber", m.volumeSerialNumber},
          {"maxComponentLength", m.maxComponentLength},
          {"fileSystemFlags", m.fileSystemFlags},
          {"freeBytesAvailable", m.freeBytesAvailable},
          {"totalBytes", m.totalBytes},
          {"totalFreeBytes", m.totalFreeBytes},
          {"fileSystemName", Text(m.fileSystemName)},
          {"hasPartitionInfoEx", m.hasPartitionInfoEx},
          {"partitionInfoEx", PartitionEx(m.partitionInfoEx)},
          {"partitionInfo", Partition(m.partitionInfo)},
          {"extents", extents},
          {"volumePathNames", paths}};
}

json Extent(const DiskExtentNode& e) {
  return {{"name", Name(e)},
          {"path", ExtentPath(e)},
          {"kind", e.kind},
          {"extentIndex", e.extentIndex},
          {"diskExtent",
           {{"diskNumber", e.diskExtent.DiskNumber},
            {"startingOffset", e.diskExtent.StartingOffset.QuadPart},
            {"extentLength", e.diskExtent.ExtentLength.QuadPart}}},
          {"partition", e.partition != nullptr ? json(PartitionPath(*e.partition)) : json(nullptr)}};
}

json PartitionNode(const DiskPartitionNode& p) {
  return {{"name", Name(p)},
          {"path", PartitionPath(p)},
          {"kind", p.kind},
          {"diskNumber", p.diskNumber},
          {"disk", p.disk != nullptr ? json(Name(*p.disk)) : json(nullptr)},
          {"hasPartitionInfoEx", p.hasPartitionInfoEx},
          {"partitionInfoEx", PartitionEx(p.partitionInfoEx)},
          {"partitionInfo", Partition(p.partitionInfo)}};
}

// The path of each device under the first adapter that lists it; made once,
// as a walk of every adapter per disk would make a large machine quadratic.
class DevicePaths {
 public:
  explicit DevicePaths(const CQuelbrinDoc& doc) {
    if (doc.Model().Adapters() == nullptr) return;
    for (const auto& a : doc.Model().Adapters()->children) {
      for (const auto& d : a->devices) paths_.emplace(d.get(), DevicePath(*a, *d));
    }
  }
  std::string Of(const ScsiDeviceNode& device) const {
    const auto found = paths_.find(&device);
    return found != paths_.end() ? found->second : Name(device);
  }

 private:
  std::unordered_map<const ScsiDeviceNode*, std::string> paths_;
};

json Disk(const DevicePaths& devices, const PhysicalDiskNode& d) {
  json partitions = json::array();
  for (const DiskPartitionNode* p : d.partitions) partitions.push_back(PartitionPath(*p));
  const DISK_PARTITION_INFO& s = d.partitionStyleInfo;
  json style = {{"sizeOfPartitionInfo", s.SizeOfPartitionInfo}, {"partitionStyle", static_cast<int>(s.PartitionStyle)}};
  if (s.PartitionStyle == PARTITION_STYLE_GPT) {
    style["gpt"] = {{"diskId", Guid(s.Gpt.DiskId)}};
  } else {
    style["mbr"] = {{"signature", s.Mbr.Signature}, {"checkSum", s.Mbr.CheckSum}};
  }
  const DISK_DETECTION_INFO& x = d.detectionInfo;
  json detection = {{"sizeOfDetectInfo", x.SizeOfDetectInfo},
                    {"detectionType", static_cast<int>(x.DetectionType)},
                    {"int13",
                     {{"driveSelect", x.Int13.DriveSelect},
                      {"maxCylinders", x.Int13.MaxCylinders},
                      {"sectorsPerTrack", x.Int13.SectorsPerTrack},
                      {"maxHeads", x.Int13.MaxHeads},
                      {"numberDrives", x.Int13.NumberDrives}}},
                    {"exInt13",
                     {{"bufferSize", x.ExInt13.ExBufferSize},
                      {"flags", x.ExInt13.ExFlags},
                      {"cylinders", x.ExInt13.ExCylinders},
                      {"heads", x.ExInt13.ExHeads},
                      {"sectorsPerTrack", x.ExInt13.ExSectorsPerTrack},
                      {"sectorsPerDrive", x.ExInt13.ExSectorsPerDrive},
                      {"sectorSize", x.ExInt13.ExSectorSize}}}};
  return {{"name", Name(d)},
          {"kind", d.kind},
          {"diskNumber", d.diskNumber},
          {"adapter", d.adapter != nullptr ? json(Name(*d.adapter)) : json(nullptr)},
          {"device", d.device != nullptr ? json(devices.Of(*d.device)) : json(nullptr)},
          {"partitions", partitions},
          {"geometry", Geometry(d.geometry)},
          {"diskSize", d.diskSize},
          {"partitionStyleInfo", style},
          {"detectionInfo", detection}};
}

json Address(const SCSI_ADDRESS& a) {
  return {{"length", a.Length}, {"portNumber", a.PortNumber}, {"pathId", a.PathId}, {"targetId", a.TargetId}, {"lun", a.Lun}};
}

json AdapterDescriptor(const ScsiAdapterNode& a) {
  if (a.adapterDescriptor.empty()) return nullptr;
  const STORAGE_ADAPTER_DESCRIPTOR d = a.AdapterDescriptorFields();
  return {{"bytesHeld", a.adapterDescriptor.size()},
          {"version", d.Version},
          {"size", d.Size},
          {"maximumTransferLength", d.MaximumTransferLength},
          {"maximumPhysicalPages", d.MaximumPhysicalPages},
          {"alignmentMask", d.AlignmentMask},
          {"adapterUsesPio", d.AdapterUsesPio != 0},
          {"adapterScansDown", d.AdapterScansDown != 0},
          {"commandQueueing", d.CommandQueueing != 0},
          {"acceleratedTransfer", d.AcceleratedTransfer != 0},
          {"busType", d.BusType},
          {"busMajorVersion", d.BusMajorVersion},
          {"busMinorVersion", d.BusMinorVersion}};
}

json DeviceDescriptor(const ScsiDeviceNode& n) {
  if (n.deviceDescriptor.empty()) return nullptr;
  const STORAGE_DEVICE_DESCRIPTOR d = n.DeviceDescriptorFields();
  auto text = [&n](DWORD offset) -> json {
    if (offset == 0) return nullptr;
    return Ascii(StringAt(n.deviceDescriptor, offset));
  };
  const std::size_t rawStart = layout::kDeviceDescriptorFixed;
  const std::size_t rawHeld =
      n.deviceDescriptor.size() > rawStart ? std::min<std::size_t>(d.RawPropertiesLength, n.deviceDescriptor.size() - rawStart) : 0;
  return {{"bytesHeld", n.deviceDescriptor.size()},
          {"version", d.Version},
          {"size", d.Size},
          {"deviceType", d.DeviceType},
          {"deviceTypeModifier", d.DeviceTypeModifier},
          {"removableMedia", d.RemovableMedia != 0},
          {"commandQueueing", d.CommandQueueing != 0},
          {"vendorIdOffset", d.VendorIdOffset},
          {"productIdOffset", d.ProductIdOffset},
          {"productRevisionOffset", d.ProductRevisionOffset},
          {"serialNumberOffset", d.SerialNumberOffset},
          {"busType", static_cast<int>(d.BusType)},
          {"rawPropertiesLength", d.RawPropertiesLength},
          {"vendorId", text(d.VendorIdOffset)},
          {"productId", text(d.ProductIdOffset)},
          {"productRevision", text(d.ProductRevisionOffset)},
          {"serialNumber", text(d.SerialNumberOffset)},
          {"rawDeviceProperties", Hex(n.deviceDescriptor.data() + std::min(rawStart, n.deviceDescriptor.size()), rawHeld)}};
}

json DeviceIdDescriptor(const ScsiDeviceNode& n) {
  const RecordBytes& b = n.deviceIdDescriptor;
  if (b.empty()) return nullptr;
  const auto d = ReadRecord<STORAGE_DEVICE_ID_DESCRIPTOR>(b);
  json ids = json::array();
  // Every identifier and its bytes must lie inside the descriptor; the walk
  // stops at the first that does not, or that does not move forward.
  std::size_t at = layout::kDeviceIdDescriptorFixed;
  for (DWORD i = 0; i < d.NumberOfIdentifiers; ++i) {
    if (at + layout::kIdentifierFixed > b.size()) break;
    const auto id = ReadRecord<STORAGE_IDENTIFIER>(b, at);
    const std::size_t start = at + layout::kIdentifierFixed;
    const std::size_t size = std::min<std::size_t>(id.IdentifierSize, b.size() - start);
    json entry = {{"codeSet", static_cast<int>(id.CodeSet)},
                  {"type", static_cast<int>(id.Type)},
                  {"association", static_cast<int>(id.Association)},
                  {"identifierSize", id.IdentifierSize},
                  {"nextOffset", id.NextOffset},
                  {"identifier", Hex(b.data() + start, size)}};
    if (id.CodeSet == StorageIdCodeSetAscii || id.CodeSet == StorageIdCodeSetUtf8)
      entry["text"] = Ascii(std::string_view(reinterpret_cast<const char*>(b.data() + start), size));
    ids.push_back(entry);
    if (id.NextOffset == 0) break;
    at += id.NextOffset;
  }
  return {{"bytesHeld", b.size()}, {"version", d.Version}, {"size", d.Size}, {"numberOfIdentifiers", d.NumberOfIdentifiers},
          {"identifiers", ids}};
}

json Inquiry(const ScsiDeviceNode& n) {
  if (n.inquiryRecord.empty()) return nullptr;
  const SCSI_INQUIRY_DATA h = n.InquiryHeader();
  const std::size_t length = n.InquiryLength();
  const BYTE* q = n.inquiryData;
  auto field = [q, length](std::size_t from, std::size_t to) -> json {
    if (length <= from) return nullptr;
    return Ascii(std::string_view(reinterpret_cast<const char*>(q + from), std::min(to, length) - from));
  };
  return {{"pathId", h.PathId},
          {"targetId", h.TargetId},
          {"lun", h.Lun},
          {"deviceClaimed", h.DeviceClaimed != 0},
          {"inquiryDataLength", h.InquiryDataLength},
          {"nextInquiryDataOffset", h.NextInquiryDataOffset},
          {"peripheralDeviceType", length > 0 ? json(q[0] & 0x1F) : json(nullptr)},
          {"removableMedium", length > 1 ? json((q[1] & 0x80) != 0) : json(nullptr)},
          {"vendorId", field(8, 16)},
          {"productId", field(16, 32)},
          {"productRevision", field(32, 36)},
          {"vendorSpecific", field(36, 56)},
          {"inquiryData", Hex(q, length)}};
}

json Lines(const std::vector<std::wstring>& lines) {
  json out = json::array();
  for (const auto& l : lines) out.push_back(Text(l));
  return out;
}

json Device(const ScsiAdapterNode& a, const ScsiDeviceNode& d) {
  return {{"name", Name(d)},
          {"path", DevicePath(a, d)},
          {"kind", d.kind},
          {"scsiAddress", Address(d.scsiAddress)},
          {"isUsbDisk", d.isUsbDisk},
          {"is1394Disk", d.is1394Disk},
          {"inquiry", Inquiry(d)},
          {"deviceDescriptor", DeviceDescriptor(d)},
          {"deviceIdDescriptor", DeviceIdDescriptor(d)}};
}

// An adapter's members but its devices, which a port of thousands of disks
// makes too many to hold as one value.
json AdapterFields(const ScsiAdapterNode& a) {
  const IO_SCSI_CAPABILITIES& c = a.scsiCapabilities;
  const DeviceManagerInfo& m = a.deviceManagerInfo;
  return {{"name", Name(a)},
          {"kind", a.kind},
          {"isUsbStorage", a.isUsbStorage},
          {"is1394Storage", a.is1394Storage},
          {"scsiAddress", Address(a.scsiAddress)},
          {"portDeviceName", Text(a.portDeviceName)},
          {"numberOfBuses", a.numberOfBuses},
          {"scsiCapabilities",
           {{"length", c.Length},
            {"maximumTransferLength", c.MaximumTransferLength},
            {"maximumPhysicalPages", c.MaximumPhysicalPages},
            {"supportedAsynchronousEvents", c.SupportedAsynchronousEvents},
            {"alignmentMask", c.AlignmentMask},
            {"taggedQueuing", c.TaggedQueuing != 0},
            {"adapterScansDown", c.AdapterScansDown != 0},
            {"adapterUsesPio", c.AdapterUsesPio != 0}}},
          {"adapterDescriptor", AdapterDescriptor(a)},
          {"hasDeviceManagerInfo", a.hasDeviceManagerInfo},
          {"deviceManagerInfo",
           {{"hardwareIds", Lines(m.hardwareIds)},
            {"compatibleIds", Lines(m.compatibleIds)},
            {"hardwareResources", Lines(m.hardwareResources)},
            {"driverNodes", Lines(m.driverNodes)},
            {"driverFiles", Lines(m.driverFiles)}}}};
}

json Adapter(const ScsiAdapterNode& a) {
  json adapter = AdapterFields(a);
  json& devices = adapter["devices"] = json::array();
  for (const auto& d : a.devices) devices.push_back(Device(a, *d));
  return adapter;
}

template <class List, class Each>
json Root(const List* list, Each each) {
  if (list == nullptr) return nullptr;
  json children = json::array();
  for (const auto& c : list->children) children.push_back(each(*c));
  return {{"name", Name(*list)}, {"kind", list->kind}, {"children", children}};
}

// Writes what json::dump(2) writes for the whole model, one node at a time, so
// that no document of the whole model is ever held: members in the order of
// their names, as the library's objects keep them, and each node's object
// formatted by the library itself at its depth.
class StreamWriter {
 public:
  explicit StreamWriter(std::ostream& out) : out_(out) {}

  // Values at `depth` levels of indentation.
  void Value(const json& value, unsigned depth) {
    text_.clear();
    nlohmann::detail::serializer<json> s(nlohmann::detail::output_adapter<char>(text_), ' ',
                                         json::error_handler_t::strict);
    s.dump(value, true, false, kIndent, depth * kIndent);
    out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  }
  void OpenObject() { out_ << '{'; }
  // Names are this program's own and need no escapes.
  void Member(const char* name, unsigned depth, bool first) {
    out_ << (first ? "\n" : ",\n");
    Indent(depth);
    out_ << '"' << name << "\": ";
  }
  void CloseObject(unsigned depth) {
    out_ << '\n';
    Indent(depth);
    out_ << '}';
  }
  // An array of `count` values, each written at `depth + 1` by `write(i)`.
  template <class Write>
  void ArrayOf(std::size_t count, unsigned depth, Write write) {
    if (count == 0) {
      out_ << "[]";
      return;
    }
    out_ << '[';
    for (std::size_t i = 0; i < count; ++i) {
      out_ << (i == 0 ? "\n" : ",\n");
      Indent(depth + 1);
      write(i);
    }
    out_ << '\n';
    Indent(depth);
    out_ << ']';
  }
  // An array of `count` values made one at a time by `item(i)`.
  template <class Item>
  void Array(std::size_t count, unsigned depth, Item item) {
    ArrayOf(count, depth, [&](std::size_t i) { Value(item(i), depth + 1); });
  }
  // The object of `fields` and one member more, `name`, whose value `write()`
  // writes at `depth + 1` in the place the library's order gives it.
  template <class Write>
  void ObjectWith(const json& fields, const std::string& name, unsigned depth, Write write) {
    OpenObject();
    bool first = true;
    bool written = false;
    for (auto it = fields.begin(); it != fields.end(); ++it) {
      if (!written && name < it.key()) {
        Member(name.c_str(), depth + 1, first);
        write();
        first = false;
        written = true;
      }
      Member(it.key().c_str(), depth + 1, first);
      Value(it.value(), depth + 1);
      first = false;
    }
    if (!written) {
      Member(name.c_str(), depth + 1, first);
      write();
    }
    CloseObject(depth);
  }
  // A root as Root() makes it: null, or its children, kind and name; each
  // child is written at `depth + 2` by `write(child)`.
  template <class List, class Write>
  void RootOf(const List* list, unsigned depth, Write write) {
    if (list == nullptr) {
      Value(nullptr, depth);
      return;
    }
    OpenObject();
    Member("children", depth + 1, true);
    ArrayOf(list->children.size(), depth + 1, [&](std::size_t i) { write(*list->children[i]); });
    Member("kind", depth + 1, false);
    Value(list->kind, depth + 1);
    Member("name", depth + 1, false);
    Value(Name(*list), depth + 1);
    CloseObject(depth);
  }
  template <class List, class Each>
  void Root(const List* list, unsigned depth, Each each) {
    RootOf(list, depth, [&](const auto& child) { Value(each(child), depth + 2); });
  }

 private:
  static constexpr unsigned kIndent = 2;
  void Indent(unsigned depth) {
    static constexpr char kSpaces[] = "                ";
    for (std::size_t left = depth * kIndent; left > 0;) {
      const std::size_t n = std::min(left, sizeof kSpaces - 1);
      out_.write(kSpaces, static_cast<std::streamsize>(n));
      left -= n;
    }
  }

  std::ostream& out_;
  std::string text_;
};

}  // namespace

nlohmann::json BuildModelJson(const CQuelbrinDoc& doc) {
  json extents = json::array();
  for (const auto& e : doc.Model().Extents()) extents.push_back(Extent(*e));
  json partitions = json::array();
  for (const auto& p : doc.Model().Partitions()) partitions.push_back(PartitionNode(*p));
  const StorageNode* current = doc.GetCurrentNode();
  const DevicePaths devices(doc);
  return {{"title", Text(doc.GetTitle())},
          {"showAllMountPoints", doc.GetShowAllMountPoints()},
          {"scanResult", doc.LastScanResult()},
          {"currentNode", current != nullptr ? json(Name(*current)) : json(nullptr)},
          {"mountPoints", Root(doc.Model().MountPoints(), [](const MountPointNode& m) { return MountPoint(m); })},
          {"physicalDisks",
           Root(doc.Model().PhysicalDisks(), [&devices](const PhysicalDiskNode& d) { return Disk(devices, d); })},
          {"adapters", Root(doc.Model().Adapters(), [](const ScsiAdapterNode& a) { return Adapter(a); })},
          {"extents", extents},
          {"partitions", partitions}};
}

void WriteModelJson(const CQuelbrinDoc& doc, std::ostream& out) {
  const StorageModel& model = doc.Model();
  const StorageNode* current = doc.GetCurrentNode();
  const DevicePaths devices(doc);
  StreamWriter w(out);
  w.OpenObject();
  w.Member("adapters", 1, true);
  w.RootOf(model.Adapters(), 1, [&w](const ScsiAdapterNode& a) {
    constexpr unsigned kAdapterDepth = 3;  // the document, the root, its children
    w.ObjectWith(AdapterFields(a), "devices", kAdapterDepth, [&] {
      w.ArrayOf(a.devices.size(), kAdapterDepth + 1,
                [&](std::size_t i) { w.Value(Device(a, *a.devices[i]), kAdapterDepth + 2); });
    });
  });
  w.Member("currentNode", 1, false);
  w.Value(current != nullptr ? json(Name(*current)) : json(nullptr), 1);
  w.Member("extents", 1, false);
  w.Array(model.Extents().size(), 1, [&model](std::size_t i) { return Extent(*model.Extents()[i]); });
  w.Member("mountPoints", 1, false);
  w.Root(model.MountPoints(), 1, [](const MountPointNode& m) { return MountPoint(m); });
  w.Member("partitions", 1, false);
  w.Array(model.Partitions().size(), 1, [&model](std::size_t i) { return PartitionNode(*model.Partitions()[i]); });
  w.Member("physicalDisks", 1, false);
  w.Root(model.PhysicalDisks(), 1, [&devices](const PhysicalDiskNode& d) { return Disk(devices, d); });
  w.Member("scanResult", 1, false);
  w.Value(doc.LastScanResult(), 1);
  w.Member("showAllMountPoints", 1, false);
  w.Value(doc.GetShowAllMountPoints(), 1);
  w.Member("title", 1, false);
  w.Value(Text(doc.GetTitle()), 1);
  w.CloseObject(0);
}
