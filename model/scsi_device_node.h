#pragma once

#include "model/storage_node.h"

// One device on an adapter: a bus/target/logical unit of a SCSI port, or a USB
// or 1394 disk.
class ScsiDeviceNode : public StorageNode {
 public:
  ScsiDeviceNode() : StorageNode(KindScsiDevice) {}
};
