#include "platform/recorded/recorded_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/recorded/port_answers.h"
#include "platform/recorded/storage_answers.h"
#include "platform/wide_text.h"
#include "platform/request_names.h"
#include "platform/storage_records.h"

namespace {

std::wstring Upper(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), UpperUnit);
  return s;
}

// The device path that opens the volume of a mount point: "\\.\X:" for a drive
// letter, "\\.\" and the rest of a "\??\" name. A link with nothing after its
// prefix opens nothing.
std::wstring DevicePathOf(const std::wstring& symbolicLink) {
  const std::wstring dos = L"\\DosDevices\\";
  if (symbolicLink.size() > dos.size() && symbolicLink.rfind(dos, 0) == 0)
    return L"\\\\.\\" + symbolicLink.substr(dos.size());
  if (symbolicLink.size() > 4 && symbolicLink.rfind(L"\\??\\", 0) == 0) return L"\\\\.\\" + symbolicLink.substr(4);
  return {};
}

bool CopyName(const std::wstring& text, LPWSTR buffer, DWORD size) {
  if (buffer == nullptr) return true;
  if (text.size() + 1 > size) return false;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return true;
}

}  // namespace

RecordedPlatform::RecordedPlatform(machine::Machine description) : machine_(std::move(description)) {
  // Room for every path at once: growing a table of tens of thousands of
  // names moves all of them each time.
  std::size_t names = 1 + machine_.drives.size() + machine_.mountPoints.size() + machine_.ports.size() +
                      machine_.portInterfaces.size();
  for (const machine::Volume& v : machine_.volumes) names += v.paths.size();
  paths_.Reserve(names);
  // Drives and ports take their path from whatever named it before; every
  // other object leaves a path to the first that names it, so a volume cannot
  // take the path of the mount point manager or of a drive.
  paths_.Insert(L"\\\\.\\MountPointManager", Target{ObjectKind::MountPointManager, 0}, true);
  for (std::size_t i = 0; i < machine_.drives.size(); ++i)
    paths_.Insert(L"\\\\.\\PhysicalDrive" + std::to_wstring(machine_.drives[i].number), Target{ObjectKind::Drive, i},
                  true);
  for (std::size_t i = 0; i < machine_.volumes.size(); ++i)
    for (const std::wstring& p : machine_.volumes[i].paths) paths_.Insert(p, Target{ObjectKind::Volume, i}, false);
  // By id, first of each, as FindVolume answers; a walk per mount point would
  // make large machines quadratic.
  std::unordered_map<std::string, std::size_t> volumeById;
  volumeById.reserve(machine_.volumes.size());
  for (std::size_t i = 0; i < machine_.volumes.size(); ++i) volumeById.emplace(machine_.volumes[i].id, i);
  for (const machine::MountPoint& mp : machine_.mountPoints) {
    const std::wstring path = DevicePathOf(mp.symbolicLink);
    auto v = volumeById.find(mp.volume);
    if (path.empty() || v == volumeById.end()) continue;
    paths_.Insert(path, Target{ObjectKind::Volume, v->second}, false);
  }
  for (std::size_t i = 0; i < machine_.ports.size(); ++i)
    paths_.Insert(FormatWide(L"\\\\.\\Scsi%d:", machine_.ports[i].number), Target{ObjectKind::Port, i}, true);
  for (std::size_t i = 0; i < machine_.portInterfaces.size(); ++i)
    paths_.Insert(machine_.portInterfaces[i].path, Target{ObjectKind::PortInterface, i}, false);
  FindInterfaceOwners();
}

bool RecordedPlatform::Failing(const machine::Behaviour& behaviour, std::string_view request, DWORD& code) {
  if (keepCallRecords_) ++requestCounts_[std::string(request)];
  // Most entries fail nothing: no name is made for them.
  if (behaviour.fail.empty()) return false;
  const std::string name(request);
  auto it = behaviour.fail.find(name);
  if (it == behaviour.fail.end()) return false;
  if (auto after = behaviour.failAfter.find(name); after != behaviour.failAfter.end()) {
    unsigned& calls = calls_[{&behaviour, name}];
    if (calls < after->second) {
      ++calls;
      return false;
    }
  }
  code = it->second;
  return true;
}

