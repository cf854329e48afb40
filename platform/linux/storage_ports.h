// The storage adapters behind the drives, in the platform's terms: each SCSI
// host is a SCSI port numbered as the host, with the logical units it lists;
// NVMe, virtio, MMC and other controllers are ports of their own, with the
// INQUIRY data the platform's drivers report for their disks; virtual block
// devices gather under one port per kind. Each drive is placed at its port,
// bus, target and logical unit, with its device descriptor and identifiers.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/block_devices.h"
#include "platform/linux/system_files.h"
#include "platform/machine/machine.h"

namespace linuxsys {

// A device that the device manager would describe as a storage controller,
// with the ports it drives.
struct PortController {
  std::string sysPath;       // a PCI function, a USB interface, ...
  std::string driverDevice;  // the device whose bound driver serves the ports; empty without one
  std::vector<BYTE> ports;   // in number order
};

struct StoragePorts {
  std::vector<machine::Port> ports;  // in number order
  std::vector<PortController> controllers;  // in the order of their first port
};

// Places `drives` (the machine's drives, `devices[i]` being the block device
// of `drives[i]`) and returns the ports they sit on. A drive that cannot be
// placed is left as it is.
StoragePorts CollectStoragePorts(SystemFiles& files, std::vector<machine::Drive>& drives,
                                 const std::vector<const BlockDevice*>& devices);

}  // namespace linuxsys
