// Present device interfaces of a class, opened one index at a time.
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/zeroed_buffer.h"
#include "platform/wide_text.h"
#include "scan/scan_steps.h"

const GUID kStoragePortInterfaceClass = {0x2ACCFE60, 0xC130, 0x11D2, {0xB0, 0x82, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

namespace {

// An interface path longer than this is not believed.
constexpr DWORD kLargestDetail = 64u << 10;

DWORD LastErrorOr(Platform& platform, DWORD fallback) {
  const DWORD code = platform.GetLastError();
  return code != 0 ? code : fallback;
}

// Reads the interface's device path in two calls: the first learns the size.
DWORD ReadInterfacePath(Platform& platform, HDEVINFO set, SP_DEVICE_INTERFACE_DATA& iface, std::wstring& path) {
  DWORD required = 0;
  if (platform.SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &required, nullptr)) return ERROR_INVALID_DATA;
  const DWORD code = platform.GetLastError();
  if (code != ERROR_INSUFFICIENT_BUFFER) return code != 0 ? code : ERROR_GEN_FAILURE;
  if (required < layout::kInterfaceDetailFixed + sizeof(WCHAR) || required > kLargestDetail) return ERROR_INVALID_DATA;
  // Eight-byte units keep the record aligned as the platform expects; the
  // record is written and read byte by byte, never through a cast pointer.
  std::vector<std::uint64_t> storage;
  if (!AllocateZeroed(storage, (required + 7) / 8)) return ERROR_NOT_ENOUGH_MEMORY;
  BYTE* bytes = reinterpret_cast<BYTE*>(storage.data());
  const DWORD cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  std::memcpy(bytes, &cbSize, sizeof cbSize);
  if (!platform.SetupDiGetDeviceInterfaceDetailW(set, &iface, reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(bytes),
                                                 required, nullptr, nullptr))
    return LastErrorOr(platform, ERROR_GEN_FAILURE);
  // The path ends at its terminator or where the record ends.
  const BYTE* units = bytes + layout::kInterfaceDetailFixed;
  const std::size_t room = (required - layout::kInterfaceDetailFixed) / sizeof(WCHAR);
  std::size_t length = 0;
  while (length < room && (units[2 * length] != 0 || units[2 * length + 1] != 0)) ++length;
  path = WideFromUtf16(units, length);
  return 0;
}

}  // namespace

DWORD OpenInterfaceDevice(ScanContext& scan, const GUID& interfaceClass, DWORD index, HANDLE& handle,
                          std::wstring& path) {
  Platform& platform = scan.platform;
  handle = INVALID_HANDLE_VALUE;
  HDEVINFO set = platform.SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  // Without the list, or without the interface at this index, no later index
  // can be reached either: the walk ends here rather than asking forever.
  if (set == INVALID_HANDLE_VALUE || set == nullptr) return ERROR_NO_MORE_ITEMS;
  SP_DEVICE_INTERFACE_DATA iface{};
  iface.cbSize = sizeof iface;
  DWORD result = 0;
  if (!platform.SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, &iface)) {
    result = ERROR_NO_MORE_ITEMS;
  } else {
    result = ReadInterfacePath(platform, set, iface, path);
  }
  if (result == 0) {
    scan.prompt.Diagnostic(FormatWide(L"Attempting to open %s\n", path.c_str()));
    handle = platform.CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      scan.prompt.Diagnostic(FormatWide(L"FAILED to open %s\n", path.c_str()));
      result = LastErrorOr(platform, ERROR_GEN_FAILURE);
    }
  }
  platform.SetupDiDestroyDeviceInfoList(set);
  return result;
}
