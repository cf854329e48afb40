// The device manager of a described machine: device information sets over the
// storage-port interfaces, registry properties, install parameters, driver
// lists, the driver key, the file queue, and the configuration manager's
// logical configurations. Nothing here can change the machine: the class
// installer only fills a queue that the caller must have asked for.
#include <algorithm>
#include <cstring>
#include <cwctype>

#include "platform/recorded/recorded_platform.h"
#include "platform/wide_text.h"

namespace {

const GUID kStoragePortClass = {0x2ACCFE60, 0xC130, 0x11D2, {0xB0, 0x82, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
// The setup class of SCSI and RAID controllers.
const GUID kScsiAdapterSetupClass = {0x4D36E97B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

constexpr DWORD ERROR_DI_DO_DEFAULT = 0xE000020E;
constexpr DWORD kKeyWriteRights = 0x2 | 0x4 | 0x20 | 0x00010000 | 0x00040000 | 0x00080000;  // set, create, link, delete, dac, owner
constexpr DWORD SPINT_ACTIVE = 1;

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::uintptr_t Key(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

std::vector<BYTE> Utf16Z(const std::wstring& text) {
  std::vector<BYTE> out;
  for (char16_t c : Utf16FromWide(text)) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::vector<BYTE> MultiSz(const std::vector<std::wstring>& strings) {
  std::vector<BYTE> out;
  for (const std::wstring& s : strings) {
    const std::vector<BYTE> one = Utf16Z(s);
    out.insert(out.end(), one.begin(), one.end());
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

// Copies text into a fixed record field, cut to fit with its terminator.
template <std::size_t N>
void PutText(WCHAR (&field)[N], const std::wstring& text) {
  const std::u16string units = Utf16FromWide(text);
  const std::size_t n = std::min(units.size(), N - 1);
  std::copy_n(units.begin(), n, field);
  field[n] = 0;
}

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return s;
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return Lower(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

std::size_t ResourceRecordSize(RESOURCEID type) {
  switch (type) {
    case ResType_Mem:
      return sizeof(MEM_DES);
    case ResType_IO:
      return sizeof(IO_DES);
    case ResType_DMA:
      return sizeof(DMA_DES);
    default:
      return sizeof(IRQ_DES);
  }
}

}  // namespace

// ---- device information sets -------------------------------------------

RecordedPlatform::DeviceSet* RecordedPlatform::SetOf(HDEVINFO set) {
  auto it = sets_.find(Key(set));
  if (it == sets_.end()) {
    Fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &it->second;
}

RecordedPlatform::DeviceState* RecordedPlatform::DeviceOf(DeviceSet& set, const SP_DEVINFO_DATA* deviceInfo) {
  if (deviceInfo == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (deviceInfo->cbSize != sizeof(SP_DEVINFO_DATA)) {
    Fail(ERROR_INVALID_USER_BUFFER);
    return nullptr;
  }
  for (DeviceState& d : set.devices) {
    if (d.instance + 1 == deviceInfo->DevInst) return &d;
  }
  Fail(ERROR_INVALID_PARAMETER);
  return nullptr;
}

void RecordedPlatform::AddClassDevices(DeviceSet& set, const GUID* classGuid, DWORD flags) {
  // Only the storage-port interface class is described; every other class is empty.
  if (classGuid == nullptr || (flags & DIGCF_DEVICEINTERFACE) == 0 || !SameGuid(*classGuid, kStoragePortClass)) return;
  for (std::size_t i = 0; i < machine_.portInterfaces.size(); ++i) {
    if (std::find(set.interfaces.begin(), set.interfaces.end(), i) == set.interfaces.end()) set.interfaces.push_back(i);
    const machine::DeviceInstance* instance = machine_.FindInstance(machine_.portInterfaces[i].instance);
    if (instance == nullptr) continue;
    const std::size_t index = static_cast<std::size_t>(instance - machine_.deviceInstances.data());
    const bool listed = std::any_of(set.devices.begin(), set.devices.end(),
                                    [index](const DeviceState& d) { return d.instance == index; });
    if (!listed) {
      DeviceState d;
      d.instance = index;
      set.devices.push_back(std::move(d));
    }
  }
}

HDEVINFO RecordedPlatform::SetupDiCreateDeviceInfoList(const GUID*, HWND) {
  DWORD code = 0;
  if (Failing(machine_.deviceManager, "SetupDiCreateDeviceInfoList", code)) {
    Fail(code);
    return INVALID_HANDLE_VALUE;
  }
  const std::uintptr_t handle = NewHandle();
  sets_[handle] = DeviceSet{};
  return reinterpret_cast<HDEVINFO>(handle);
}

HDEVINFO RecordedPlatform::SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) {
  DWORD code = 0;
  if (Failing(machine_.deviceManager, "SetupDiGetClassDevsW", code)) {
    Fail(code);
    return INVALID_HANDLE_VALUE;
  }
  if (enumerator != nullptr || parent != nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  DeviceSet set;
  AddClassDevices(set, classGuid, flags);
  const std::uintptr_t handle = NewHandle();
  sets_[handle] = std::move(set);
  return reinterpret_cast<HDEVINFO>(handle);
}

HDEVINFO RecordedPlatform::SetupDiGetClassDevsExW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags,
                                                  HDEVINFO deviceInfoSet, LPCWSTR machineName, PVOID reserved) {
  DWORD code = 0;
  if (Failing(machine_.deviceManager, "SetupDiGetClassDevsExW", code)) {
    Fail(code);
    return INVALID_HANDLE_VALUE;
  }
  if (enumerator != nullptr || parent != nullptr || reserved != nullptr ||
      (machineName != nullptr && machineName[0] != 0)) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (deviceInfoSet != nullptr && deviceInfoSet != INVALID_HANDLE_VALUE) {
    DeviceSet* set = SetOf(deviceInfoSet);
    if (set == nullptr) return INVALID_HANDLE_VALUE;
    AddClassDevices(*set, classGuid, flags);
    return deviceInfoSet;
  }
  DeviceSet set;
  AddClassDevices(set, classGuid, flags);
  const std::uintptr_t handle = NewHandle();
  sets_[handle] = std::move(set);
  return reinterpret_cast<HDEVINFO>(handle);
}

BOOL RecordedPlatform::SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet) {
  if (sets_.erase(Key(deviceInfoSet)) == 0) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

BOOL RecordedPlatform::SetupDiGetDeviceInfoListDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_LIST_DETAIL_DATA_W* detail) {
  if (SetOf(deviceInfoSet) == nullptr) return FALSE;
  DWORD code = 0;
  if (Failing(machine_.deviceManager, "SetupDiGetDeviceInfoListDetailW", code)) return Fail(code);
  if (detail == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (detail->cbSize != sizeof(SP_DEVINFO_LIST_DETAIL_DATA_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  detail->ClassGuid = GUID{};
  detail->RemoteMachineHandle = nullptr;  // the local machine
  detail->RemoteMachineName[0] = 0;
  return TRUE;
}

BOOL RecordedPlatform::SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfo) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  if (deviceInfo == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (deviceInfo->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (memberIndex >= set->devices.size()) return Fail(ERROR_NO_MORE_ITEMS);
  const DeviceState& device = set->devices[memberIndex];
  DWORD code = 0;
  if (Failing(InstanceOf(device).behaviour, "SetupDiEnumDeviceInfo", code)) return Fail(code);
  deviceInfo->ClassGuid = kScsiAdapterSetupClass;
  deviceInfo->DevInst = static_cast<DWORD>(device.instance + 1);
  deviceInfo->Reserved = Key(deviceInfoSet);
  return TRUE;
}

BOOL RecordedPlatform::SetupDiEnumDeviceInterfaces(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                   const GUID* interfaceClassGuid, DWORD memberIndex,
                                                   SP_DEVICE_INTERFACE_DATA* interfaceData) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DWORD code = 0;
  if (Failing(machine_.deviceManager, "SetupDiEnumDeviceInterfaces", code)) return Fail(code);
  if (interfaceClassGuid == nullptr || interfaceData == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  std::optional<std::size_t> onlyInstance;
  if (deviceInfo != nullptr) {
    const DeviceState* device = DeviceOf(*set, deviceInfo);
    if (device == nullptr) return FALSE;
    onlyInstance = device->instance;
  }
  DWORD seen = 0;
  if (SameGuid(*interfaceClassGuid, kStoragePortClass)) {
    for (std::size_t i : set->interfaces) {
      const machine::DeviceInstance* owner = machine_.FindInstance(machine_.portInterfaces[i].instance);
      if (onlyInstance && (owner == nullptr || owner != &machine_.deviceInstances[*onlyInstance])) continue;
      if (seen++ != memberIndex) continue;
      interfaceData->InterfaceClassGuid = *interfaceClassGuid;
      interfaceData->Flags = SPINT_ACTIVE;
      interfaceData->Reserved = i + 1;
      return TRUE;
    }
  }
  return Fail(ERROR_NO_MORE_ITEMS);
}

BOOL RecordedPlatform::SetupDiGetDeviceInterfaceDetailW(HDEVINFO deviceInfoSet, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                                        SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                                        PDWORD requiredSize, SP_DEVINFO_DATA* deviceInfo) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  if (interfaceData == nullptr || interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const std::size_t index = interfaceData->Reserved - 1;
  if (interfaceData->Reserved == 0 ||
      std::find(set->interfaces.begin(), set->interfaces.end(), index) == set->interfaces.end())
    return Fail(ERROR_INVALID_PARAMETER);
  const machine::PortInterface& iface = machine_.portInterfaces[index];
  DWORD code = 0;
  if (Failing(iface.behaviour, "SetupDiGetDeviceInterfaceDetailW", code)) return Fail(code);
  const std::vector<BYTE> path = Utf16Z(iface.path);
  const DWORD needed = static_cast<DWORD>(layout::kInterfaceDetailFixed + path.size());
  if (requiredSize != nullptr) *requiredSize = needed;
  if (detail == nullptr) return Fail(detailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(reinterpret_cast<BYTE*>(detail) + layout::kInterfaceDetailFixed, path.data(), path.size());
  if (deviceInfo != nullptr) {
    if (deviceInfo->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
    const machine::DeviceInstance* owner = machine_.FindInstance(iface.instance);
    deviceInfo->ClassGuid = kScsiAdapterSetupClass;
    deviceInfo->DevInst = owner != nullptr ? static_cast<DWORD>(owner - machine_.deviceInstances.data() + 1) : 0;
    deviceInfo->Reserved = Key(deviceInfoSet);
  }
  return TRUE;
}

// ---- device properties and install parameters --------------------------

BOOL RecordedPlatform::SetupDiGetDeviceRegistryPropertyW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                         DWORD property, PDWORD propertyRegDataType,
                                                         PBYTE propertyBuffer, DWORD propertyBufferSize,
                                                         PDWORD requiredSize) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  const machine::DeviceInstance& instance = InstanceOf(*device);
  DWORD code = 0;
  if (Failing(instance.behaviour, "SetupDiGetDeviceRegistryPropertyW", code)) return Fail(code);
  std::vector<BYTE> data;
  DWORD type = REG_MULTI_SZ;
  const char* name = property == SPDRP_HARDWAREID      ? "SPDRP_HARDWAREID"
                     : property == SPDRP_COMPATIBLEIDS ? "SPDRP_COMPATIBLEIDS"
                     : property == SPDRP_MFG           ? "SPDRP_MFG"
                                                       : nullptr;
  if (name == nullptr) return Fail(ERROR_INVALID_DATA);
  if (Failing(instance.behaviour, name, code)) return Fail(code);
  if (property == SPDRP_HARDWAREID || property == SPDRP_COMPATIBLEIDS) {
    const auto& ids = property == SPDRP_HARDWAREID ? instance.hardwareIds : instance.compatibleIds;
    if (!ids) return Fail(ERROR_INVALID_DATA);
    data = MultiSz(*ids);
  } else {
    if (!instance.manufacturer) return Fail(ERROR_INVALID_DATA);
    type = REG_SZ;
    data = Utf16Z(*instance.manufacturer);
  }
  if (propertyRegDataType != nullptr) *propertyRegDataType = type;
  if (requiredSize != nullptr) *requiredSize = static_cast<DWORD>(data.size());
  if (propertyBuffer == nullptr && propertyBufferSize != 0) return Fail(ERROR_INVALID_PARAMETER);
  if (propertyBufferSize < data.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(propertyBuffer, data.data(), data.size());
  return TRUE;
}

BOOL RecordedPlatform::SetupDiGetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                      SP_DEVINSTALL_PARAMS_W* params) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  DWORD code = 0;
  if (Failing(InstanceOf(*device).behaviour, "SetupDiGetDeviceInstallParamsW", code)) return Fail(code);
  if (params == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  SP_DEVINSTALL_PARAMS_W p{};
  p.cbSize = sizeof p;
  p.Flags = device->flags;
  p.FlagsEx = device->flagsEx;
  p.FileQueue = device->fileQueue;
  const std::size_t n = std::min<std::size_t>(device->driverPath.size(), MAX_PATH - 1);
  std::copy_n(device->driverPath.begin(), n, p.DriverPath);
  *params = p;
  return TRUE;
}

BOOL RecordedPlatform::SetupDiSetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                      SP_DEVINSTALL_PARAMS_W* params) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  DWORD code = 0;
  if (Failing(InstanceOf(*device).behaviour, "SetupDiSetDeviceInstallParamsW", code)) return Fail(code);
  if (params == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (params->cbSize != sizeof(SP_DEVINSTALL_PARAMS_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  // A queue for the installer's files must be one the caller opened.
  if ((params->Flags & DI_NOVCP) != 0 && queues_.find(Key(params->FileQueue)) == queues_.end())
    return Fail(ERROR_INVALID_FLAGS);
  device->flags = params->Flags;
  device->flagsEx = params->FlagsEx;
  device->fileQueue = params->FileQueue;
  const WCHAR* path = params->DriverPath;
  device->driverPath.assign(path, std::find(path, path + MAX_PATH, WCHAR{0}));
  return TRUE;
}

// ---- driver lists ------------------------------------------------------

std::optional<std::vector<machine::DriverNode>>* RecordedPlatform::DriverList(DeviceState& device, DWORD driverType) {
  if (driverType == SPDIT_COMPATDRIVER) return &device.compatible;
  if (driverType == SPDIT_CLASSDRIVER) return &device.classDrivers;
  return nullptr;
}

const machine::DriverNode* RecordedPlatform::DriverOf(DeviceState& device, const SP_DRVINFO_DATA_W* driverInfo) {
  if (driverInfo == nullptr ||
      (driverInfo->cbSize != sizeof(SP_DRVINFO_DATA_V1_W) && driverInfo->cbSize != sizeof(SP_DRVINFO_DATA_V2_W))) {
    Fail(ERROR_INVALID_USER_BUFFER);
    return nullptr;
  }
  auto* list = DriverList(device, driverInfo->DriverType);
  if (list == nullptr || !*list || driverInfo->Reserved == 0 || driverInfo->Reserved > (*list)->size()) {
    Fail(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return &(**list)[driverInfo->Reserved - 1];
}

BOOL RecordedPlatform::SetupDiBuildDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                  DWORD driverType) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  const machine::DeviceInstance& instance = InstanceOf(*device);
  DWORD code = 0;
  if (Failing(instance.behaviour, "SetupDiBuildDriverInfoList", code)) return Fail(code);
  auto* list = DriverList(*device, driverType);
  if (list == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (*list) return TRUE;  // already built
  if (driverType == SPDIT_COMPATDRIVER) {
    *list = instance.driverNodes;
    return TRUE;
  }
  std::vector<machine::DriverNode> nodes;
  const std::wstring onlyInf = FileNameOf(WideFromUtf16(device->driverPath.data(), device->driverPath.size()));
  for (const machine::DriverNode& n : instance.classDriverNodes) {
    if ((device->flags & DI_ENUMSINGLEINF) != 0 && FileNameOf(n.infFile) != onlyInf) continue;
    nodes.push_back(n);
  }
  *list = std::move(nodes);
  return TRUE;
}

BOOL RecordedPlatform::SetupDiEnumDriverInfoW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType,
                                              DWORD memberIndex, SP_DRVINFO_DATA_W* driverInfo) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  DWORD code = 0;
  if (Failing(InstanceOf(*device).behaviour, "SetupDiEnumDriverInfoW", code)) return Fail(code);
  if (driverInfo == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD size = driverInfo->cbSize;
  if (size != sizeof(SP_DRVINFO_DATA_V1_W) && size != sizeof(SP_DRVINFO_DATA_V2_W))
    return Fail(ERROR_INVALID_USER_BUFFER);
  auto* list = DriverList(*device, driverType);
  if (list == nullptr || !*list || memberIndex >= (*list)->size()) return Fail(ERROR_NO_MORE_ITEMS);
  const machine::DriverNode& n = (**list)[memberIndex];
  // Only as many bytes as the caller's record version holds are written.
  SP_DRVINFO_DATA_V2_W record{};
  record.cbSize = size;
  record.DriverType = driverType;
  record.Reserved = memberIndex + 1;
  PutText(record.Description, n.description);
  PutText(record.MfgName, n.manufacturer);
  PutText(record.ProviderName, n.provider);
  std::memcpy(driverInfo, &record, size);
  return TRUE;
}

BOOL RecordedPlatform::SetupDiGetDriverInfoDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                   SP_DRVINFO_DATA_W* driverInfo, SP_DRVINFO_DETAIL_DATA_W* detail,
                                                   DWORD detailSize, PDWORD requiredSize) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  DWORD code = 0;
  if (Failing(InstanceOf(*device).behaviour, "SetupDiGetDriverInfoDetailW", code)) return Fail(code);
  const machine::DriverNode* node = DriverOf(*device, driverInfo);
  if (node == nullptr) return FALSE;
  if (!node->detailReadable) return Fail(ERROR_FILE_NOT_FOUND);
  const std::vector<BYTE> ids = MultiSz(node->hardwareId.empty() ? std::vector<std::wstring>{}
                                                                  : std::vector<std::wstring>{node->hardwareId});
  const DWORD needed = static_cast<DWORD>(layout::kDriverDetailFixed + ids.size());
  if (requiredSize != nullptr) *requiredSize = needed;
  if (detail == nullptr) return Fail(detailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
  if (detail->cbSize != sizeof(SP_DRVINFO_DETAIL_DATA_W) || detailSize < layout::kDriverDetailFixed)
    return Fail(ERROR_INVALID_USER_BUFFER);
  // The fixed part is filled even when the hardware ids do not fit.
  detail->InfDate = FILETIME{};
  detail->CompatIDsOffset = 0;
  detail->CompatIDsLength = 0;
  detail->Reserved = 0;
  PutText(detail->SectionName, node->section);
  PutText(detail->InfFileName, node->infFile);
  PutText(detail->DrvDescription, node->description);
  if (detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(reinterpret_cast<BYTE*>(detail) + layout::kDriverDetailFixed, ids.data(), ids.size());
  return TRUE;
}

BOOL RecordedPlatform::SetupDiGetDriverInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                      SP_DRVINFO_DATA_W* driverInfo, SP_DRVINSTALL_PARAMS* params) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  DWORD code = 0;
  if (Failing(InstanceOf(*device).behaviour, "SetupDiGetDriverInstallParamsW", code)) return Fail(code);
  const machine::DriverNode* node = DriverOf(*device, driverInfo);
  if (node == nullptr) return FALSE;
  if (!node->installParamsReadable) return Fail(ERROR_INVALID_PARAMETER);
  if (params == nullptr || params->cbSize != sizeof(SP_DRVINSTALL_PARAMS)) return Fail(ERROR_INVALID_USER_BUFFER);
  params->Rank = node->rank;
  params->Flags = node->flags;
  params->PrivateData = 0;
  params->Reserved = 0;
  return TRUE;
}

BOOL RecordedPlatform::SetupDiDestroyDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                    DWORD driverType) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  auto* list = DriverList(*device, driverType);
  if (list == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  list->reset();
  if (device->selected && device->selected->first == driverType) device->selected.reset();
  return TRUE;
}

BOOL RecordedPlatform::SetupDiSetSelectedDriverW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                 SP_DRVINFO_DATA_W* driverInfo) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  DWORD code = 0;
  if (Failing(InstanceOf(*device).behaviour, "SetupDiSetSelectedDriverW", code)) return Fail(code);
  if (driverInfo == nullptr) {
    device->selected.reset();
    return TRUE;
  }
  if (DriverOf(*device, driverInfo) == nullptr) return FALSE;
  device->selected = std::pair{driverInfo->DriverType, static_cast<std::size_t>(driverInfo->Reserved - 1)};
  return TRUE;
}

// ---- the driver key ----------------------------------------------------

HKEY RecordedPlatform::SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD scope, DWORD,
                                            DWORD keyType, REGSAM samDesired) {
  const HKEY invalid = reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return invalid;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return invalid;
  const machine::DeviceInstance& instance = InstanceOf(*device);
  DWORD code = 0;
  if (Failing(instance.behaviour, "SetupDiOpenDevRegKey", code)) {
    Fail(code);
    return invalid;
  }
  if (scope != DICS_FLAG_GLOBAL || keyType != DIREG_DRV) {
    Fail(ERROR_INVALID_FLAGS);
    return invalid;
  }
  if ((samDesired & kKeyWriteRights) != 0) {
    Fail(ERROR_ACCESS_DENIED);
    return invalid;
  }
  if (!instance.driverKey) {
    Fail(ERROR_KEY_DOES_NOT_EXIST);
    return invalid;
  }
  const std::uintptr_t handle = NewHandle();
  keys_[handle] = device->instance;
  return reinterpret_cast<HKEY>(handle);
}

LSTATUS RecordedPlatform::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data,
                                           LPDWORD dataSize) {
  auto it = keys_.find(Key(key));
  if (it == keys_.end()) return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
  if (reserved != nullptr) return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
  const machine::DeviceInstance& instance = machine_.deviceInstances[it->second];
  DWORD code = 0;
  if (Failing(instance.behaviour, "RegQueryValueExW", code)) return static_cast<LSTATUS>(code);
  const auto value = instance.driverKey->find(valueName != nullptr ? valueName : L"");
  if (value == instance.driverKey->end()) return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
  const std::vector<BYTE>& bytes = value->second.data;
  if (type != nullptr) *type = value->second.type;
  if (data != nullptr) {
    if (dataSize == nullptr) return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    if (*dataSize < bytes.size()) {
      *dataSize = static_cast<DWORD>(bytes.size());
      return static_cast<LSTATUS>(ERROR_MORE_DATA);
    }
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  }
  if (dataSize != nullptr) *dataSize = static_cast<DWORD>(bytes.size());
  return static_cast<LSTATUS>(ERROR_SUCCESS);
}

LSTATUS RecordedPlatform::RegCloseKey(HKEY key) {
  return keys_.erase(Key(key)) == 0 ? static_cast<LSTATUS>(ERROR_INVALID_HANDLE) : static_cast<LSTATUS>(ERROR_SUCCESS);
}

// ---- the class installer and the file queue ----------------------------

BOOL RecordedPlatform::SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO deviceInfoSet,
                                                 SP_DEVINFO_DATA* deviceInfo) {
  DeviceSet* set = SetOf(deviceInfoSet);
  if (set == nullptr) return FALSE;
  DeviceState* device = DeviceOf(*set, deviceInfo);
  if (device == nullptr) return FALSE;
  const machine::DeviceInstance& instance = InstanceOf(*device);
  DWORD code = 0;
  if (Failing(instance.behaviour, "SetupDiCallClassInstaller", code)) return Fail(code);
  if (installFunction != DIF_INSTALLDEVICEFILES) return Fail(ERROR_DI_DO_DEFAULT);
  if (!device->selected) return Fail(ERROR_NO_DRIVER_SELECTED);
  // Files are only ever queued, never copied.
  auto queue = queues_.find(Key(device->fileQueue));
  if ((device->flags & DI_NOVCP) == 0 || queue == queues_.end()) return Fail(ERROR_ACCESS_DENIED);
  queue->second.targets.insert(queue->second.targets.end(), instance.driverFiles.begin(), instance.driverFiles.end());
  queue->second.instance = device->instance;
  return TRUE;
}

HSPFILEQ RecordedPlatform::SetupOpenFileQueue() {
  DWORD code = 0;
  if (Failing(machine_.deviceManager, "SetupOpenFileQueue", code)) {
    Fail(code);
    return INVALID_HANDLE_VALUE;
  }
  const std::uintptr_t handle = NewHandle();
  queues_[handle] = FileQueue{};
  return reinterpret_cast<HSPFILEQ>(handle);
}

BOOL RecordedPlatform::SetupScanFileQueueW(HSPFILEQ queue, DWORD flags, HWND, PSP_FILE_CALLBACK_W callback,
                                           PVOID callbackContext, PDWORD result) {
  auto it = queues_.find(Key(queue));
  if (it == queues_.end()) return Fail(ERROR_INVALID_HANDLE);
  if (it->second.instance) {
    DWORD code = 0;
    if (Failing(machine_.deviceInstances[*it->second.instance].behaviour, "SetupScanFileQueueW", code))
      return Fail(code);
  }
  if ((flags & SPQ_SCAN_USE_CALLBACK) == 0 || callback == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  // The callback may not touch the queue; walk a copy.
  const std::vector<std::wstring> targets = it->second.targets;
  for (const std::wstring& target : targets) {
    const UINT answer = callback(callbackContext, SPFILENOTIFY_QUEUESCAN, reinterpret_cast<UINT_PTR>(target.c_str()), 0);
    if (answer != NO_ERROR) return Fail(answer);
  }
  if (result != nullptr) *result = 0;
  return TRUE;
}

BOOL RecordedPlatform::SetupCloseFileQueue(HSPFILEQ queue) {
  if (queues_.erase(Key(queue)) == 0) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

// ---- configuration manager ---------------------------------------------

const machine::DeviceInstance* RecordedPlatform::InstanceOf(DEVINST devInst) const {
  if (devInst == 0 || devInst > machine_.deviceInstances.size()) return nullptr;
  return &machine_.deviceInstances[devInst - 1];
}

const std::vector<machine::Resource>* RecordedPlatform::ResourcesOf(const Configuration& c) const {
  const machine::DeviceInstance& d = machine_.deviceInstances[c.instance];
  const auto& list = c.kind == ALLOC_LOG_CONF ? d.allocated : c.kind == FORCED_LOG_CONF ? d.forced : d.boot;
  return list ? &*list : nullptr;
}

CONFIGRET RecordedPlatform::CM_Get_DevNode_Status_Ex(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG,
                                                     HMACHINE machine) {
  const machine::DeviceInstance* instance = InstanceOf(devInst);
  if (instance == nullptr || machine != nullptr) return CR_INVALID_DEVNODE;
  if (status == nullptr || problemNumber == nullptr) return CR_INVALID_POINTER;
  DWORD code = 0;
  if (Failing(instance->behaviour, "CM_Get_DevNode_Status_Ex", code)) return code;
  *status = instance->status;
  *problemNumber = instance->problem;
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Get_First_Log_Conf_Ex(LOG_CONF* logConf, DEVINST devInst, ULONG flags,
                                                     HMACHINE machine) {
  const machine::DeviceInstance* instance = InstanceOf(devInst);
  if (instance == nullptr || machine != nullptr) return CR_INVALID_DEVNODE;
  DWORD code = 0;
  if (Failing(instance->behaviour, "CM_Get_First_Log_Conf_Ex", code)) return code;
  Configuration c;
  c.instance = devInst - 1;
  c.kind = flags;
  if ((flags != ALLOC_LOG_CONF && flags != FORCED_LOG_CONF && flags != BOOT_LOG_CONF) || ResourcesOf(c) == nullptr)
    return CR_NO_MORE_LOG_CONF;
  // Asked only whether one exists: no handle is given out.
  if (logConf == nullptr) return CR_SUCCESS;
  const std::uintptr_t handle = NewHandle();
  configurations_[handle] = c;
  *logConf = handle;
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Free_Log_Conf_Handle(LOG_CONF logConf) {
  auto it = configurations_.find(logConf);
  if (it == configurations_.end() || it->second.at) return CR_INVALID_LOG_CONF;
  configurations_.erase(it);
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Get_Next_Res_Des_Ex(RES_DES* resDes, RES_DES current, RESOURCEID forResource,
                                                   RESOURCEID* resourceId, ULONG, HMACHINE machine) {
  auto it = configurations_.find(current);
  if (it == configurations_.end() || machine != nullptr) return CR_INVALID_RES_DES;
  if (resDes == nullptr) return CR_INVALID_POINTER;
  const Configuration from = it->second;
  DWORD code = 0;
  if (Failing(machine_.deviceInstances[from.instance].behaviour, "CM_Get_Next_Res_Des_Ex", code)) return code;
  const std::vector<machine::Resource>* resources = ResourcesOf(from);
  for (std::size_t i = from.at ? *from.at + 1 : 0; resources != nullptr && i < resources->size(); ++i) {
    const machine::Resource& r = (*resources)[i];
    if (forResource != ResType_All && r.type != forResource) continue;
    Configuration next = from;
    next.at = i;
    const std::uintptr_t handle = NewHandle();
    configurations_[handle] = next;
    *resDes = handle;
    if (resourceId != nullptr) *resourceId = r.type;
    return CR_SUCCESS;
  }
  return CR_NO_MORE_RES_DES;
}

CONFIGRET RecordedPlatform::CM_Free_Res_Des_Handle(RES_DES resDes) {
  auto it = configurations_.find(resDes);
  if (it == configurations_.end() || !it->second.at) return CR_INVALID_RES_DES;
  configurations_.erase(it);
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Get_Res_Des_Data_Size_Ex(PULONG size, RES_DES resDes, ULONG, HMACHINE machine) {
  auto it = configurations_.find(resDes);
  if (it == configurations_.end() || !it->second.at || machine != nullptr) return CR_INVALID_RES_DES;
  if (size == nullptr) return CR_INVALID_POINTER;
  DWORD code = 0;
  if (Failing(machine_.deviceInstances[it->second.instance].behaviour, "CM_Get_Res_Des_Data_Size_Ex", code))
    return code;
  *size = static_cast<ULONG>(ResourceRecordSize((*ResourcesOf(it->second))[*it->second.at].type));
  return CR_SUCCESS;
}

CONFIGRET RecordedPlatform::CM_Get_Res_Des_Data_Ex(RES_DES resDes, PVOID buffer, ULONG bufferLen, ULONG,
                                                   HMACHINE machine) {
  auto it = configurations_.find(resDes);
  if (it == configurations_.end() || !it->second.at || machine != nullptr) return CR_INVALID_RES_DES;
  if (buffer == nullptr) return CR_INVALID_POINTER;
  DWORD code = 0;
  if (Failing(machine_.deviceInstances[it->second.instance].behaviour, "CM_Get_Res_Des_Data_Ex", code)) return code;
  const machine::Resource& r = (*ResourcesOf(it->second))[*it->second.at];
  const std::size_t size = ResourceRecordSize(r.type);
  if (bufferLen < size) return CR_BUFFER_SMALL;
  switch (r.type) {
    case ResType_Mem: {
      MEM_DES d{};
      d.MD_Type = sizeof(DWORDLONG) * 3;  // the size of one MEM_RANGE; none follow
      d.MD_Alloc_Base = r.base;
      d.MD_Alloc_End = r.end;
      std::memcpy(buffer, &d, sizeof d);
      break;
    }
    case ResType_IO: {
      IO_DES d{};
      d.IOD_Type = sizeof(DWORDLONG) * 3;
      d.IOD_Alloc_Base = r.base;
      d.IOD_Alloc_End = r.end;
      std::memcpy(buffer, &d, sizeof d);
      break;
    }
    case ResType_DMA: {
      DMA_DES d{};
      d.DD_Type = sizeof(ULONG) * 3;
      d.DD_Alloc_Chan = r.value;
      std::memcpy(buffer, &d, sizeof d);
      break;
    }
    default: {
      IRQ_DES d{};
      d.IRQD_Type = sizeof(ULONG) * 3;
      d.IRQD_Alloc_Num = r.value;
      d.IRQD_Affinity = ~0ull;
      std::memcpy(buffer, &d, sizeof d);
      break;
    }
  }
  return CR_SUCCESS;
}
