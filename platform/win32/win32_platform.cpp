#include "platform/win32/win32_platform.h"

// Each member calls the global function of its name; nothing in between may
// touch the thread's last error.

HANDLE Win32Platform::CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                                  LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                                  DWORD flagsAndAttributes, HANDLE templateFile) {
  return ::CreateFileW(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition, flagsAndAttributes,
                       templateFile);
}

BOOL Win32Platform::DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                                    LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                                    LPOVERLAPPED overlapped) {
  return ::DeviceIoControl(device, ioControlCode, inBuffer, inBufferSize, outBuffer, outBufferSize, bytesReturned,
                           overlapped);
}

BOOL Win32Platform::CloseHandle(HANDLE object) { return ::CloseHandle(object); }

DWORD Win32Platform::GetLastError() { return ::GetLastError(); }

BOOL Win32Platform::GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                                          LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                                          LPDWORD fileSystemFlags, LPWSTR fileSystemNameBuffer,
                                          DWORD fileSystemNameSize) {
  return ::GetVolumeInformationW(rootPathName, volumeNameBuffer, volumeNameSize, volumeSerialNumber,
                                 maximumComponentLength, fileSystemFlags, fileSystemNameBuffer, fileSystemNameSize);
}

BOOL Win32Platform::GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                                        PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes) {
  return ::GetDiskFreeSpaceExW(directoryName, freeBytesAvailableToCaller, totalNumberOfBytes, totalNumberOfFreeBytes);
}

BOOL Win32Platform::GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames, DWORD bufferLength,
                                                     LPDWORD returnLength) {
  return ::GetVolumePathNamesForVolumeNameW(volumeName, volumePathNames, bufferLength, returnLength);
}

DWORD Win32Platform::QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD maxChars) {
  return ::QueryDosDeviceW(deviceName, targetPath, maxChars);
}

HDEVINFO Win32Platform::SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) {
  return ::SetupDiCreateDeviceInfoList(classGuid, parent);
}

HDEVINFO Win32Platform::SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) {
  return ::SetupDiGetClassDevsW(classGuid, enumerator, parent, flags);
}

HDEVINFO Win32Platform::SetupDiGetClassDevsExW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags,
                                               HDEVINFO deviceInfoSet, LPCWSTR machineName, PVOID reserved) {
  return ::SetupDiGetClassDevsExW(classGuid, enumerator, parent, flags, deviceInfoSet, machineName, reserved);
}

BOOL Win32Platform::SetupDiGetDeviceInfoListDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_LIST_DETAIL_DATA_W* detail) {
  return ::SetupDiGetDeviceInfoListDetailW(deviceInfoSet, detail);
}

BOOL Win32Platform::SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfo) {
  return ::SetupDiEnumDeviceInfo(deviceInfoSet, memberIndex, deviceInfo);
}

BOOL Win32Platform::SetupDiEnumDeviceInterfaces(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                const GUID* interfaceClassGuid, DWORD memberIndex,
                                                SP_DEVICE_INTERFACE_DATA* interfaceData) {
  return ::SetupDiEnumDeviceInterfaces(deviceInfoSet, deviceInfo, interfaceClassGuid, memberIndex, interfaceData);
}

BOOL Win32Platform::SetupDiGetDeviceInterfaceDetailW(HDEVINFO deviceInfoSet, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                                     SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                                     PDWORD requiredSize, SP_DEVINFO_DATA* deviceInfo) {
  return ::SetupDiGetDeviceInterfaceDetailW(deviceInfoSet, interfaceData, detail, detailSize, requiredSize, deviceInfo);
}

BOOL Win32Platform::SetupDiGetDeviceRegistryPropertyW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                      DWORD property, PDWORD propertyRegDataType, PBYTE propertyBuffer,
                                                      DWORD propertyBufferSize, PDWORD requiredSize) {
  return ::SetupDiGetDeviceRegistryPropertyW(deviceInfoSet, deviceInfo, property, propertyRegDataType, propertyBuffer,
                                             propertyBufferSize, requiredSize);
}

BOOL Win32Platform::SetupDiGetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                   SP_DEVINSTALL_PARAMS_W* params) {
  return ::SetupDiGetDeviceInstallParamsW(deviceInfoSet, deviceInfo, params);
}

BOOL Win32Platform::SetupDiSetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                   SP_DEVINSTALL_PARAMS_W* params) {
  return ::SetupDiSetDeviceInstallParamsW(deviceInfoSet, deviceInfo, params);
}

BOOL Win32Platform::SetupDiBuildDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType) {
  return ::SetupDiBuildDriverInfoList(deviceInfoSet, deviceInfo, driverType);
}

