#include "platform/recorded/port_answers.h"

#include <algorithm>
#include <cstring>

namespace answers {
namespace {

std::size_t AlignUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

// A descriptor answer: a buffer shorter than the header fails; a longer one gets
// as much as fits, with the header telling the full size.
Answer Descriptor(std::vector<BYTE> bytes) {
  Answer a;
  a.bytes = std::move(bytes);
  a.minimum = sizeof(STORAGE_DESCRIPTOR_HEADER);
  return a;
}

Answer Unsupported() {
  Answer a;
  a.error = ERROR_INVALID_FUNCTION;
  return a;
}

}  // namespace

std::vector<BYTE> DeviceDescriptorBytes(const machine::Drive& d, const machine::Port* port) {
  const machine::DeviceDescription& x = d.device;
  // The fixed fields, the raw properties, then each present string with its terminator.
  STORAGE_DEVICE_DESCRIPTOR h{};
  std::size_t end = layout::kDeviceDescriptorFixed + x.rawProperties.size();
  auto place = [&end](const std::optional<std::string>& text) -> DWORD {
    if (!text) return 0;
    const DWORD offset = static_cast<DWORD>(end);
    end += text->size() + 1;
    return offset;
  };
  h.VendorIdOffset = place(x.vendor);
  h.ProductIdOffset = place(x.product);
  h.ProductRevisionOffset = place(x.revision);
  h.SerialNumberOffset = place(x.serial);
  std::vector<BYTE> b(std::max(end, sizeof(STORAGE_DEVICE_DESCRIPTOR)), 0);
  h.Version = x.version;
  h.Size = static_cast<DWORD>(b.size());
  h.DeviceType = x.deviceType;
  h.DeviceTypeModifier = x.deviceTypeModifier;
  h.RemovableMedia = x.removable;
  h.CommandQueueing = x.commandQueueing;
  if (x.busType) {
    h.BusType = *x.busType;
  } else {
    h.BusType = port != nullptr && port->descriptor ? static_cast<STORAGE_BUS_TYPE>(port->descriptor->BusType)
                                                    : BusTypeUnknown;
  }
  h.RawPropertiesLength = static_cast<DWORD>(x.rawProperties.size());
  std::memcpy(b.data(), &h, layout::kDeviceDescriptorFixed);
  if (!x.rawProperties.empty())
    std::memcpy(b.data() + layout::kDeviceDescriptorFixed, x.rawProperties.data(), x.rawProperties.size());
  auto copy = [&b](const std::optional<std::string>& text, DWORD offset) {
    if (text && !text->empty()) std::memcpy(b.data() + offset, text->data(), text->size());
  };
  copy(x.vendor, h.VendorIdOffset);
  copy(x.product, h.ProductIdOffset);
  copy(x.revision, h.ProductRevisionOffset);
  copy(x.serial, h.SerialNumberOffset);
  return b;
}

std::vector<BYTE> DeviceIdDescriptorBytes(const machine::Drive& d) {
  std::vector<BYTE> b(layout::kDeviceIdDescriptorFixed, 0);
  for (std::size_t i = 0; i < d.identifiers.size(); ++i) {
    const machine::Identifier& id = d.identifiers[i];
    const std::size_t start = b.size();
    const std::size_t size = AlignUp(layout::kIdentifierFixed + id.bytes.size(), 4);
    b.resize(start + size, 0);
    STORAGE_IDENTIFIER h{};
    h.CodeSet = id.codeSet;
    h.Type = id.type;
    h.IdentifierSize = static_cast<USHORT>(id.bytes.size());
    h.NextOffset = i + 1 < d.identifiers.size() ? static_cast<USHORT>(size) : 0;
    h.Association = id.association;
    std::memcpy(b.data() + start, &h, layout::kIdentifierFixed);
    if (!id.bytes.empty()) std::memcpy(b.data() + start + layout::kIdentifierFixed, id.bytes.data(), id.bytes.size());
  }
  if (b.size() < sizeof(STORAGE_DEVICE_ID_DESCRIPTOR)) b.resize(sizeof(STORAGE_DEVICE_ID_DESCRIPTOR), 0);
  Put(b, 0, DWORD{1});
  Put(b, 4, static_cast<DWORD>(b.size()));
  Put(b, 8, static_cast<DWORD>(d.identifiers.size()));
  return b;
}

Answer DriveProperty(const machine::Drive& d, const machine::Port* port, STORAGE_PROPERTY_ID property) {
  switch (property) {
    case StorageAdapterProperty:
      // A drive on an undescribed port has no adapter to describe.
      if (port == nullptr) return Unsupported();
      return PortProperty(*port, property);
    case StorageDeviceProperty:
      return Descriptor(DeviceDescriptorBytes(d, port));
    case StorageDeviceIdProperty:
      return Descriptor(DeviceIdDescriptorBytes(d));
    default:
      return Unsupported();
  }
}

Answer PortProperty(const machine::Port& p, STORAGE_PROPERTY_ID property) {
  if (property != StorageAdapterProperty || !p.descriptor) return Unsupported();
  std::vector<BYTE> b;
  Put(b, 0, *p.descriptor);
  return Descriptor(std::move(b));
}

Answer ScsiAddress(const machine::Drive& d) {
  SCSI_ADDRESS a{};
  a.Length = sizeof a;
  a.PortNumber = d.placement.port;
  // An unplaced drive stands at its own number on port 0, so every drive has an
  // address of its own: the number's bytes, lowest first, as target, bus and
  // unit, since a target alone would give drives 0 and 256 one address.
  a.PathId = d.placed ? d.placement.bus : static_cast<UCHAR>(d.number >> 8);
  a.TargetId = d.placed ? d.placement.target : static_cast<UCHAR>(d.number);
  a.Lun = d.placed ? d.placement.lun : static_cast<UCHAR>(d.number >> 16);
  Answer out;
  Put(out.bytes, 0, a);
  out.minimum = sizeof a;
  return out;
}

Answer ScsiCapabilities(const machine::Port& p) {
  Answer out;
  Put(out.bytes, 0, p.capabilities);
  out.minimum = sizeof p.capabilities;
  return out;
}

Answer InquiryData(const machine::Port& p) {
  // The bus count, one entry per bus, then each bus's records chained by their
  // next-record offsets, every record on a four-byte boundary.
  const std::size_t buses = p.buses.size();
  std::vector<BYTE> b(layout::kBusInfoHeader + buses * sizeof(SCSI_BUS_DATA), 0);
  b[0] = static_cast<BYTE>(buses);
  for (std::size_t i = 0; i < buses; ++i) {
    const machine::Bus& bus = p.buses[i];
    SCSI_BUS_DATA entry{};
    entry.NumberOfLogicalUnits = static_cast<UCHAR>(bus.units.size());
    entry.InitiatorBusId = bus.initiator;
    std::size_t previous = 0;
    for (std::size_t u = 0; u < bus.units.size(); ++u) {
      const machine::LogicalUnit& unit = bus.units[u];
      const std::size_t at = AlignUp(b.size(), 4);
      if (u == 0) entry.InquiryDataOffset = static_cast<ULONG>(at);
      if (u > 0) Put(b, previous + offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset), static_cast<ULONG>(at));
      b.resize(at + layout::kInquiryRecordHeader + unit.inquiry.size(), 0);
      SCSI_INQUIRY_DATA r{};
      r.PathId = static_cast<UCHAR>(i);
      r.TargetId = unit.target;
      r.Lun = unit.lun;
      r.DeviceClaimed = unit.claimed;
      r.InquiryDataLength = static_cast<ULONG>(unit.inquiry.size());
      std::memcpy(b.data() + at, &r, layout::kInquiryRecordHeader);
      if (!unit.inquiry.empty())
        std::memcpy(b.data() + at + layout::kInquiryRecordHeader, unit.inquiry.data(), unit.inquiry.size());
      previous = at;
    }
    Put(b, layout::kBusInfoHeader + i * sizeof(SCSI_BUS_DATA), entry);
  }
  Answer out;
  out.bytes = std::move(b);
  out.shortError = ERROR_INSUFFICIENT_BUFFER;
  return out;
}

}  // namespace answers
