// Capture of the storage stack: the mount point manager's list, each volume
// behind it, the drives its extents name, and the ports those drives report.
#include <map>
#include <set>

#include "platform/capture/answer_reader.h"
#include "platform/capture/capture_steps.h"
#include "platform/port_records.h"
#include "platform/recorded/storage_answers.h"
#include "platform/storage_records.h"
#include "platform/wide_text.h"

namespace capture {
namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
// The buffers the scan asks with, so that an answer too large for it is
// refused here as it is there.
constexpr DWORD kMountPointsBytes = 100000;
constexpr DWORD kNameChars = 256;
constexpr DWORD kLargestPathNames = 1u << 16;

machine::PartitionRecord FromRecordEx(const PARTITION_INFORMATION_EX& r) {
  machine::PartitionRecord p;
  p.style = r.PartitionStyle;
  p.number = r.PartitionNumber;
  p.offset = static_cast<ULONGLONG>(r.StartingOffset.QuadPart);
  p.length = static_cast<ULONGLONG>(r.PartitionLength.QuadPart);
  p.rewrite = r.RewritePartition != 0;
  p.service = r.IsServicePartition != 0;
  if (r.PartitionStyle == PARTITION_STYLE_GPT) {
    p.typeGuid = r.Gpt.PartitionType;
    p.id = r.Gpt.PartitionId;
    p.attributes = r.Gpt.Attributes;
    std::size_t n = 0;
    while (n < 36 && r.Gpt.Name[n] != 0) ++n;
    p.name = WideFromUtf16(r.Gpt.Name, n);
  } else if (r.PartitionStyle == PARTITION_STYLE_MBR) {
    p.type = r.Mbr.PartitionType;
    p.boot = r.Mbr.BootIndicator != 0;
    p.recognized = r.Mbr.RecognizedPartition != 0;
    p.hiddenSectors = r.Mbr.HiddenSectors;
  }
  return p;
}

machine::PartitionRecord FromRecord(const PARTITION_INFORMATION& r) {
  machine::PartitionRecord p;
  p.style = PARTITION_STYLE_MBR;
  p.number = r.PartitionNumber;
  p.offset = static_cast<ULONGLONG>(r.StartingOffset.QuadPart);
  p.length = static_cast<ULONGLONG>(r.PartitionLength.QuadPart);
  p.rewrite = r.RewritePartition != 0;
  p.type = r.PartitionType;
  p.boot = r.BootIndicator != 0;
  p.recognized = r.RecognizedPartition != 0;
  p.hiddenSectors = r.HiddenSectors;
  return p;
}

// Device descriptor texts are single bytes; the machine file holds UTF-8, so
// bytes past ASCII (which no published identification uses) are not kept as they are.
std::string AsciiText(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  }
  return out;
}

// An answer that the description does not give back byte for byte (a shorter
// geometry record, fields the description leaves out) is kept as it came.
void KeepRawIfDifferent(machine::Behaviour& behaviour, const std::string& name, const Answer& live,
                        const answers::Answer& formed, std::size_t bufferSize) {
  std::vector<BYTE> replayed = formed.bytes;
  if (replayed.size() > bufferSize) replayed.resize(bufferSize);
  if (formed.error != 0 || replayed != live.bytes()) behaviour.raw[name] = live.bytes();
}

// The device path that opens a mount point's volume, as the scan forms it.
std::wstring VolumePathOf(const std::wstring& link) {
  const std::wstring dos = L"\\DosDevices\\";
  if (link.size() > dos.size() && link.rfind(dos, 0) == 0) return L"\\\\.\\" + link.substr(dos.size());
  if (link.size() > 4 && link.rfind(L"\\??\\", 0) == 0) return L"\\\\.\\" + link.substr(4);
  return {};
}

class StorageCapture {
 public:
  StorageCapture(Asker& asker, machine::Machine& m) : ask_(asker), m_(m) {}

  void Run() {
    CaptureMountPoints();
    for (DWORD disk : diskOrder_) CaptureDrive(disk);
    for (BYTE port : portOrder_) CapturePort(port);
  }

