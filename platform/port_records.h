// Records and control codes of the storage-port and SCSI port drivers: the
// adapter and device descriptors, device identifiers, SCSI addresses, port
// capabilities and the inquiry data of a port's buses. The scan copies them
// whole into adapter and device nodes, so every size and offset must match the
// platform's.
#pragma once

#include "platform/win_types.h"

#ifdef _WIN32
#include <winioctl.h>
#include <ntddscsi.h>
#else

constexpr DWORD IOCTL_STORAGE_QUERY_PROPERTY = 0x2D1400;
constexpr DWORD IOCTL_SCSI_GET_INQUIRY_DATA = 0x4100C;
constexpr DWORD IOCTL_SCSI_GET_CAPABILITIES = 0x41010;
constexpr DWORD IOCTL_SCSI_GET_ADDRESS = 0x41018;

enum STORAGE_PROPERTY_ID : int {
  StorageDeviceProperty = 0,
  StorageAdapterProperty = 1,
  StorageDeviceIdProperty = 2,
};

enum STORAGE_QUERY_TYPE : int {
  PropertyStandardQuery = 0,
  PropertyExistsQuery = 1,
};

enum STORAGE_BUS_TYPE : int {
  BusTypeUnknown = 0x00,
  BusTypeScsi = 0x1,
  BusTypeAtapi = 0x2,
  BusTypeAta = 0x3,
  BusType1394 = 0x4,
  BusTypeSsa = 0x5,
  BusTypeFibre = 0x6,
  BusTypeUsb = 0x7,
  BusTypeRAID = 0x8,
  BusTypeiScsi = 0x9,
  BusTypeSas = 0xA,
  BusTypeSata = 0xB,
  BusTypeSd = 0xC,
  BusTypeMmc = 0xD,
  BusTypeVirtual = 0xE,
  BusTypeFileBackedVirtual = 0xF,
  BusTypeSpaces = 0x10,
  BusTypeNvme = 0x11,
};

enum STORAGE_IDENTIFIER_CODE_SET : int {
  StorageIdCodeSetReserved = 0,
  StorageIdCodeSetBinary = 1,
  StorageIdCodeSetAscii = 2,
  StorageIdCodeSetUtf8 = 3,
};

enum STORAGE_IDENTIFIER_TYPE : int {
  StorageIdTypeVendorSpecific = 0,
  StorageIdTypeVendorId = 1,
  StorageIdTypeEUI64 = 2,
  StorageIdTypeFCPHName = 3,
  StorageIdTypePortRelative = 4,
  StorageIdTypeTargetPortGroup = 5,
  StorageIdTypeLogicalUnitGroup = 6,
  StorageIdTypeMD5LogicalUnitIdentifier = 7,
  StorageIdTypeScsiNameString = 8,
};

enum STORAGE_ASSOCIATION_TYPE : int {
  StorageIdAssocDevice = 0,
  StorageIdAssocPort = 1,
  StorageIdAssocTarget = 2,
};

struct STORAGE_PROPERTY_QUERY {
  STORAGE_PROPERTY_ID PropertyId;
  STORAGE_QUERY_TYPE QueryType;
  BYTE AdditionalParameters[1];
};

struct STORAGE_DESCRIPTOR_HEADER {
  DWORD Version;
  DWORD Size;
};

struct STORAGE_DEVICE_DESCRIPTOR {
  DWORD Version;
  DWORD Size;
  BYTE DeviceType;
  BYTE DeviceTypeModifier;
  BOOLEAN RemovableMedia;
  BOOLEAN CommandQueueing;
  DWORD VendorIdOffset;
  DWORD ProductIdOffset;
  DWORD ProductRevisionOffset;
  DWORD SerialNumberOffset;
  STORAGE_BUS_TYPE BusType;
  DWORD RawPropertiesLength;
  BYTE RawDeviceProperties[1];
};

struct STORAGE_ADAPTER_DESCRIPTOR {
  DWORD Version;
  DWORD Size;
  DWORD MaximumTransferLength;
  DWORD MaximumPhysicalPages;
  DWORD AlignmentMask;
  BOOLEAN AdapterUsesPio;
  BOOLEAN AdapterScansDown;
  BOOLEAN CommandQueueing;
  BOOLEAN AcceleratedTransfer;
  BYTE BusType;
  WORD BusMajorVersion;
  WORD BusMinorVersion;
};

struct STORAGE_DEVICE_ID_DESCRIPTOR {
  DWORD Version;
  DWORD Size;
  DWORD NumberOfIdentifiers;
  BYTE Identifiers[1];
};

struct STORAGE_IDENTIFIER {
  STORAGE_IDENTIFIER_CODE_SET CodeSet;
  STORAGE_IDENTIFIER_TYPE Type;
  USHORT IdentifierSize;
  USHORT NextOffset;
  STORAGE_ASSOCIATION_TYPE Association;
  UCHAR Identifier[1];
};

