#include "platform/linux/linux_collector.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/linux/block_devices.h"
#include "platform/linux/block_probe.h"
#include "platform/linux/device_facts.h"
#include "platform/linux/device_manager_text.h"
#include "platform/linux/disk_layout.h"
#include "platform/linux/mount_table.h"
#include "platform/linux/stacked_extents.h"
#include "platform/linux/storage_ports.h"
#include "platform/linux/udev_database.h"
#include "platform/linux/volume_identity.h"
#include "platform/wide_text.h"

namespace linuxsys {
namespace {

// GetVolumeInformationW on a volume without a filesystem it knows.
constexpr DWORD ERROR_UNRECOGNIZED_VOLUME = 1005;
// A volume that did not tell its space in time.
constexpr DWORD ERROR_SEM_TIMEOUT = 121;

std::string DeviceNumber(unsigned major, unsigned minor) {
  return std::to_string(major) + ":" + std::to_string(minor);
}

std::string Get(const Properties& p, const char* key) {
  auto it = p.find(key);
  return it != p.end() ? it->second : std::string();
}

// FUSE names every filesystem it mounts from a block device alike; the probe
// tells which one it is.
bool IsFuse(const std::string& kernelType) { return kernelType == "fuseblk" || kernelType.rfind("fuse.", 0) == 0; }

// The MBR type byte a partition table entry would carry for the filesystem,
// for a disk whose filesystem has no table around it.
BYTE WholeDiskType(const std::string& fsType) {
  if (fsType == "vfat" || fsType == "msdos") return 0x0c;
  if (fsType == "ntfs" || fsType == "exfat" || fsType == "fuseblk") return 0x07;
  if (fsType == "swap") return 0x82;
  if (fsType == "LVM2_member") return 0x8e;
  if (fsType == "linux_raid_member") return 0xfd;
  return 0x83;
}

// What is known of the filesystem on one device.
struct FilesystemFacts {
  std::string type;
  std::string label;
  std::string uuid;
  std::string usage;
  std::optional<std::uint64_t> sizeBytes;
};

// Where a device carries a mounted filesystem.
struct Mounted {
  std::vector<std::string> targets;  // in table order
  std::string fsType;
  bool readOnly = false;
};

class Collector {
 public:
  Collector(SystemFiles& files, const CollectOptions& options)
      : files_(files), options_(options), facts_(files) {}

  machine::Machine Run() {
    devices_ = ListBlockDevices(files_);
    for (std::size_t i = 0; i < devices_.size(); ++i) {
      byName_[devices_[i].name] = i;
      if (devices_[i].major && devices_[i].minor) byNumber_[DeviceNumber(*devices_[i].major, *devices_[i].minor)] = i;
    }
    stacks_.emplace(files_, devices_, driveNumbers_, options_.deviceMapperTable);
    ReadMounts();
    ReadMultiDeviceFilesystems();
    NumberDrives();
    AskSpace();
    for (const std::string& drive : driveOrder_) CollectDrive(drive);
    CollectAdapters();
    for (const BlockDevice& d : devices_) {
      if ((d.kind == BlockKind::DeviceMapper || d.kind == BlockKind::Md) && memberOf_.count(d.name) == 0)
        AddStackedVolume(d);
    }
    AddMountPoints();
    NoteUnreadable();
    machine_.description = Describe();
    return std::move(machine_);
  }

 private:
  const BlockDevice* Find(const std::string& name) const {
    auto it = byName_.find(name);
    return it != byName_.end() ? &devices_[it->second] : nullptr;
  }

  void Note(const std::string& line) const {
    if (options_.note) options_.note(line);
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
    const std::vector<MountEntry> table = ReadMountTable(files_);
    // Each device's places so far, in the table: a container host binds one
    // filesystem at thousands of places, and a search of its list for each
    // was quadratic.
    std::unordered_map<std::string, std::unordered_set<std::string_view>> listed;
    for (const MountEntry& e : table) {
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
      if (listed[d->name].insert(e.target).second) m.targets.push_back(e.target);
    }
  }

