// The one door to the operating system. The scan asks every question through
// this interface, in the platform's own terms and with the same arguments and
// meanings as the Win32 calls of the same names; a backend answers them (a
// recorded machine, the live Linux machine, or Win32 itself).
#pragma once

#include "platform/device_manager_records.h"
#include "platform/win_types.h"

class Platform {
 public:
  virtual ~Platform() = default;

  virtual HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                             LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                             DWORD flagsAndAttributes, HANDLE templateFile) = 0;
  virtual BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                               LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                               LPOVERLAPPED overlapped) = 0;
  virtual BOOL CloseHandle(HANDLE object) = 0;
  virtual DWORD GetLastError() = 0;

  virtual BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                                     LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                                     LPDWORD fileSystemFlags, LPWSTR fileSystemNameBuffer,
                                     DWORD fileSystemNameSize) = 0;
  virtual BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                                   PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes) = 0;
  // The places a volume is mounted, for a volume named "\\?\Volume{GUID}\": a
  // list of zero-terminated paths ended by an empty one.
  virtual BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames, DWORD bufferLength,
                                                LPDWORD returnLength) = 0;
  // Stores the target of a DOS device name as a list of strings ending in an
  // empty one; returns the characters stored, 0 on failure.
  virtual DWORD QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD maxChars) = 0;

  // Device installation: sets of device instances and their interfaces, driver
  // lists and install parameters inside a set, and the driver's file queue.
  virtual HDEVINFO SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) = 0;
  virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags) = 0;
  virtual HDEVINFO SetupDiGetClassDevsExW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags,
                                          HDEVINFO deviceInfoSet, LPCWSTR machineName, PVOID reserved) = 0;
  virtual BOOL SetupDiGetDeviceInfoListDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_LIST_DETAIL_DATA_W* detail) = 0;
  virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfo) = 0;
  virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                           const GUID* interfaceClassGuid, DWORD memberIndex,
                                           SP_DEVICE_INTERFACE_DATA* interfaceData) = 0;
  virtual BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO deviceInfoSet, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize,
                                                PDWORD requiredSize, SP_DEVINFO_DATA* deviceInfo) = 0;
  virtual BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD property,
                                                 PDWORD propertyRegDataType, PBYTE propertyBuffer,
                                                 DWORD propertyBufferSize, PDWORD requiredSize) = 0;
  virtual BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                              SP_DEVINSTALL_PARAMS_W* params) = 0;
  virtual BOOL SetupDiSetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                              SP_DEVINSTALL_PARAMS_W* params) = 0;
  virtual BOOL SetupDiBuildDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType) = 0;
  // `driverInfo` may be the shorter version-1 record; its cbSize says which.
  virtual BOOL SetupDiEnumDriverInfoW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType,
                                      DWORD memberIndex, SP_DRVINFO_DATA_W* driverInfo) = 0;
  virtual BOOL SetupDiGetDriverInfoDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                           SP_DRVINFO_DATA_W* driverInfo, SP_DRVINFO_DETAIL_DATA_W* detail,
                                           DWORD detailSize, PDWORD requiredSize) = 0;
  virtual BOOL SetupDiGetDriverInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                              SP_DRVINFO_DATA_W* driverInfo, SP_DRVINSTALL_PARAMS* params) = 0;
  virtual BOOL SetupDiDestroyDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                            DWORD driverType) = 0;
  virtual BOOL SetupDiSetSelectedDriverW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                         SP_DRVINFO_DATA_W* driverInfo) = 0;
  // Returns INVALID_HANDLE_VALUE (as an HKEY) on failure.
  virtual HKEY SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD scope,
                                    DWORD hwProfile, DWORD keyType, REGSAM samDesired) = 0;
  virtual BOOL SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO deviceInfoSet,
                                         SP_DEVINFO_DATA* deviceInfo) = 0;
  virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet) = 0;
  virtual HSPFILEQ SetupOpenFileQueue() = 0;
  // Calls `callback` with SPFILENOTIFY_QUEUESCAN and each queued target path.
  virtual BOOL SetupScanFileQueueW(HSPFILEQ queue, DWORD flags, HWND window, PSP_FILE_CALLBACK_W callback,
                                   PVOID callbackContext, PDWORD result) = 0;
  virtual BOOL SetupCloseFileQueue(HSPFILEQ queue) = 0;

  // Configuration manager: status and logical configurations of a device instance.
  virtual CONFIGRET CM_Get_DevNode_Status_Ex(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG flags,
                                             HMACHINE machine) = 0;
  virtual CONFIGRET CM_Get_First_Log_Conf_Ex(LOG_CONF* logConf, DEVINST devInst, ULONG flags, HMACHINE machine) = 0;
  virtual CONFIGRET CM_Free_Log_Conf_Handle(LOG_CONF logConf) = 0;
  virtual CONFIGRET CM_Get_Next_Res_Des_Ex(RES_DES* resDes, RES_DES current, RESOURCEID forResource,
                                           RESOURCEID* resourceId, ULONG flags, HMACHINE machine) = 0;
  virtual CONFIGRET CM_Free_Res_Des_Handle(RES_DES resDes) = 0;
  virtual CONFIGRET CM_Get_Res_Des_Data_Size_Ex(PULONG size, RES_DES resDes, ULONG flags, HMACHINE machine) = 0;
  virtual CONFIGRET CM_Get_Res_Des_Data_Ex(RES_DES resDes, PVOID buffer, ULONG bufferLen, ULONG flags,
                                           HMACHINE machine) = 0;

  // The registry, read through a key that SetupDiOpenDevRegKey opened.
  virtual LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data,
                                   LPDWORD dataSize) = 0;
  virtual LSTATUS RegCloseKey(HKEY key) = 0;
};
