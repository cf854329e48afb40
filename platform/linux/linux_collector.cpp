#include "platform/linux/linux_collector.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <map>
#include <set>

#include "platform/linux/block_devices.h"
#include "platform/linux/block_probe.h"
#include "platform/linux/device_mapper.h"
#include "platform/linux/disk_layout.h"
#include "platform/linux/mount_table.h"
#include "platform/linux/udev_database.h"
#include "platform/linux/volume_identity.h"
#include "platform/wide_text.h"

namespace linuxsys {
namespace {

// GetVolumeInformationW on a volume without a filesystem it knows.
constexpr DWORD ERROR_UNRECOGNIZED_VOLUME = 1005;

std::string DeviceNumber(unsigned major, unsigned minor) {
  return std::to_string(major) + ":" + std::to_string(minor);
}

std::string Get(const Properties& p, const char* key) {
  auto it = p.find(key);
  return it != p.end() ? it->second : std::string();
}

std::optional<FileSystemSpace> StatFileSystem(const std::string& path) {
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return std::nullopt;
  const std::uint64_t unit = st.f_frsize != 0 ? st.f_frsize : st.f_bsize;
  FileSystemSpace s;
  s.freeBytesAvailable = static_cast<std::uint64_t>(st.f_bavail) * unit;
  s.totalBytes = static_cast<std::uint64_t>(st.f_blocks) * unit;
  s.totalFreeBytes = static_cast<std::uint64_t>(st.f_bfree) * unit;
  s.maxNameLength = st.f_namemax > 0xFFFFFFFFul ? 0xFFFFFFFFu : static_cast<std::uint32_t>(st.f_namemax);
  return s;
}

// What is known of the filesystem on one device.
struct FilesystemFacts {
  std::string type;
  std::string label;
  std::string uuid;
};

// Where a device carries a mounted filesystem.
struct Mounted {
  std::vector<std::string> targets;  // in table order
  std::string fsType;
  bool readOnly = false;
};

class Collector {
 public:
  Collector(SystemFiles& files, const CollectOptions& options) : files_(files), options_(options) {}

  machine::Machine Run() {
    devices_ = ListBlockDevices(files_);
    for (std::size_t i = 0; i < devices_.size(); ++i) {
      byName_[devices_[i].name] = i;
      if (devices_[i].major && devices_[i].minor) byNumber_[DeviceNumber(*devices_[i].major, *devices_[i].minor)] = i;
    }
    ReadMounts();
    NumberDrives();
    for (const std::string& drive : driveOrder_) CollectDrive(drive);
    for (const BlockDevice& d : devices_) {
      if (d.kind == BlockKind::DeviceMapper || d.kind == BlockKind::Md) AddStackedVolume(d);
    }
    AddMountPoints();
    machine_.description = Describe();
    return std::move(machine_);
  }

 private:
  const BlockDevice* Find(const std::string& name) const {
    auto it = byName_.find(name);
    return it != byName_.end() ? &devices_[it->second] : nullptr;
  }

  Properties Udev(const BlockDevice& d) {
    if (!d.major || !d.minor) return {};
    return ReadUdevProperties(files_, *d.major, *d.minor);
  }

  // The device a mount table entry stands on, by the device number the
  // filesystem reports, else by the name of its source.
  const BlockDevice* DeviceOfMount(const MountEntry& e) {
    if (e.major && e.minor) {
      auto it = byNumber_.find(DeviceNumber(*e.major, *e.minor));
      if (it != byNumber_.end()) return &devices_[it->second];
    }
    const std::string prefix = "/dev/";
    if (e.source.rfind(prefix, 0) != 0) return nullptr;
    const std::string rest = e.source.substr(prefix.size());
    if (rest.rfind("mapper/", 0) == 0) {
      const std::string dmName = rest.substr(7);
      for (const BlockDevice& d : devices_) {
        if (d.kind == BlockKind::DeviceMapper && d.dmName == dmName) return &d;
      }
    }
    if (const BlockDevice* d = Find(rest)) return d;
    if (auto link = files_.LinkTarget(e.source)) {
      const std::size_t slash = link->rfind('/');
      return Find(slash == std::string::npos ? *link : link->substr(slash + 1));
    }
    return nullptr;
  }

