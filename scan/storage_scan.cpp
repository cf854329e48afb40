// Mount points and the volumes behind them: the outer half of every scan.
#include <algorithm>
#include <unordered_map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/zeroed_buffer.h"
#include "platform/wide_text.h"
#include "scan/answer_buffer.h"
#include "scan/growing_request.h"
#include "scan/scan_steps.h"
#include "scan/scoped_handle.h"

namespace {

constexpr std::size_t kWorkingBufferBytes = 100000;
constexpr std::size_t kMountPointsHeader = offsetof(MOUNTMGR_MOUNT_POINTS, MountPoints);
constexpr std::size_t kExtentsHeader = offsetof(VOLUME_DISK_EXTENTS, Extents);
constexpr DWORD kVolumeNameChars = 256;
constexpr DWORD kLargestPathNames = 1u << 20;

bool QueryMountPoints(Platform& platform, HANDLE mountPointManager, AnswerBuffer& answer) {
  MOUNTMGR_MOUNT_POINT everyMountPoint{};
  auto sizeInAnswer = [](const AnswerBuffer& a) -> std::size_t { return a.Read<ULONG>(0); };
  auto presetSize = [](AnswerBuffer& a) {
    const ULONG size = a.size();
    std::memcpy(a.data(), &size, sizeof size);
  };
  return SendGrowingRequest(platform, mountPointManager, IOCTL_MOUNTMGR_QUERY_POINTS, &everyMountPoint,
                            sizeof everyMountPoint, answer, sizeInAnswer, presetSize);
}

// The entry's symbolic link name; the caller has checked that the answer holds it.
std::wstring LinkOf(const AnswerBuffer& answer, const MOUNTMGR_MOUNT_POINT& e) {
  return WideFromUtf16(answer.At(e.SymbolicLinkNameOffset), e.SymbolicLinkNameLength / 2);
}

// Entry `i` of the mount point manager's answer.
MOUNTMGR_MOUNT_POINT EntryAt(const AnswerBuffer& answer, std::size_t i) {
  return answer.Read<MOUNTMGR_MOUNT_POINT>(kMountPointsHeader + i * sizeof(MOUNTMGR_MOUNT_POINT));
}

// Reads the names of one entry. False when a name lies outside the answer.
bool ReadNames(const AnswerBuffer& answer, const MOUNTMGR_MOUNT_POINT& entry, MountPointNode& node) {
  if (!answer.Contains(entry.SymbolicLinkNameOffset, entry.SymbolicLinkNameLength) ||
      !answer.Contains(entry.UniqueIdOffset, entry.UniqueIdLength) ||
      !answer.Contains(entry.DeviceNameOffset, entry.DeviceNameLength))
    return false;
  node.symbolicLinkName = LinkOf(answer, entry);
  node.deviceName = WideFromUtf16(answer.At(entry.DeviceNameOffset), entry.DeviceNameLength / 2);
  const BYTE* id = answer.At(entry.UniqueIdOffset);
  const std::size_t idLength = entry.UniqueIdLength;
  if (idLength >= 2 && id[0] == '\\' && id[1] == 0) {
    node.uniqueIdText = WideFromUtf16(id, idLength / 2);
  } else {
    node.SetBinaryUniqueId(id, idLength);
  }
  return true;
}

// The entry of each volume's "\??\Volume{...}" name, by unique id: the mount
// point manager lists every volume under that name, and mount points of one
// volume share its unique id. The first entry of an id is the one kept. The
// ids are the answer's own bytes, which stay while the scan reads it.
using VolumeNames = std::unordered_map<std::string_view, std::size_t>;

VolumeNames CollectVolumeNames(const AnswerBuffer& answer, std::size_t count) {
  static constexpr std::wstring_view kPrefix = L"\\??\\Volume{";
  VolumeNames names;
  names.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto e = EntryAt(answer, i);
    if (!answer.Contains(e.SymbolicLinkNameOffset, e.SymbolicLinkNameLength) ||
        !answer.Contains(e.UniqueIdOffset, e.UniqueIdLength) || e.UniqueIdLength == 0)
      continue;
    // The prefix is ASCII: its length in units is enough to compare.
    const std::size_t units = std::min<std::size_t>(e.SymbolicLinkNameLength / 2, kPrefix.size());
    if (WideFromUtf16(answer.At(e.SymbolicLinkNameOffset), units) != kPrefix) continue;
    names.emplace(std::string_view(reinterpret_cast<const char*>(answer.At(e.UniqueIdOffset)), e.UniqueIdLength), i);
  }
  return names;
}

// The volume GUID path ("\\?\Volume{...}\") of the volume that an entry
// collected above names.
std::wstring VolumeGuidPath(const AnswerBuffer& answer, std::size_t entry) {
  return L"\\\\?\\" + LinkOf(answer, EntryAt(answer, entry)).substr(4) + L"\\";
}

// Where the volume is mounted, as the platform lists its path names.
std::vector<std::wstring> ReadVolumePathNames(Platform& platform, const std::wstring& volumeGuidPath) {
  std::vector<std::wstring> names;
  std::vector<wchar_t> buffer(kVolumeNameChars, 0);
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::fill(buffer.begin(), buffer.end(), 0);
    DWORD returned = 0;
    const DWORD size = static_cast<DWORD>(buffer.size());
    if (platform.GetVolumePathNamesForVolumeNameW(volumeGuidPath.c_str(), buffer.data(), size, &returned)) {
      // Read no further than the answer and the buffer reach.
      const std::size_t valid = returned != 0 && returned < size ? returned : size;
      std::size_t at = 0;
      while (at < valid && buffer[at] != 0) {
        std::size_t end = at;
        while (end < valid && buffer[end] != 0) ++end;
        names.emplace_back(buffer.data() + at, end - at);
        at = end + 1;
      }
      return names;
    }
    if (platform.GetLastError() != ERROR_MORE_DATA || returned <= size || returned > kLargestPathNames) return names;
    // The size comes from the platform; memory it cannot have ends the names
    // here rather than the scan.
    if (!AllocateZeroed(buffer, returned)) return names;
  }
  return names;
}

// The path names of each volume asked so far, at the entry of its volume GUID
// name: every further mount point of the volume shares them.
using PathNamesByVolume = std::vector<std::optional<PathNameList>>;

// Reads label, file system and free space through the root path. True when the
// volume information was obtained.
bool ReadVolumeInformation(Platform& platform, const std::wstring& rootPath, MountPointNode& node) {
  wchar_t label[kVolumeNameChars] = {};
  wchar_t fileSystem[kVolumeNameChars] = {};
  DWORD serial = 0;
  DWORD maxComponent = 0;
  DWORD flags = 0;
  if (!platform.GetVolumeInformationW(rootPath.c_str(), label, kVolumeNameChars, &serial, &maxComponent, &flags,
                                      fileSystem, kVolumeNameChars))
    return false;
  label[kVolumeNameChars - 1] = 0;
  fileSystem[kVolumeNameChars - 1] = 0;
  ULARGE_INTEGER freeToCaller{};
  ULARGE_INTEGER total{};
  ULARGE_INTEGER totalFree{};
  platform.GetDiskFreeSpaceExW(rootPath.c_str(), &freeToCaller, &total, &totalFree);
  node.volumeName = label;
  node.fileSystemName = fileSystem;
  node.maxComponentLength = maxComponent;
  node.fileSystemFlags = flags;
  node.volumeSerialNumber = serial;
  node.freeBytesAvailable = freeToCaller.QuadPart;
  node.totalBytes = total.QuadPart;
  node.totalFreeBytes = totalFree.QuadPart;
  return true;
}

HANDLE OpenVolume(Platform& platform, const std::wstring& path) {
  return platform.CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
}

// The partition record of the volume. Returns useExtendedLayout.
bool ReadPartitionRecord(Platform& platform, HANDLE volume, MountPointNode& node) {
  PARTITION_INFORMATION_EX ex{};
  DWORD returned = 0;
  if (platform.DeviceIoControl(volume, IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, &ex, sizeof ex, &returned,
                               nullptr)) {
    node.hasPartitionInfoEx = true;
    node.partitionInfoEx = ex;
    return true;
  }
  PARTITION_INFORMATION legacy{};
  if (platform.DeviceIoControl(volume, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &legacy, sizeof legacy, &returned,
                               nullptr)) {
    node.hasPartitionInfoEx = false;
    node.partitionInfo = legacy;
    return false;
  }
  return true;
}

// Scans the extents of the open volume. Returns 0 or the code that stops the scan.
DWORD ScanExtents(ScanContext& scan, HANDLE volume, MountPointNode& node, bool useExtendedLayout) {
  AnswerBuffer answer;
  if (!answer.Allocate(layout::kVolumeDiskExtentsBytes)) return 0;
  auto needed = [](const AnswerBuffer& a) -> std::size_t {
    if (a.valid() < sizeof(DWORD)) return 0;
    return kExtentsHeader + std::size_t{a.Read<DWORD>(0)} * sizeof(DISK_EXTENT);
  };
  if (!SendGrowingRequest(scan.platform, volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, answer, needed))
    return 0;
  // Never more extents than the answer holds.
  std::size_t count = answer.Read<DWORD>(0);
  const std::size_t held = answer.valid() > kExtentsHeader ? (answer.valid() - kExtentsHeader) / sizeof(DISK_EXTENT) : 0;
  if (count > held) count = held;
  for (std::size_t i = 0; i < count; ++i) {
    const auto extent = answer.Read<DISK_EXTENT>(kExtentsHeader + i * sizeof(DISK_EXTENT));
    const DWORD code = ScanVolumeExtent(scan, node, extent, static_cast<int>(i), useExtendedLayout);
    if (code != 0) return code;
  }
  return 0;
}

// One entry of the mount point manager's answer. Returns 0 or the code that
// stops the scan.
DWORD ScanMountPoint(ScanContext& scan, const AnswerBuffer& answer, const MOUNTMGR_MOUNT_POINT& entry,
                     const VolumeNames& volumeNames, PathNamesByVolume& pathNames, bool showAllMountPoints) {
  auto node = std::make_unique<MountPointNode>();
  if (scan.progress != nullptr) scan.progress->StepProgress();
  if (!ReadNames(answer, entry, *node)) return 0;

  Platform& platform = scan.platform;
  const std::wstring& link = node->symbolicLinkName;
  HANDLE volume = INVALID_HANDLE_VALUE;
  if (link.find(L"\\DosDevices\\") != std::wstring::npos) {
    // The drive letter stands right after a leading "\DosDevices\"; a link too
    // short to hold one names no volume that can be opened.
    if (link.size() > 12) {
      const std::wstring path = std::wstring(L"\\\\.\\") + link[12] + L":";
      volume = OpenVolume(platform, path);
      ReadVolumeInformation(platform, path + L"\\", *node);
    }
  } else if (!showAllMountPoints) {
    return 0;
  } else {
    // The first four characters are the "\??\" prefix; a link with nothing
    // after them names no volume, and "\\.\" alone is not opened.
    if (link.size() <= 4) return 0;
    const std::wstring path = L"\\\\.\\" + link.substr(4);
    volume = OpenVolume(platform, path);
    if (volume != INVALID_HANDLE_VALUE) ReadVolumeInformation(platform, path + L"\\", *node);
  }
  ScopedHandle volumeHandle(platform, volume);
  if (volume == INVALID_HANDLE_VALUE) return 0;

  if (answer.Contains(entry.UniqueIdOffset, entry.UniqueIdLength)) {
    const std::string_view id(reinterpret_cast<const char*>(answer.At(entry.UniqueIdOffset)), entry.UniqueIdLength);
    if (auto it = volumeNames.find(id); it != volumeNames.end()) {
      std::optional<PathNameList>& known = pathNames[it->second];
      if (!known) known = ReadVolumePathNames(platform, VolumeGuidPath(answer, it->second));
      node->volumePathNames = *known;
    }
  }

  const bool useExtendedLayout = ReadPartitionRecord(platform, volume, *node);
  const DWORD code = ScanExtents(scan, volume, *node, useExtendedLayout);
  if (code != 0) return code;
  scan.model.MountPoints()->children.push_back(std::move(node));
  return 0;
}

}  // namespace

DWORD StorageScan(ScanContext& scan, HANDLE mountPointManager, bool showAllMountPoints) {
  AnswerBuffer answer;
  if (!answer.Allocate(kWorkingBufferBytes)) return ERROR_NOT_ENOUGH_MEMORY;
  if (scan.progress != nullptr) {
    scan.progress->SetProgressText(L"Getting Mount Points");
    scan.progress->SetProgressRange(0, 100);
  }
  scan.model.CreateRoots();
  scan.layoutLinks.Reset();

  if (!QueryMountPoints(scan.platform, mountPointManager, answer) || answer.valid() < kMountPointsHeader) return 0;
  const ULONG size = answer.Read<ULONG>(0);
  std::size_t count = answer.Read<ULONG>(4);
  if (size == 0 || count == 0) return 0;
  // Entries past the returned bytes are not there to read.
  const std::size_t held = (answer.valid() - kMountPointsHeader) / sizeof(MOUNTMGR_MOUNT_POINT);
  if (count > held) count = held;

  if (scan.progress != nullptr) scan.progress->SetProgressRange(0, static_cast<int>(count));
  const VolumeNames volumeNames = CollectVolumeNames(answer, count);
  PathNamesByVolume pathNames(count);
  for (std::size_t i = 0; i < count; ++i) {
    const DWORD code = ScanMountPoint(scan, answer, EntryAt(answer, i), volumeNames, pathNames, showAllMountPoints);
    if (code != 0) return code;
  }
  return 0;
}
