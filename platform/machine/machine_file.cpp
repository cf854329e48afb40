#include "platform/machine/machine_file.h"

#include "platform/machine/machine_file_parts.h"

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/request_names.h"
#include "platform/wide_text.h"

namespace machine {
namespace {

// The requests each kind of object answers, by the names a file uses to make
// them fail or answer raw.
const std::vector<std::string> kManagerRequests = {"open", "IOCTL_MOUNTMGR_QUERY_POINTS"};
const std::vector<std::string> kVolumeRequests = {"open",
                                                  "GetVolumeInformationW",
                                                  "GetDiskFreeSpaceExW",
                                                  "GetVolumePathNamesForVolumeNameW",
                                                  "IOCTL_DISK_GET_PARTITION_INFO_EX",
                                                  "IOCTL_DISK_GET_PARTITION_INFO",
                                                  "IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS"};
const std::vector<std::string>& DriveRequests() {
  static const std::vector<std::string> requests = [] {
    std::vector<std::string> r = {"open", "IOCTL_DISK_GET_DRIVE_LAYOUT_EX", "IOCTL_DISK_GET_DRIVE_LAYOUT",
                                "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX", "IOCTL_DISK_GET_DRIVE_GEOMETRY"};
    r.insert(r.end(), kDriveAdapterRequests.begin(), kDriveAdapterRequests.end());
    return r;
  }();
  return requests;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace

Behaviour ReadBehaviour(const JsonField& object, const std::vector<std::string>& requests) {
  Behaviour b;
  // Errors name the member itself, e.g. "drives[1].fail.IOCTL_DISK_GET_DRIVE_LAYOUT_EX".
  auto checkName = [&requests](const JsonField& member, const std::string& name) {
    for (const auto& r : requests) {
      if (r == name) return;
    }
    member.Error("\"" + name + "\" is not a request of this object (requests: " + JoinNames(requests) + ")");
  };
  if (auto fail = object.Optional("fail")) {
    for (const auto& [name, code] : fail->Members()) {
      checkName(code, name);
      // A code, or {"code": N, "after": K}: K answers before the failures start.
      const JsonField codeField = code.IsObject() ? code.Required("code") : code;
      if (code.IsObject()) {
        code.AllowOnly({"code", "after"});
        b.failAfter[name] = code.Or<DWORD>("after", 0, &JsonField::U32);
      }
      const DWORD value = codeField.U32();
      if (value == 0) codeField.Fail("a non-zero error code");
      b.fail[name] = value;
    }
  }
  if (auto raw = object.Optional("raw")) {
    for (const auto& [name, bytes] : raw->Members()) {
      checkName(bytes, name);
      if (name.rfind("IOCTL_", 0) != 0 && name.rfind("Storage", 0) != 0)
        bytes.Error("a raw answer can only be given for an IOCTL request or a storage property");
      b.raw[name] = bytes.Hex();
    }
  }
  return b;
}

namespace {

PARTITION_STYLE ReadStyle(const JsonField& f) {
  const std::string s = f.Text();
  if (s == "mbr") return PARTITION_STYLE_MBR;
  if (s == "gpt") return PARTITION_STYLE_GPT;
  if (s == "raw") return PARTITION_STYLE_RAW;
  f.Fail("\"mbr\", \"gpt\" or \"raw\"");
}

PartitionRecord ReadPartition(const JsonField& f, PARTITION_STYLE defaultStyle) {
  f.AllowOnly({"style", "number", "offset", "length", "rewrite", "service", "type", "boot", "recognized",
               "hiddenSectors", "typeGuid", "id", "attributes", "name"});
  PartitionRecord p;
  p.style = f.Has("style") ? ReadStyle(f.Required("style")) : defaultStyle;
  p.number = f.Required("number").U32();
  p.offset = f.Required("offset").U64();
  p.length = f.Required("length").U64();
  p.rewrite = f.Or("rewrite", false, &JsonField::Bool);
  p.service = f.Or("service", false, &JsonField::Bool);
  p.type = f.Or<BYTE>("type", p.style == PARTITION_STYLE_MBR ? BYTE{0x07} : BYTE{0}, &JsonField::U8);
  p.boot = f.Or("boot", false, &JsonField::Bool);
  p.recognized = f.Or("recognized", true, &JsonField::Bool);
  p.hiddenSectors = f.Or<DWORD>("hiddenSectors", 0, &JsonField::U32);
  p.typeGuid = f.Or("typeGuid", GUID{}, &JsonField::Guid);
  p.id = f.Or("id", GUID{}, &JsonField::Guid);
  p.attributes = f.Or<ULONGLONG>("attributes", 0, &JsonField::U64);
  p.name = f.Or("name", std::wstring(), &JsonField::Wide);
  if (p.name.size() > 36) f.Required("name").Fail("a name of at most 36 characters");
  return p;
}

Layout ReadLayout(const JsonField& f) {
  f.AllowOnly({"style", "signature", "checksum", "diskId", "startingUsableOffset", "usableLength",
               "maxPartitionCount", "partitions"});
  Layout l;
  l.style = f.Has("style") ? ReadStyle(f.Required("style")) : PARTITION_STYLE_MBR;
  l.signature = f.Or<DWORD>("signature", 0, &JsonField::U32);
  l.checksum = f.Or<DWORD>("checksum", 0, &JsonField::U32);
  l.diskId = f.Or("diskId", GUID{}, &JsonField::Guid);
  l.startingUsableOffset = f.Or<ULONGLONG>("startingUsableOffset", 0, &JsonField::U64);
  l.usableLength = f.Or<ULONGLONG>("usableLength", 0, &JsonField::U64);
  l.maxPartitionCount =
      f.Or<DWORD>("maxPartitionCount", l.style == PARTITION_STYLE_GPT ? 128 : 0, &JsonField::U32);
  if (auto parts = f.Optional("partitions")) {
    for (const JsonField& p : parts->Items()) l.partitions.push_back(ReadPartition(p, l.style));
  }
  return l;
}

void ReadDetection(const JsonField& f, Drive& d) {
  f.AllowOnly({"type", "int13", "exInt13"});
  const std::string type = f.Or("type", std::string("none"), &JsonField::Text);
  if (type == "none") {
    d.detection = DetectNone;
  } else if (type == "int13") {
    d.detection = DetectInt13;
  } else if (type == "exInt13") {
    d.detection = DetectExInt13;
  } else {
    f.Required("type").Fail("\"none\", \"int13\" or \"exInt13\"");
  }
  if (auto i = f.Optional("int13")) {
    i->AllowOnly({"driveSelect", "maxCylinders", "sectorsPerTrack", "maxHeads", "numberDrives"});
    d.int13.DriveSelect = i->Or<WORD>("driveSelect", 0, &JsonField::U16);
    d.int13.MaxCylinders = i->Or<DWORD>("maxCylinders", 0, &JsonField::U32);
    d.int13.SectorsPerTrack = i->Or<WORD>("sectorsPerTrack", 0, &JsonField::U16);
    d.int13.MaxHeads = i->Or<WORD>("maxHeads", 0, &JsonField::U16);
    d.int13.NumberDrives = i->Or<WORD>("numberDrives", 0, &JsonField::U16);
  }
  if (auto x = f.Optional("exInt13")) {
    x->AllowOnly({"bufferSize", "flags", "cylinders", "heads", "sectorsPerTrack", "sectorsPerDrive", "sectorSize",
                  "reserved"});
    d.exInt13.ExBufferSize = x->Or<WORD>("bufferSize", 0, &JsonField::U16);
    d.exInt13.ExFlags = x->Or<WORD>("flags", 0, &JsonField::U16);
    d.exInt13.ExCylinders = x->Or<DWORD>("cylinders", 0, &JsonField::U32);
    d.exInt13.ExHeads = x->Or<DWORD>("heads", 0, &JsonField::U32);
    d.exInt13.ExSectorsPerTrack = x->Or<DWORD>("sectorsPerTrack", 0, &JsonField::U32);
    d.exInt13.ExSectorsPerDrive = x->Or<ULONGLONG>("sectorsPerDrive", 0, &JsonField::U64);
    d.exInt13.ExSectorSize = x->Or<WORD>("sectorSize", 0, &JsonField::U16);
    d.exInt13.ExReserved = x->Or<WORD>("reserved", 0, &JsonField::U16);
  }
}

Drive ReadDrive(const JsonField& f) {
  f.AllowOnly({"number", "layout", "geometry", "size", "detection", "adapter", "device", "identifiers", "fail", "raw"});
  Drive d;
  d.number = f.Required("number").U32();
  if (auto l = f.Optional("layout")) d.layout = ReadLayout(*l);
  const auto geometry = f.Optional("geometry");
  const auto size = f.Optional("size");
  if (!geometry && !size) f.Fail("a drive with \"size\" or \"geometry\" (or both)");
  if (geometry) {
    geometry->AllowOnly({"cylinders", "mediaType", "tracksPerCylinder", "sectorsPerTrack", "bytesPerSector"});
    d.geometry.Cylinders.QuadPart = geometry->Required("cylinders").I64();
    d.geometry.MediaType = static_cast<MEDIA_TYPE>(geometry->Or<DWORD>("mediaType", 12, &JsonField::U32));
    d.geometry.TracksPerCylinder = geometry->Or<DWORD>("tracksPerCylinder", 255, &JsonField::U32);
    d.geometry.SectorsPerTrack = geometry->Or<DWORD>("sectorsPerTrack", 63, &JsonField::U32);
    d.geometry.BytesPerSector = geometry->Or<DWORD>("bytesPerSector", 512, &JsonField::U32);
  }
  if (size) {
    d.size = size->U64();
  } else {
    d.size = static_cast<ULONGLONG>(d.geometry.Cylinders.QuadPart) * d.geometry.TracksPerCylinder *
             d.geometry.SectorsPerTrack * d.geometry.BytesPerSector;
  }
  if (!geometry) {
    // The platform's own synthesis for a disk of a given size.
    d.geometry.MediaType = FixedMedia;
    d.geometry.TracksPerCylinder = 255;
    d.geometry.SectorsPerTrack = 63;
    d.geometry.BytesPerSector = 512;
    d.geometry.Cylinders.QuadPart = static_cast<LONGLONG>(d.size / (255ull * 63 * 512));
  }
  if (auto det = f.Optional("detection")) ReadDetection(*det, d);
  ReadDrivePlacement(f, d);
  d.behaviour = ReadBehaviour(f, DriveRequests());
  return d;
}

Volume ReadVolume(const JsonField& f, const MachineIndex& index) {
  f.AllowOnly({"id", "paths", "label", "serialNumber", "fileSystem", "fileSystemFlags", "maxComponentLength",
               "freeBytesAvailable", "totalBytes", "totalFreeBytes", "partition", "extents", "mountPaths", "fail",
               "raw"});
  Volume v;
  v.id = f.Required("id").Text();
  if (auto paths = f.Optional("paths")) {
    for (const JsonField& p : paths->Items()) v.paths.push_back(p.Wide());
  }
  v.label = f.Or("label", std::wstring(), &JsonField::Wide);
  v.serialNumber = f.Or<DWORD>("serialNumber", 0, &JsonField::U32);
  v.fileSystem = f.Or("fileSystem", std::wstring(), &JsonField::Wide);
  v.fileSystemFlags = f.Or<DWORD>("fileSystemFlags", 0, &JsonField::U32);
  v.maxComponentLength = f.Or<DWORD>("maxComponentLength", 255, &JsonField::U32);

  std::optional<Extent> partitionExtent;
  if (auto p = f.Optional("partition")) {
    if (p->Has("disk")) {
      // A reference to an entry of a drive's layout: the volume's record is that entry.
      p->AllowOnly({"disk", "number"});
      const DWORD diskNumber = p->Required("disk").U32();
      const DWORD number = p->Required("number").U32();
      if (index.FindDrive(diskNumber) == nullptr)
        p->Required("disk").Fail("the number of a drive listed under \"drives\"");
      const PartitionRecord* entry = index.FindPartition(diskNumber, number);
      if (entry == nullptr) p->Required("number").Fail("the number of a partition in that drive's layout");
      v.partition = *entry;
      partitionExtent = Extent{diskNumber, entry->offset, entry->length};
    } else {
      v.partition = ReadPartition(*p, PARTITION_STYLE_MBR);
    }
  }
  if (auto extents = f.Optional("extents")) {
    for (const JsonField& e : extents->Items()) {
      e.AllowOnly({"disk", "offset", "length"});
      Extent x{e.Required("disk").U32(), e.Required("offset").U64(), e.Required("length").U64()};
      if (index.FindDrive(x.disk) == nullptr) e.Required("disk").Fail("the number of a drive listed under \"drives\"");
      v.extents.push_back(x);
    }
  } else if (partitionExtent) {
    v.extents.push_back(*partitionExtent);
  }
  ULONGLONG extentBytes = 0;
  for (const Extent& e : v.extents) extentBytes += e.length;
  v.totalBytes = f.Or<ULONGLONG>("totalBytes", extentBytes, &JsonField::U64);
  v.totalFreeBytes = f.Or<ULONGLONG>("totalFreeBytes", 0, &JsonField::U64);
  v.freeBytesAvailable = f.Or<ULONGLONG>("freeBytesAvailable", v.totalFreeBytes, &JsonField::U64);
  if (auto mounts = f.Optional("mountPaths")) {
    for (const JsonField& p : mounts->Items()) v.mountPaths.push_back(p.Wide());
  }
  v.behaviour = ReadBehaviour(f, kVolumeRequests);
  return v;
}

void AppendLittleEndian(std::vector<BYTE>& out, ULONGLONG value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// The unique id the platform forms for a basic disk's volume: MBR signature and
// offset, "DMIO:ID:" and the GPT partition id, otherwise the device name as text.
std::vector<BYTE> DefaultUniqueId(const Volume& v, const std::wstring& deviceName, const MachineIndex& index) {
  std::vector<BYTE> id;
  if (v.partition && !v.extents.empty()) {
    const Drive* drive = index.FindDrive(v.extents.front().disk);
    if (v.partition->style == PARTITION_STYLE_MBR && drive != nullptr) {
      AppendLittleEndian(id, drive->layout.signature, 4);
      AppendLittleEndian(id, v.partition->offset, 8);
      return id;
    }
    if (v.partition->style == PARTITION_STYLE_GPT) {
      for (char c : std::string("DMIO:ID:")) id.push_back(static_cast<BYTE>(c));
      const GUID& g = v.partition->id;
      AppendLittleEndian(id, g.Data1, 4);
      AppendLittleEndian(id, g.Data2, 2);
      AppendLittleEndian(id, g.Data3, 2);
      for (BYTE b : g.Data4) id.push_back(b);
      return id;
    }
  }
  return Utf16LeBytes(deviceName);
}

MountPoint ReadMountPoint(const JsonField& f, const Machine& m, const MachineIndex& index) {
  f.AllowOnly({"name", "volume", "deviceName", "uniqueId"});
  // The mount point manager counts each name in 16-bit byte lengths.
  auto fits = [](const JsonField& field, std::size_t bytes) {
    if (bytes > 0xFFFF) field.Error("longer than the 65535 bytes a mount point entry can hold");
  };
  MountPoint mp;
  mp.symbolicLink = f.Required("name").Wide();
  fits(f.Required("name"), Utf16FromWide(mp.symbolicLink).size() * 2);
  const JsonField volumeField = f.Required("volume");
  mp.volume = volumeField.Text();
  const std::optional<std::size_t> volumeAt = index.VolumePosition(mp.volume);
  if (!volumeAt) volumeField.Fail("the id of a volume listed under \"volumes\"");
  const Volume& volume = m.volumes[*volumeAt];
  mp.deviceName = f.Or("deviceName", L"\\Device\\HarddiskVolume" + std::to_wstring(*volumeAt + 1), &JsonField::Wide);
  if (f.Has("deviceName")) fits(f.Required("deviceName"), Utf16FromWide(mp.deviceName).size() * 2);
  if (auto id = f.Optional("uniqueId")) {
    id->AllowOnly({"text", "hex"});
    if (id->Has("text") == id->Has("hex")) id->Fail("an object with either \"text\" or \"hex\"");
    mp.uniqueId = id->Has("text") ? Utf16LeBytes(id->Required("text").Wide()) : id->Required("hex").Hex();
    fits(*id, mp.uniqueId.size());
  } else {
    mp.uniqueId = DefaultUniqueId(volume, mp.deviceName, index);
  }
  return mp;
}

}  // namespace
}  // namespace machine

namespace machine {

void ReadTopLevel(const JsonField& top, Machine& m) {
  top.AllowOnly({"format", "version", "description", "mountPointManager", "drives", "volumes", "mountPoints", "adapters",
                 "storagePortInterfaces", "deviceInstances", "deviceManager"});
  const JsonField format = top.Required("format");
  if (format.Text() != "quelbrin-machine") format.Fail("\"quelbrin-machine\"");
  const JsonField version = top.Required("version");
  if (version.U32() != Machine::kVersion) {
    version.Fail("version " + std::to_string(Machine::kVersion) + " (the version this program reads)");
  }
  m.description = top.Or("description", std::string(), &JsonField::Text);
  if (auto mgr = top.Optional("mountPointManager")) {
    mgr->AllowOnly({"fail", "raw"});
    m.mountPointManager = ReadBehaviour(*mgr, kManagerRequests);
  }
}

void ReadDriveEntry(const JsonField& d, Machine& m, MachineIndex& index) {
  Drive drive = ReadDrive(d);
  if (index.FindDrive(drive.number) != nullptr) d.Required("number").Fail("a drive number not used before");
  m.drives.push_back(std::move(drive));
  index.AddDrive();
}

void ReadVolumeEntry(const JsonField& v, Machine& m, MachineIndex& index) {
  Volume volume = ReadVolume(v, index);
  if (index.VolumePosition(volume.id)) v.Required("id").Fail("a volume id not used before");
  m.volumes.push_back(std::move(volume));
  index.AddVolume();
}

void ReadMountPointEntry(const JsonField& mp, Machine& m, const MachineIndex& index) {
  m.mountPoints.push_back(ReadMountPoint(mp, m, index));
}

}  // namespace machine

namespace machine {

Machine ReadMachineDocument(const JsonField& top) {
  if (!top.IsObject()) top.Fail("a machine description object");
  Machine m;
  MachineIndex index(m);
  ReadTopLevel(top, m);
  // Each list is given its room at once: grown by doubling, a list of large
  // entries would be moved a dozen times over.
  auto readList = [&top](const char* name, auto& list, auto readEntry) {
    std::vector<JsonField> entries;
    if (auto f = top.Optional(name)) entries = f->Items();
    list.reserve(entries.size());
    for (const JsonField& e : entries) readEntry(e);
    return entries;
  };
  const std::vector<JsonField> drives =
      readList("drives", m.drives, [&m, &index](const JsonField& d) { ReadDriveEntry(d, m, index); });
  readList("volumes", m.volumes, [&m, &index](const JsonField& v) { ReadVolumeEntry(v, m, index); });
  readList("mountPoints", m.mountPoints, [&m, &index](const JsonField& mp) { ReadMountPointEntry(mp, m, index); });
  ReadPortSection(top, m, index);
  for (const JsonField& d : drives) {
    if (auto a = d.Optional("adapter")) {
      const BYTE port = a->Required("port").U8();
      if (index.FindPort(port) == nullptr) a->Required("port").Fail("the port number of an adapter under \"adapters\"");
    }
  }
  ReadDeviceSections(top, m, index);
  return m;
}

}  // namespace machine

machine::Machine ParseMachine(const std::string& text, const std::string& sourceName) {
  using namespace machine;
  // Most files are read through the quick parser; what it does not take,
  // errors included, is read again here from the library's document, so that
  // every file gets the same answer and the same message.
  if (std::optional<Machine> quick = ReadMachineQuickly(text, sourceName)) return std::move(*quick);
  const nlohmann::json document = ParseJsonText(text, sourceName);
  return ReadMachineDocument(JsonField(document, "", sourceName));
}

machine::Machine LoadMachineFile(const std::string& path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(PathFromUtf8(path), ignored))
    throw MachineFileError(path + ": is a directory, not a machine file");
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) throw MachineFileError(path + ": cannot open the machine file");
  // Read in pieces up to the limit, so that an endless source such as a
  // device is refused rather than read until memory runs out.
  std::string text;
  // Room for a regular file at once: growing by doubling would copy a large
  // file several times over. Any other source grows as it is read.
  if (const auto size = std::filesystem::file_size(PathFromUtf8(path), ignored); !ignored && size <= kMaxMachineFileBytes)
    text.reserve(static_cast<std::size_t>(size));
  char piece[1 << 16];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) {
    if (text.size() + static_cast<std::size_t>(in.gcount()) > kMaxMachineFileBytes) {
      throw MachineFileError(path + ": larger than " + std::to_string(kMaxMachineFileBytes >> 20) +
                             " MiB, more than any machine file needs; not read");
    }
    text.append(piece, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) throw MachineFileError(path + ": cannot read the machine file");
  return ParseMachine(text, path);
}