  void ReadMounts() {
    for (const MountEntry& e : ReadMountTable(files_)) {
      const BlockDevice* d = DeviceOfMount(e);
      // The filesystem people see at "/" is the last one mounted there.
      if (e.target == "/") rootDevice_ = d != nullptr ? d->name : std::string();
      if (d == nullptr) continue;
      Mounted& m = mounted_[d->name];
      if (m.targets.empty()) {
        m.fsType = e.fsType;
        m.readOnly = e.readOnly;
        mountOrder_.push_back(d->name);
      }
      if (std::find(m.targets.begin(), m.targets.end(), e.target) == m.targets.end()) m.targets.push_back(e.target);
    }
  }

  // Devices a mounted filesystem stands on, down through dm and md.
  void MarkInUse(const std::string& name, int depth, std::set<std::string>& inUse) const {
    const BlockDevice* d = Find(name);
    if (d == nullptr || depth > 16 || !inUse.insert(name).second) return;
    if (d->kind == BlockKind::Partition) inUse.insert(d->parent);
    for (const std::string& s : d->slaves) MarkInUse(s, depth + 1, inUse);
  }

  void NumberDrives() {
    std::set<std::string> inUse;
    for (const auto& [name, m] : mounted_) MarkInUse(name, 0, inUse);
    std::vector<std::string> real;
    std::vector<std::string> virtualInUse;
    for (const BlockDevice& d : devices_) {
      if (d.kind == BlockKind::Disk) real.push_back(d.name);
      if (d.kind == BlockKind::Virtual && inUse.count(d.name) != 0) virtualInUse.push_back(d.name);
    }
    // Real disks keep their numbers whatever virtual devices come and go.
    DWORD number = 0;
    for (const auto* list : {&real, &virtualInUse}) {
      for (const std::string& name : *list) {
        driveNumbers_[name] = number++;
        driveOrder_.push_back(name);
      }
    }
  }

  FilesystemFacts FilesystemOf(const BlockDevice& d, const std::optional<ProbedFilesystem>& probed,
                               const Properties& udev) const {
    FilesystemFacts f;
    if (probed) {
      f.type = probed->type;
      f.label = probed->label;
      f.uuid = probed->uuid;
    } else {
      f.type = Get(udev, "ID_FS_TYPE");
      f.uuid = Get(udev, "ID_FS_UUID");
      const std::string encoded = Get(udev, "ID_FS_LABEL_ENC");
      f.label = encoded.empty() ? Get(udev, "ID_FS_LABEL") : DecodeUdevString(encoded);
    }
    // The kernel's name for a mounted filesystem is the one it goes by.
    if (auto it = mounted_.find(d.name); it != mounted_.end() && !it->second.fsType.empty()) f.type = it->second.fsType;
    return f;
  }

