// The driver's registry key, read only, and the class installer that fills a
// file queue the caller opened: files are only ever queued, never copied.
#include "platform/recorded/recorded_device_manager.h"
#include "platform/recorded/recorded_platform.h"

using recorded::Key;

namespace {
// Set value, create subkey, create link, delete, write DAC, write owner.
constexpr DWORD kKeyWriteRights = 0x2 | 0x4 | 0x20 | 0x00010000 | 0x00040000 | 0x00080000;
}  // namespace

HKEY RecordedPlatform::SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo, DWORD scope, DWORD,
                                            DWORD keyType, REGSAM samDesired) {
  const HKEY invalid = reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
  const DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiOpenDevRegKey");
  if (device == nullptr) return invalid;
  if (scope != DICS_FLAG_GLOBAL || keyType != DIREG_DRV) {
    Fail(ERROR_INVALID_FLAGS);
    return invalid;
  }
  if ((samDesired & kKeyWriteRights) != 0) {
    Fail(ERROR_ACCESS_DENIED);
    return invalid;
  }
  if (!InstanceOf(*device).driverKey) {
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

BOOL RecordedPlatform::SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO deviceInfoSet,
                                                 SP_DEVINFO_DATA* deviceInfo) {
  const DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiCallClassInstaller");
  if (device == nullptr) return FALSE;
  if (installFunction != DIF_INSTALLDEVICEFILES) return Fail(ERROR_DI_DO_DEFAULT);
  if (!device->selected) return Fail(ERROR_NO_DRIVER_SELECTED);
  auto queue = queues_.find(Key(device->fileQueue));
  if ((device->flags & DI_NOVCP) == 0 || queue == queues_.end()) return Fail(ERROR_ACCESS_DENIED);
  const std::vector<std::wstring>& files = InstanceOf(*device).driverFiles;
  queue->second.targets.insert(queue->second.targets.end(), files.begin(), files.end());
  queue->second.instance = device->instance;
  return TRUE;
}

HSPFILEQ RecordedPlatform::SetupOpenFileQueue() {
  if (Refused(machine_.deviceManager, "SetupOpenFileQueue")) return INVALID_HANDLE_VALUE;
  const std::uintptr_t handle = NewHandle();
  queues_[handle] = FileQueue{};
  return reinterpret_cast<HSPFILEQ>(handle);
}

BOOL RecordedPlatform::SetupScanFileQueueW(HSPFILEQ queue, DWORD flags, HWND, PSP_FILE_CALLBACK_W callback,
                                           PVOID callbackContext, PDWORD result) {
  auto it = queues_.find(Key(queue));
  if (it == queues_.end()) return Fail(ERROR_INVALID_HANDLE);
  if (it->second.instance &&
      Refused(machine_.deviceInstances[*it->second.instance].behaviour, "SetupScanFileQueueW"))
    return FALSE;
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
