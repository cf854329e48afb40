#include "tests/support/fault_injecting_platform.h"

#include "platform/request_names.h"
#include "platform/wide_text.h"

bool FaultInjectingPlatform::Next(const char* function, std::wstring subject) {
  const bool fail = failIndex_ && *failIndex_ == calls_.size();
  calls_.push_back(Call{function, std::move(subject), fail});
  injectedError_.reset();
  if (fail) injectedError_ = failError_;
  return !fail;
}

std::optional<std::size_t> FaultInjectingPlatform::FindCall(const std::string& function,
                                                           const std::wstring& part) const {
  for (std::size_t i = 0; i < calls_.size(); ++i) {
    if (calls_[i].function == function && calls_[i].subject.find(part) != std::wstring::npos) return i;
  }
  return std::nullopt;
}

std::wstring FaultInjectingPlatform::PathOf(HANDLE handle) const {
  auto it = handlePaths_.find(reinterpret_cast<std::uintptr_t>(handle));
  return it != handlePaths_.end() ? it->second : L"(no handle)";
}

HANDLE FaultInjectingPlatform::CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                                           LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                                           DWORD flagsAndAttributes, HANDLE templateFile) {
  const std::wstring path = fileName != nullptr ? fileName : L"";
  HANDLE h = Request("CreateFileW", path, INVALID_HANDLE_VALUE, [&] {
    return inner_.CreateFileW(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                              flagsAndAttributes, templateFile);
  });
  if (h != INVALID_HANDLE_VALUE) handlePaths_[reinterpret_cast<std::uintptr_t>(h)] = path;
  return h;
}

BOOL FaultInjectingPlatform::DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                             DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) {
  std::string name = ControlCodeName(code);
  if (name.empty()) name = "control code " + std::to_string(code);
  return Request("DeviceIoControl", PathOf(device) + L" " + WideFromUtf8(name), FALSE,
                 [&] { return inner_.DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped); });
}

BOOL FaultInjectingPlatform::CloseHandle(HANDLE object) {
  const std::wstring path = PathOf(object);
  handlePaths_.erase(reinterpret_cast<std::uintptr_t>(object));
  return Release("CloseHandle", path, FALSE, [&] { return inner_.CloseHandle(object); });
}

BOOL FaultInjectingPlatform::GetVolumeInformationW(LPCWSTR root, LPWSTR label, DWORD labelSize, LPDWORD serial,
                                                   LPDWORD maxComponent, LPDWORD flags, LPWSTR fileSystem,
                                                   DWORD fileSystemSize) {
  return Request("GetVolumeInformationW", root != nullptr ? root : L"", FALSE, [&] {
    return inner_.GetVolumeInformationW(root, label, labelSize, serial, maxComponent, flags, fileSystem,
                                        fileSystemSize);
  });
}

BOOL FaultInjectingPlatform::GetDiskFreeSpaceExW(LPCWSTR directory, PULARGE_INTEGER freeToCaller,
                                                 PULARGE_INTEGER total, PULARGE_INTEGER totalFree) {
  return Request("GetDiskFreeSpaceExW", directory != nullptr ? directory : L"", FALSE,
                 [&] { return inner_.GetDiskFreeSpaceExW(directory, freeToCaller, total, totalFree); });
}

BOOL FaultInjectingPlatform::GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames,
                                                              DWORD bufferLength, LPDWORD returnLength) {
  return Request("GetVolumePathNamesForVolumeNameW", volumeName != nullptr ? volumeName : L"", FALSE,
                 [&] { return inner_.GetVolumePathNamesForVolumeNameW(volumeName, volumePathNames, bufferLength,
                                                                      returnLength); });
}

DWORD FaultInjectingPlatform::QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD maxChars) {
  return Request("QueryDosDeviceW", deviceName != nullptr ? deviceName : L"", DWORD{0}, [&] { return inner_.QueryDosDeviceW(deviceName, targetPath, maxChars); });
}

HDEVINFO FaultInjectingPlatform::SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) {
  return Request("SetupDiCreateDeviceInfoList", L"", INVALID_HANDLE_VALUE, [&] { return inner_.SetupDiCreateDeviceInfoList(classGuid, parent); });
}

HDEVINFO FaultInjectingPlatform::SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) {
  return Request("SetupDiGetClassDevsW", L"", INVALID_HANDLE_VALUE, [&] { return inner_.SetupDiGetClassDevsW(classGuid, enumerator, parent, flags); });
}

HDEVINFO FaultInjectingPlatform::SetupDiGetClassDevsExW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags, HDEVINFO deviceInfoSet, LPCWSTR machineName, PVOID reserved) {
  return Request("SetupDiGetClassDevsExW", L"", INVALID_HANDLE_VALUE, [&] { return inner_.SetupDiGetClassDevsExW(classGuid, enumerator, parent, flags, deviceInfoSet, machineName, reserved); });
}

