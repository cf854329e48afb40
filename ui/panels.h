// The nine panel fillers of the detail form: each shows one node in the form
// state, following the panel protocol (own panel shown and scrolled to the top,
// the eight others hidden, the panel's lists reset, then its fields filled).
#pragma once

#include "model/disk_extent_node.h"
#include "model/disk_partition_node.h"
#include "model/list_nodes.h"
#include "ui/form_state.h"

void ShowMountPointList(FormState& form, const MountPointList& mountPoints);
void ShowPhysicalDiskList(FormState& form, const PhysicalDiskList& disks);
void ShowAdapterList(FormState& form, const AdapterList& adapters);
void ShowMountPoint(FormState& form, const MountPointNode& mountPoint);
void ShowDiskExtent(FormState& form, const DiskExtentNode& extent);
void ShowDiskPartition(FormState& form, const DiskPartitionNode& partition);
void ShowPhysicalDisk(FormState& form, const PhysicalDiskNode& disk);
void ShowScsiAdapter(FormState& form, const ScsiAdapterNode& adapter);
void ShowScsiDevice(FormState& form, const ScsiDeviceNode& device);

// Calls the filler of the node's kind. A null node or an unknown kind changes
// nothing and returns false.
bool ShowNodePanel(FormState& form, const StorageNode* node);