BOOL Win32Platform::SetupDiEnumDriverInfoW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType,
                                           DWORD memberIndex, SP_DRVINFO_DATA_W* driverInfo) {
  return ::SetupDiEnumDriverInfoW(deviceInfoSet, deviceInfo, driverType, memberIndex, driverInfo);
}

BOOL Win32Platform::SetupDiGetDriverInfoDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                SP_DRVINFO_DATA_W* driverInfo, SP_DRVINFO_DETAIL_DATA_W* detail,
                                                DWORD detailSize, PDWORD requiredSize) {
  return ::SetupDiGetDriverInfoDetailW(deviceInfoSet, deviceInfo, driverInfo, detail, detailSize, requiredSize);
}

BOOL Win32Platform::SetupDiGetDriverInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                   SP_DRVINFO_DATA_W* driverInfo, SP_DRVINSTALL_PARAMS* params) {
  return ::SetupDiGetDriverInstallParamsW(deviceInfoSet, deviceInfo, driverInfo, params);
}

BOOL Win32Platform::SetupDiDestroyDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                 DWORD driverType) {
  return ::SetupDiDestroyDriverInfoList(deviceInfoSet, deviceInfo, driverType);
}

BOOL Win32Platform::SetupDiSetSelectedDriverW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                              SP_DRVINFO_DATA_W* driverInfo) {
  return ::SetupDiSetSelectedDriverW(deviceInfoSet, deviceInfo, driverInfo);
}

HKEY Win32Platform::SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD scope,
                                         DWORD hwProfile, DWORD keyType, REGSAM samDesired) {
  return ::SetupDiOpenDevRegKey(deviceInfoSet, deviceInfo, scope, hwProfile, keyType, samDesired);
}

BOOL Win32Platform::SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO deviceInfoSet,
                                              SP_DEVINFO_DATA* deviceInfo) {
  return ::SetupDiCallClassInstaller(installFunction, deviceInfoSet, deviceInfo);
}

BOOL Win32Platform::SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet) {
  return ::SetupDiDestroyDeviceInfoList(deviceInfoSet);
}

HSPFILEQ Win32Platform::SetupOpenFileQueue() { return ::SetupOpenFileQueue(); }

BOOL Win32Platform::SetupScanFileQueueW(HSPFILEQ queue, DWORD flags, HWND window, PSP_FILE_CALLBACK_W callback,
                                        PVOID callbackContext, PDWORD result) {
  return ::SetupScanFileQueueW(queue, flags, window, callback, callbackContext, result);
}

BOOL Win32Platform::SetupCloseFileQueue(HSPFILEQ queue) { return ::SetupCloseFileQueue(queue); }

CONFIGRET Win32Platform::CM_Get_DevNode_Status_Ex(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG flags,
                                                  HMACHINE machine) {
  return ::CM_Get_DevNode_Status_Ex(status, problemNumber, devInst, flags, machine);
}

CONFIGRET Win32Platform::CM_Get_First_Log_Conf_Ex(LOG_CONF* logConf, DEVINST devInst, ULONG flags, HMACHINE machine) {
  return ::CM_Get_First_Log_Conf_Ex(logConf, devInst, flags, machine);
}

CONFIGRET Win32Platform::CM_Free_Log_Conf_Handle(LOG_CONF logConf) { return ::CM_Free_Log_Conf_Handle(logConf); }

CONFIGRET Win32Platform::CM_Get_Next_Res_Des_Ex(RES_DES* resDes, RES_DES current, RESOURCEID forResource,
                                                RESOURCEID* resourceId, ULONG flags, HMACHINE machine) {
  return ::CM_Get_Next_Res_Des_Ex(resDes, current, forResource, resourceId, flags, machine);
}

CONFIGRET Win32Platform::CM_Free_Res_Des_Handle(RES_DES resDes) { return ::CM_Free_Res_Des_Handle(resDes); }

CONFIGRET Win32Platform::CM_Get_Res_Des_Data_Size_Ex(PULONG size, RES_DES resDes, ULONG flags, HMACHINE machine) {
  return ::CM_Get_Res_Des_Data_Size_Ex(size, resDes, flags, machine);
}

CONFIGRET Win32Platform::CM_Get_Res_Des_Data_Ex(RES_DES resDes, PVOID buffer, ULONG bufferLen, ULONG flags,
                                                HMACHINE machine) {
  return ::CM_Get_Res_Des_Data_Ex(resDes, buffer, bufferLen, flags, machine);
}

LSTATUS Win32Platform::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data,
                                        LPDWORD dataSize) {
  return ::RegQueryValueExW(key, valueName, reserved, type, data, dataSize);
}

LSTATUS Win32Platform::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }
