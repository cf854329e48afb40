// The device manager's text for one device instance: its ids, the resources of
// its chosen logical configuration, its compatible driver nodes and the files
// of its installed driver. Only the process's own device information set is
// changed, and the driver's file queue is scanned, never committed.
#include <algorithm>

#include "model/record_bytes.h"
#include "model/zeroed_buffer.h"
#include "platform/wide_text.h"
#include "scan/device_manager.h"

namespace {

constexpr DWORD kFirstPropertyBytes = 8192;
constexpr std::size_t kPropertySlack = 4;  // room for the two terminators added after the data
constexpr DWORD kLargestProperty = 16u << 20;
constexpr ULONG kLargestResourceData = 64u << 10;
constexpr DWORD kDriverKeyPathBytes = MAX_PATH * sizeof(WCHAR);
constexpr DWORD kDriverKeyTextBytes = 512;

// The text of a fixed record field, up to its terminator or the field's end.
template <std::size_t N>
std::wstring FieldText(const WCHAR (&field)[N]) {
  return WideFromUtf16(field, static_cast<std::size_t>(std::find(field, field + N, WCHAR{0}) - field));
}

template <std::size_t N>
std::u16string FieldUnits(const WCHAR (&field)[N]) {
  return std::u16string(field, std::find(field, field + N, WCHAR{0}));
}

// Splits UTF-16 bytes into their zero-terminated strings, stopping at the
// first empty one.
std::vector<std::wstring> SplitMultiString(const std::vector<BYTE>& bytes, std::size_t length) {
  std::vector<std::wstring> out;
  std::u16string current;
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit != 0) {
      current.push_back(unit);
      continue;
    }
    if (current.empty()) break;
    out.push_back(WideFromUtf16(current.data(), current.size()));
    current.clear();
  }
  return out;
}

void AppendResourceLine(RESOURCEID type, const RecordBytes& data, std::vector<std::wstring>& list) {
  // A record shorter than its fixed fields is skipped rather than read as zeros.
  switch (type) {
    case ResType_Mem: {
      if (data.size() < sizeof(MEM_DES)) return;
      const auto d = ReadRecord<MEM_DES>(data);
      if (d.MD_Alloc_End - d.MD_Alloc_Base + 1 != 0)
        list.push_back(FormatWide(L"MEM : %08I64x-%08I64x", d.MD_Alloc_Base, d.MD_Alloc_End));
      break;
    }
    case ResType_IO: {
      if (data.size() < sizeof(IO_DES)) return;
      const auto d = ReadRecord<IO_DES>(data);
      if (d.IOD_Alloc_End - d.IOD_Alloc_Base + 1 != 0)
        list.push_back(FormatWide(L"IO  : %04I64x-%04I64x", d.IOD_Alloc_Base, d.IOD_Alloc_End));
      break;
    }
    case ResType_DMA: {
      if (data.size() < sizeof(DMA_DES)) return;
      list.push_back(FormatWide(L"DMA : %u", ReadRecord<DMA_DES>(data).DD_Alloc_Chan));
      break;
    }
    case ResType_IRQ: {
      if (data.size() < offsetof(IRQ_DES, IRQD_Affinity)) return;
      list.push_back(FormatWide(L"IRQ : %u", ReadRecord<IRQ_DES>(data).IRQD_Alloc_Num));
      break;
    }
    default:
      break;
  }
}

// A REG_SZ value of the driver key into a zeroed field of `bytes` bytes; the
// last character always stays a terminator.
bool ReadKeyText(Platform& platform, HKEY key, const wchar_t* name, WCHAR* field, DWORD bytes) {
  DWORD type = 0;
  DWORD size = bytes;
  const LSTATUS status = platform.RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(field), &size);
  field[bytes / sizeof(WCHAR) - 1] = 0;
  return status == static_cast<LSTATUS>(ERROR_SUCCESS) && type == REG_SZ;
}

bool DetailReadable(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device, SP_DRVINFO_DATA_W& driver,
                    SP_DRVINFO_DETAIL_DATA_W& detail) {
  detail = SP_DRVINFO_DETAIL_DATA_W{};
  detail.cbSize = sizeof detail;
  DWORD required = 0;
  // A detail record too small for the hardware ids still carries its fixed part.
  return platform.SetupDiGetDriverInfoDetailW(set, &device, &driver, &detail, sizeof detail, &required) ||
         platform.GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

// The version-1 record: without driver date and version.
SP_DRVINFO_DATA_W DriverRecord() {
  SP_DRVINFO_DATA_W driver{};
  driver.cbSize = sizeof(SP_DRVINFO_DATA_V1_W);
  return driver;
}

UINT QueueScanCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
  if (notification == SPFILENOTIFY_QUEUESCAN && param1 != 0)
    static_cast<std::vector<std::wstring>*>(context)->push_back(reinterpret_cast<const wchar_t*>(param1));
  return NO_ERROR;
}

}  // namespace

