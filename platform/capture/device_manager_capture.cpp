// Capture of the storage-port interfaces and of what the device manager
// records about their devices: ids, resources, driver nodes, the driver key
// and the installed driver's files, asked the way the scan asks them.
#include <algorithm>

#include "platform/capture/capture_steps.h"
#include "platform/device_manager_records.h"
#include "platform/port_records.h"
#include "platform/wide_text.h"

namespace capture {
namespace {

const GUID kStoragePortClass = {0x2ACCFE60, 0xC130, 0x11D2, {0xB0, 0x82, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
constexpr DWORD kLargestProperty = 16u << 20;
constexpr ULONG kLargestResourceData = 64u << 10;
constexpr DWORD kLargestDetail = 64u << 10;
const wchar_t* const kDriverKeyValues[] = {L"InfPath", L"ProviderName", L"InfSection", L"DriverDesc"};

template <std::size_t N>
std::wstring FieldText(const WCHAR (&field)[N]) {
  return WideFromUtf16(field, static_cast<std::size_t>(std::find(field, field + N, WCHAR{0}) - field));
}

bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }

class DeviceManagerCapture {
 public:
  DeviceManagerCapture(Asker& asker, machine::Machine& m) : ask_(asker), p_(asker.platform()), m_(m) {}

  void Run() {
    CaptureInstances();
    CaptureInterfaces();
  }

 private:
  // The class's present devices, in the order the scan pairs them with the
  // interfaces: the n-th device is the n-th interface's.
  void CaptureInstances() {
    HDEVINFO set = p_.SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (!Valid(set)) return;
    HDEVINFO filled = p_.SetupDiGetClassDevsExW(&kStoragePortClass, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE, set, nullptr, nullptr);
    SP_DEVINFO_LIST_DETAIL_DATA_W detail{};
    detail.cbSize = sizeof detail;
    if (Valid(filled) && p_.SetupDiGetDeviceInfoListDetailW(set, &detail)) {
      for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!p_.SetupDiEnumDeviceInfo(set, index, &device)) break;
        machine::DeviceInstance instance;
        instance.id = "device" + std::to_string(index);
        CaptureInstance(set, device, detail.RemoteMachineHandle, instance);
        m_.deviceInstances.push_back(std::move(instance));
      }
    }
    p_.SetupDiDestroyDeviceInfoList(set);
  }

  void CaptureInstance(HDEVINFO set, SP_DEVINFO_DATA& device, HMACHINE machine, machine::DeviceInstance& d) {
    d.hardwareIds = MultiString(set, device, SPDRP_HARDWAREID);
    d.compatibleIds = MultiString(set, device, SPDRP_COMPATIBLEIDS);
    d.manufacturer = Text(set, device, SPDRP_MFG);
    ULONG status = 0, problem = 0;
    if (p_.CM_Get_DevNode_Status_Ex(&status, &problem, device.DevInst, 0, machine) == CR_SUCCESS) {
      d.status = status;
      d.problem = problem;
    } else {
      d.behaviour.fail["CM_Get_DevNode_Status_Ex"] = CR_FAILURE;
    }
    d.allocated = Resources(device.DevInst, machine, ALLOC_LOG_CONF);
    d.forced = Resources(device.DevInst, machine, FORCED_LOG_CONF);
    d.boot = Resources(device.DevInst, machine, BOOT_LOG_CONF);
    SP_DEVINSTALL_PARAMS_W params{};
    params.cbSize = sizeof params;
    if (!p_.SetupDiGetDeviceInstallParamsW(set, &device, &params)) return;
    params.FlagsEx |= DI_FLAGSEX_ALLOWEXCLUDEDDRVS;
    if (!p_.SetupDiSetDeviceInstallParamsW(set, &device, &params)) return;
    d.driverNodes = DriverNodes(set, device, SPDIT_COMPATDRIVER);
    CaptureDriverKey(set, device, d);
    if (!d.driverKey) return;
    // The class list of the installed INF alone, as the scan builds it to
    // find the installed driver.
    const auto infPath = d.driverKey->find(L"InfPath");
    if (infPath == d.driverKey->end()) return;
    const std::wstring path = WideFromUtf16(infPath->second.data.data(), infPath->second.data.size() / 2);
    std::fill(std::begin(params.DriverPath), std::end(params.DriverPath), WCHAR{0});
    const std::u16string units = Utf16FromWide(path.c_str());
    std::copy_n(units.begin(), std::min<std::size_t>(units.size(), MAX_PATH - 1), params.DriverPath);
    params.Flags |= DI_ENUMSINGLEINF;
    if (!p_.SetupDiSetDeviceInstallParamsW(set, &device, &params)) return;
    d.classDriverNodes = DriverNodes(set, device, SPDIT_CLASSDRIVER, &d);
  }

