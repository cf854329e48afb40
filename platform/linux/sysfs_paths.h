// Paths in the sysfs device tree: where a symbolic link leads, the parts of a
// path, and what the names of its directories say (a PCI function, a USB
// interface, a SCSI address).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/system_files.h"

namespace linuxsys {

// An absolute system path with "." and ".." taken out ("/sys/block/../devices" gives "/sys/devices").
std::string NormalizePath(std::string_view path);

// Where the link at `systemPath` leads, as an absolute system path; the path
// itself when it is no link. Only the last component is followed, which is
// all sysfs needs: its links point into the real /sys/devices tree.
std::string ResolveLink(const SystemFiles& files, const std::string& systemPath);

std::string_view BaseName(std::string_view path);
std::string_view DirName(std::string_view path);

// "0000:3d:00.0": a PCI function (domain, bus, device, function).
bool IsPciAddress(std::string_view name);
// "2-1.4:1.0": a USB interface (bus-ports:configuration.interface).
bool IsUsbInterface(std::string_view name);
// "2-1.4": a USB device (bus-ports), or "usb2", a root hub.
bool IsUsbDevice(std::string_view name);

// "3:0:1:0" as host, channel, target and logical unit.
std::optional<std::array<unsigned long, 4>> ParseScsiAddress(std::string_view name);

// "host3" as 3; also "ata3" with prefix "ata", "nvme0" with "nvme".
std::optional<unsigned long> NumberAfter(std::string_view name, std::string_view prefix);

}  // namespace linuxsys
