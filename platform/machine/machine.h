// A described machine: everything the scan can ask about one machine's storage,
// in readable fields. Read from a machine file, collected from the live system,
// and answered from by the recorded backend.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/device_manager_records.h"
#include "platform/machine/lazy_map.h"
#include "platform/port_records.h"
#include "platform/storage_records.h"

namespace machine {

// Requests made to fail with a chosen error code, and answers given as raw
// bytes instead of being formed from the description; both keyed by request
// name ("open", "IOCTL_DISK_GET_DRIVE_LAYOUT_EX", "GetVolumeInformationW", ...).
struct Behaviour {
  LazyMap<std::string, DWORD> fail;
  LazyMap<std::string, std::vector<BYTE>> raw;
  // Requests that answer this many times before failing as `fail` says (a
  // failure only on the second, full-size descriptor query, for example).
  LazyMap<std::string, unsigned> failAfter;
};

struct PartitionRecord {
  PARTITION_STYLE style = PARTITION_STYLE_MBR;
  DWORD number = 0;
  ULONGLONG offset = 0;
  ULONGLONG length = 0;
  bool rewrite = false;
  bool service = false;
  // MBR
  BYTE type = 0;
  bool boot = false;
  bool recognized = true;
  DWORD hiddenSectors = 0;
  // GPT
  GUID typeGuid{};
  GUID id{};
  ULONGLONG attributes = 0;
  std::wstring name;
};

struct Extent {
  DWORD disk = 0;
  ULONGLONG offset = 0;
  ULONGLONG length = 0;
};

struct Volume {
  std::string id;
  // Further device paths that open the volume besides those of its mount points.
  std::vector<std::wstring> paths;
  std::wstring label;
  DWORD serialNumber = 0;
  std::wstring fileSystem;
  DWORD fileSystemFlags = 0;
  DWORD maxComponentLength = 255;
  ULONGLONG freeBytesAvailable = 0;
  ULONGLONG totalBytes = 0;
  ULONGLONG totalFreeBytes = 0;
  std::optional<PartitionRecord> partition;
  std::vector<Extent> extents;
  // Where the volume is mounted, in the system's own terms.
  std::vector<std::wstring> mountPaths;
  Behaviour behaviour;
};

struct MountPoint {
  std::wstring symbolicLink;
  std::wstring deviceName;
  std::vector<BYTE> uniqueId;
  std::string volume;
};

struct Layout {
  PARTITION_STYLE style = PARTITION_STYLE_MBR;
  DWORD signature = 0;
  DWORD checksum = 0;
  GUID diskId{};
  ULONGLONG startingUsableOffset = 0;
  ULONGLONG usableLength = 0;
  DWORD maxPartitionCount = 0;
  std::vector<PartitionRecord> partitions;
};

// The device a drive presents to the storage stack: what its device
// descriptor says. Absent strings have offset 0 in the descriptor.
struct DeviceDescription {
  DWORD version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
  BYTE deviceType = 0;
  BYTE deviceTypeModifier = 0;
  bool removable = false;
  bool commandQueueing = false;
  std::optional<STORAGE_BUS_TYPE> busType;  // the adapter's when not given
  std::optional<std::string> vendor;
  std::optional<std::string> product;
  std::optional<std::string> revision;
  std::optional<std::string> serial;
  std::vector<BYTE> rawProperties;
};

struct Identifier {
  STORAGE_IDENTIFIER_CODE_SET codeSet = StorageIdCodeSetBinary;
  STORAGE_IDENTIFIER_TYPE type = StorageIdTypeVendorSpecific;
  STORAGE_ASSOCIATION_TYPE association = StorageIdAssocDevice;
  std::vector<BYTE> bytes;
};

// Where a drive sits: the SCSI address its port driver reports.
struct Placement {
  BYTE port = 0;
  BYTE bus = 0;
  BYTE target = 0;
  BYTE lun = 0;
};

struct Drive {
  DWORD number = 0;
  // Without an "adapter" entry a drive reports port 0, bus 0, target = its
  // number, and its port answers nothing.
  bool placed = false;
  Placement placement;
  DeviceDescription device;
  std::vector<Identifier> identifiers;
  Layout layout;
  DISK_GEOMETRY geometry{};
  ULONGLONG size = 0;
  DETECTION_TYPE detection = DetectNone;
  DISK_INT13_INFO int13{};
  DISK_EX_INT13_INFO exInt13{};
  Behaviour behaviour;
};

// One logical unit on a port's bus, with the standard INQUIRY bytes the port
// keeps for it.
struct LogicalUnit {
  BYTE target = 0;
  BYTE lun = 0;
  bool claimed = true;
  std::vector<BYTE> inquiry;
};

struct Bus {
  BYTE initiator = 7;
  std::vector<LogicalUnit> units;
};

// A storage adapter: a SCSI port, or the port behind USB or 1394 storage.
struct Port {
  BYTE number = 0;
  std::wstring deviceName;  // what "ScsiN:" refers to
  std::optional<STORAGE_ADAPTER_DESCRIPTOR> descriptor;
  IO_SCSI_CAPABILITIES capabilities{};
  std::vector<Bus> buses;
  Behaviour behaviour;
};

// A present storage-port device interface: its path, the device instance it
// belongs to, and the port whose answers it gives.
struct PortInterface {
  std::wstring path;
  std::string instance;
  std::optional<BYTE> port;
  Behaviour behaviour;
};

struct Resource {
  RESOURCEID type = ResType_Mem;
  ULONGLONG base = 0;  // memory and I/O
  ULONGLONG end = 0;
  ULONG value = 0;  // DMA channel or interrupt number
};

struct DriverNode {
  std::wstring description;
  std::wstring manufacturer;
  std::wstring provider;
  std::wstring infFile;
  std::wstring section;
  std::wstring hardwareId;
  DWORD rank = 0;
  DWORD flags = 0;
  bool detailReadable = true;
  bool installParamsReadable = true;
};

struct RegistryValue {
  DWORD type = REG_SZ;
  std::vector<BYTE> data;
};

// What the device manager records about one device instance.
struct DeviceInstance {
  std::string id;
  std::optional<std::vector<std::wstring>> hardwareIds;
  std::optional<std::vector<std::wstring>> compatibleIds;
  std::optional<std::wstring> manufacturer;
  ULONG status = 0x0180200A;
  ULONG problem = 0;
  std::optional<std::vector<Resource>> allocated;
  std::optional<std::vector<Resource>> forced;
  std::optional<std::vector<Resource>> boot;
  std::vector<DriverNode> driverNodes;
  std::vector<DriverNode> classDriverNodes;
  // The values of the driver's registry key; no key when absent.
  std::optional<std::map<std::wstring, RegistryValue>> driverKey;
  std::vector<std::wstring> driverFiles;
  Behaviour behaviour;
};

struct Machine {
  static constexpr int kVersion = 1;
  std::string description;
  Behaviour mountPointManager;
  std::vector<Drive> drives;
  std::vector<Volume> volumes;
  std::vector<MountPoint> mountPoints;
  std::vector<Port> ports;
  std::vector<PortInterface> portInterfaces;
  std::vector<DeviceInstance> deviceInstances;
  // Requests of the device installation functions that concern no one device.
  Behaviour deviceManager;

  // The first entry with that key, by a walk of the list: for occasional
  // questions. Whoever asks once per entry keeps an index instead.
  const Volume* FindVolume(const std::string& id) const;
  const Drive* FindDrive(DWORD number) const;
  const Port* FindPort(DWORD number) const;
  const DeviceInstance* FindInstance(const std::string& id) const;
};

}  // namespace machine
