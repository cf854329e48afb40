#pragma once

#include <memory>
#include <vector>

#include "model/device_manager_info.h"
#include "model/scsi_device_node.h"
#include "model/storage_node.h"

// One storage adapter: a SCSI port, or the USB or 1394 pseudo-adapter. Owns its
// devices.
class ScsiAdapterNode : public StorageNode {
 public:
  ScsiAdapterNode() : StorageNode(KindScsiAdapter) {}

  std::vector<std::unique_ptr<ScsiDeviceNode>> devices;
  bool hasDeviceManagerInfo = false;
  DeviceManagerInfo deviceManagerInfo;
  std::wstring portDeviceName;
};
