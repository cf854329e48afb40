// Wraps any platform, numbers every call made through it, and makes one chosen
// call fail with a chosen error code. Used to prove that the scan ends well
// whichever request the system refuses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/platform.h"

class FaultInjectingPlatform : public Platform {
 public:
  explicit FaultInjectingPlatform(Platform& inner) : inner_(inner) {}

  // Call number `index` (0 for the first) fails with `error`; GetLastError then
  // reports `error` until the next call.
  void FailCall(std::size_t index, DWORD error) {
    failIndex_ = index;
    failError_ = error;
  }

  // One numbered call: the function and what it was aimed at (the path opened,
  // or the path of the handle and the control code's name).
  struct Call {
    std::string function;
    std::wstring subject;
    bool injected = false;
  };
  const std::vector<Call>& calls() const { return calls_; }
  // The number of the first call of `function` whose subject contains `part`.
  std::optional<std::size_t> FindCall(const std::string& function, const std::wstring& part) const;

  HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                     DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) override;
  BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize, LPVOID outBuffer,
                       DWORD outBufferSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) override;
  BOOL CloseHandle(HANDLE object) override;
  // The error channel, not a request: neither numbered nor failed.
  DWORD GetLastError() override { return injectedError_ ? *injectedError_ : inner_.GetLastError(); }
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
  HDEVINFO SetupDiGetClassDevsExW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags, HDEVINFO deviceInfoSet, LPCWSTR machineName, PVOID reserved) override;
  BOOL SetupDiGetDeviceInfoListDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_LIST_DETAIL_DATA_W* detail) override;
  BOOL SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfo) override;
  BOOL SetupDiEnumDeviceInterfaces(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, const GUID* interfaceClassGuid, DWORD memberIndex, SP_DEVICE_INTERFACE_DATA* interfaceData) override;
  BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO deviceInfoSet, SP_DEVICE_INTERFACE_DATA* interfaceData, SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, DWORD detailSize, PDWORD requiredSize, SP_DEVINFO_DATA* deviceInfo) override;
  BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD property, PDWORD propertyRegDataType, PBYTE propertyBuffer, DWORD propertyBufferSize, PDWORD requiredSize) override;
  BOOL SetupDiGetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DEVINSTALL_PARAMS_W* params) override;
  BOOL SetupDiSetDeviceInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DEVINSTALL_PARAMS_W* params) override;
  BOOL SetupDiBuildDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType) override;
  BOOL SetupDiEnumDriverInfoW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType, DWORD memberIndex, SP_DRVINFO_DATA_W* driverInfo) override;
  BOOL SetupDiGetDriverInfoDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DRVINFO_DATA_W* driverInfo, SP_DRVINFO_DETAIL_DATA_W* detail, DWORD detailSize, PDWORD requiredSize) override;
  BOOL SetupDiGetDriverInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DRVINFO_DATA_W* driverInfo, SP_DRVINSTALL_PARAMS* params) override;
  BOOL SetupDiDestroyDriverInfoList(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType) override;
  BOOL SetupDiSetSelectedDriverW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, SP_DRVINFO_DATA_W* driverInfo) override;
  HKEY SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD scope, DWORD hwProfile, DWORD keyType, REGSAM samDesired) override;
  BOOL SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo) override;
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet) override;
  HSPFILEQ SetupOpenFileQueue() override;
  BOOL SetupScanFileQueueW(HSPFILEQ queue, DWORD flags, HWND window, PSP_FILE_CALLBACK_W callback, PVOID callbackContext, PDWORD result) override;
  BOOL SetupCloseFileQueue(HSPFILEQ queue) override;
  CONFIGRET CM_Get_DevNode_Status_Ex(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG flags, HMACHINE machine) override;
  CONFIGRET CM_Get_First_Log_Conf_Ex(LOG_CONF* logConf, DEVINST devInst, ULONG flags, HMACHINE machine) override;
  CONFIGRET CM_Free_Log_Conf_Handle(LOG_CONF logConf) override;
  CONFIGRET CM_Get_Next_Res_Des_Ex(RES_DES* resDes, RES_DES current, RESOURCEID forResource, RESOURCEID* resourceId, ULONG flags, HMACHINE machine) override;
  CONFIGRET CM_Free_Res_Des_Handle(RES_DES resDes) override;
  CONFIGRET CM_Get_Res_Des_Data_Size_Ex(PULONG size, RES_DES resDes, ULONG flags, HMACHINE machine) override;
  CONFIGRET CM_Get_Res_Des_Data_Ex(RES_DES resDes, PVOID buffer, ULONG bufferLen, ULONG flags, HMACHINE machine) override;
  LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data, LPDWORD dataSize) override;
  LSTATUS RegCloseKey(HKEY key) override;

 private:
  // Numbers the call; when it is the one to fail, returns `failed` (or, when
  // `failed` is a function of the error code, its result) without asking the
  // wrapped platform. A new call of the interface is one line of `Request`.
  template <class Failed, class Forward>
  auto Request(const char* function, std::wstring subject, Failed failed, Forward forward) {
    if (!Next(function, std::move(subject))) {
      if constexpr (std::is_invocable_v<Failed, DWORD>) {
        return failed(failError_);
      } else {
        return decltype(forward())(failed);
      }
    }
    return forward();
  }
  // For calls that give something back (closing a handle, a list, a key): the
  // wrapped platform always releases it, so a refused release leaks nothing,
  // and the caller is then told that the call failed.
  template <class Failed, class Forward>
  auto Release(const char* function, std::wstring subject, Failed failed, Forward forward) {
    const bool carriedOut = Next(function, std::move(subject));
    auto result = forward();
    if (carriedOut) return result;
    if constexpr (std::is_invocable_v<Failed, DWORD>) {
      return decltype(result)(failed(failError_));
    } else {
      return decltype(result)(failed);
    }
  }
  // False when this call is the one to fail.
  bool Next(const char* function, std::wstring subject);
  std::wstring PathOf(HANDLE handle) const;

  Platform& inner_;
  std::optional<std::size_t> failIndex_;
  DWORD failError_ = 0;
  std::optional<DWORD> injectedError_;
  std::vector<Call> calls_;
  std::map<std::uintptr_t, std::wstring> handlePaths_;
};