HDEVINFO OpenPresentInterfaceDevices(Platform& platform, const GUID& interfaceClass) {
  HDEVINFO set = platform.SetupDiCreateDeviceInfoList(nullptr, nullptr);
  if (set == INVALID_HANDLE_VALUE || set == nullptr) return INVALID_HANDLE_VALUE;
  HDEVINFO filled = platform.SetupDiGetClassDevsExW(&interfaceClass, nullptr, nullptr,
                                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, set, nullptr, nullptr);
  if (filled == INVALID_HANDLE_VALUE || filled == nullptr) {
    platform.SetupDiDestroyDeviceInfoList(set);
    return INVALID_HANDLE_VALUE;
  }
  return set;
}

std::optional<std::vector<std::wstring>> GetMultiStringProperty(Platform& platform, HDEVINFO set,
                                                                SP_DEVINFO_DATA& device, DWORD property) {
  DWORD ask = kFirstPropertyBytes;
  std::vector<BYTE> buffer;
  for (;;) {
    if (!AllocateZeroed(buffer, std::size_t{ask} + kPropertySlack)) return std::nullopt;
    DWORD type = 0;
    DWORD required = 0;
    if (platform.SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, buffer.data(), ask, &required)) {
      // Two zero characters after the data: it always ends in a double terminator.
      const std::size_t length = std::min<std::size_t>(required, ask);
      std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(length),
                buffer.begin() + static_cast<std::ptrdiff_t>(length + kPropertySlack), BYTE{0});
      return SplitMultiString(buffer, length + kPropertySlack);
    }
    // Grows only while the property says it needs more than was offered.
    if (platform.GetLastError() != ERROR_INSUFFICIENT_BUFFER || type != REG_MULTI_SZ) return std::nullopt;
    const DWORD next = required;
    if (next <= ask || next > kLargestProperty) return std::nullopt;
    ask = next;
  }
}

void AppendMultiString(const std::optional<std::vector<std::wstring>>& strings, std::vector<std::wstring>& list) {
  if (!strings) return;
  list.insert(list.end(), strings->begin(), strings->end());
}

void AppendResourcesOfType(Platform& platform, DEVINST instance, HMACHINE machine, LOG_CONF configuration,
                           RESOURCEID type, std::vector<std::wstring>& list) {
  (void)instance;
  RES_DES current = 0;
  RESOURCEID reported = 0;
  if (platform.CM_Get_Next_Res_Des_Ex(&current, configuration, type, &reported, 0, machine) != CR_SUCCESS) return;
  for (;;) {
    ULONG size = 0;
    if (platform.CM_Get_Res_Des_Data_Size_Ex(&size, current, 0, machine) == CR_SUCCESS && size > 0 &&
        size <= kLargestResourceData) {
      // A record whose memory cannot be had is left out like an unreadable one.
      RecordBytes data;
      if (AllocateZeroed(data, size) &&
          platform.CM_Get_Res_Des_Data_Ex(current, data.data(), size, 0, machine) == CR_SUCCESS)
        AppendResourceLine(reported, data, list);
    }
    RES_DES next = 0;
    const CONFIGRET more = platform.CM_Get_Next_Res_Des_Ex(&next, current, type, &reported, 0, machine);
    platform.CM_Free_Res_Des_Handle(current);
    if (more != CR_SUCCESS) return;
    current = next;
  }
}

bool AppendHardwareResources(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device,
                             std::vector<std::wstring>& list) {
  SP_DEVINFO_LIST_DETAIL_DATA_W detail{};
  detail.cbSize = sizeof detail;
  if (!platform.SetupDiGetDeviceInfoListDetailW(set, &detail)) return false;
  const HMACHINE machine = detail.RemoteMachineHandle;
  ULONG status = 0;
  ULONG problem = 0;
  if (platform.CM_Get_DevNode_Status_Ex(&status, &problem, device.DevInst, 0, machine) != CR_SUCCESS) return false;
  const bool hasProblem = (status & DN_HAS_PROBLEM) != 0;
  LOG_CONF configuration = 0;
  bool found = false;
  if (!hasProblem)
    found = platform.CM_Get_First_Log_Conf_Ex(&configuration, device.DevInst, ALLOC_LOG_CONF, machine) == CR_SUCCESS;
  if (!found)
    found = platform.CM_Get_First_Log_Conf_Ex(&configuration, device.DevInst, FORCED_LOG_CONF, machine) == CR_SUCCESS;
  if (!found) {
    // A device disabled in hardware holds no resources worth showing.
    if (hasProblem && problem == CM_PROB_HARDWARE_DISABLED) return true;
    found = platform.CM_Get_First_Log_Conf_Ex(&configuration, device.DevInst, BOOT_LOG_CONF, machine) == CR_SUCCESS;
    if (!found) return true;
  }
  for (RESOURCEID type : {ResType_Mem, ResType_IO, ResType_DMA, ResType_IRQ})
    AppendResourcesOfType(platform, device.DevInst, machine, configuration, type, list);
  platform.CM_Free_Log_Conf_Handle(configuration);
  return true;
}

