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

namespace {

std::uint32_t PathTargetLunKey(const SCSI_ADDRESS& a) {
  return static_cast<std::uint32_t>(a.PathId) << 16 | static_cast<std::uint32_t>(a.TargetId) << 8 | a.Lun;
}

std::uint32_t AddressKey(const SCSI_ADDRESS& a) {
  return static_cast<std::uint32_t>(a.PortNumber) << 24 | PathTargetLunKey(a);
}

}  // namespace

void ScsiAdapterNode::IndexDevices() const {
  if (indexed_ > devices.size()) {  // the list was cut: start again
    indexed_ = 0;
    byAddress_.clear();
    byPathTargetLun_.clear();
  }
  for (; indexed_ < devices.size(); ++indexed_) {
    if (!devices[indexed_]) continue;
    const SCSI_ADDRESS& a = devices[indexed_]->scsiAddress;
    byAddress_.emplace(AddressKey(a), indexed_);  // keeps the first
    byPathTargetLun_.emplace(PathTargetLunKey(a), indexed_);
  }
}

ScsiDeviceNode& ScsiAdapterNode::AddDevice(std::unique_ptr<ScsiDeviceNode> device) {
  IndexDevices();
  const auto listed = byAddress_.find(AddressKey(device->scsiAddress));
  if (listed != byAddress_.end()) return *devices[listed->second];
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
  IndexDevices();
  const auto first = byAddress_.find(AddressKey(probe.scsiAddress));
  if (first == byAddress_.end()) return nullptr;
  // Devices listed directly may share an address; the first with both wins.
  for (std::size_t i = first->second; i < devices.size(); ++i) {
    const auto& d = devices[i];
    if (d && d->HasAddress(probe.scsiAddress) && SameDeviceDescriptor(*d, probe)) return d.get();
  }
  return nullptr;
}

ScsiDeviceNode* ScsiAdapterNode::FindDeviceByPathTargetLun(const SCSI_ADDRESS& a) const {
  IndexDevices();
  const auto first = byPathTargetLun_.find(PathTargetLunKey(a));
  return first == byPathTargetLun_.end() ? nullptr : devices[first->second].get();
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
