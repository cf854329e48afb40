#include "model/scsi_adapter_node.h"

#include "platform/wide_text.h"

void ScsiAdapterNode::SetScsiAddress(const SCSI_ADDRESS& address) {
  scsiAddress = address;
  name = FormatWide(L"Scsi%d", address.PortNumber);
  isUsbStorage = false;
}

void ScsiAdapterNode::MakeUsbStorage() {
  isUsbStorage = true;
  name = L"UsbStorage";
}

void ScsiAdapterNode::Make1394Storage() {
  is1394Storage = true;
  name = L"1394Storage";
}

ScsiDeviceNode& ScsiAdapterNode::AddDevice(std::unique_ptr<ScsiDeviceNode> device) {
  for (const auto& listed : devices) {
    if (listed->HasAddress(device->scsiAddress)) return *listed;
  }
  devices.push_back(std::move(device));
  return *devices.back();
}

ScsiDeviceNode* ScsiAdapterNode::FindDeviceByDescriptor(const ScsiDeviceNode& probe) const {
  for (const auto& d : devices) {
    if (SameDeviceDescriptor(*d, probe)) return d.get();
  }
  return nullptr;
}

ScsiDeviceNode* ScsiAdapterNode::FindDeviceByDescriptorAndAddress(const ScsiDeviceNode& probe) const {
  for (const auto& d : devices) {
    // The cheap address test first; both must hold either way.
    if (d->HasAddress(probe.scsiAddress) && SameDeviceDescriptor(*d, probe)) return d.get();
  }
  return nullptr;
}

ScsiDeviceNode* ScsiAdapterNode::FindDeviceByPathTargetLun(const SCSI_ADDRESS& a) const {
  for (const auto& d : devices) {
    const SCSI_ADDRESS& b = d->scsiAddress;
    if (a.PathId == b.PathId && a.TargetId == b.TargetId && a.Lun == b.Lun) return d.get();
  }
  return nullptr;
}

bool SameAdapterDescriptor(const ScsiAdapterNode& a, const ScsiAdapterNode& b) {
  if (a.adapterDescriptor.empty() || b.adapterDescriptor.empty())
    return a.adapterDescriptor.empty() && b.adapterDescriptor.empty();
  const STORAGE_ADAPTER_DESCRIPTOR x = a.AdapterDescriptorFields();
  const STORAGE_ADAPTER_DESCRIPTOR y = b.AdapterDescriptorFields();
  return x.Version == y.Version && x.Size == y.Size && x.MaximumTransferLength == y.MaximumTransferLength &&
         x.MaximumPhysicalPages == y.MaximumPhysicalPages && x.AlignmentMask == y.AlignmentMask &&
         x.AdapterUsesPio == y.AdapterUsesPio && x.AdapterScansDown == y.AdapterScansDown &&
         x.CommandQueueing == y.CommandQueueing && x.AcceleratedTransfer == y.AcceleratedTransfer &&
         x.BusType == y.BusType && x.BusMajorVersion == y.BusMajorVersion && x.BusMinorVersion == y.BusMinorVersion;
}