bool AppendDriverNodes(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device, std::vector<std::wstring>& list) {
  SP_DEVINSTALL_PARAMS_W params{};
  params.cbSize = sizeof params;
  if (!platform.SetupDiGetDeviceInstallParamsW(set, &device, &params)) return false;
  params.FlagsEx |= DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
  if (!platform.SetupDiSetDeviceInstallParamsW(set, &device, &params)) return false;
  int listed = 0;
  if (platform.SetupDiBuildDriverInfoList(set, &device, SPDIT_COMPATDRIVER)) {
    for (DWORD index = 0;; ++index) {
      SP_DRVINFO_DATA_W driver = DriverRecord();
      if (!platform.SetupDiEnumDriverInfoW(set, &device, SPDIT_COMPATDRIVER, index, &driver)) break;
      list.push_back(FormatWide(L"DriverNode %u", static_cast<unsigned>(index)));
      SP_DRVINFO_DETAIL_DATA_W detail{};
      if (DetailReadable(platform, set, device, driver, detail)) {
        list.push_back(FormatWide(L"Inf file is %ls", FieldText(detail.InfFileName).c_str()));
        list.push_back(FormatWide(L"Inf section is %ls", FieldText(detail.SectionName).c_str()));
      }
      list.push_back(FormatWide(L"Driver description is %ls", FieldText(driver.Description).c_str()));
      list.push_back(FormatWide(L"Manufacturer name is %ls", FieldText(driver.MfgName).c_str()));
      list.push_back(FormatWide(L"Provider name is %ls", FieldText(driver.ProviderName).c_str()));
      SP_DRVINSTALL_PARAMS install{};
      install.cbSize = sizeof install;
      if (platform.SetupDiGetDriverInstallParamsW(set, &device, &driver, &install)) {
        list.push_back(FormatWide(L"Driver node rank is %u", static_cast<unsigned>(install.Rank)));
        list.push_back(FormatWide(L"Driver node flags are %08.8x", install.Flags));
        if ((install.Flags & DNF_OLD_INET_DRIVER) != 0) list.push_back(L"Inf came from the Internet");
        if ((install.Flags & DNF_BAD_DRIVER) != 0) list.push_back(L"Driver node is marked as BAD");
      }
      ++listed;
    }
    platform.SetupDiDestroyDriverInfoList(set, &device, SPDIT_COMPATDRIVER);
  }
  if (listed == 0) list.push_back(L"No DriverNodes found for device.");
  return listed > 0;
}