 private:
  void CaptureMountPoints() {
    const HANDLE manager = ask_.Open(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE, 0, m_.mountPointManager);
    if (manager == INVALID_HANDLE_VALUE) return;
    MOUNTMGR_MOUNT_POINT all{};
    std::vector<BYTE> in(sizeof all, 0);
    // The answer's first word is preset to the buffer's size, as the scan does.
    std::vector<BYTE> out(kMountPointsBytes, 0);
    const DWORD presetSize = kMountPointsBytes;
    std::memcpy(out.data(), &presetSize, sizeof presetSize);
    DWORD returned = 0;
    Platform& p = ask_.platform();
    const bool ok = p.DeviceIoControl(manager, IOCTL_MOUNTMGR_QUERY_POINTS, in.data(), static_cast<DWORD>(in.size()),
                                      out.data(), kMountPointsBytes, &returned, nullptr);
    if (!ok) m_.mountPointManager.fail["IOCTL_MOUNTMGR_QUERY_POINTS"] = ask_.LastError();
    p.CloseHandle(manager);
    if (!ok) return;
    out.resize(std::min<std::size_t>(returned, out.size()));
    const Answer answer(std::move(out));
    const auto count = answer.Read<ULONG>(4);
    if (!count) return;
    const std::size_t header = offsetof(MOUNTMGR_MOUNT_POINTS, MountPoints);
    for (std::size_t i = 0; i < *count; ++i) {
      const auto e = answer.Read<MOUNTMGR_MOUNT_POINT>(header + i * sizeof(MOUNTMGR_MOUNT_POINT));
      if (!e) break;
      machine::MountPoint mp;
      mp.symbolicLink = answer.Utf16(e->SymbolicLinkNameOffset, e->SymbolicLinkNameLength / 2);
      mp.deviceName = answer.Utf16(e->DeviceNameOffset, e->DeviceNameLength / 2);
      mp.uniqueId = answer.Bytes(e->UniqueIdOffset, e->UniqueIdLength);
      mp.volume = VolumeOf(mp);
      m_.mountPoints.push_back(std::move(mp));
    }
  }

  // The volume of a mount point: mount points of one volume share its unique
  // id (or, without one, its device name). The first one that opens it
  // captures it.
  std::string VolumeOf(const machine::MountPoint& mp) {
    const std::string key = mp.uniqueId.empty() ? "name:" + Utf8FromWide(mp.deviceName)
                                                : std::string(mp.uniqueId.begin(), mp.uniqueId.end());
    auto [it, added] = volumeByKey_.emplace(key, m_.volumes.size());
    if (added) {
      machine::Volume v;
      v.id = "volume" + std::to_string(m_.volumes.size() + 1);
      m_.volumes.push_back(std::move(v));
      captured_.push_back(false);
    }
    std::size_t index = it->second;
    const std::wstring path = VolumePathOf(mp.symbolicLink);
    if (!captured_[index] && !path.empty()) {
      captured_[index] = true;
      CaptureVolume(m_.volumes[index], path);
    } else if (!path.empty() && OpensDifferently(m_.volumes[index], path)) {
      // One path of a volume that opens while another is refused (Wine refuses
      // "\\.\Z:" of a volume that opens by its name): a volume entry of its own.
      machine::Volume v;
      v.id = "volume" + std::to_string(m_.volumes.size() + 1);
      CaptureVolume(v, path);
      m_.volumes.push_back(std::move(v));
      captured_.push_back(true);
      return m_.volumes.back().id;
    }
    // Where a volume name mounts it, the volume's path names are asked too.
    const std::wstring prefix = L"\\??\\Volume{";
    if (mp.symbolicLink.rfind(prefix, 0) == 0 && !mp.uniqueId.empty() && !pathNamesAsked_[index]) {
      pathNamesAsked_[index] = true;
      CapturePathNames(m_.volumes[index], L"\\\\?\\" + mp.symbolicLink.substr(4) + L"\\");
    }
    return m_.volumes[index].id;
  }

  bool OpensDifferently(const machine::Volume& v, const std::wstring& path) {
    machine::Behaviour probe;
    const HANDLE h = ask_.Open(path, GENERIC_READ, kShareReadWrite, probe);
    if (h != INVALID_HANDLE_VALUE) ask_.platform().CloseHandle(h);
    return probe.fail.count("open") != v.behaviour.fail.count("open");
  }