  void CollectDrive(const std::string& name) {
    const BlockDevice& disk = *Find(name);
    const DWORD number = driveNumbers_.at(name);
    std::vector<PartitionSource> partitions;
    for (const BlockDevice& d : devices_) {
      if (d.kind == BlockKind::Partition && d.parent == name) partitions.push_back({&d, Udev(d)});
    }
    const DeviceProbe probe = ProbeDevice(files_, disk.DevicePath(), true, disk.logicalBlockSize);
    const Properties diskUdev = Udev(disk);
    DiskLayout layout = BuildDiskLayout(disk, partitions, probe, diskUdev);

    machine::Drive drive;
    drive.number = number;
    drive.layout = layout.layout;
    drive.size = disk.sizeBytes;
    drive.detection = DetectNone;
    // The platform's synthesis for a disk it knows only by size.
    drive.geometry.BytesPerSector = disk.logicalBlockSize;
    drive.geometry.TracksPerCylinder = 255;
    drive.geometry.SectorsPerTrack = 63;
    drive.geometry.MediaType = disk.removable ? RemovableMedia : FixedMedia;
    drive.geometry.Cylinders.QuadPart =
        static_cast<LONGLONG>(disk.sizeBytes / (255ull * 63 * std::uint64_t{disk.logicalBlockSize}));
    machine_.drives.push_back(drive);

    if (partitions.empty() && !layout.tableKnown) {
      // A filesystem on the whole disk: a disk without partitions and one volume covering it.
      FilesystemFacts fs = FilesystemOf(disk, probe.filesystem, diskUdev);
      if (fs.type.empty() && mounted_.count(name) == 0) return;
      machine::PartitionRecord whole;
      whole.style = PARTITION_STYLE_RAW;
      whole.offset = 0;
      whole.length = disk.sizeBytes;
      whole.type = 0;
      machine::Volume v = NewVolume(disk, fs, "", {machine::Extent{number, 0, disk.sizeBytes}});
      v.partition = whole;
      uniqueIds_[v.id] = TextUniqueId(disk.DevicePath());
      machine_.volumes.push_back(std::move(v));
      return;
    }

    for (const PartitionSource& s : partitions) {
      const BlockDevice& p = *s.device;
      if (layout.containers.count(p.partitionNumber) != 0) continue;
      auto record = layout.records.find(p.partitionNumber);
      if (record == layout.records.end()) continue;
      const machine::PartitionRecord& r = record->second;
      const DeviceProbe partProbe = ProbeDevice(files_, p.DevicePath(), false, p.logicalBlockSize);
      const FilesystemFacts fs = FilesystemOf(p, partProbe.filesystem, s.udev);
      std::string partitionUuid;
      if (r.style == PARTITION_STYLE_GPT && r.id.Data1 + r.id.Data2 + r.id.Data3 != 0) {
        partitionUuid = Utf8FromWide(FormatGuid(r.id));
      }
      machine::Volume v = NewVolume(p, fs, partitionUuid, {machine::Extent{number, r.offset, r.length}});
      v.partition = r;
      if (r.style == PARTITION_STYLE_GPT && !partitionUuid.empty()) {
        uniqueIds_[v.id] = GptUniqueId(r.id);
      } else if (r.style == PARTITION_STYLE_MBR) {
        uniqueIds_[v.id] = MbrUniqueId(layout.layout.signature, r.offset);
      } else {
        uniqueIds_[v.id] = TextUniqueId(p.DevicePath());
      }
      machine_.volumes.push_back(std::move(v));
    }
  }

  // Extents on drives of a range of a device, down through dm and md.
  void ExtentsOf(const std::string& name, ULONGLONG offset, ULONGLONG length, int depth,
                 std::vector<machine::Extent>& out) {
    const BlockDevice* d = Find(name);
    if (d == nullptr || depth > 16) return;
    if (auto it = driveNumbers_.find(name); it != driveNumbers_.end()) {
      out.push_back(machine::Extent{it->second, offset, length});
      return;
    }
    if (d->kind == BlockKind::Partition) {
      auto it = driveNumbers_.find(d->parent);
      if (it != driveNumbers_.end() && d->startBytes && *d->startBytes <= UINT64_MAX - offset)
        out.push_back(machine::Extent{it->second, *d->startBytes + offset, length});
      return;
    }
    // A volume stacked on another: the extents of the lower one as they are.
    for (const machine::Extent& e : StackedExtents(*d, depth + 1)) out.push_back(e);
  }

  const BlockDevice* FromTableName(const std::string& device) const {
    if (auto it = byNumber_.find(device); it != byNumber_.end()) return &devices_[it->second];
    const std::string prefix = "/dev/";
    if (device.rfind(prefix, 0) == 0) return Find(device.substr(prefix.size()));
    return nullptr;
  }