  // Filesystems over several devices (btrfs): the kernel lists each one's
  // members, to anyone. One volume stands for them all, with an extent on
  // each; it is named after the member the mount table names.
  void ReadMultiDeviceFilesystems() {
    for (const std::string& id : files_.List("/sys/fs/btrfs")) {
      std::vector<std::string> members;
      for (const std::string& name : files_.List("/sys/fs/btrfs/" + id + "/devices")) {
        if (Find(name) != nullptr && memberOf_.count(name) == 0 && members_.count(name) == 0) members.push_back(name);
      }
      if (members.size() < 2) continue;
      std::sort(members.begin(), members.end(), KernelNameLess);
      auto mounted = std::find_if(members.begin(), members.end(),
                                  [this](const std::string& n) { return mounted_.count(n) != 0; });
      if (mounted != members.end()) std::rotate(members.begin(), mounted, mounted + 1);
      for (std::size_t i = 1; i < members.size(); ++i) memberOf_[members[i]] = members[0];
      members_[members[0]] = members;
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
    for (const auto& [name, m] : mounted_) {
      MarkInUse(name, 0, inUse);
      if (auto it = members_.find(name); it != members_.end()) {
        for (const std::string& member : it->second) MarkInUse(member, 0, inUse);
      }
    }
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

  // Every mounted filesystem's space at once, none allowed to hold up the rest.
  void AskSpace() {
    std::vector<SpaceQuestion> questions;
    for (const std::string& name : mountOrder_) {
      const std::string& where = mounted_[name].targets.front();
      if (options_.fileSystemSpace) {
        questions.push_back([ask = options_.fileSystemSpace, where] { return ask(where); });
      } else {
        questions.push_back([path = files_.PathOf(where)] { return StatFileSystem(path); });
      }
    }
    const std::vector<SpaceAnswer> answers = AskWithin(questions, options_.spaceLimit);
    const auto seconds = std::to_string((options_.spaceLimit.count() + 999) / 1000);
    for (std::size_t i = 0; i < answers.size(); ++i) {
      const std::string& name = mountOrder_[i];
      space_[name] = answers[i];
      if (!answers[i].answered) {
        Note(mounted_[name].targets.front() + " (/dev/" + name + ") did not answer within " + seconds +
             " s; its sizes are shown as unknown");
      }
    }
  }

  // The device's udev properties, filled in from what anyone may read when
  // the device itself could not be read; remembers devices left unread.
  Properties FactsOf(const BlockDevice& d, bool unread, bool denied) {
    bool inDatabase = false;
    Properties p = facts_.Of(d, unread, &inDatabase);
    if (denied && !inDatabase) unreadable_.insert(d.name);
    return p;
  }

  FilesystemFacts FilesystemOf(const BlockDevice& d, const std::optional<ProbedFilesystem>& probed,
                               const Properties& udev) const {
    FilesystemFacts f;
    if (probed) {
      f.type = probed->type;
      f.label = probed->label;
      f.uuid = probed->uuid;
      f.usage = probed->usage;
      f.sizeBytes = probed->sizeBytes;
    } else {
      f.type = Get(udev, "ID_FS_TYPE");
      f.uuid = Get(udev, "ID_FS_UUID");
      f.usage = Get(udev, "ID_FS_USAGE");
      const std::string encoded = Get(udev, "ID_FS_LABEL_ENC");
      f.label = encoded.empty() ? Get(udev, "ID_FS_LABEL") : DecodeUdevString(encoded);
    }
    // The kernel's name for a mounted filesystem is the one it goes by, but
    // for FUSE's, which says only that FUSE mounted it.
    if (auto it = mounted_.find(d.name); it != mounted_.end() && !it->second.fsType.empty()) {
      if (!IsFuse(it->second.fsType) || f.type.empty()) f.type = it->second.fsType;
      if (!IsFuse(it->second.fsType)) f.usage = "filesystem";
    }
    return f;
  }

  // The extents of a volume on the device: on every member of a filesystem
  // over several devices, else where the device itself lies.
  std::vector<machine::Extent> VolumeExtents(const BlockDevice& d, std::vector<machine::Extent> own) {
    auto it = members_.find(d.name);
    if (it == members_.end()) return own;
    std::vector<machine::Extent> extents;
    for (const std::string& member : it->second) {
      for (const machine::Extent& e : stacks_->Of(*Find(member))) extents.push_back(e);
    }
    return extents;
  }

  void CollectDrive(const std::string& name) {
    const BlockDevice& disk = *Find(name);
    const DWORD number = driveNumbers_.at(name);
    const DeviceProbe probe = ProbeDevice(files_, disk.DevicePath(), true, disk.logicalBlockSize);
    // Without the table, each partition's facts come from what anyone may read.
    const bool tableUnread = !probe.table;
    std::vector<PartitionSource> partitions;
    std::vector<const Properties*> partitionFacts;
    for (const BlockDevice& d : devices_) {
      if (d.kind == BlockKind::Partition && d.parent == name)
        partitions.push_back({&d, FactsOf(d, tableUnread, probe.denied)});
    }
    for (const PartitionSource& s : partitions) partitionFacts.push_back(&s.udev);
    Properties diskUdev = FactsOf(disk, !probe.opened, probe.denied);
    if (tableUnread) InferPartitionTable(diskUdev, partitionFacts);
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

    if (partitions.empty() && !layout.tableKnown) {
      CollectWholeDisk(disk, drive, probe, diskUdev);
      return;
    }
    machine_.drives.push_back(drive);

    for (const PartitionSource& s : partitions) {
      const BlockDevice& p = *s.device;
      if (layout.containers.count(p.partitionNumber) != 0 || memberOf_.count(p.name) != 0) continue;
      auto record = layout.records.find(p.partitionNumber);
      if (record == layout.records.end()) continue;
      const machine::PartitionRecord& r = record->second;
      const DeviceProbe partProbe = ProbeDevice(files_, p.DevicePath(), false, p.logicalBlockSize);
      const FilesystemFacts fs = FilesystemOf(p, partProbe.filesystem, s.udev);
      std::string partitionUuid;
      if (r.style == PARTITION_STYLE_GPT && r.id.Data1 + r.id.Data2 + r.id.Data3 != 0) {
        partitionUuid = Utf8FromWide(FormatGuid(r.id));
      } else if (r.style == PARTITION_STYLE_MBR && layout.layout.signature != 0) {
        // Signature and entry, as the kernel and libblkid name an MBR partition.
        char entry[32];
        std::snprintf(entry, sizeof entry, "%08x-%02x", static_cast<unsigned>(layout.layout.signature),
                      p.partitionNumber);
        partitionUuid = entry;
      }
      machine::Volume v =
          NewVolume(p, fs, partitionUuid, VolumeExtents(p, {machine::Extent{number, r.offset, r.length}}));
      v.partition = r;
      if (r.style == PARTITION_STYLE_GPT && r.id.Data1 + r.id.Data2 + r.id.Data3 != 0) {
        uniqueIds_[v.id] = GptUniqueId(r.id);
      } else if (r.style == PARTITION_STYLE_MBR) {
        uniqueIds_[v.id] = MbrUniqueId(layout.layout.signature, r.offset);
      } else {
        uniqueIds_[v.id] = TextUniqueId(p.DevicePath());
      }
      machine_.volumes.push_back(std::move(v));
    }
  }

  // A filesystem on the whole disk. The platform shows such media as a disk
  // whose layout is one MBR entry covering it all, so that the volume's
  // extent leads to a partition, its disk and its adapter.
  void CollectWholeDisk(const BlockDevice& disk, machine::Drive& drive, const DeviceProbe& probe,
                        const Properties& diskUdev) {
    const FilesystemFacts fs = FilesystemOf(disk, probe.filesystem, diskUdev);
    const bool member = memberOf_.count(disk.name) != 0;
    if (fs.type.empty() && mounted_.count(disk.name) == 0 && !member) {
      machine_.drives.push_back(drive);
      return;
    }
    machine::PartitionRecord whole;
    whole.style = PARTITION_STYLE_MBR;
    whole.number = 1;
    whole.offset = 0;
    whole.length = disk.sizeBytes;
    whole.type = WholeDiskType(fs.type);
    whole.recognized = IsRecognizedType(whole.type);
    whole.hiddenSectors = 0;
    drive.layout = machine::Layout{};
    drive.layout.style = PARTITION_STYLE_MBR;
    drive.layout.partitions.push_back(whole);
    machine_.drives.push_back(drive);
    // A further member of a filesystem over several devices: the volume is its first member's.
    if (member) return;
    machine::Volume v = NewVolume(disk, fs, "", VolumeExtents(disk, {machine::Extent{drive.number, 0, disk.sizeBytes}}));
    v.partition = whole;
    uniqueIds_[v.id] = TextUniqueId(disk.DevicePath());
    machine_.volumes.push_back(std::move(v));
  }

  // The adapters behind the drives, where each drive sits on them, and what
  // the device manager would say of their controllers.
  void CollectAdapters() {
    std::vector<const BlockDevice*> devices;
    for (const std::string& name : driveOrder_) devices.push_back(Find(name));
    StoragePorts ports = CollectStoragePorts(files_, machine_.drives, devices);
    DeviceManagerText text = DescribeControllers(files_, ports.controllers, KernelRelease());
    machine_.ports = std::move(ports.ports);
    machine_.deviceInstances = std::move(text.instances);
    machine_.portInterfaces = std::move(text.interfaces);
  }

  void AddStackedVolume(const BlockDevice& d) {
    const DeviceProbe probe = ProbeDevice(files_, d.DevicePath(), false, d.logicalBlockSize);
    const Properties udev = FactsOf(d, !probe.opened, probe.denied);
    const FilesystemFacts fs = FilesystemOf(d, probe.filesystem, udev);
    machine::Volume v = NewVolume(d, fs, "", VolumeExtents(d, stacks_->Of(d)));
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
    v.label = VisibleText(WideFromUtf8(fs.label));
    v.fileSystem = VisibleText(WideFromUtf8(fs.type));
    v.serialNumber = SerialFromUuid(fs.uuid);
    v.maxComponentLength = 0;
    auto mount = mounted_.find(d.name);
    if (mount != mounted_.end()) {
      for (const std::string& t : mount->second.targets) v.mountPaths.push_back(VisibleText(WideFromUtf8(t)));
      v.fileSystemFlags = FileSystemFlags(fs.type, fs.usage, mount->second.readOnly || d.readOnly);
      const SpaceAnswer& answer = space_[d.name];
      if (!answer.answered) {
        v.behaviour.fail["GetDiskFreeSpaceExW"] = ERROR_SEM_TIMEOUT;
      } else if (answer.space) {
        const FileSystemSpace& space = *answer.space;
        v.freeBytesAvailable = space.freeBytesAvailable;
        v.totalFreeBytes = space.totalFreeBytes;
        // The superblock's size counts the filesystem's own metadata, which
        // the space figures leave out.
        v.totalBytes = fs.sizeBytes && *fs.sizeBytes >= space.totalBytes ? *fs.sizeBytes : space.totalBytes;
        v.maxComponentLength = space.maxNameLength;
      }
    } else if (!fs.type.empty()) {
      v.fileSystemFlags = FileSystemFlags(fs.type, fs.usage, d.readOnly);
    } else {
      // Nothing the platform would recognise.
      v.behaviour.fail["GetVolumeInformationW"] = ERROR_UNRECOGNIZED_VOLUME;
      v.behaviour.fail["GetDiskFreeSpaceExW"] = ERROR_UNRECOGNIZED_VOLUME;
    }
    volumeGuids_[v.id] = UniqueGuid(d, fs, partitionUuid);
    devicePaths_[v.id] = d.DevicePath();
    return v;
  }

  // The volume's GUID: the GPT partition's, else the filesystem's, else one
  // derived from what identifies the partition, the filesystem or the device,
  // in that order, so that root and an ordinary user name it alike where they
  // can read the same facts. Never one already given to another volume.
  GUID UniqueGuid(const BlockDevice& d, const FilesystemFacts& fs, const std::string& partitionUuid) {
    std::optional<GUID> guid = ParseGuid(partitionUuid);
    if (!guid) guid = ParseGuid(fs.uuid);
    if (!guid) {
      std::string identity;
      if (!fs.uuid.empty()) {
        identity = "fs:" + fs.uuid;
      } else if (!partitionUuid.empty()) {
        identity = "part:" + partitionUuid;
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

  // Once, whatever could not be read for want of permission.
  void NoteUnreadable() const {
    if (unreadable_.empty()) return;
    std::vector<std::string> names(unreadable_.begin(), unreadable_.end());
    std::sort(names.begin(), names.end(), KernelNameLess);
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < 4; ++i) list += (i == 0 ? "" : ", ") + names[i];
    if (names.size() > 4) list += ", ...";
    Note("not allowed to open " + std::to_string(names.size()) + " block device" + (names.size() == 1 ? "" : "s") +
         " (" + list + "), which the udev database does not describe: their partition tables, labels and sizes "
         "are left out, and their volume names may differ from root's");
  }

  const std::string& KernelRelease() {
    if (!release_) release_ = files_.ReadAttribute("/proc/sys/kernel/osrelease").value_or("");
    return *release_;
  }

  std::string Describe() {
    const std::string host = files_.ReadAttribute("/proc/sys/kernel/hostname").value_or("");
    const std::string& release = KernelRelease();
    std::string text = "The storage of " + (host.empty() ? std::string("a Linux machine") : host);
    if (!release.empty()) text += " (Linux " + release + ")";
    return text;
  }

  SystemFiles& files_;
  const CollectOptions& options_;
  DeviceFacts facts_;
  machine::Machine machine_;
  std::vector<BlockDevice> devices_;
  std::map<std::string, std::size_t> byName_;
  std::map<std::string, std::size_t> byNumber_;
  std::map<std::string, Mounted> mounted_;
  std::vector<std::string> mountOrder_;
  std::map<std::string, SpaceAnswer> space_;
  std::string rootDevice_;
  // Filesystems over several devices: the first member's list of all, and each further member's first.
  std::map<std::string, std::vector<std::string>> members_;
  std::map<std::string, std::string> memberOf_;
  std::map<std::string, DWORD> driveNumbers_;
  std::vector<std::string> driveOrder_;
  std::optional<StackedExtents> stacks_;  // once the devices are listed
  std::map<std::string, GUID> volumeGuids_;
  std::set<std::wstring> usedGuids_;
  std::map<std::string, std::vector<BYTE>> uniqueIds_;
  std::map<std::string, std::string> devicePaths_;
  std::set<std::string> unreadable_;
  std::optional<std::string> release_;
};

}  // namespace

machine::Machine CollectMachine(SystemFiles& files, const CollectOptions& options) {
  return Collector(files, options).Run();
}

}  // namespace linuxsys
