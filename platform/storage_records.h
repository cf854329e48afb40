// Records and control codes of the mount point manager, volumes and disks, in
// the platform's published layouts. The scan copies them whole into nodes and
// the views decode them, so every size and offset must match the platform's.
#pragma once

#include "platform/win_types.h"

#ifdef _WIN32
#include <winioctl.h>
#include <ddk/mountmgr.h>
#else

constexpr DWORD IOCTL_MOUNTMGR_QUERY_POINTS = 0x6D0008;
constexpr DWORD IOCTL_DISK_GET_PARTITION_INFO_EX = 0x70048;
constexpr DWORD IOCTL_DISK_GET_PARTITION_INFO = 0x74004;
constexpr DWORD IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS = 0x560000;
constexpr DWORD IOCTL_DISK_GET_DRIVE_LAYOUT_EX = 0x70050;
constexpr DWORD IOCTL_DISK_GET_DRIVE_LAYOUT = 0x7400C;
constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY_EX = 0x700A0;
constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY = 0x70000;

struct MOUNTMGR_MOUNT_POINT {
  ULONG SymbolicLinkNameOffset;
  USHORT SymbolicLinkNameLength;
  ULONG UniqueIdOffset;
  USHORT UniqueIdLength;
  ULONG DeviceNameOffset;
  USHORT DeviceNameLength;
};

struct MOUNTMGR_MOUNT_POINTS {
  ULONG Size;
  ULONG NumberOfMountPoints;
  MOUNTMGR_MOUNT_POINT MountPoints[1];
};

enum PARTITION_STYLE : int { PARTITION_STYLE_MBR = 0, PARTITION_STYLE_GPT = 1, PARTITION_STYLE_RAW = 2 };

enum MEDIA_TYPE : int {
  Unknown = 0,
  RemovableMedia = 11,
  FixedMedia = 12,
};

enum DETECTION_TYPE : int { DetectNone = 0, DetectInt13 = 1, DetectExInt13 = 2 };

struct PARTITION_INFORMATION_MBR {
  BYTE PartitionType;
  BOOLEAN BootIndicator;
  BOOLEAN RecognizedPartition;
  DWORD HiddenSectors;
  GUID PartitionId;
};

struct PARTITION_INFORMATION_GPT {
  GUID PartitionType;
  GUID PartitionId;
  DWORD64 Attributes;
  WCHAR Name[36];
};

struct PARTITION_INFORMATION_EX {
  PARTITION_STYLE PartitionStyle;
  LARGE_INTEGER StartingOffset;
  LARGE_INTEGER PartitionLength;
  DWORD PartitionNumber;
  BOOLEAN RewritePartition;
  BOOLEAN IsServicePartition;
  union {
    PARTITION_INFORMATION_MBR Mbr;
    PARTITION_INFORMATION_GPT Gpt;
  };
};

struct PARTITION_INFORMATION {
  LARGE_INTEGER StartingOffset;
  LARGE_INTEGER PartitionLength;
  DWORD HiddenSectors;
  DWORD PartitionNumber;
  BYTE PartitionType;
  BOOLEAN BootIndicator;
  BOOLEAN RecognizedPartition;
  BOOLEAN RewritePartition;
};

struct DISK_EXTENT {
  DWORD DiskNumber;
  LARGE_INTEGER StartingOffset;
  LARGE_INTEGER ExtentLength;
};

struct VOLUME_DISK_EXTENTS {
  DWORD NumberOfDiskExtents;
  DISK_EXTENT Extents[1];
};

// The checksum that follows the signature is read at layout::kLayoutMbrCheckSum:
// not every platform's header names it.
struct DRIVE_LAYOUT_INFORMATION_MBR {
  DWORD Signature;
};

struct DRIVE_LAYOUT_INFORMATION_GPT {
  GUID DiskId;
  LARGE_INTEGER StartingUsableOffset;
  LARGE_INTEGER UsableLength;
  DWORD MaxPartitionCount;
};

struct DRIVE_LAYOUT_INFORMATION_EX {
  DWORD PartitionStyle;
  DWORD PartitionCount;
  union {
    DRIVE_LAYOUT_INFORMATION_MBR Mbr;
    DRIVE_LAYOUT_INFORMATION_GPT Gpt;
  };
  PARTITION_INFORMATION_EX PartitionEntry[1];
};

struct DRIVE_LAYOUT_INFORMATION {
  DWORD PartitionCount;
  DWORD Signature;
  PARTITION_INFORMATION PartitionEntry[1];
};

struct DISK_GEOMETRY {
  LARGE_INTEGER Cylinders;
  MEDIA_TYPE MediaType;
  DWORD TracksPerCylinder;
  DWORD SectorsPerTrack;
  DWORD BytesPerSector;
};

