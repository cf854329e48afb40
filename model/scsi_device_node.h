#pragma once

#include "model/record_bytes.h"
#include "model/storage_node.h"
#include "platform/port_records.h"

// One device on an adapter: a bus/target/logical unit of a SCSI port, or a USB
// or 1394 disk. Keeps the platform's records as returned; the views decode them.
class ScsiDeviceNode : public StorageNode {
 public:
  ScsiDeviceNode() : StorageNode(KindScsiDevice) {}

  void SetScsiAddress(const SCSI_ADDRESS& address);
  void MakeUsbDisk();
  void Make1394Disk();
  // Copies one SCSI_INQUIRY_DATA record that starts `available` bytes before the
  // end of the answer: its header and as many inquiry bytes as its length gives
  // and the answer holds. The copy's header tells how many it holds.
  void SetInquiryData(const BYTE* record, std::size_t available);
  // Port number, path id, target id and logical unit; not the length.
  bool HasAddress(const SCSI_ADDRESS& address) const;
  bool IsUsbDisk() const { return isUsbDisk; }
  bool Is1394Disk() const { return is1394Disk; }

  // The record header of the inquiry copy (zero without one) and its inquiry bytes.
  SCSI_INQUIRY_DATA InquiryHeader() const { return ReadRecord<SCSI_INQUIRY_DATA>(inquiryRecord); }
  std::size_t InquiryLength() const {
    return inquiryRecord.size() > layout::kInquiryRecordHeader ? inquiryRecord.size() - layout::kInquiryRecordHeader : 0;
  }
  // The fixed fields of the device descriptor, zero where the buffer ends first.
  STORAGE_DEVICE_DESCRIPTOR DeviceDescriptorFields() const;

  SCSI_ADDRESS scsiAddress{};
  RecordBytes inquiryRecord;
  const BYTE* inquiryData = nullptr;
  // Empty when the driver gave none.
  RecordBytes deviceDescriptor;
  RecordBytes deviceIdDescriptor;
  bool isUsbDisk = false;
  bool is1394Disk = false;
};

// Equal device descriptors: fixed fields, the strings their offsets name, and
// the raw properties. A device without a descriptor equals only another without.
bool SameDeviceDescriptor(const ScsiDeviceNode& a, const ScsiDeviceNode& b);