const machine::Port* RecordedPlatform::PortOf(const Target& target) const {
  switch (target.kind) {
    case ObjectKind::Port:
      return &machine_.ports[target.index];
    case ObjectKind::PortInterface: {
      const auto& port = machine_.portInterfaces[target.index].port;
      return port ? machine_.FindPort(*port) : nullptr;
    }
    case ObjectKind::Drive: {
      // A drive without an adapter entry has no port to speak for it, even on
      // a machine that describes a port 0.
      const machine::Drive& d = machine_.drives[target.index];
      return d.placed ? machine_.FindPort(d.placement.port) : nullptr;
    }
    default:
      return nullptr;
  }
}

const machine::Behaviour& RecordedPlatform::BehaviourOf(const Target& target) const {
  switch (target.kind) {
    case ObjectKind::MountPointManager:
      return machine_.mountPointManager;
    case ObjectKind::Volume:
      return machine_.volumes[target.index].behaviour;
    case ObjectKind::Port:
      return machine_.ports[target.index].behaviour;
    case ObjectKind::PortInterface:
      return machine_.portInterfaces[target.index].behaviour;
    case ObjectKind::Drive:
      break;
  }
  return machine_.drives[target.index].behaviour;
}

bool RecordedPlatform::Resolve(std::wstring_view path, Target& target) {
  const Target* found = paths_.Find(path);
  if (found == nullptr) return false;
  target = *found;
  return true;
}

