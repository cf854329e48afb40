#include "model/scsi_device_node.h"

#include "model/zeroed_buffer.h"
#include "platform/wide_text.h"

void ScsiDeviceNode::SetScsiAddress(const SCSI_ADDRESS& address) {
  scsiAddress = address;
  name = FormatWide(L"Bus%d,Target%d,Lun%d", address.PathId, address.TargetId, address.Lun);
  isUsbDisk = false;
}

void ScsiDeviceNode::MakeUsbDisk() {
  isUsbDisk = true;
  name = L"Usb Disk";
}

void ScsiDeviceNode::Make1394Disk() {
  is1394Disk = true;
  name = L"1394 Disk";
}

void ScsiDeviceNode::SetInquiryData(const BYTE* record, std::size_t available) {
  inquiryRecord.clear();
  inquiryData = nullptr;
  if (record == nullptr || available < layout::kInquiryRecordHeader) return;
  SCSI_INQUIRY_DATA header{};
  std::memcpy(&header, record, layout::kInquiryRecordHeader);
  const std::size_t length =
      std::min<std::size_t>(header.InquiryDataLength, available - layout::kInquiryRecordHeader);
  header.InquiryDataLength = static_cast<ULONG>(length);
  // The length comes from the port; a copy that cannot be had leaves none.
  if (!AllocateZeroed(inquiryRecord, layout::kInquiryRecordHeader + length)) return;
  std::memcpy(inquiryRecord.data(), &header, layout::kInquiryRecordHeader);
  if (length > 0) std::memcpy(inquiryRecord.data() + layout::kInquiryRecordHeader, record + layout::kInquiryRecordHeader, length);
  inquiryData = inquiryRecord.data() + layout::kInquiryRecordHeader;
}

bool ScsiDeviceNode::HasAddress(const SCSI_ADDRESS& a) const {
  return a.PortNumber == scsiAddress.PortNumber && a.PathId == scsiAddress.PathId &&
         a.TargetId == scsiAddress.TargetId && a.Lun == scsiAddress.Lun;
}

STORAGE_DEVICE_DESCRIPTOR ScsiDeviceNode::DeviceDescriptorFields() const {
  STORAGE_DEVICE_DESCRIPTOR d = ReadRecord<STORAGE_DEVICE_DESCRIPTOR>(deviceDescriptor);
  d.RawDeviceProperties[0] = 0;  // not a fixed field
  return d;
}

bool SameDeviceDescriptor(const ScsiDeviceNode& a, const ScsiDeviceNode& b) {
  if (a.deviceDescriptor.empty() || b.deviceDescriptor.empty())
    return a.deviceDescriptor.empty() && b.deviceDescriptor.empty();
  const STORAGE_DEVICE_DESCRIPTOR x = a.DeviceDescriptorFields();
  const STORAGE_DEVICE_DESCRIPTOR y = b.DeviceDescriptorFields();
  if (x.Version != y.Version || x.Size != y.Size || x.DeviceType != y.DeviceType ||
      x.DeviceTypeModifier != y.DeviceTypeModifier || x.RemovableMedia != y.RemovableMedia ||
      x.CommandQueueing != y.CommandQueueing || x.VendorIdOffset != y.VendorIdOffset ||
      x.ProductIdOffset != y.ProductIdOffset || x.ProductRevisionOffset != y.ProductRevisionOffset ||
      x.SerialNumberOffset != y.SerialNumberOffset || x.BusType != y.BusType ||
      x.RawPropertiesLength != y.RawPropertiesLength)
    return false;
  for (DWORD offset : {x.VendorIdOffset, x.ProductIdOffset, x.ProductRevisionOffset, x.SerialNumberOffset}) {
    if (offset == 0) continue;
    const std::string_view s = StringAt(a.deviceDescriptor, offset);
    const std::string_view t = StringAt(b.deviceDescriptor, offset);
    // Both must also hold their terminator, or both lack it at the same place.
    const bool sEnds = offset + s.size() < a.deviceDescriptor.size();
    const bool tEnds = offset + t.size() < b.deviceDescriptor.size();
    if (s != t || sEnds != tEnds) return false;
  }
  if (x.RawPropertiesLength != 0) {
    auto raw = [](const RecordBytes& bytes, DWORD length) {
      const std::size_t start = layout::kDeviceDescriptorFixed;
      const std::size_t held = bytes.size() > start ? std::min<std::size_t>(length, bytes.size() - start) : 0;
      return std::string_view(reinterpret_cast<const char*>(bytes.data()) + std::min(start, bytes.size()), held);
    };
    if (raw(a.deviceDescriptor, x.RawPropertiesLength) != raw(b.deviceDescriptor, y.RawPropertiesLength)) return false;
  }
  return true;
}