  void CaptureVolume(machine::Volume& v, const std::wstring& path) {
    Platform& p = ask_.platform();
    const HANDLE h = ask_.Open(path, GENERIC_READ, kShareReadWrite, v.behaviour);
    const std::wstring root = path + L"\\";
    std::vector<wchar_t> label(kNameChars, 0), fileSystem(kNameChars, 0);
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (p.GetVolumeInformationW(root.c_str(), label.data(), kNameChars, &serial, &maxComponent, &flags,
                                fileSystem.data(), kNameChars)) {
      v.label = label.data();
      v.fileSystem = fileSystem.data();
      v.serialNumber = serial;
      v.maxComponentLength = maxComponent;
      v.fileSystemFlags = flags;
    } else if (h != INVALID_HANDLE_VALUE) {
      v.behaviour.fail["GetVolumeInformationW"] = ask_.LastError();
    }
    ULARGE_INTEGER available{}, total{}, free{};
    if (p.GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) {
      v.freeBytesAvailable = available.QuadPart;
      v.totalBytes = total.QuadPart;
      v.totalFreeBytes = free.QuadPart;
    } else if (h != INVALID_HANDLE_VALUE) {
      v.behaviour.fail["GetDiskFreeSpaceExW"] = ask_.LastError();
    }
    if (h == INVALID_HANDLE_VALUE) return;
    if (auto a = ask_.Ask(h, IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, sizeof(PARTITION_INFORMATION_EX), v.behaviour,
                          "IOCTL_DISK_GET_PARTITION_INFO_EX")) {
      if (auto r = a->Read<PARTITION_INFORMATION_EX>(0)) v.partition = FromRecordEx(*r);
      KeepRawIfDifferent(v.behaviour, "IOCTL_DISK_GET_PARTITION_INFO_EX", *a, answers::PartitionInfoEx(v),
                         sizeof(PARTITION_INFORMATION_EX));
    }
    // The legacy record is what the scan keeps when the extended one is refused.
    if (auto a = ask_.Ask(h, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, sizeof(PARTITION_INFORMATION), v.behaviour,
                          "IOCTL_DISK_GET_PARTITION_INFO")) {
      if (auto r = a->Read<PARTITION_INFORMATION>(0); r && !v.partition) v.partition = FromRecord(*r);
    }
    if (auto a = ask_.Ask(h, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                          static_cast<DWORD>(layout::kVolumeDiskExtentsBytes), v.behaviour,
                          "IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS")) {
      const std::size_t header = offsetof(VOLUME_DISK_EXTENTS, Extents);
      const DWORD count = a->ReadPadded<DWORD>(0);
      for (DWORD i = 0; i < count; ++i) {
        const auto e = a->Read<DISK_EXTENT>(header + i * sizeof(DISK_EXTENT));
        if (!e) break;
        v.extents.push_back(machine::Extent{e->DiskNumber, static_cast<ULONGLONG>(e->StartingOffset.QuadPart),
                                            static_cast<ULONGLONG>(e->ExtentLength.QuadPart)});
        if (disks_.insert(e->DiskNumber).second) diskOrder_.push_back(e->DiskNumber);
      }
      KeepRawIfDifferent(v.behaviour, "IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS", *a, answers::VolumeDiskExtents(v),
                         layout::kVolumeDiskExtentsBytes);
    }
    p.CloseHandle(h);
  }

