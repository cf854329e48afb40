#include "platform/request_names.h"

#include <array>
#include <utility>

#include "platform/port_records.h"
#include "platform/storage_records.h"

namespace {
struct NamedCode {
  const char* name;
  DWORD code;
};
const std::array kCodes = {
    NamedCode{"IOCTL_MOUNTMGR_QUERY_POINTS", IOCTL_MOUNTMGR_QUERY_POINTS},
    NamedCode{"IOCTL_DISK_GET_PARTITION_INFO_EX", IOCTL_DISK_GET_PARTITION_INFO_EX},
    NamedCode{"IOCTL_DISK_GET_PARTITION_INFO", IOCTL_DISK_GET_PARTITION_INFO},
    NamedCode{"IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS", IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS},
    NamedCode{"IOCTL_DISK_GET_DRIVE_LAYOUT_EX", IOCTL_DISK_GET_DRIVE_LAYOUT_EX},
    NamedCode{"IOCTL_DISK_GET_DRIVE_LAYOUT", IOCTL_DISK_GET_DRIVE_LAYOUT},
    NamedCode{"IOCTL_DISK_GET_DRIVE_GEOMETRY_EX", IOCTL_DISK_GET_DRIVE_GEOMETRY_EX},
    NamedCode{"IOCTL_DISK_GET_DRIVE_GEOMETRY", IOCTL_DISK_GET_DRIVE_GEOMETRY},
    NamedCode{"IOCTL_STORAGE_QUERY_PROPERTY", IOCTL_STORAGE_QUERY_PROPERTY},
    NamedCode{"IOCTL_SCSI_GET_ADDRESS", IOCTL_SCSI_GET_ADDRESS},
    NamedCode{"IOCTL_SCSI_GET_CAPABILITIES", IOCTL_SCSI_GET_CAPABILITIES},
    NamedCode{"IOCTL_SCSI_GET_INQUIRY_DATA", IOCTL_SCSI_GET_INQUIRY_DATA},
};
}  // namespace

std::string ControlCodeName(DWORD code) {
  for (const auto& c : kCodes) {
    if (c.code == code) return c.name;
  }
  return {};
}

std::optional<DWORD> ControlCodeByName(std::string_view name) {
  for (const auto& c : kCodes) {
    if (name == c.name) return c.code;
  }
  return std::nullopt;
}
