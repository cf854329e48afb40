#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "model/device_manager_info.h"
#include "model/record_bytes.h"
#include "model/scsi_device_node.h"
#include "model/storage_node.h"
#include "platform/port_records.h"

// One storage adapter: a SCSI port, or the USB or 1394 pseudo-adapter. Owns its
// devices and keeps the platform's records as returned.
class ScsiAdapterNode : public StorageNode {
 public:
  ScsiAdapterNode() : StorageNode(KindScsiAdapter) {}

  void SetScsiCapabilities(const IO_SCSI_CAPABILITIES& capabilities) { scsiCapabilities = capabilities; }
  void SetScsiAddress(const SCSI_ADDRESS& address);
  void MakeUsbStorage();
  void Make1394Storage();
  void SetAdapterDescriptor(RecordBytes descriptor) { adapterDescriptor = std::move(descriptor); }
  // The descriptor's bus type; 0 (unknown, taken as a SCSI port) without one.
  BYTE GetBusType() const { return AdapterDescriptorFields().BusType; }
  bool IsUsbStorage() const { return isUsbStorage; }
  bool Is1394Storage() const { return is1394Storage; }
  void SetNumberOfBuses(int count) { numberOfBuses = count; }
  // Each lookup finds the first listed device that matches, as a walk of the
  // list would; a port with thousands of units would make a walk per disk
  // quadratic, so the first position of each address is kept. Devices may be
  // appended to the list directly; their addresses do not change once listed.
  //
  // Appends the device unless one with the same address is listed; that one
  // stays and the new one is deleted. Either way returns the device now listed
  // under the address.
  ScsiDeviceNode& AddDevice(std::unique_ptr<ScsiDeviceNode> device);
  ScsiDeviceNode* FindDeviceByDescriptor(const ScsiDeviceNode& probe) const;
  ScsiDeviceNode* FindDeviceByDescriptorAndAddress(const ScsiDeviceNode& probe) const;
  // Path id, target id and logical unit; the port number is not compared.
  ScsiDeviceNode* FindDeviceByPathTargetLun(const SCSI_ADDRESS& address) const;

  // The fixed fields of the adapter descriptor, zero where the buffer ends first.
  STORAGE_ADAPTER_DESCRIPTOR AdapterDescriptorFields() const {
    return ReadRecord<STORAGE_ADAPTER_DESCRIPTOR>(adapterDescriptor);
  }

  std::vector<std::unique_ptr<ScsiDeviceNode>> devices;
  IO_SCSI_CAPABILITIES scsiCapabilities{};
  SCSI_ADDRESS scsiAddress{};
  // Empty when the driver gave none.
  RecordBytes adapterDescriptor;
  bool isUsbStorage = false;
  bool is1394Storage = false;
  int numberOfBuses = 0;
  bool hasDeviceManagerInfo = false;
  DeviceManagerInfo deviceManagerInfo;
  std::wstring portDeviceName;

 private:
  // Takes in the devices appended since the last lookup.
  void IndexDevices() const;

  mutable std::size_t indexed_ = 0;
  mutable std::unordered_map<std::uint32_t, std::size_t> byAddress_;        // with the port number
  mutable std::unordered_map<std::uint32_t, std::size_t> byPathTargetLun_;  // without
};

// Equal adapter descriptors in every fixed field; an adapter without one
// equals only another without.
bool SameAdapterDescriptor(const ScsiAdapterNode& a, const ScsiAdapterNode& b);