HANDLE RecordedPlatform::CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                     DWORD, HANDLE) {
  const std::wstring_view path = fileName != nullptr ? fileName : L"";
  if (keepCallRecords_) opens_.push_back(OpenRecord{std::wstring(path), desiredAccess});
  Target target{};
  if (!Resolve(path, target)) {
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (Refused(BehaviourOf(target), "open")) return INVALID_HANDLE_VALUE;
  // Nothing here may change a device; only the control devices that the
  // platform opens for writing to ask them anything are allowed write access.
  const bool controlDevice = target.kind == ObjectKind::MountPointManager || target.kind == ObjectKind::PortInterface;
  if ((desiredAccess & GENERIC_WRITE) != 0 && !controlDevice) {
    Fail(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  const std::uintptr_t handle = NewHandle();
  open_[handle] = target;
  return reinterpret_cast<HANDLE>(handle);
}

std::uintptr_t RecordedPlatform::NewHandle() {
  const std::uintptr_t handle = nextHandle_;
  nextHandle_ += 4;
  return handle;
}

BOOL RecordedPlatform::CloseHandle(HANDLE object) {
  if (open_.erase(reinterpret_cast<std::uintptr_t>(object)) == 0) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

BOOL RecordedPlatform::DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                       LPDWORD bytesReturned, LPOVERLAPPED) {
  DWORD returned = 0;
  BOOL ok = FALSE;
  auto it = open_.find(reinterpret_cast<std::uintptr_t>(device));
  if (it == open_.end()) {
    ok = Fail(ERROR_INVALID_HANDLE);
  } else if (out == nullptr && outSize != 0) {
    ok = Fail(ERROR_INVALID_PARAMETER);
  } else {
    const machine::Behaviour& behaviour = BehaviourOf(it->second);
    // A property query can be made to fail or answer raw by its property too,
    // and that name comes first.
    static const std::string kDeviceProperty = "StorageDeviceProperty", kAdapterProperty = "StorageAdapterProperty",
                             kDeviceIdProperty = "StorageDeviceIdProperty";
    const std::string* names[2] = {};
    std::size_t nameCount = 0;
    if (code == IOCTL_STORAGE_QUERY_PROPERTY && in != nullptr && inSize >= 8) {
      STORAGE_PROPERTY_ID property{};
      std::memcpy(&property, in, sizeof property);
      if (property == StorageDeviceProperty) names[nameCount++] = &kDeviceProperty;
      else if (property == StorageAdapterProperty) names[nameCount++] = &kAdapterProperty;
      else if (property == StorageDeviceIdProperty) names[nameCount++] = &kDeviceIdProperty;
    }
    const auto [codeName, added] = codeNames_.try_emplace(code);
    if (added) codeName->second = ControlCodeName(code);
    if (!codeName->second.empty()) names[nameCount++] = &codeName->second;
    DWORD failCode = 0;
    const std::vector<BYTE>* raw = nullptr;
    for (std::size_t n = 0; n < nameCount; ++n) {
      const std::string& name = *names[n];
      if (failCode == 0 && Failing(behaviour, name, failCode)) break;
      if (raw == nullptr) {
        if (auto r = behaviour.raw.find(name); r != behaviour.raw.end()) raw = &r->second;
      }
    }
    if (failCode != 0) {
      ok = Fail(failCode);
    } else if (raw != nullptr) {
      returned = static_cast<DWORD>(std::min<std::size_t>(raw->size(), outSize));
      if (returned > 0) std::memcpy(out, raw->data(), returned);
      // A property query gives a short buffer what fits and succeeds, as the
      // storage stack does; other requests say more data is waiting.
      ok = raw->size() > outSize && code != IOCTL_STORAGE_QUERY_PROPERTY ? Fail(ERROR_MORE_DATA) : TRUE;
    } else {
      ok = Answer(it->second, code, in, inSize, static_cast<BYTE*>(out), outSize, returned);
    }
  }
  if (bytesReturned != nullptr) *bytesReturned = returned;
  return ok;
}

BOOL RecordedPlatform::Answer(const Target& target, DWORD code, LPVOID in, DWORD inSize, BYTE* out, DWORD outSize,
                              DWORD& returned) {
  STORAGE_PROPERTY_QUERY query{};
  if (code == IOCTL_STORAGE_QUERY_PROPERTY) {
    if (in == nullptr || inSize < 8) return Fail(ERROR_INVALID_PARAMETER);
    std::memcpy(&query, in, 8);
    if (query.QueryType != PropertyStandardQuery) return Fail(ERROR_INVALID_FUNCTION);
  }
  if (target.kind == ObjectKind::MountPointManager && code == IOCTL_MOUNTMGR_QUERY_POINTS &&
      inSize < sizeof(MOUNTMGR_MOUNT_POINT))
    return Fail(ERROR_INVALID_PARAMETER);
  const answers::Answer& a = KeptAnswer(target, code, query.PropertyId);
  if (a.error != 0) return Fail(a.error);
  if (outSize < a.minimum) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (outSize < a.bytes.size() && a.shortError != 0) {
    if (a.shortError != ERROR_MORE_DATA) return Fail(a.shortError);
    returned = static_cast<DWORD>(std::min<std::size_t>(a.partial, outSize));
    std::memcpy(out, a.bytes.data(), returned);
    return Fail(ERROR_MORE_DATA);
  }
  returned = static_cast<DWORD>(std::min<std::size_t>(a.bytes.size(), outSize));
  if (returned > 0) std::memcpy(out, a.bytes.data(), returned);
  return TRUE;
}

const answers::Answer& RecordedPlatform::KeptAnswer(const Target& target, DWORD code, STORAGE_PROPERTY_ID property) {
  // The description does not change: the same request gets the same answer.
  // A long layout is formed once per drive: every extent on the drive asks
  // for it, with other requests between, and the extents of two such drives
  // may take turns.
  if (target.kind == ObjectKind::Drive &&
      (code == IOCTL_DISK_GET_DRIVE_LAYOUT_EX || code == IOCTL_DISK_GET_DRIVE_LAYOUT) &&
      machine_.drives[target.index].layout.partitions.size() >= kLongLayout) {
    const auto [it, added] = layoutCache_.try_emplace({target.index, code});
    if (added) it->second = FormAnswer(target, code, property);
    return it->second;
  }
  const auto key = std::make_tuple(target.kind, target.index, code, static_cast<int>(property));
  if (!lastAnswer_ || lastAnswer_->first != key) lastAnswer_.emplace(key, FormAnswer(target, code, property));
  return lastAnswer_->second;
}

answers::Answer RecordedPlatform::FormAnswer(const Target& target, DWORD code, STORAGE_PROPERTY_ID property) {
  answers::Answer a;
  a.error = ERROR_INVALID_FUNCTION;
  const machine::Port* port = PortOf(target);
  switch (target.kind) {
    case ObjectKind::MountPointManager:
      if (code == IOCTL_MOUNTMGR_QUERY_POINTS) a = answers::MountPoints(machine_);
      break;
    case ObjectKind::Volume: {
      const machine::Volume& v = machine_.volumes[target.index];
      if (code == IOCTL_DISK_GET_PARTITION_INFO_EX) a = answers::PartitionInfoEx(v);
      if (code == IOCTL_DISK_GET_PARTITION_INFO) a = answers::PartitionInfo(v);
      if (code == IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS) a = answers::VolumeDiskExtents(v);
      break;
    }
    case ObjectKind::Drive: {
      const machine::Drive& d = machine_.drives[target.index];
      if (code == IOCTL_DISK_GET_DRIVE_LAYOUT_EX) a = answers::DriveLayoutEx(d);
      if (code == IOCTL_DISK_GET_DRIVE_LAYOUT) a = answers::DriveLayout(d);
      if (code == IOCTL_DISK_GET_DRIVE_GEOMETRY_EX) a = answers::DriveGeometryEx(d);
      if (code == IOCTL_DISK_GET_DRIVE_GEOMETRY) a = answers::DriveGeometry(d);
      if (code == IOCTL_STORAGE_QUERY_PROPERTY) a = answers::DriveProperty(d, port, property);
      if (code == IOCTL_SCSI_GET_ADDRESS) a = answers::ScsiAddress(d);
      break;
    }
    case ObjectKind::Port:
    case ObjectKind::PortInterface:
      if (port == nullptr) break;
      if (code == IOCTL_STORAGE_QUERY_PROPERTY) a = answers::PortProperty(*port, property);
      if (code == IOCTL_SCSI_GET_CAPABILITIES) a = answers::ScsiCapabilities(*port);
      if (code == IOCTL_SCSI_GET_INQUIRY_DATA) {
        const auto index = static_cast<std::size_t>(port - machine_.ports.data());
        auto cached = inquiryCache_.find(index);
        if (cached == inquiryCache_.end()) cached = inquiryCache_.emplace(index, answers::InquiryData(*port).bytes).first;
        a = answers::Answer{};
        a.bytes = cached->second;
        a.shortError = ERROR_INSUFFICIENT_BUFFER;
      }
      break;
  }
  return a;
}

bool RecordedPlatform::VolumeForRoot(LPCWSTR rootPathName, const machine::Volume*& volume, const char* request) {
  std::wstring_view path = rootPathName != nullptr ? rootPathName : L"";
  if (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  Target target{};
  if (!Resolve(path, target) || target.kind != ObjectKind::Volume) {
    Fail(ERROR_PATH_NOT_FOUND);
    return false;
  }
  volume = &machine_.volumes[target.index];
  const machine::Behaviour& behaviour = volume->behaviour;
  if (Refused(behaviour, request)) return false;
  // A volume that cannot be opened cannot be asked through its root either.
  if (auto it = behaviour.fail.find("open"); it != behaviour.fail.end()) {
    Fail(it->second);
    return false;
  }
  return true;
}

BOOL RecordedPlatform::GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                                             LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                                             LPDWORD fileSystemFlags, LPWSTR fileSystemNameBuffer,
                                             DWORD fileSystemNameSize) {
  const machine::Volume* v = nullptr;
  if (!VolumeForRoot(rootPathName, v, "GetVolumeInformationW")) return FALSE;
  if (!CopyName(v->label, volumeNameBuffer, volumeNameSize) ||
      !CopyName(v->fileSystem, fileSystemNameBuffer, fileSystemNameSize))
    return Fail(ERROR_BAD_LENGTH);
  if (volumeSerialNumber != nullptr) *volumeSerialNumber = v->serialNumber;
  if (maximumComponentLength != nullptr) *maximumComponentLength = v->maxComponentLength;
  if (fileSystemFlags != nullptr) *fileSystemFlags = v->fileSystemFlags;
  return TRUE;
}

BOOL RecordedPlatform::GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                                           PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes) {
  const machine::Volume* v = nullptr;
  if (!VolumeForRoot(directoryName, v, "GetDiskFreeSpaceExW")) return FALSE;
  if (freeBytesAvailableToCaller != nullptr) freeBytesAvailableToCaller->QuadPart = v->freeBytesAvailable;
  if (totalNumberOfBytes != nullptr) totalNumberOfBytes->QuadPart = v->totalBytes;
  if (totalNumberOfFreeBytes != nullptr) totalNumberOfFreeBytes->QuadPart = v->totalFreeBytes;
  return TRUE;
}

BOOL RecordedPlatform::GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames,
                                                        DWORD bufferLength, LPDWORD returnLength) {
  const std::wstring name = volumeName != nullptr ? volumeName : L"";
  const std::wstring prefix = L"\\\\?\\";
  // Only a volume GUID path names a volume here, with its closing backslash.
  if (name.size() <= prefix.size() + 1 || name.compare(0, prefix.size(), prefix) != 0 || name.back() != L'\\' ||
      Upper(name).compare(prefix.size(), 7, L"VOLUME{") != 0)
    return Fail(ERROR_INVALID_NAME);
  const std::wstring devicePath = L"\\\\.\\" + name.substr(prefix.size(), name.size() - prefix.size() - 1);
  Target target{};
  if (!Resolve(devicePath, target) || target.kind != ObjectKind::Volume) return Fail(ERROR_FILE_NOT_FOUND);
  const machine::Volume& v = machine_.volumes[target.index];
  if (Refused(v.behaviour, "GetVolumePathNamesForVolumeNameW")) return FALSE;
  std::wstring list;
  for (const std::wstring& path : v.mountPaths) {
    list += path;
    list += L'\0';
  }
  list += L'\0';
  const DWORD needed = static_cast<DWORD>(list.size());
  if (returnLength != nullptr) *returnLength = needed;
  if (volumePathNames == nullptr || bufferLength < needed) return Fail(ERROR_MORE_DATA);
  std::copy(list.begin(), list.begin() + needed, volumePathNames);
  return TRUE;
}

DWORD RecordedPlatform::QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD maxChars) {
  const std::wstring name = Upper(deviceName != nullptr ? deviceName : L"");
  const machine::Port* port = nullptr;
  for (const machine::Port& p : machine_.ports) {
    if (name == Upper(FormatWide(L"Scsi%d:", p.number))) port = &p;
  }
  if (port == nullptr) {
    Fail(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (Refused(port->behaviour, "QueryDosDeviceW")) return 0;
  // The target, then the empty string that ends the list.
  const std::size_t needed = port->deviceName.size() + 2;
  if (targetPath == nullptr || maxChars < needed) {
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(port->deviceName.begin(), port->deviceName.end(), targetPath);
  targetPath[port->deviceName.size()] = 0;
  targetPath[port->deviceName.size() + 1] = 0;
  return static_cast<DWORD>(needed);
}
