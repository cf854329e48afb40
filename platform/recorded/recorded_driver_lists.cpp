// The driver lists of a device in a set: the compatible list from the
// instance's driver nodes, the class list from its installed INF, their
// details and install parameters, and the selected driver.
#include <cwctype>

#include "platform/recorded/recorded_device_manager.h"
#include "platform/recorded/recorded_platform.h"

namespace {

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return s;
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return Lower(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

}  // namespace

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
  DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiBuildDriverInfoList");
  if (device == nullptr) return FALSE;
  auto* list = DriverList(*device, driverType);
  if (list == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (*list) return TRUE;  // already built
  const machine::DeviceInstance& instance = InstanceOf(*device);
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
  DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiEnumDriverInfoW");
  if (device == nullptr) return FALSE;
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
  recorded::PutText(record.Description, n.description);
  recorded::PutText(record.MfgName, n.manufacturer);
  recorded::PutText(record.ProviderName, n.provider);
  std::memcpy(driverInfo, &record, size);
  return TRUE;
}

BOOL RecordedPlatform::SetupDiGetDriverInfoDetailW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                   SP_DRVINFO_DATA_W* driverInfo, SP_DRVINFO_DETAIL_DATA_W* detail,
                                                   DWORD detailSize, PDWORD requiredSize) {
  DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiGetDriverInfoDetailW");
  if (device == nullptr) return FALSE;
  const machine::DriverNode* node = DriverOf(*device, driverInfo);
  if (node == nullptr) return FALSE;
  if (!node->detailReadable) return Fail(ERROR_FILE_NOT_FOUND);
  const std::vector<BYTE> ids = recorded::MultiSz(node->hardwareId.empty() ? std::vector<std::wstring>{}
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
  recorded::PutText(detail->SectionName, node->section);
  recorded::PutText(detail->InfFileName, node->infFile);
  recorded::PutText(detail->DrvDescription, node->description);
  if (detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(reinterpret_cast<BYTE*>(detail) + layout::kDriverDetailFixed, ids.data(), ids.size());
  return TRUE;
}

BOOL RecordedPlatform::SetupDiGetDriverInstallParamsW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                      SP_DRVINFO_DATA_W* driverInfo, SP_DRVINSTALL_PARAMS* params) {
  DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiGetDriverInstallParamsW");
  if (device == nullptr) return FALSE;
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
  DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, nullptr);
  if (device == nullptr) return FALSE;
  auto* list = DriverList(*device, driverType);
  if (list == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  list->reset();
  if (device->selected && device->selected->first == driverType) device->selected.reset();
  return TRUE;
}

BOOL RecordedPlatform::SetupDiSetSelectedDriverW(HDEVINFO deviceInfoSet, SP_DEVINFO_DATA* deviceInfo,
                                                 SP_DRVINFO_DATA_W* driverInfo) {
  DeviceState* device = DeviceFor(deviceInfoSet, deviceInfo, "SetupDiSetSelectedDriverW");
  if (device == nullptr) return FALSE;
  if (driverInfo == nullptr) {
    device->selected.reset();
    return TRUE;
  }
  if (DriverOf(*device, driverInfo) == nullptr) return FALSE;
  device->selected = std::pair{driverInfo->DriverType, static_cast<std::size_t>(driverInfo->Reserved - 1)};
  return TRUE;
}