struct DISK_GEOMETRY_EX {
  DISK_GEOMETRY Geometry;
  LARGE_INTEGER DiskSize;
  BYTE Data[1];
};

struct DISK_INT13_INFO {
  WORD DriveSelect;
  DWORD MaxCylinders;
  WORD SectorsPerTrack;
  WORD MaxHeads;
  WORD NumberDrives;
};

struct DISK_EX_INT13_INFO {
  WORD ExBufferSize;
  WORD ExFlags;
  DWORD ExCylinders;
  DWORD ExHeads;
  DWORD ExSectorsPerTrack;
  DWORD64 ExSectorsPerDrive;
  WORD ExSectorSize;
  WORD ExReserved;
};

struct DISK_DETECTION_INFO {
  DWORD SizeOfDetectInfo;
  DETECTION_TYPE DetectionType;
  // The platform wraps these two in a nameless union of one struct; the layout
  // is the same.
  DISK_INT13_INFO Int13;
  DISK_EX_INT13_INFO ExInt13;
};

struct DISK_PARTITION_INFO {
  DWORD SizeOfPartitionInfo;
  PARTITION_STYLE PartitionStyle;
  union {
    struct {
      DWORD Signature;
      DWORD CheckSum;
    } Mbr;
    struct {
      GUID DiskId;
    } Gpt;
  };
};

#endif

#include <cstddef>

// Buffer sizes the scan asks with, and the places it reads the geometry answer.
namespace layout {
constexpr DWORD kMaxExtents = 100;
constexpr DWORD kMaxLayoutEntries = 100;
constexpr std::size_t kVolumeDiskExtentsBytes = offsetof(VOLUME_DISK_EXTENTS, Extents) + kMaxExtents * sizeof(DISK_EXTENT);
constexpr std::size_t kDriveLayoutExBytes =
    offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) + kMaxLayoutEntries * sizeof(PARTITION_INFORMATION_EX);
constexpr std::size_t kGeometryExBufferBytes = 220;
constexpr std::size_t kPartitionInfoInGeometryEx = 32;
constexpr std::size_t kDetectionInfoInGeometryEx = 56;
// The MBR part of a drive layout: the disk signature, then its checksum, which
// some headers (MinGW's) leave unnamed in the union's room.
constexpr std::size_t kLayoutMbrSignature = offsetof(DRIVE_LAYOUT_INFORMATION_EX, Mbr);
constexpr std::size_t kLayoutMbrCheckSum = kLayoutMbrSignature + sizeof(DWORD);
}  // namespace layout

static_assert(sizeof(MOUNTMGR_MOUNT_POINT) == 24);
static_assert(offsetof(MOUNTMGR_MOUNT_POINTS, MountPoints) == 8);
static_assert(sizeof(PARTITION_INFORMATION_MBR) == 24);
static_assert(sizeof(PARTITION_INFORMATION_GPT) == 112);
static_assert(sizeof(PARTITION_INFORMATION_EX) == 144);
static_assert(offsetof(PARTITION_INFORMATION_EX, StartingOffset) == 8);
static_assert(offsetof(PARTITION_INFORMATION_EX, PartitionNumber) == 24);
static_assert(offsetof(PARTITION_INFORMATION_EX, RewritePartition) == 28);
static_assert(offsetof(PARTITION_INFORMATION_EX, Mbr) == 32);
static_assert(sizeof(PARTITION_INFORMATION) == 32);
static_assert(offsetof(PARTITION_INFORMATION, PartitionType) == 24);
static_assert(sizeof(DISK_EXTENT) == 24);
static_assert(layout::kVolumeDiskExtentsBytes == 2408);
static_assert(offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) == 48);
static_assert(layout::kLayoutMbrSignature == 8);
static_assert(layout::kDriveLayoutExBytes == 14448);
static_assert(offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry) == 8);
static_assert(sizeof(DISK_GEOMETRY) == 24);
static_assert(offsetof(DISK_GEOMETRY_EX, Data) == layout::kPartitionInfoInGeometryEx);
static_assert(sizeof(DISK_PARTITION_INFO) == 24);
static_assert(layout::kPartitionInfoInGeometryEx + sizeof(DISK_PARTITION_INFO) == layout::kDetectionInfoInGeometryEx);
static_assert(sizeof(DISK_INT13_INFO) == 16);
static_assert(sizeof(DISK_EX_INT13_INFO) == 32);
static_assert(sizeof(DISK_DETECTION_INFO) == 56);
static_assert(offsetof(DISK_DETECTION_INFO, ExInt13) == 24);
static_assert(layout::kDetectionInfoInGeometryEx + sizeof(DISK_DETECTION_INFO) <= layout::kGeometryExBufferBytes);