  std::vector<machine::Extent> StackedExtents(const BlockDevice& d, int depth) {
    std::vector<machine::Extent> extents;
    if (d.kind == BlockKind::DeviceMapper && d.major && d.minor) {
      std::optional<std::string> table = options_.deviceMapperTable ? options_.deviceMapperTable(*d.major, *d.minor)
                                                                    : ReadDmTableFromKernel(files_, *d.major, *d.minor);
      if (table) {
        if (auto segments = ParseDmTable(*table)) {
          bool complete = true;
          for (const DmSegment& s : *segments) {
            const BlockDevice* lower = FromTableName(s.device);
            if (lower == nullptr) {
              complete = false;
              break;
            }
            ExtentsOf(lower->name, s.offsetBytes, s.lengthBytes, depth, extents);
          }
          if (complete) return extents;
          extents.clear();
        }
      }
    }
    // Without a table: one extent per device the volume is built on.
    for (const std::string& slave : d.slaves) {
      const BlockDevice* lower = Find(slave);
      if (lower == nullptr) continue;
      ULONGLONG offset = 0;
      ULONGLONG length = lower->sizeBytes;
      if (d.kind == BlockKind::Md) {
        const std::string member = d.sysPath + "/md/dev-" + slave;
        if (auto o = files_.ReadNumber(member + "/offset"); o && *o <= UINT64_MAX / 512 && *o * 512 <= length) {
          offset = *o * 512;
          length -= offset;
        }
        if (auto kib = files_.ReadNumber(member + "/size"); kib && *kib <= length / 1024) length = *kib * 1024;
      }
      ExtentsOf(slave, offset, length, depth, extents);
    }
    return extents;
  }

  void AddStackedVolume(const BlockDevice& d) {
    const Properties udev = Udev(d);
    const DeviceProbe probe = ProbeDevice(files_, d.DevicePath(), false, d.logicalBlockSize);
    const FilesystemFacts fs = FilesystemOf(d, probe.filesystem, udev);
    machine::Volume v = NewVolume(d, fs, "", StackedExtents(d, 0));
    uniqueIds_[v.id] = TextUniqueId(d.DevicePath());
    machine_.volumes.push_back(std::move(v));
  }

  // A volume with its filesystem facts, space and name; the caller adds the
  // partition record and unique id.
  machine::Volume NewVolume(const BlockDevice& d, const FilesystemFacts& fs, const std::string& partitionUuid,
                            std::vector<machine::Extent> extents) {
    machine::Volume v;
    v.id = d.name;
    v.extents = std::move(extents);
    v.label = WideFromUtf8(fs.label);
    v.fileSystem = WideFromUtf8(fs.type);
    v.serialNumber = SerialFromUuid(fs.uuid);
    v.maxComponentLength = 0;
    auto mount = mounted_.find(d.name);
    if (mount != mounted_.end()) {
      for (const std::string& t : mount->second.targets) v.mountPaths.push_back(WideFromUtf8(t));
      v.fileSystemFlags = FileSystemFlags(fs.type, mount->second.readOnly || d.readOnly);
      const std::string& where = mount->second.targets.front();
      const auto space =
          options_.fileSystemSpace ? options_.fileSystemSpace(where) : StatFileSystem(files_.PathOf(where));
      if (space) {
        v.freeBytesAvailable = space->freeBytesAvailable;
        v.totalBytes = space->totalBytes;
        v.totalFreeBytes = space->totalFreeBytes;
        v.maxComponentLength = space->maxNameLength;
      }
    } else if (!fs.type.empty()) {
      v.fileSystemFlags = FileSystemFlags(fs.type, d.readOnly);
    } else {
      // Nothing the platform would recognise.
      v.behaviour.fail["GetVolumeInformationW"] = ERROR_UNRECOGNIZED_VOLUME;
      v.behaviour.fail["GetDiskFreeSpaceExW"] = ERROR_UNRECOGNIZED_VOLUME;
    }
    volumeGuids_[v.id] = UniqueGuid(d, fs, partitionUuid);
    devicePaths_[v.id] = d.DevicePath();
    return v;
  }