bool FindInstalledDriver(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device, SP_DRVINFO_DATA_W& driver) {
  SP_DEVINSTALL_PARAMS_W params{};
  params.cbSize = sizeof params;
  if (!platform.SetupDiGetDeviceInstallParamsW(set, &device, &params)) return false;
  HKEY key = platform.SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
  if (key == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE) || key == nullptr) return false;
  WCHAR provider[kDriverKeyTextBytes / sizeof(WCHAR)] = {};
  WCHAR section[kDriverKeyTextBytes / sizeof(WCHAR)] = {};
  WCHAR description[kDriverKeyTextBytes / sizeof(WCHAR)] = {};
  std::fill(std::begin(params.DriverPath), std::end(params.DriverPath), WCHAR{0});
  const bool infPath = ReadKeyText(platform, key, L"InfPath", params.DriverPath, kDriverKeyPathBytes);
  const bool providerName = ReadKeyText(platform, key, L"ProviderName", provider, sizeof provider);
  const bool infSection = ReadKeyText(platform, key, L"InfSection", section, sizeof section);
  const bool driverDesc = ReadKeyText(platform, key, L"DriverDesc", description, sizeof description);
  platform.RegCloseKey(key);
  if (!infPath || !providerName || !infSection || !driverDesc) return false;

  WCHAR manufacturer[kDriverKeyTextBytes / sizeof(WCHAR)] = {};
  DWORD type = 0;
  if (!platform.SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_MFG, &type, reinterpret_cast<BYTE*>(manufacturer),
                                                  sizeof manufacturer, nullptr))
    return false;
  manufacturer[std::size(manufacturer) - 1] = 0;

  // Only the INF named by "InfPath" is searched.
  params.Flags |= DI_ENUMSINGLEINF;
  params.FlagsEx |= DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
  if (!platform.SetupDiSetDeviceInstallParamsW(set, &device, &params)) return false;
  if (!platform.SetupDiBuildDriverInfoList(set, &device, SPDIT_CLASSDRIVER)) return false;
  for (DWORD index = 0;; ++index) {
    SP_DRVINFO_DATA_W candidate = DriverRecord();
    if (!platform.SetupDiEnumDriverInfoW(set, &device, SPDIT_CLASSDRIVER, index, &candidate)) break;
    if (FieldUnits(candidate.MfgName) != FieldUnits(manufacturer) ||
        FieldUnits(candidate.ProviderName) != FieldUnits(provider))
      continue;
    SP_DRVINFO_DETAIL_DATA_W detail{};
    if (!DetailReadable(platform, set, device, candidate, detail)) continue;
    if (FieldUnits(detail.SectionName) == FieldUnits(section) &&
        FieldUnits(detail.DrvDescription) == FieldUnits(description)) {
      driver = candidate;
      return true;
    }
  }
  platform.SetupDiDestroyDriverInfoList(set, &device, SPDIT_CLASSDRIVER);
  return false;
}

bool AppendDriverFiles(Platform& platform, HDEVINFO set, SP_DEVINFO_DATA& device, std::vector<std::wstring>& list) {
  SP_DRVINFO_DATA_W driver = DriverRecord();
  if (!FindInstalledDriver(platform, set, device, driver)) return false;
  bool result = false;
  HSPFILEQ queue = INVALID_HANDLE_VALUE;
  [&] {
    SP_DRVINFO_DETAIL_DATA_W detail{};
    if (!DetailReadable(platform, set, device, driver, detail)) return;
    if (detail.InfFileName[0] == 0 || detail.SectionName[0] == 0) return;
    if (!platform.SetupDiSetSelectedDriverW(set, &device, &driver)) return;
    queue = platform.SetupOpenFileQueue();
    if (queue == INVALID_HANDLE_VALUE || queue == nullptr) return;
    SP_DEVINSTALL_PARAMS_W params{};
    params.cbSize = sizeof params;
    if (!platform.SetupDiGetDeviceInstallParamsW(set, &device, &params)) return;
    // The class installer then only queues the driver's files, copying nothing.
    params.FileQueue = queue;
    params.Flags |= DI_NOVCP;
    if (!platform.SetupDiSetDeviceInstallParamsW(set, &device, &params)) return;
    if (!platform.SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, set, &device)) return;
    DWORD scanResult = 0;
    result = platform.SetupScanFileQueueW(queue, SPQ_SCAN_USE_CALLBACK, nullptr, QueueScanCallback, &list,
                                          &scanResult) != FALSE;
  }();
  platform.SetupDiDestroyDriverInfoList(set, &device, SPDIT_CLASSDRIVER);
  if (queue != INVALID_HANDLE_VALUE && queue != nullptr) platform.SetupCloseFileQueue(queue);
  return result;
}

void GatherDeviceManagerInfo(Platform& platform, const GUID& interfaceClass, DWORD index, DeviceManagerInfo& info) {
  HDEVINFO set = OpenPresentInterfaceDevices(platform, interfaceClass);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_LIST_DETAIL_DATA_W detail{};
  detail.cbSize = sizeof detail;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  if (platform.SetupDiGetDeviceInfoListDetailW(set, &detail) && platform.SetupDiEnumDeviceInfo(set, index, &device)) {
    auto hardwareIds = GetMultiStringProperty(platform, set, device, SPDRP_HARDWAREID);
    auto compatibleIds = GetMultiStringProperty(platform, set, device, SPDRP_COMPATIBLEIDS);
    AppendMultiString(hardwareIds, info.hardwareIds);
    AppendMultiString(compatibleIds, info.compatibleIds);
    AppendHardwareResources(platform, set, device, info.hardwareResources);
    AppendDriverNodes(platform, set, device, info.driverNodes);
    AppendDriverFiles(platform, set, device, info.driverFiles);
  }
  platform.SetupDiDestroyDeviceInfoList(set);
}