BOOL FaultInjectingPlatform::SetupDiGetDeviceInfoListDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_LIST_DETAIL_DATA_W* detail) {
  return Request("SetupDiGetDeviceInfoListDetailW", L"", FALSE, [&] { return inner_.SetupDiGetDeviceInfoListDetailW(deviceInfoSet, detail); });
}

BOOL FaultInjectingPlatform::SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfo) {
  return Request("SetupDiEnumDeviceInfo", L"", FALSE, [&] { return inner_.SetupDiEnumDeviceInfo(deviceInfoSet, memberIndex, deviceInfo); });
}

BOOL FaultInjectingPlatform::SetupDiEnumDeviceInterfaces(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, const GUID* interfaceClassGuid, DWORD memberIndex, SP_DEVICE_INTERFACE_DATA* interfaceData) {
  return Request("SetupDiEnumDeviceInterfaces", L"", FALSE, [&] { return inner_.SetupDiEnumDeviceInterfaces(deviceInfoSet, deviceInfo, interfaceClassGuid, memberIndex, interfaceData); });
}

BOOL FaultInjectingPlatform::SetupDiGetDeviceInterfaceDetailW(HDEVINFO deviceInfoSet, SP_DEVICE_INTERFACE_DATA* interfaceData, SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize, PDWORD requiredSize, SP_DEVINFO_DATA* deviceInfo) {
  return Request("SetupDiGetDeviceInterfaceDetailW", L"", FALSE, [&] { return inner_.SetupDiGetDeviceInterfaceDetailW(deviceInfoSet, interfaceData, detail, detailSize, requiredSize, deviceInfo); });
}

BOOL FaultInjectingPlatform::SetupDiGetDeviceRegistryPropertyW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD property, PDWORD propertyRegDataType, PBYTE propertyBuffer, DWORD propertyBufferSize, PDWORD requiredSize) {
  return Request("SetupDiGetDeviceRegistryPropertyW", L"", FALSE, [&] { return inner_.SetupDiGetDeviceRegistryPropertyW(deviceInfoSet, deviceInfo, property, propertyRegDataType, propertyBuffer, propertyBufferSize, requiredSize); });
}

BOOL FaultInjectingPlatform::SetupDiGetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DEVINSTALL_PARAMS_W* params) {
  return Request("SetupDiGetDeviceInstallParamsW", L"", FALSE, [&] { return inner_.SetupDiGetDeviceInstallParamsW(deviceInfoSet, deviceInfo, params); });
}

BOOL FaultInjectingPlatform::SetupDiSetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DEVINSTALL_PARAMS_W* params) {
  return Request("SetupDiSetDeviceInstallParamsW", L"", FALSE, [&] { return inner_.SetupDiSetDeviceInstallParamsW(deviceInfoSet, deviceInfo, params); });
}

BOOL FaultInjectingPlatform::SetupDiBuildDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType) {
  return Request("SetupDiBuildDriverInfoList", L"", FALSE, [&] { return inner_.SetupDiBuildDriverInfoList(deviceInfoSet, deviceInfo, driverType); });
}

BOOL FaultInjectingPlatform::SetupDiEnumDriverInfoW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType, DWORD memberIndex, SP_DRVINFO_DATA_W* driverInfo) {
  return Request("SetupDiEnumDriverInfoW", L"", FALSE, [&] { return inner_.SetupDiEnumDriverInfoW(deviceInfoSet, deviceInfo, driverType, memberIndex, driverInfo); });
}

BOOL FaultInjectingPlatform::SetupDiGetDriverInfoDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DRVINFO_DATA_W* driverInfo, SP_DRVINFO_DETAIL_DATA_W* detail, DWORD detailSize, PDWORD requiredSize) {
  return Request("SetupDiGetDriverInfoDetailW", L"", FALSE, [&] { return inner_.SetupDiGetDriverInfoDetailW(deviceInfoSet, deviceInfo, driverInfo, detail, detailSize, requiredSize); });
}

BOOL FaultInjectingPlatform::SetupDiGetDriverInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DRVINFO_DATA_W* driverInfo, SP_DRVINSTALL_PARAMS* params) {
  return Request("SetupDiGetDriverInstallParamsW", L"", FALSE, [&] { return inner_.SetupDiGetDriverInstallParamsW(deviceInfoSet, deviceInfo, driverInfo, params); });
}

BOOL FaultInjectingPlatform::SetupDiDestroyDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType) {
  return Release("SetupDiDestroyDriverInfoList", L"", FALSE, [&] { return inner_.SetupDiDestroyDriverInfoList(deviceInfoSet, deviceInfo, driverType); });
}

BOOL FaultInjectingPlatform::SetupDiSetSelectedDriverW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DRVINFO_DATA_W* driverInfo) {
  return Request("SetupDiSetSelectedDriverW", L"", FALSE, [&] { return inner_.SetupDiSetSelectedDriverW(deviceInfoSet, deviceInfo, driverInfo); });
}

HKEY FaultInjectingPlatform::SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD scope, DWORD hwProfile, DWORD keyType, REGSAM samDesired) {
  return Request("SetupDiOpenDevRegKey", L"", reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE), [&] { return inner_.SetupDiOpenDevRegKey(deviceInfoSet, deviceInfo, scope, hwProfile, keyType, samDesired); });
}