  std::optional<std::vector<BYTE>> Property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, DWORD& type) {
    DWORD required = 0;
    std::vector<BYTE> data(512, 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (p_.SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, data.data(),
                                               static_cast<DWORD>(data.size()), &required)) {
        data.resize(std::min<std::size_t>(required, data.size()));
        return data;
      }
      if (p_.GetLastError() != ERROR_INSUFFICIENT_BUFFER || required <= data.size() || required > kLargestProperty)
        return std::nullopt;
      data.assign(required, 0);
    }
    return std::nullopt;
  }

  std::optional<std::vector<std::wstring>> MultiString(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    DWORD type = 0;
    const auto data = Property(set, device, property, type);
    if (!data || type != REG_MULTI_SZ) return std::nullopt;
    std::vector<std::wstring> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < data->size(); i += 2) {
      if ((*data)[i] != 0 || (*data)[i + 1] != 0) continue;
      if (i == start) break;
      out.push_back(WideFromUtf16(data->data() + start, (i - start) / 2));
      start = i + 2;
    }
    return out;
  }

  std::optional<std::wstring> Text(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    DWORD type = 0;
    const auto data = Property(set, device, property, type);
    if (!data || type != REG_SZ) return std::nullopt;
    std::size_t units = data->size() / 2;
    while (units > 0 && (*data)[2 * units - 2] == 0 && (*data)[2 * units - 1] == 0) --units;
    return WideFromUtf16(data->data(), units);
  }

  std::optional<std::vector<machine::Resource>> Resources(DEVINST instance, HMACHINE machine, ULONG kind) {
    LOG_CONF configuration = 0;
    if (p_.CM_Get_First_Log_Conf_Ex(&configuration, instance, kind, machine) != CR_SUCCESS) return std::nullopt;
    std::vector<machine::Resource> out;
    for (RESOURCEID type : {ResType_Mem, ResType_IO, ResType_DMA, ResType_IRQ}) {
      RES_DES current = 0;
      RESOURCEID reported = 0;
      if (p_.CM_Get_Next_Res_Des_Ex(&current, configuration, type, &reported, 0, machine) != CR_SUCCESS) continue;
      for (;;) {
        ULONG size = 0;
        if (p_.CM_Get_Res_Des_Data_Size_Ex(&size, current, 0, machine) == CR_SUCCESS && size > 0 &&
            size <= kLargestResourceData) {
          std::vector<BYTE> data(size, 0);
          if (p_.CM_Get_Res_Des_Data_Ex(current, data.data(), size, 0, machine) == CR_SUCCESS) {
            const Answer a(std::move(data));
            machine::Resource r;
            r.type = reported;
            if (reported == ResType_Mem) {
              const auto x = a.ReadPadded<MEM_DES>(0);
              r.base = x.MD_Alloc_Base;
              r.end = x.MD_Alloc_End;
            } else if (reported == ResType_IO) {
              const auto x = a.ReadPadded<IO_DES>(0);
              r.base = x.IOD_Alloc_Base;
              r.end = x.IOD_Alloc_End;
            } else if (reported == ResType_DMA) {
              r.value = a.ReadPadded<DMA_DES>(0).DD_Alloc_Chan;
            } else if (reported == ResType_IRQ) {
              r.value = a.ReadPadded<IRQ_DES>(0).IRQD_Alloc_Num;
            }
            if (reported >= ResType_Mem && reported <= ResType_IRQ) out.push_back(r);
          }
        }
        RES_DES next = 0;
        const CONFIGRET more = p_.CM_Get_Next_Res_Des_Ex(&next, current, type, &reported, 0, machine);
        p_.CM_Free_Res_Des_Handle(current);
        if (more != CR_SUCCESS) break;
        current = next;
      }
    }
    p_.CM_Free_Log_Conf_Handle(configuration);
    return out;
  }

  // The nodes of one driver list; for the class list of the installed INF,
  // also the installed driver's files (`instance`).
  std::vector<machine::DriverNode> DriverNodes(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD type,
                                               machine::DeviceInstance* instance = nullptr) {
    std::vector<machine::DriverNode> nodes;
    if (!p_.SetupDiBuildDriverInfoList(set, &device, type)) return nodes;
    for (DWORD index = 0;; ++index) {
      SP_DRVINFO_DATA_W driver{};
      driver.cbSize = sizeof(SP_DRVINFO_DATA_V1_W);
      if (!p_.SetupDiEnumDriverInfoW(set, &device, type, index, &driver)) break;
      machine::DriverNode n;
      n.description = FieldText(driver.Description);
      n.manufacturer = FieldText(driver.MfgName);
      n.provider = FieldText(driver.ProviderName);
      SP_DRVINFO_DETAIL_DATA_W detail{};
      detail.cbSize = sizeof detail;
      DWORD required = 0;
      n.detailReadable = p_.SetupDiGetDriverInfoDetailW(set, &device, &driver, &detail, sizeof detail, &required) ||
                         p_.GetLastError() == ERROR_INSUFFICIENT_BUFFER;
      if (n.detailReadable) {
        n.infFile = FieldText(detail.InfFileName);
        n.section = FieldText(detail.SectionName);
      }
      SP_DRVINSTALL_PARAMS install{};
      install.cbSize = sizeof install;
      n.installParamsReadable = p_.SetupDiGetDriverInstallParamsW(set, &device, &driver, &install) != FALSE;
      if (n.installParamsReadable) {
        n.rank = install.Rank;
        n.flags = install.Flags;
      }
      if (instance != nullptr && instance->driverFiles.empty() && IsInstalled(*instance, n, detail))
        instance->driverFiles = DriverFiles(set, device, driver);
      nodes.push_back(std::move(n));
    }
    p_.SetupDiDestroyDriverInfoList(set, &device, type);
    return nodes;
  }

  static bool IsInstalled(const machine::DeviceInstance& d, const machine::DriverNode& n,
                          const SP_DRVINFO_DETAIL_DATA_W& detail) {
    if (!n.detailReadable || !d.manufacturer || n.manufacturer != *d.manufacturer) return false;
    auto value = [&d](const wchar_t* name) {
      const auto it = d.driverKey->find(name);
      if (it == d.driverKey->end()) return std::wstring();
      std::wstring text = WideFromUtf16(it->second.data.data(), it->second.data.size() / 2);
      return text.substr(0, text.find(L'\0'));
    };
    return n.provider == value(L"ProviderName") && n.section == value(L"InfSection") &&
           FieldText(detail.DrvDescription) == value(L"DriverDesc");
  }

  static UINT QueueScan(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR) {
    if (notification == SPFILENOTIFY_QUEUESCAN && param1 != 0)
      static_cast<std::vector<std::wstring>*>(context)->push_back(reinterpret_cast<const wchar_t*>(param1));
    return NO_ERROR;
  }

  std::vector<std::wstring> DriverFiles(HDEVINFO set, SP_DEVINFO_DATA& device, SP_DRVINFO_DATA_W& driver) {
    std::vector<std::wstring> files;
    if (!p_.SetupDiSetSelectedDriverW(set, &device, &driver)) return files;
    HSPFILEQ queue = p_.SetupOpenFileQueue();
    if (!Valid(queue)) return files;
    SP_DEVINSTALL_PARAMS_W params{};
    params.cbSize = sizeof params;
    if (p_.SetupDiGetDeviceInstallParamsW(set, &device, &params)) {
      // The class installer only queues the files; nothing is copied.
      params.FileQueue = queue;
      params.Flags |= DI_NOVCP;
      DWORD result = 0;
      if (p_.SetupDiSetDeviceInstallParamsW(set, &device, &params) &&
          p_.SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, set, &device))
        p_.SetupScanFileQueueW(queue, SPQ_SCAN_USE_CALLBACK, nullptr, QueueScan, &files, &result);
    }
    p_.SetupCloseFileQueue(queue);
    return files;
  }

  void CaptureDriverKey(HDEVINFO set, SP_DEVINFO_DATA& device, machine::DeviceInstance& d) {
    HKEY key = p_.SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    if (key == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE) || key == nullptr) return;
    d.driverKey.emplace();
    for (const wchar_t* name : kDriverKeyValues) {
      DWORD type = 0;
      DWORD size = 0;
      if (p_.RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size > kLargestProperty)
        continue;
      machine::RegistryValue v;
      v.type = type;
      v.data.assign(size, 0);
      if (p_.RegQueryValueExW(key, name, nullptr, &type, v.data.data(), &size) != ERROR_SUCCESS) continue;
      v.data.resize(std::min<std::size_t>(size, v.data.size()));
      (*d.driverKey)[name] = std::move(v);
    }
    p_.RegCloseKey(key);
  }

  void CaptureInterfaces() {
    HDEVINFO set = p_.SetupDiGetClassDevsW(&kStoragePortClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (!Valid(set)) return;
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA iface{};
      iface.cbSize = sizeof iface;
      if (!p_.SetupDiEnumDeviceInterfaces(set, nullptr, &kStoragePortClass, index, &iface)) break;
      machine::PortInterface pi;
      if (index < m_.deviceInstances.size()) pi.instance = m_.deviceInstances[index].id;
      if (!ReadPath(set, iface, pi)) {
        // Without its path it cannot be opened either; keep its place in the list.
        pi.path = FormatWide(L"\\\\?\\unreadable#%u", static_cast<unsigned>(index));
        m_.portInterfaces.push_back(std::move(pi));
        continue;
      }
      const HANDLE h = ask_.Open(pi.path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 pi.behaviour);
      if (h != INVALID_HANDLE_VALUE) {
        pi.port = PortAnswering(h, pi.behaviour);
        p_.CloseHandle(h);
      }
      m_.portInterfaces.push_back(std::move(pi));
    }
    p_.SetupDiDestroyDeviceInfoList(set);
  }

  bool ReadPath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& iface, machine::PortInterface& pi) {
    DWORD required = 0;
    if (p_.SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &required, nullptr) ||
        p_.GetLastError() != ERROR_INSUFFICIENT_BUFFER || required < layout::kInterfaceDetailFixed + sizeof(WCHAR) ||
        required > kLargestDetail) {
      pi.behaviour.fail["SetupDiGetDeviceInterfaceDetailW"] = ask_.LastError();
      return false;
    }
    std::vector<std::uint64_t> storage((required + 7) / 8, 0);
    BYTE* bytes = reinterpret_cast<BYTE*>(storage.data());
    const DWORD cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    std::memcpy(bytes, &cbSize, sizeof cbSize);
    if (!p_.SetupDiGetDeviceInterfaceDetailW(set, &iface, reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(bytes),
                                             required, nullptr, nullptr)) {
      pi.behaviour.fail["SetupDiGetDeviceInterfaceDetailW"] = ask_.LastError();
      return false;
    }
    const Answer a(std::vector<BYTE>(bytes, bytes + required));
    std::wstring path = a.Utf16(layout::kInterfaceDetailFixed, (required - layout::kInterfaceDetailFixed) / 2);
    pi.path = path.substr(0, path.find(L'\0'));
    return true;
  }

  // The port whose answers the opened interface gives: a described port that
  // answers alike, or else a port of its own that only this interface reaches.
  std::optional<BYTE> PortAnswering(HANDLE h, machine::Behaviour& behaviour) {
    machine::Port own;
    if (auto a = ask_.QueryProperty(h, StorageAdapterProperty, behaviour))
      own.descriptor = a->ReadPadded<STORAGE_ADAPTER_DESCRIPTOR>(0);
    if (auto a = ask_.Ask(h, IOCTL_SCSI_GET_CAPABILITIES, nullptr, 0, sizeof(IO_SCSI_CAPABILITIES), behaviour,
                          "IOCTL_SCSI_GET_CAPABILITIES"))
      own.capabilities = a->ReadPadded<IO_SCSI_CAPABILITIES>(0);
    if (auto a = ask_.Ask(h, IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, static_cast<DWORD>(layout::kInquiryBufferBytes),
                          behaviour, "IOCTL_SCSI_GET_INQUIRY_DATA"))
      own.buses = ReadBuses(*a);
    for (const machine::Port& port : m_.ports) {
      if (SameAnswers(port, own)) return port.number;
    }
    BYTE number = 254;
    while (number > 0 && m_.FindPort(number) != nullptr) --number;
    own.number = number;
    own.behaviour.fail["open"] = ERROR_FILE_NOT_FOUND;
    own.behaviour.fail["QueryDosDeviceW"] = ERROR_FILE_NOT_FOUND;
    m_.ports.push_back(std::move(own));
    return number;
  }

  static bool SameAnswers(const machine::Port& a, const machine::Port& b) {
    auto bytesOf = [](const auto& record) {
      const auto* p = reinterpret_cast<const BYTE*>(&record);
      return std::vector<BYTE>(p, p + sizeof record);
    };
    if (a.descriptor.has_value() != b.descriptor.has_value()) return false;
    if (a.descriptor && bytesOf(*a.descriptor) != bytesOf(*b.descriptor)) return false;
    if (bytesOf(a.capabilities) != bytesOf(b.capabilities) || a.buses.size() != b.buses.size()) return false;
    for (std::size_t i = 0; i < a.buses.size(); ++i) {
      const auto& x = a.buses[i].units;
      const auto& y = b.buses[i].units;
      if (a.buses[i].initiator != b.buses[i].initiator || x.size() != y.size()) return false;
      for (std::size_t u = 0; u < x.size(); ++u) {
        if (x[u].target != y[u].target || x[u].lun != y[u].lun || x[u].claimed != y[u].claimed ||
            x[u].inquiry != y[u].inquiry)
          return false;
      }
    }
    return true;
  }

  Asker& ask_;
  Platform& p_;
  machine::Machine& m_;
};

}  // namespace

void CaptureDeviceManager(Asker& asker, machine::Machine& m) { DeviceManagerCapture(asker, m).Run(); }

}  // namespace capture
