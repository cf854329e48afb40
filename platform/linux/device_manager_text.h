// What the device manager would record about each storage controller, from
// sysfs: hardware and compatible ids in the platform's form built from the
// bus ids, the memory, I/O and interrupt resources, the bound kernel driver as
// the driver node and its module file as the driver's file; and one
// storage-port interface per controller, in the same order, so that the
// interface at index n belongs to the device at index n.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/storage_ports.h"
#include "platform/linux/system_files.h"
#include "platform/machine/machine.h"

namespace linuxsys {

struct DeviceManagerText {
  std::vector<machine::DeviceInstance> instances;
  std::vector<machine::PortInterface> interfaces;
};

// `kernelRelease` names the directory of the kernel's modules (/lib/modules/<release>).
DeviceManagerText DescribeControllers(SystemFiles& files, const std::vector<PortController>& controllers,
                                      const std::string& kernelRelease);

// The platform's ids of a PCI function, most specific first.
struct PciIds {
  unsigned vendor = 0;
  unsigned device = 0;
  std::optional<unsigned> subsystemVendor;
  std::optional<unsigned> subsystemDevice;
  std::optional<unsigned> revision;
  std::optional<unsigned> classCode;  // base class, subclass, programming interface
};
std::vector<std::wstring> PciHardwareIds(const PciIds& ids);
std::vector<std::wstring> PciCompatibleIds(const PciIds& ids);

// The memory and I/O ranges of a PCI function's "resource" table (its six
// base address registers), in table order; unused and malformed lines are left out.
std::vector<machine::Resource> PciRanges(const std::string& table);

}  // namespace linuxsys
