// Answers every request from a described machine. The test suite, the samples
// and the live Linux backend (which collects the running machine into the same
// description) all stand on it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/machine/machine.h"
#include "platform/platform.h"
#include "platform/recorded/path_table.h"
#include "platform/recorded/storage_answers.h"

class RecordedPlatform : public Platform {
 public:
  explicit RecordedPlatform(machine::Machine description);

  HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                     DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) override;
  BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize, LPVOID outBuffer,
                       DWORD outBufferSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) override;
  BOOL CloseHandle(HANDLE object) override;
  DWORD GetLastError() override { return lastError_; }
  BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                             LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength, LPDWORD fileSystemFlags,
                             LPWSTR fileSystemNameBuffer, DWORD fileSystemNameSize) override;
  BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                           PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes) override;
  // Answers from the volume's "mountPaths"; the volume is the one the mount
  // point "\??\Volume{GUID}" (or a "paths" entry "\\.\Volume{GUID}") names.
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
  BOOL SetupDiEnumDriverInfoW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD driverType,
                              DWORD memberIndex, SP_DRVINFO_DATA_W* driverInfo) override;
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

  const machine::Machine& description() const { return machine_; }
  // Handles, device information sets, keys, file queues and configuration
  // handles given out and not yet given back; a scan must leave none behind.
  std::size_t OpenHandleCount() const {
    return open_.size() + sets_.size() + keys_.size() + queues_.size() + configurations_.size();
  }
  // Calls made to each request that a machine file can make fail, by name.
  const std::unordered_map<std::string, unsigned>& requestCounts() const { return requestCounts_; }
  // Every path opened, with the access asked for, in order.
  struct OpenRecord {
    std::wstring path;
    DWORD access;
  };
  const std::vector<OpenRecord>& opens() const { return opens_; }
  // Keeps both records above from now on, for tests. Off by default: a viewer
  // that scans a large machine again and again would only pay for them and
  // grow the list of opens.
  void KeepCallRecords() { keepCallRecords_ = true; }

 protected:
  enum class ObjectKind { MountPointManager, Volume, Drive, Port, PortInterface };
  struct Target {
    ObjectKind kind;
    std::size_t index;  // into the description's volumes, drives, ports or port interfaces
  };

  BOOL Fail(DWORD error) {
    lastError_ = error;
    return FALSE;
  }
  const machine::Behaviour& BehaviourOf(const Target& target) const;
  // Counts the call and tells whether the request is made to fail now, with
  // which code.
  bool Failing(const machine::Behaviour& behaviour, std::string_view request, DWORD& code);
  // Failing, for calls that report through the last error: true when the
  // request fails now, with its code set.
  bool Refused(const machine::Behaviour& behaviour, std::string_view request) {
    DWORD code = 0;
    if (!Failing(behaviour, request, code)) return false;
    lastError_ = code;
    return true;
  }
  // Finds what a device or root path names; false when nothing does.
  bool Resolve(std::wstring_view path, Target& target);

  machine::Machine machine_;

 private:
  BOOL Answer(const Target& target, DWORD code, LPVOID in, DWORD inSize, BYTE* out, DWORD outSize,
              DWORD& returned);
  // The answer formed for the request, kept for it to be asked again.
  const answers::Answer& KeptAnswer(const Target& target, DWORD code, STORAGE_PROPERTY_ID property);
  // The answer the description gives to a request, formed anew.
  answers::Answer FormAnswer(const Target& target, DWORD code, STORAGE_PROPERTY_ID property);
  // The port whose answers a target gives, if any.
  const machine::Port* PortOf(const Target& target) const;
  bool VolumeForRoot(LPCWSTR rootPathName, const machine::Volume*& volume, const char* request);
  std::uintptr_t NewHandle();

  // ---- the device manager: device information sets (recorded_device_sets.cpp),
  // driver lists (recorded_driver_lists.cpp), the driver key and file queue
  // (recorded_registry_queue.cpp), the configuration manager (recorded_configurations.cpp).

  // A device information set: its devices (indices into deviceInstances), the
  // storage-port interfaces it lists, and the state the installer keeps per device.
  struct DeviceState {
    std::size_t instance = 0;
    DWORD flags = 0;
    DWORD flagsEx = 0;
    HSPFILEQ fileQueue = nullptr;
    std::u16string driverPath;
    std::optional<std::vector<machine::DriverNode>> compatible;
    std::optional<std::vector<machine::DriverNode>> classDrivers;
    std::optional<std::pair<DWORD, std::size_t>> selected;  // driver type, index
  };
  struct DeviceSet {
    std::vector<DeviceState> devices;
    std::vector<std::size_t> interfaces;
  };
  // Each looks its argument up and sets the last error when it names nothing.
  DeviceSet* SetOf(HDEVINFO set);
  DeviceState* DeviceOf(DeviceSet& set, const SP_DEVINFO_DATA* deviceInfo);
  // The device a call names in a set, once the instance has not refused
  // `request` (null: a call that cannot be made to fail); null with the last
  // error set otherwise.
  DeviceState* DeviceFor(HDEVINFO set, SP_DEVINFO_DATA* deviceInfo, const char* request);
  const machine::DeviceInstance& InstanceOf(const DeviceState& device) const {
    return machine_.deviceInstances[device.instance];
  }
  HDEVINFO NewSet(DeviceSet set);
  void AddClassDevices(DeviceSet& set, const GUID* classGuid, DWORD flags);
  // The device instance each storage-port interface belongs to, by position.
  void FindInterfaceOwners();
  std::vector<std::optional<std::size_t>> interfaceOwners_;

  std::optional<std::vector<machine::DriverNode>>* DriverList(DeviceState& device, DWORD driverType);
  const machine::DriverNode* DriverOf(DeviceState& device, const SP_DRVINFO_DATA_W* driverInfo);

  struct Configuration {
    std::size_t instance = 0;
    ULONG kind = 0;                 // ALLOC_LOG_CONF, FORCED_LOG_CONF or BOOT_LOG_CONF
    std::optional<std::size_t> at;  // a resource descriptor: its position; empty for the configuration
  };
  const machine::DeviceInstance* InstanceOf(DEVINST devInst) const;
  const std::vector<machine::Resource>* ResourcesOf(const Configuration& c) const;
  // The resource descriptor a handle names; null for anything else.
  const Configuration* DescriptorOf(RES_DES resDes, HMACHINE machine) const;
  // The descriptor's resource record as the configuration manager lays it out.
  std::vector<BYTE> ResourceRecord(const Configuration& descriptor) const;

  std::map<std::uintptr_t, DeviceSet> sets_;
  std::map<std::uintptr_t, std::size_t> keys_;  // instance of an open driver key
  struct FileQueue {
    std::vector<std::wstring> targets;
    std::optional<std::size_t> instance;  // the device whose installer filled it
  };
  std::map<std::uintptr_t, FileQueue> queues_;
  std::map<std::uintptr_t, Configuration> configurations_;

  // ---- the storage stack and handles (recorded_platform.cpp)
  std::map<std::pair<const machine::Behaviour*, std::string>, unsigned> calls_;
  std::unordered_map<std::string, unsigned> requestCounts_;
  // The name of each control code asked, made once.
  std::unordered_map<DWORD, std::string> codeNames_;
  PathTable<Target> paths_;
  // Inquiry answers by port index: a large port is asked once per drive.
  std::map<std::size_t, std::vector<BYTE>> inquiryCache_;
  // The last answer formed, and what it answers (object kind and index, code,
  // property): a caller that offers a larger buffer asks the same again, and a
  // layout of thousands of partitions took longer to form than to copy.
  std::optional<std::pair<std::tuple<ObjectKind, std::size_t, DWORD, int>, answers::Answer>> lastAnswer_;
  // Layout answers of drives of many partitions, by drive index and code.
  static constexpr std::size_t kLongLayout = 16;
  std::map<std::pair<std::size_t, DWORD>, answers::Answer> layoutCache_;
  std::map<std::uintptr_t, Target> open_;
  std::uintptr_t nextHandle_ = 0x100;
  std::vector<OpenRecord> opens_;
  bool keepCallRecords_ = false;
  DWORD lastError_ = 0;
};