  // The volume's GUID: the partition's, else the filesystem's, else one derived
  // from what identifies the device. Never one already given to another volume.
  GUID UniqueGuid(const BlockDevice& d, const FilesystemFacts& fs, const std::string& partitionUuid) {
    std::optional<GUID> guid = ParseGuid(partitionUuid);
    if (!guid) guid = ParseGuid(fs.uuid);
    if (!guid) {
      std::string identity;
      if (!fs.uuid.empty()) {
        identity = "fs:" + fs.uuid;
      } else if (!d.dmUuid.empty()) {
        identity = "dm:" + d.dmUuid;
      } else if (auto md = files_.ReadAttribute(d.sysPath + "/md/uuid"); md && !md->empty()) {
        identity = "md:" + *md;
      } else {
        identity = "dev:" + d.DevicePath();
      }
      guid = DeriveGuid(identity);
    }
    for (int attempt = 0; usedGuids_.count(FormatGuid(*guid)) != 0; ++attempt)
      guid = DeriveGuid("dev:" + d.DevicePath() + "#" + std::to_string(attempt));
    usedGuids_.insert(FormatGuid(*guid));
    return *guid;
  }

  machine::MountPoint MountPointOf(const machine::Volume& v, std::wstring name) {
    machine::MountPoint mp;
    mp.symbolicLink = std::move(name);
    mp.deviceName = WideFromUtf8(devicePaths_[v.id]);
    mp.uniqueId = uniqueIds_[v.id];
    mp.volume = v.id;
    return mp;
  }

  // Drive letters first — C: for "/", then D:, E:, ... in mount table order —
  // then every volume's name.
  void AddMountPoints() {
    std::map<std::string, const machine::Volume*> volumes;
    for (const machine::Volume& v : machine_.volumes) volumes[v.id] = &v;
    // Unique ids tell volumes apart; two disks with one signature must not share one.
    std::set<std::vector<BYTE>> seen;
    for (const machine::Volume& v : machine_.volumes) {
      if (!seen.insert(uniqueIds_[v.id]).second) {
        uniqueIds_[v.id] = TextUniqueId(devicePaths_[v.id]);
        seen.insert(uniqueIds_[v.id]);
      }
    }
    std::vector<std::string> lettered;
    if (volumes.count(rootDevice_) != 0) lettered.push_back(rootDevice_);
    for (const std::string& name : mountOrder_) {
      if (name != rootDevice_ && volumes.count(name) != 0) lettered.push_back(name);
    }
    wchar_t letter = L'C';
    if (volumes.count(rootDevice_) == 0) letter = L'D';  // C: stays the root's
    for (const std::string& name : lettered) {
      if (letter > L'Z') break;  // the rest are reached by their volume names
      machine_.mountPoints.push_back(MountPointOf(*volumes[name], std::wstring(L"\\DosDevices\\") + letter + L":"));
      ++letter;
    }
    for (const machine::Volume& v : machine_.volumes)
      machine_.mountPoints.push_back(MountPointOf(v, L"\\??\\Volume" + FormatGuid(volumeGuids_[v.id])));
  }

  std::string Describe() {
    const std::string host = files_.ReadAttribute("/proc/sys/kernel/hostname").value_or("");
    const std::string release = files_.ReadAttribute("/proc/sys/kernel/osrelease").value_or("");
    std::string text = "The storage of " + (host.empty() ? std::string("a Linux machine") : host);
    if (!release.empty()) text += " (Linux " + release + ")";
    return text;
  }

  SystemFiles& files_;
  const CollectOptions& options_;
  machine::Machine machine_;
  std::vector<BlockDevice> devices_;
  std::map<std::string, std::size_t> byName_;
  std::map<std::string, std::size_t> byNumber_;
  std::map<std::string, Mounted> mounted_;
  std::vector<std::string> mountOrder_;
  std::string rootDevice_;
  std::map<std::string, DWORD> driveNumbers_;
  std::vector<std::string> driveOrder_;
  std::map<std::string, GUID> volumeGuids_;
  std::set<std::wstring> usedGuids_;
  std::map<std::string, std::vector<BYTE>> uniqueIds_;
  std::map<std::string, std::string> devicePaths_;
};

}  // namespace

machine::Machine CollectMachine(SystemFiles& files, const CollectOptions& options) {
  return Collector(files, options).Run();
}

}  // namespace linuxsys