  void CapturePathNames(machine::Volume& v, const std::wstring& volumeName) {
    Platform& p = ask_.platform();
    std::vector<wchar_t> buffer(kNameChars, 0);
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD returned = 0;
      if (p.GetVolumePathNamesForVolumeNameW(volumeName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                             &returned)) {
        const std::size_t valid = returned != 0 && returned < buffer.size() ? returned : buffer.size();
        for (std::size_t at = 0; at < valid && buffer[at] != 0;) {
          std::size_t end = at;
          while (end < valid && buffer[end] != 0) ++end;
          v.mountPaths.emplace_back(buffer.data() + at, end - at);
          at = end + 1;
        }
        return;
      }
      const DWORD error = ask_.LastError();
      if (error != ERROR_MORE_DATA || returned <= buffer.size() || returned > kLargestPathNames) {
        v.behaviour.fail["GetVolumePathNamesForVolumeNameW"] = error;
        return;
      }
      buffer.assign(returned, 0);
    }
  }

  void CaptureDrive(DWORD number) {
    machine::Drive d;
    d.number = number;
    const HANDLE h = ask_.Open(FormatWide(L"\\\\.\\PhysicalDrive%d", static_cast<int>(number)), GENERIC_READ,
                               kShareReadWrite, d.behaviour);
    if (h != INVALID_HANDLE_VALUE) {
      CaptureLayout(h, d);
      CaptureGeometry(h, d);
      CaptureDevice(h, d);
      ask_.platform().CloseHandle(h);
    }
    m_.drives.push_back(std::move(d));
  }

  void CaptureLayout(HANDLE h, machine::Drive& d) {
    const DWORD size = static_cast<DWORD>(layout::kDriveLayoutExBytes);
    if (auto a = ask_.Ask(h, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, size, d.behaviour,
                          "IOCTL_DISK_GET_DRIVE_LAYOUT_EX")) {
      d.layout.style = static_cast<PARTITION_STYLE>(a->ReadPadded<DWORD>(0));
      const DWORD count = a->ReadPadded<DWORD>(4);
      if (d.layout.style == PARTITION_STYLE_GPT) {
        const auto g = a->ReadPadded<DRIVE_LAYOUT_INFORMATION_GPT>(layout::kLayoutMbrSignature);
        d.layout.diskId = g.DiskId;
        d.layout.startingUsableOffset = static_cast<ULONGLONG>(g.StartingUsableOffset.QuadPart);
        d.layout.usableLength = static_cast<ULONGLONG>(g.UsableLength.QuadPart);
        d.layout.maxPartitionCount = g.MaxPartitionCount;
      } else {
        d.layout.signature = a->ReadPadded<DWORD>(layout::kLayoutMbrSignature);
        d.layout.checksum = a->ReadPadded<DWORD>(layout::kLayoutMbrCheckSum);
      }
      const std::size_t header = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
      for (DWORD i = 0; i < count; ++i) {
        const auto r = a->Read<PARTITION_INFORMATION_EX>(header + i * sizeof(PARTITION_INFORMATION_EX));
        if (!r) break;
        d.layout.partitions.push_back(FromRecordEx(*r));
      }
      KeepRawIfDifferent(d.behaviour, "IOCTL_DISK_GET_DRIVE_LAYOUT_EX", *a, answers::DriveLayoutEx(d), size);
    }
    const bool haveLayout = d.behaviour.fail.count("IOCTL_DISK_GET_DRIVE_LAYOUT_EX") == 0;
    if (auto a = ask_.Ask(h, IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, size, d.behaviour, "IOCTL_DISK_GET_DRIVE_LAYOUT");
        a && !haveLayout) {
      d.layout.style = PARTITION_STYLE_MBR;
      d.layout.signature = a->ReadPadded<DWORD>(4);
      const DWORD count = a->ReadPadded<DWORD>(0);
      const std::size_t header = offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry);
      for (DWORD i = 0; i < count; ++i) {
        const auto r = a->Read<PARTITION_INFORMATION>(header + i * sizeof(PARTITION_INFORMATION));
        if (!r) break;
        d.layout.partitions.push_back(FromRecord(*r));
      }
    }
  }

  void CaptureGeometry(HANDLE h, machine::Drive& d) {
    std::optional<Answer> geometryEx;
    if (auto a = ask_.Ask(h, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                          static_cast<DWORD>(layout::kGeometryExBufferBytes), d.behaviour,
                          "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX")) {
      d.geometry = a->ReadPadded<DISK_GEOMETRY>(0);
      d.size = static_cast<ULONGLONG>(a->ReadPadded<LARGE_INTEGER>(offsetof(DISK_GEOMETRY_EX, DiskSize)).QuadPart);
      const auto detection = a->ReadPadded<DISK_DETECTION_INFO>(layout::kDetectionInfoInGeometryEx);
      d.detection = detection.DetectionType;
      d.int13 = detection.Int13;
      d.exInt13 = detection.ExInt13;
      geometryEx = std::move(*a);
      // Without a layout the partition style comes from here.
      if (d.behaviour.fail.count("IOCTL_DISK_GET_DRIVE_LAYOUT_EX") != 0 &&
          d.behaviour.fail.count("IOCTL_DISK_GET_DRIVE_LAYOUT") != 0) {
        const auto style = a->ReadPadded<DISK_PARTITION_INFO>(layout::kPartitionInfoInGeometryEx);
        d.layout.style = style.PartitionStyle;
        if (style.PartitionStyle == PARTITION_STYLE_GPT) {
          d.layout.diskId = style.Gpt.DiskId;
        } else {
          d.layout.signature = style.Mbr.Signature;
          d.layout.checksum = style.Mbr.CheckSum;
        }
      }
    }
    if (auto a = ask_.Ask(h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, sizeof(DISK_GEOMETRY), d.behaviour,
                          "IOCTL_DISK_GET_DRIVE_GEOMETRY")) {
      if (d.behaviour.fail.count("IOCTL_DISK_GET_DRIVE_GEOMETRY_EX") != 0) {
        d.geometry = a->ReadPadded<DISK_GEOMETRY>(0);
        d.size = static_cast<ULONGLONG>(d.geometry.Cylinders.QuadPart) * d.geometry.TracksPerCylinder *
                 d.geometry.SectorsPerTrack * d.geometry.BytesPerSector;
      }
    }
    if (geometryEx)
      KeepRawIfDifferent(d.behaviour, "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX", *geometryEx, answers::DriveGeometryEx(d),
                         layout::kGeometryExBufferBytes);
  }

  void CaptureDevice(HANDLE h, machine::Drive& d) {
    std::optional<STORAGE_ADAPTER_DESCRIPTOR> adapter;
    if (auto a = ask_.QueryProperty(h, StorageAdapterProperty, d.behaviour))
      adapter = a->ReadPadded<STORAGE_ADAPTER_DESCRIPTOR>(0);
    if (auto a = ask_.QueryProperty(h, StorageDeviceProperty, d.behaviour)) {
      const auto x = a->ReadPadded<STORAGE_DEVICE_DESCRIPTOR>(0);
      machine::DeviceDescription& dev = d.device;
      dev.version = x.Version;
      dev.deviceType = x.DeviceType;
      dev.deviceTypeModifier = x.DeviceTypeModifier;
      dev.removable = x.RemovableMedia != 0;
      dev.commandQueueing = x.CommandQueueing != 0;
      dev.busType = x.BusType;
      dev.rawProperties = a->Bytes(layout::kDeviceDescriptorFixed, x.RawPropertiesLength);
      auto text = [&a](DWORD offset) -> std::optional<std::string> {
        if (offset == 0 || offset >= a->size()) return std::nullopt;
        return AsciiText(a->Text(offset));
      };
      dev.vendor = text(x.VendorIdOffset);
      dev.product = text(x.ProductIdOffset);
      dev.revision = text(x.ProductRevisionOffset);
      dev.serial = text(x.SerialNumberOffset);
    }
    if (auto a = ask_.QueryProperty(h, StorageDeviceIdProperty, d.behaviour)) {
      const DWORD count = a->ReadPadded<DWORD>(8);
      std::size_t at = layout::kDeviceIdDescriptorFixed;
      for (DWORD i = 0; i < count; ++i) {
        const auto id = a->Read<STORAGE_IDENTIFIER>(at);
        if (!id || !a->Contains(at + layout::kIdentifierFixed, id->IdentifierSize)) break;
        d.identifiers.push_back(machine::Identifier{id->CodeSet, id->Type, id->Association,
                                                    a->Bytes(at + layout::kIdentifierFixed, id->IdentifierSize)});
        if (id->NextOffset == 0) break;
        at += id->NextOffset;
      }
    }
    if (auto a = ask_.Ask(h, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, sizeof(SCSI_ADDRESS), d.behaviour,
                          "IOCTL_SCSI_GET_ADDRESS")) {
      const auto address = a->ReadPadded<SCSI_ADDRESS>(0);
      d.placed = true;
      d.placement = machine::Placement{address.PortNumber, address.PathId, address.TargetId, address.Lun};
      NotePort(address.PortNumber, adapter);
    } else if (adapter) {
      // A USB or 1394 drive reports no address; its adapter answers through a
      // port of its own, out of the way of the numbered ones.
      d.placed = true;
      d.placement.port = static_cast<BYTE>(255 - pseudoPorts_.size());
      pseudoPorts_.insert(d.placement.port);
      NotePort(d.placement.port, adapter);
    }
  }

  void NotePort(BYTE number, const std::optional<STORAGE_ADAPTER_DESCRIPTOR>& descriptor) {
    if (!ports_.emplace(number, descriptor).second) return;
    portOrder_.push_back(number);
  }

  void CapturePort(BYTE number) {
    machine::Port port;
    port.number = number;
    port.descriptor = ports_[number];
    if (pseudoPorts_.count(number) != 0) {
      // Not a port the system numbers: nothing answers for it but its drives.
      port.behaviour.fail["open"] = ERROR_FILE_NOT_FOUND;
      port.behaviour.fail["QueryDosDeviceW"] = ERROR_FILE_NOT_FOUND;
      m_.ports.push_back(std::move(port));
      return;
    }
    Platform& p = ask_.platform();
    std::vector<wchar_t> target(kNameChars, 0);
    const std::wstring dosName = FormatWide(L"Scsi%d:", static_cast<int>(number));
    if (p.QueryDosDeviceW(dosName.c_str(), target.data(), kNameChars) != 0) {
      target.back() = 0;
      port.deviceName = target.data();
    } else {
      port.behaviour.fail["QueryDosDeviceW"] = ask_.LastError();
    }
    const HANDLE h = ask_.Open(FormatWide(L"\\\\.\\Scsi%d:", static_cast<int>(number)), GENERIC_READ, kShareReadWrite,
                               port.behaviour);
    if (h != INVALID_HANDLE_VALUE) {
      if (auto a = ask_.Ask(h, IOCTL_SCSI_GET_CAPABILITIES, nullptr, 0, sizeof(IO_SCSI_CAPABILITIES), port.behaviour,
                            "IOCTL_SCSI_GET_CAPABILITIES"))
        port.capabilities = a->ReadPadded<IO_SCSI_CAPABILITIES>(0);
      if (auto a = ask_.Ask(h, IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0,
                            static_cast<DWORD>(layout::kInquiryBufferBytes), port.behaviour,
                            "IOCTL_SCSI_GET_INQUIRY_DATA"))
        port.buses = ReadBuses(*a);
      p.CloseHandle(h);
    }
    m_.ports.push_back(std::move(port));
  }

  Asker& ask_;
  machine::Machine& m_;
  std::map<std::string, std::size_t> volumeByKey_;
  std::vector<bool> captured_;
  std::map<std::size_t, bool> pathNamesAsked_;
  std::set<DWORD> disks_;
  std::vector<DWORD> diskOrder_;
  std::map<BYTE, std::optional<STORAGE_ADAPTER_DESCRIPTOR>> ports_;
  std::vector<BYTE> portOrder_;
  std::set<BYTE> pseudoPorts_;
};

}  // namespace

