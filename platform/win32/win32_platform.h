// The live Windows backend: every request goes to the Win32 function of the
// same name with its arguments unchanged, and the thread's last error is left
// exactly as the system set it.
#pragma once

#include "platform/platform.h"

class Win32Platform : public Platform {
 public:
  HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                     DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) override;
  BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize, LPVOID outBuffer,
                       DWORD outBufferSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) override;
  BOOL CloseHandle(HANDLE object) override;
  DWORD GetLastError() override;
  BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                             LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength, LPDWORD fileSystemFlags,
                             LPWSTR fileSystemNameBuffer, DWORD fileSystemNameSize) override;
  BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                           PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes) override;
  BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames, DWORD bufferLength,
                                        LPDWORD returnLength) override;
  DWORD QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD maxChars) override;
  HDEVINFO SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) override;
  HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) override;
  HDEVINFO SetupDiGetClassDevsExW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags,
                                  HDEVINFO deviceInfoSet, LPCWSTR machineName, PVOID reserved) override;
  BOOL SetupDiGetDeviceInfoListDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_LIST_DETAIL_DATA_W* detail) override;
  BOOL SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfo) override;
  BOOL SetupDiEnumDeviceInterfaces(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, const GUID* interfaceClassGuid,
                                   DWORD memberIndex, SP_DEVICE_INTERFACE_DATA* interfaceData) override;
  BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO deviceInfoSet, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                        SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                        PDWORD requiredSize, SP_DEVINFO_DATA* deviceInfo) override;
  BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD property,
                                         PDWORD propertyRegDataType, PBYTE propertyBuffer, DWORD propertyBufferSize,
                                         PDWORD requiredSize) override;
  BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                      SP_DEVINSTALL_PARAMS_W* params) override;
  BOOL SetupDiSetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                      SP_DEVINSTALL_PARAMS_W* params) override;
  BOOL SetupDiBuildDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType) override;
  BOOL SetupDiEnumDriverInfoW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType, DWORD memberIndex,
                              SP_DRVINFO_DATA_W* driverInfo) override;
  BOOL SetupDiGetDriverInfoDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DRVINFO_DATA_W* driverInfo,
                                   SP_DRVINFO_DETAIL_DATA_W* detail, DWORD detailSize, PDWORD requiredSize) override;
  BOOL SetupDiGetDriverInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                      SP_DRVINFO_DATA_W* driverInfo, SP_DRVINSTALL_PARAMS* params) override;
  BOOL SetupDiDestroyDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType) override;
  BOOL SetupDiSetSelectedDriverW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                 SP_DRVINFO_DATA_W* driverInfo) override;
  HKEY SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD scope, DWORD hwProfile,
                            DWORD keyType, REGSAM samDesired) override;
  BOOL SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO deviceInfoSet,
                                 SP_DEVINFO_DATA* deviceInfo) override;
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet) override;
  HSPFILEQ SetupOpenFileQueue() override;
  BOOL SetupScanFileQueueW(HSPFILEQ queue, DWORD flags, HWND window, PSP_FILE_CALLBACK_W callback,
                           PVOID callbackContext, PDWORD result) override;
  BOOL SetupCloseFileQueue(HSPFILEQ queue) override;
  CONFIGRET CM_Get_DevNode_Status_Ex(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG flags,
                                     HMACHINE machine) override;
  CONFIGRET CM_Get_First_Log_Conf_Ex(LOG_CONF* logConf, DEVINST devInst, ULONG flags, HMACHINE machine) override;
  CONFIGRET CM_Free_Log_Conf_Handle(LOG_CONF logConf) override;
  CONFIGRET CM_Get_Next_Res_Des_Ex(RES_DES* resDes, RES_DES current, RESOURCEID forResource, RESOURCEID* resourceId,
                                   ULONG flags, HMACHINE machine) override;
  CONFIGRET CM_Free_Res_Des_Handle(RES_DES resDes) override;
  CONFIGRET CM_Get_Res_Des_Data_Size_Ex(PULONG size, RES_DES resDes, ULONG flags, HMACHINE machine) override;
  CONFIGRET CM_Get_Res_Des_Data_Ex(RES_DES resDes, PVOID buffer, ULONG bufferLen, ULONG flags,
                                   HMACHINE machine) override;
  LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data,
                           LPDWORD dataSize) override;
  LSTATUS RegCloseKey(HKEY key) override;
};
