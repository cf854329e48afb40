// A described machine: everything the scan can ask about one machine's storage,
// in readable fields. Read from a machine file, collected from the live system,
// and answered from by the recorded backend.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/storage_records.h"

namespace machine {

// Requests made to fail with a chosen error code, and answers given as raw
// bytes instead of being formed from the description; both keyed by request
// name ("open", "IOCTL_DISK_GET_DRIVE_LAYOUT_EX", "GetVolumeInformationW", ...).
struct Behaviour {
  std::map<std::string, DWORD> fail;
  std::map<std::string, std::vector<BYTE>> raw;
};

struct PartitionRecord {
  PARTITION_STYLE style = PARTITION_STYLE_MBR;
  DWORD number = 0;
  ULONGLONG offset = 0;
  ULONGLONG length = 0;
  bool rewrite = false;
  bool service = false;
  // MBR
  BYTE type = 0;
  bool boot = false;
  bool recognized = true;
  DWORD hiddenSectors = 0;
  // GPT
  GUID typeGuid{};
  GUID id{};
  ULONGLONG attributes = 0;
  std::wstring name;
};

struct Extent {
  DWORD disk = 0;
  ULONGLONG offset = 0;
  ULONGLONG length = 0;
};

struct Volume {
  std::string id;
  // Further device paths that open the volume besides those of its mount points.
  std::vector<std::wstring> paths;
  std::wstring label;
  DWORD serialNumber = 0;
  std::wstring fileSystem;
  DWORD fileSystemFlags = 0;
  DWORD maxComponentLength = 255;
  ULONGLONG freeBytesAvailable = 0;
  ULONGLONG totalBytes = 0;
  ULONGLONG totalFreeBytes = 0;
  std::optional<PartitionRecord> partition;
  std::vector<Extent> extents;
  // Where the volume is mounted, in the system's own terms.
  std::vector<std::wstring> mountPaths;
  Behaviour behaviour;
};

struct MountPoint {
  std::wstring symbolicLink;
  std::wstring deviceName;
  std::vector<BYTE> uniqueId;
  std::string volume;
};

struct Layout {
  PARTITION_STYLE style = PARTITION_STYLE_MBR;
  DWORD signature = 0;
  DWORD checksum = 0;
  GUID diskId{};
  ULONGLONG startingUsableOffset = 0;
  ULONGLONG usableLength = 0;
  DWORD maxPartitionCount = 0;
  std::vector<PartitionRecord> partitions;
};

struct Drive {
  DWORD number = 0;
  Layout layout;
  DISK_GEOMETRY geometry{};
  ULONGLONG size = 0;
  DETECTION_TYPE detection = DetectNone;
  DISK_INT13_INFO int13{};
  DISK_EX_INT13_INFO exInt13{};
  Behaviour behaviour;
};

struct Machine {
  static constexpr int kVersion = 1;
  std::string description;
  Behaviour mountPointManager;
  std::vector<Drive> drives;
  std::vector<Volume> volumes;
  std::vector<MountPoint> mountPoints;

  const Volume* FindVolume(const std::string& id) const;
  const Drive* FindDrive(DWORD number) const;
};

}  // namespace machine
