#include "model/storage_model.h"

void StorageModel::CreateRoots() {
  mountPoints_ = std::make_unique<MountPointList>();
  physicalDisks_ = std::make_unique<PhysicalDiskList>();
  adapters_ = std::make_unique<AdapterList>();
}

void StorageModel::Clear() {
  mountPoints_.reset();
  physicalDisks_.reset();
  adapters_.reset();
  extents_.clear();
  partitions_.clear();
  extentLookup_.Reset();
  partitionLookup_.Reset();
}

DiskExtentNode& StorageModel::AddExtent(std::unique_ptr<DiskExtentNode> extent) {
  extents_.push_back(std::move(extent));
  return *extents_.back();
}

DiskPartitionNode& StorageModel::AddPartition(std::unique_ptr<DiskPartitionNode> partition) {
  partitions_.push_back(std::move(partition));
  return *partitions_.back();
}

StorageModel::ExtentKey StorageModel::KeyOf(const DiskExtentNode& node) {
  const DISK_EXTENT& e = node.diskExtent;
  return {e.DiskNumber, e.ExtentLength.QuadPart, e.StartingOffset.QuadPart};
}

StorageModel::PartitionKey StorageModel::KeyOf(const DiskPartitionNode& node) {
  if (node.hasPartitionInfoEx) {
    const PARTITION_INFORMATION_EX& p = node.partitionInfoEx;
    return {true, node.diskNumber, p.PartitionStyle, p.StartingOffset.QuadPart, p.PartitionNumber,
            p.PartitionLength.QuadPart};
  }
  const PARTITION_INFORMATION& p = node.partitionInfo;
  return {false, node.diskNumber, p.PartitionType, p.StartingOffset.QuadPart, p.PartitionNumber,
          p.PartitionLength.QuadPart};
}

// Each lookup answers as a walk of its array in order of creation would: the
// first node with equal disk number, length and offset (extents), or equal
// form, disk number, style or type, offset, number and length (partitions).
DiskExtentNode* StorageModel::FindExtent(const DISK_EXTENT& extent) const {
  return extentLookup_.Find(extents_,
                            ExtentKey{extent.DiskNumber, extent.ExtentLength.QuadPart, extent.StartingOffset.QuadPart});
}

DiskPartitionNode* StorageModel::FindPartitionEx(const PARTITION_INFORMATION_EX& info, int diskNumber) const {
  return partitionLookup_.Find(partitions_, PartitionKey{true, diskNumber, info.PartitionStyle,
                                                         info.StartingOffset.QuadPart, info.PartitionNumber,
                                                         info.PartitionLength.QuadPart});
}

DiskPartitionNode* StorageModel::FindPartition(const PARTITION_INFORMATION& info, int diskNumber) const {
  return partitionLookup_.Find(partitions_, PartitionKey{false, diskNumber, info.PartitionType,
                                                         info.StartingOffset.QuadPart, info.PartitionNumber,
                                                         info.PartitionLength.QuadPart});
}

ScsiAdapterNode* StorageModel::FindUsbStorageAdapter() const {
  if (!adapters_) return nullptr;
  for (const auto& a : adapters_->children) {
    if (a->isUsbStorage) return a.get();
  }
  return nullptr;
}

ScsiAdapterNode* StorageModel::Find1394StorageAdapter() const {
  if (!adapters_) return nullptr;
  for (const auto& a : adapters_->children) {
    if (a->is1394Storage) return a.get();
  }
  return nullptr;
}

ScsiAdapterNode* StorageModel::FindScsiPortAdapter(const ScsiAdapterNode& probe) const {
  if (!adapters_) return nullptr;
  for (const auto& a : adapters_->children) {
    // The pseudo-adapters carry port number 0 too; they are never a SCSI port.
    if (a->isUsbStorage || a->is1394Storage) continue;
    if (a->scsiAddress.PortNumber == probe.scsiAddress.PortNumber) return a.get();
  }
  return nullptr;
}