BOOL FaultInjectingPlatform::SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo) {
  return Request("SetupDiCallClassInstaller", L"", FALSE, [&] { return inner_.SetupDiCallClassInstaller(installFunction, deviceInfoSet, deviceInfo); });
}

BOOL FaultInjectingPlatform::SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet) {
  return Release("SetupDiDestroyDeviceInfoList", L"", FALSE, [&] { return inner_.SetupDiDestroyDeviceInfoList(deviceInfoSet); });
}

HSPFILEQ FaultInjectingPlatform::SetupOpenFileQueue() {
  return Request("SetupOpenFileQueue", L"", INVALID_HANDLE_VALUE, [&] { return inner_.SetupOpenFileQueue(); });
}

BOOL FaultInjectingPlatform::SetupScanFileQueueW(HSPFILEQ queue, DWORD flags, HWND window, PSP_FILE_CALLBACK_W callback, PVOID callbackContext, PDWORD result) {
  return Request("SetupScanFileQueueW", L"", FALSE, [&] { return inner_.SetupScanFileQueueW(queue, flags, window, callback, callbackContext, result); });
}

BOOL FaultInjectingPlatform::SetupCloseFileQueue(HSPFILEQ queue) {
  return Release("SetupCloseFileQueue", L"", FALSE, [&] { return inner_.SetupCloseFileQueue(queue); });
}

CONFIGRET FaultInjectingPlatform::CM_Get_DevNode_Status_Ex(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG flags, HMACHINE machine) {
  return Request("CM_Get_DevNode_Status_Ex", L"", [](DWORD) -> CONFIGRET { return CR_FAILURE; }, [&] { return inner_.CM_Get_DevNode_Status_Ex(status, problemNumber, devInst, flags, machine); });
}

CONFIGRET FaultInjectingPlatform::CM_Get_First_Log_Conf_Ex(LOG_CONF* logConf, DEVINST devInst, ULONG flags, HMACHINE machine) {
  return Request("CM_Get_First_Log_Conf_Ex", L"", [](DWORD) -> CONFIGRET { return CR_FAILURE; }, [&] { return inner_.CM_Get_First_Log_Conf_Ex(logConf, devInst, flags, machine); });
}

CONFIGRET FaultInjectingPlatform::CM_Free_Log_Conf_Handle(LOG_CONF logConf) {
  return Release("CM_Free_Log_Conf_Handle", L"", [](DWORD) -> CONFIGRET { return CR_FAILURE; }, [&] { return inner_.CM_Free_Log_Conf_Handle(logConf); });
}

CONFIGRET FaultInjectingPlatform::CM_Get_Next_Res_Des_Ex(RES_DES* resDes, RES_DES current, RESOURCEID forResource, RESOURCEID* resourceId, ULONG flags, HMACHINE machine) {
  return Request("CM_Get_Next_Res_Des_Ex", L"", [](DWORD) -> CONFIGRET { return CR_FAILURE; }, [&] { return inner_.CM_Get_Next_Res_Des_Ex(resDes, current, forResource, resourceId, flags, machine); });
}

CONFIGRET FaultInjectingPlatform::CM_Free_Res_Des_Handle(RES_DES resDes) {
  return Release("CM_Free_Res_Des_Handle", L"", [](DWORD) -> CONFIGRET { return CR_FAILURE; }, [&] { return inner_.CM_Free_Res_Des_Handle(resDes); });
}

CONFIGRET FaultInjectingPlatform::CM_Get_Res_Des_Data_Size_Ex(PULONG size, RES_DES resDes, ULONG flags, HMACHINE machine) {
  return Request("CM_Get_Res_Des_Data_Size_Ex", L"", [](DWORD) -> CONFIGRET { return CR_FAILURE; }, [&] { return inner_.CM_Get_Res_Des_Data_Size_Ex(size, resDes, flags, machine); });
}

CONFIGRET FaultInjectingPlatform::CM_Get_Res_Des_Data_Ex(RES_DES resDes, PVOID buffer, ULONG bufferLen, ULONG flags, HMACHINE machine) {
  return Request("CM_Get_Res_Des_Data_Ex", L"", [](DWORD) -> CONFIGRET { return CR_FAILURE; }, [&] { return inner_.CM_Get_Res_Des_Data_Ex(resDes, buffer, bufferLen, flags, machine); });
}

LSTATUS FaultInjectingPlatform::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data, LPDWORD dataSize) {
  return Request("RegQueryValueExW", valueName != nullptr ? valueName : L"", [](DWORD code) { return static_cast<LSTATUS>(code); }, [&] { return inner_.RegQueryValueExW(key, valueName, reserved, type, data, dataSize); });
}

LSTATUS FaultInjectingPlatform::RegCloseKey(HKEY key) {
  return Release("RegCloseKey", L"", [](DWORD code) { return static_cast<LSTATUS>(code); }, [&] { return inner_.RegCloseKey(key); });
}
