// Present device interfaces of a class, opened one index at a time.
#include "scan/quelbrin_doc.h"
#include "scan/scan_steps.h"

const GUID kStoragePortInterfaceClass = {0x2ACCFE60, 0xC130, 0x11D2, {0xB0, 0x82, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

DWORD OpenInterfaceDevice(CQuelbrinDoc& /*doc*/, const GUID& /*interfaceClass*/, DWORD /*index*/, HANDLE& handle,
                          std::wstring& /*path*/) {
  handle = INVALID_HANDLE_VALUE;
  return ERROR_NO_MORE_ITEMS;
}

void AttachPortDeviceManagerInfo(CQuelbrinDoc& /*doc*/, const GUID& /*interfaceClass*/, DWORD /*index*/,
                                 HANDLE /*port*/, const std::wstring& /*path*/) {}