std::vector<machine::Bus> ReadBuses(const Answer& a) {
  std::vector<machine::Bus> buses;
  const std::size_t count = a.ReadPadded<BYTE>(0);
  for (std::size_t b = 0; b < count; ++b) {
    const auto entry = a.Read<SCSI_BUS_DATA>(layout::kBusInfoHeader + b * sizeof(SCSI_BUS_DATA));
    if (!entry) break;
    machine::Bus bus;
    bus.initiator = entry->InitiatorBusId;
    std::size_t at = entry->InquiryDataOffset;
    for (std::size_t u = 0; u < entry->NumberOfLogicalUnits; ++u) {
      const auto r = a.Read<SCSI_INQUIRY_DATA>(at);
      if (!r || !a.Contains(at + layout::kInquiryRecordHeader, r->InquiryDataLength)) break;
      bus.units.push_back(machine::LogicalUnit{r->TargetId, r->Lun, r->DeviceClaimed != 0,
                                               a.Bytes(at + layout::kInquiryRecordHeader, r->InquiryDataLength)});
      at = r->NextInquiryDataOffset;
    }
    buses.push_back(std::move(bus));
  }
  return buses;
}

void CaptureStorage(Asker& asker, machine::Machine& m) { StorageCapture(asker, m).Run(); }

}  // namespace capture
