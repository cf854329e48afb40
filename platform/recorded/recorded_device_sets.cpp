// Device information sets over the storage-port interfaces of a described
// machine: the devices and interfaces a set lists, their registry properties
// and the install parameters the installer keeps per device.
#include <algorithm>

#include "platform/recorded/recorded_device_manager.h"
#include "platform/recorded/recorded_platform.h"

using recorded::Key;
using recorded::kScsiAdapterSetupClass;
using recorded::kStoragePortClass;

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

RecordedPlatform::DeviceState* RecordedPlatform::DeviceFor(HDEVINFO set, SP_DEVINFO_DATA* deviceInfo,
                                                           const char* request) {
  DeviceSet* s = SetOf(set);
  if (s == nullptr) return nullptr;
  DeviceState* device = DeviceOf(*s, deviceInfo);
  if (device == nullptr) return nullptr;
  if (request != nullptr && Refused(InstanceOf(*device).behaviour, request)) return nullptr;
  return device;
}

HDEVINFO RecordedPlatform::NewSet(DeviceSet set) {
  const std::uintptr_t handle = NewHandle();
  sets_[handle] = std::move(set);
  return reinterpret_cast<HDEVINFO>(handle);
}

void RecordedPlatform::FindInterfaceOwners() {
  std::map<std::string, std::size_t> byId;
  for (std::size_t i = 0; i < machine_.deviceInstances.size(); ++i) byId.emplace(machine_.deviceInstances[i].id, i);
  interfaceOwners_.clear();
  for (const machine::PortInterface& iface : machine_.portInterfaces) {
    const auto it = byId.find(iface.instance);
    interfaceOwners_.push_back(it != byId.end() ? std::optional<std::size_t>(it->second) : std::nullopt);
  }
}

void RecordedPlatform::AddClassDevices(DeviceSet& set, const GUID* classGuid, DWORD flags) {
  // Only the storage-port interface class is described; every other class is empty.
  if (classGuid == nullptr || (flags & DIGCF_DEVICEINTERFACE) == 0 || !recorded::SameGuid(*classGuid, kStoragePortClass))
    return;
  for (std::size_t i = 0; i < machine_.portInterfaces.size(); ++i) {
    if (std::find(set.interfaces.begin(), set.interfaces.end(), i) == set.interfaces.end()) set.interfaces.push_back(i);
    const std::optional<std::size_t> owner = interfaceOwners_[i];
    if (!owner) continue;
    const bool listed = std::any_of(set.devices.begin(), set.devices.end(),
                                    [&owner](const DeviceState& d) { return d.instance == *owner; });
    if (!listed) {
      DeviceState d;
      d.instance = *owner;
      set.devices.push_back(std::move(d));
    }
  }
}

HDEVINFO RecordedPlatform::SetupDiCreateDeviceInfoList(const GUID*, HWND) {
  if (Refused(machine_.deviceManager, "SetupDiCreateDeviceInfoList")) return INVALID_HANDLE_VALUE;
  return NewSet(DeviceSet{});
}

HDEVINFO RecordedPlatform::SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) {
  if (Refused(machine_.deviceManager, "SetupDiGetClassDevsW")) return INVALID_HANDLE_VALUE;
  if (enumerator != nullptr || parent != nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  DeviceSet set;
  AddClassDevices(set, classGuid, flags);
  return NewSet(std::move(set));
}

HDEVINFO RecordedPlatform::SetupDiGetClassDevsExW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags,
                                                  HDEVINFO deviceInfoSet, LPCWSTR machineName, PVOID reserved) {
  if (Refused(machine_.deviceManager, "SetupDiGetClassDevsExW")) return INVALID_HANDLE_VALUE;
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
  return NewSet(std::move(set));
}

BOOL RecordedPlatform::SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet) {
  if (sets_.erase(Key(deviceInfoSet)) == 0) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

BOOL RecordedPlatform::SetupDiGetDeviceInfoListDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_LIST_DETAIL_DATA_W* detail) {
  if (SetOf(deviceInfoSet) == nullptr) return FALSE;
  if (Refused(machine_.deviceManager, "SetupDiGetDeviceInfoListDetailW")) return FALSE;
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
  if (Refused(InstanceOf(device).behaviour, "SetupDiEnumDeviceInfo")) return FALSE;
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
  if (Refused(machine_.deviceManager, "SetupDiEnumDeviceInterfaces")) return FALSE;
  if (interfaceClassGuid == nullptr || interfaceData == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  std::optional<std::size_t> onlyInstance;
  if (deviceInfo != nullptr) {
    const DeviceState* device = DeviceOf(*set, deviceInfo);
    if (device == nullptr) return FALSE;
    onlyInstance = device->instance;
  }
  DWORD seen = 0;
  if (recorded::SameGuid(*interfaceClassGuid, kStoragePortClass)) {
    for (std::size_t i : set->interfaces) {
      if (onlyInstance && interfaceOwners_[i] != onlyInstance) continue;
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
  if (Refused(iface.behaviour, "SetupDiGetDeviceInterfaceDetailW")) return FALSE;
  const std::vector<BYTE> path = recorded::Utf16Z(iface.path);
  const DWORD needed = static_cast<DWORD>(layout::kInterfaceDetailFixed + path.size());
  if (requiredSize != nullptr) *requiredSize = needed;
  if (detail == nullptr) return Fail(detailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(reinterpret_cast<BYTE*>(detail) + layout::kInterfaceDetailFixed, path.data(), path.size());
  if (deviceInfo != nullptr) {
    if (deviceInfo->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
    const std::optional<std::size_t> owner = interfaceOwners_[index];
    deviceInfo->ClassGuid = kScsiAdapterSetupClass;
    deviceInfo->DevInst = owner ? static_cast<DWORD>(*owner + 1) : 0;
    deviceInfo->Reserved = Key(deviceInfoSet);
  }
  return TRUE;
}

BOOL RecordedPlatform::SetupDiGetDeviceRegistryPropertyW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                         DWORD property, PDWORD propertyRegDataType,
                                                         PBYTE propertyBuffer, DWORD propertyBufferSize,
                                                         PDWORD requiredSize) {
  DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiGetDeviceRegistryPropertyW");
  if (device == nullptr) return FALSE;
  const machine::DeviceInstance& instance = InstanceOf(*device);
  // Each property can be made to fail on its own too.
  const char* name = property == SPDRP_HARDWAREID      ? "SPDRP_HARDWAREID"
                     : property == SPDRP_COMPATIBLEIDS ? "SPDRP_COMPATIBLEIDS"
                     : property == SPDRP_MFG           ? "SPDRP_MFG"
                                                       : nullptr;
  if (name == nullptr) return Fail(ERROR_INVALID_DATA);
  if (Refused(instance.behaviour, name)) return FALSE;
  std::vector<BYTE> data;
  DWORD type = REG_MULTI_SZ;
  if (property == SPDRP_HARDWAREID || property == SPDRP_COMPATIBLEIDS) {
    const auto& ids = property == SPDRP_HARDWAREID ? instance.hardwareIds : instance.compatibleIds;
    if (!ids) return Fail(ERROR_INVALID_DATA);
    data = recorded::MultiSz(*ids);
  } else {
    if (!instance.manufacturer) return Fail(ERROR_INVALID_DATA);
    type = REG_SZ;
    data = recorded::Utf16Z(*instance.manufacturer);
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
  const DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiGetDeviceInstallParamsW");
  if (device == nullptr) return FALSE;
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
  DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiSetDeviceInstallParamsW");
  if (device == nullptr) return FALSE;
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