struct SCSI_ADDRESS {
  ULONG Length;
  UCHAR PortNumber;
  UCHAR PathId;
  UCHAR TargetId;
  UCHAR Lun;
};

struct IO_SCSI_CAPABILITIES {
  ULONG Length;
  ULONG MaximumTransferLength;
  ULONG MaximumPhysicalPages;
  ULONG SupportedAsynchronousEvents;
  ULONG AlignmentMask;
  BOOLEAN TaggedQueuing;
  BOOLEAN AdapterScansDown;
  BOOLEAN AdapterUsesPio;
};

struct SCSI_BUS_DATA {
  UCHAR NumberOfLogicalUnits;
  UCHAR InitiatorBusId;
  ULONG InquiryDataOffset;
};

struct SCSI_ADAPTER_BUS_INFO {
  UCHAR NumberOfBuses;
  SCSI_BUS_DATA BusData[1];
};

struct SCSI_INQUIRY_DATA {
  UCHAR PathId;
  UCHAR TargetId;
  UCHAR Lun;
  BOOLEAN DeviceClaimed;
  ULONG InquiryDataLength;
  ULONG NextInquiryDataOffset;
  UCHAR InquiryData[1];
};

#endif

#include <cstddef>

namespace layout {
// The size of the first answer of a descriptor query: the descriptor header.
constexpr std::size_t kDescriptorHeaderBytes = 8;
// The inquiry buffer the port is first asked with.
constexpr std::size_t kInquiryBufferBytes = 13124;
constexpr std::size_t kBusInfoHeader = offsetof(SCSI_ADAPTER_BUS_INFO, BusData);
constexpr std::size_t kInquiryRecordHeader = offsetof(SCSI_INQUIRY_DATA, InquiryData);
constexpr std::size_t kDeviceDescriptorFixed = offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties);
constexpr std::size_t kDeviceIdDescriptorFixed = offsetof(STORAGE_DEVICE_ID_DESCRIPTOR, Identifiers);
constexpr std::size_t kIdentifierFixed = offsetof(STORAGE_IDENTIFIER, Identifier);
// The fields of an adapter descriptor that every version carries, up to the bus
// minor version.
constexpr std::size_t kAdapterDescriptorFixed = offsetof(STORAGE_ADAPTER_DESCRIPTOR, BusMinorVersion) + 2;
}  // namespace layout

static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12);
static_assert(sizeof(STORAGE_DESCRIPTOR_HEADER) == 8);
static_assert(sizeof(STORAGE_ADAPTER_DESCRIPTOR) == 32);
static_assert(offsetof(STORAGE_ADAPTER_DESCRIPTOR, AdapterUsesPio) == 20);
static_assert(offsetof(STORAGE_ADAPTER_DESCRIPTOR, BusType) == 24);
static_assert(offsetof(STORAGE_ADAPTER_DESCRIPTOR, BusMajorVersion) == 26);
static_assert(offsetof(STORAGE_ADAPTER_DESCRIPTOR, BusMinorVersion) == 28);
static_assert(sizeof(STORAGE_DEVICE_DESCRIPTOR) == 40);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, DeviceType) == 8);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset) == 12);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == 28);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, RawPropertiesLength) == 32);
static_assert(layout::kDeviceDescriptorFixed == 36);
static_assert(sizeof(STORAGE_DEVICE_ID_DESCRIPTOR) == 16);
static_assert(layout::kDeviceIdDescriptorFixed == 12);
static_assert(sizeof(STORAGE_IDENTIFIER) == 20);
static_assert(offsetof(STORAGE_IDENTIFIER, IdentifierSize) == 8);
static_assert(offsetof(STORAGE_IDENTIFIER, NextOffset) == 10);
static_assert(offsetof(STORAGE_IDENTIFIER, Association) == 12);
static_assert(layout::kIdentifierFixed == 16);
static_assert(sizeof(SCSI_ADDRESS) == 8);
static_assert(sizeof(IO_SCSI_CAPABILITIES) == 24);
static_assert(offsetof(IO_SCSI_CAPABILITIES, TaggedQueuing) == 20);
static_assert(sizeof(SCSI_BUS_DATA) == 8);
static_assert(offsetof(SCSI_BUS_DATA, InquiryDataOffset) == 4);
static_assert(sizeof(SCSI_ADAPTER_BUS_INFO) == 12);
static_assert(layout::kBusInfoHeader == 4);
static_assert(sizeof(SCSI_INQUIRY_DATA) == 16);
static_assert(offsetof(SCSI_INQUIRY_DATA, InquiryDataLength) == 4);
static_assert(offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset) == 8);
static_assert(layout::kInquiryRecordHeader == 12);
