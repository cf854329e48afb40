// Records, handles and codes of the device installation functions, the
// configuration manager and the registry, as the device-manager text of an
// adapter reads them. Layouts are the 64-bit platform's.
#pragma once

#include "platform/win_types.h"

#ifdef _WIN32
#include <setupapi.h>
#include <cfgmgr32.h>
#include <cfg.h>
#else

#include <cstdint>

using PVOID = void*;
using PBYTE = BYTE*;
using PDWORD = DWORD*;
using PULONG = ULONG*;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using DWORDLONG = std::uint64_t;
using ULONG64 = std::uint64_t;
using LSTATUS = LONG;
using REGSAM = DWORD;
using DI_FUNCTION = UINT;

// Opaque handles: the platform hands them out and takes them back; the scan
// never looks inside.
struct HWND__;
using HWND = HWND__*;
struct HKEY__;
using HKEY = HKEY__*;
using HDEVINFO = void*;
using HSPFILEQ = void*;
using HMACHINE = HANDLE;
using LOG_CONF = DWORD_PTR;
using RES_DES = DWORD_PTR;
using DEVINST = DWORD;
using RESOURCEID = ULONG;
using CONFIGRET = DWORD;

using PSP_FILE_CALLBACK_W = UINT (*)(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

constexpr std::size_t MAX_PATH = 260;
constexpr std::size_t LINE_LEN = 256;
constexpr std::size_t SP_MAX_MACHINENAME_LENGTH = MAX_PATH + 3;

struct SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
};

struct SP_DEVICE_INTERFACE_DATA {
  DWORD cbSize;
  GUID InterfaceClassGuid;
  DWORD Flags;
  ULONG_PTR Reserved;
};

struct SP_DEVICE_INTERFACE_DETAIL_DATA_W {
  DWORD cbSize;
  WCHAR DevicePath[1];
};

struct SP_DEVINFO_LIST_DETAIL_DATA_W {
  DWORD cbSize;
  GUID ClassGuid;
  HANDLE RemoteMachineHandle;
  WCHAR RemoteMachineName[SP_MAX_MACHINENAME_LENGTH];
};

struct SP_DEVINSTALL_PARAMS_W {
  DWORD cbSize;
  DWORD Flags;
  DWORD FlagsEx;
  HWND hwndParent;
  PSP_FILE_CALLBACK_W InstallMsgHandler;
  PVOID InstallMsgHandlerContext;
  HSPFILEQ FileQueue;
  ULONG_PTR ClassInstallReserved;
  DWORD Reserved;
  WCHAR DriverPath[MAX_PATH];
};

struct SP_DRVINFO_DATA_V1_W {
  DWORD cbSize;
  DWORD DriverType;
  ULONG_PTR Reserved;
  WCHAR Description[LINE_LEN];
  WCHAR MfgName[LINE_LEN];
  WCHAR ProviderName[LINE_LEN];
};

struct SP_DRVINFO_DATA_V2_W {
  DWORD cbSize;
  DWORD DriverType;
  ULONG_PTR Reserved;
  WCHAR Description[LINE_LEN];
  WCHAR MfgName[LINE_LEN];
  WCHAR ProviderName[LINE_LEN];
  FILETIME DriverDate;
  DWORDLONG DriverVersion;
};
using SP_DRVINFO_DATA_W = SP_DRVINFO_DATA_V2_W;

struct SP_DRVINFO_DETAIL_DATA_W {
  DWORD cbSize;
  FILETIME InfDate;
  DWORD CompatIDsOffset;
  DWORD CompatIDsLength;
  ULONG_PTR Reserved;
  WCHAR SectionName[LINE_LEN];
  WCHAR InfFileName[MAX_PATH];
  WCHAR DrvDescription[LINE_LEN];
  WCHAR HardwareID[1];
};

struct SP_DRVINSTALL_PARAMS {
  DWORD cbSize;
  DWORD Rank;
  DWORD Flags;
  DWORD_PTR PrivateData;
  DWORD Reserved;
};

// The configuration manager packs its resource records to single bytes.
#pragma pack(push, 1)
struct MEM_DES {
  DWORD MD_Count;
  DWORD MD_Type;
  DWORDLONG MD_Alloc_Base;
  DWORDLONG MD_Alloc_End;
  DWORD MD_Flags;
  DWORD MD_Reserved;
};

struct IO_DES {
  DWORD IOD_Count;
  DWORD IOD_Type;
  DWORDLONG IOD_Alloc_Base;
  DWORDLONG IOD_Alloc_End;
  DWORD IOD_DesFlags;
};

struct DMA_DES {
  DWORD DD_Count;
  DWORD DD_Type;
  DWORD DD_Flags;
  ULONG DD_Alloc_Chan;
};

struct IRQ_DES {
  DWORD IRQD_Count;
  DWORD IRQD_Type;
  DWORD IRQD_Flags;
  ULONG IRQD_Alloc_Num;
  ULONG64 IRQD_Affinity;
};
#pragma pack(pop)

// Device installation.
constexpr DWORD DIGCF_PRESENT = 0x2;
constexpr DWORD DIGCF_DEVICEINTERFACE = 0x10;
constexpr DWORD SPDRP_HARDWAREID = 0x1;
constexpr DWORD SPDRP_COMPATIBLEIDS = 0x2;
constexpr DWORD SPDRP_MFG = 0xB;
constexpr DWORD SPDIT_CLASSDRIVER = 0x1;
constexpr DWORD SPDIT_COMPATDRIVER = 0x2;
constexpr DWORD DI_NOVCP = 0x8;
constexpr DWORD DI_ENUMSINGLEINF = 0x10000;
constexpr DWORD DI_FLAGSEX_ALLOWEXCLUDEDDRVS = 0x800;
constexpr DI_FUNCTION DIF_INSTALLDEVICEFILES = 0x15;
constexpr DWORD DNF_OLD_INET_DRIVER = 0x400;
constexpr DWORD DNF_BAD_DRIVER = 0x800;
constexpr DWORD DICS_FLAG_GLOBAL = 0x1;
constexpr DWORD DIREG_DRV = 0x2;
constexpr DWORD SPQ_SCAN_USE_CALLBACK = 0x4;
constexpr UINT SPFILENOTIFY_QUEUESCAN = 0xF;
constexpr DWORD SPINT_ACTIVE = 0x1;

// Errors of the device installation functions.
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_INVALID_USER_BUFFER = 1784;
constexpr DWORD ERROR_INVALID_FLAGS = 1004;
constexpr DWORD ERROR_NO_DRIVER_SELECTED = 0xE0000203;
constexpr DWORD ERROR_INVALID_REG_PROPERTY = 0xE0000209;
constexpr DWORD ERROR_NO_SUCH_DEVINST = 0xE000020B;
constexpr DWORD ERROR_NO_ASSOCIATED_SERVICE = 0xE0000219;
constexpr DWORD ERROR_KEY_DOES_NOT_EXIST = 0xE0000204;
constexpr DWORD ERROR_DI_DO_DEFAULT = 0xE000020E;

// Configuration manager.
constexpr RESOURCEID ResType_All = 0;
constexpr RESOURCEID ResType_Mem = 1;
constexpr RESOURCEID ResType_IO = 2;
constexpr RESOURCEID ResType_DMA = 3;
constexpr RESOURCEID ResType_IRQ = 4;
constexpr ULONG ALLOC_LOG_CONF = 2;
constexpr ULONG BOOT_LOG_CONF = 3;
constexpr ULONG FORCED_LOG_CONF = 4;
constexpr ULONG DN_HAS_PROBLEM = 0x400;
constexpr ULONG CM_PROB_HARDWARE_DISABLED = 0x1D;
constexpr CONFIGRET CR_SUCCESS = 0x0;
constexpr CONFIGRET CR_INVALID_POINTER = 0x3;
constexpr CONFIGRET CR_INVALID_DEVNODE = 0x5;
constexpr CONFIGRET CR_INVALID_RES_DES = 0x6;
constexpr CONFIGRET CR_INVALID_LOG_CONF = 0x7;
constexpr CONFIGRET CR_NO_MORE_LOG_CONF = 0xE;
constexpr CONFIGRET CR_NO_MORE_RES_DES = 0xF;
constexpr CONFIGRET CR_FAILURE = 0x13;
constexpr CONFIGRET CR_BUFFER_SMALL = 0x1A;

// Registry.
constexpr REGSAM KEY_READ = 0x20019;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_MULTI_SZ = 7;

#endif

#include <cstddef>

namespace layout {
// The fixed part of a driver detail record, which a short buffer still receives.
constexpr std::size_t kDriverDetailFixed = offsetof(SP_DRVINFO_DETAIL_DATA_W, HardwareID);
constexpr std::size_t kInterfaceDetailFixed = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
}  // namespace layout

static_assert(sizeof(void*) == 8, "the device-manager records are laid out for 64-bit programs");
static_assert(sizeof(SP_DEVINFO_DATA) == 32);
static_assert(offsetof(SP_DEVINFO_DATA, DevInst) == 20);
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 32);
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) == 8);
static_assert(layout::kInterfaceDetailFixed == 4);
static_assert(sizeof(SP_DEVINFO_LIST_DETAIL_DATA_W) == 560);
static_assert(offsetof(SP_DEVINFO_LIST_DETAIL_DATA_W, RemoteMachineHandle) == 24);
static_assert(sizeof(SP_DEVINSTALL_PARAMS_W) == 584);
static_assert(offsetof(SP_DEVINSTALL_PARAMS_W, FileQueue) == 40);
static_assert(offsetof(SP_DEVINSTALL_PARAMS_W, DriverPath) == 60);
static_assert(sizeof(SP_DRVINFO_DATA_V1_W) == 1552);
static_assert(offsetof(SP_DRVINFO_DATA_V1_W, Description) == 16);
static_assert(offsetof(SP_DRVINFO_DATA_V1_W, MfgName) == 528);
static_assert(offsetof(SP_DRVINFO_DATA_V1_W, ProviderName) == 1040);
static_assert(sizeof(SP_DRVINFO_DATA_V2_W) == 1568);
static_assert(offsetof(SP_DRVINFO_DETAIL_DATA_W, SectionName) == 32);
static_assert(offsetof(SP_DRVINFO_DETAIL_DATA_W, InfFileName) == 544);
static_assert(offsetof(SP_DRVINFO_DETAIL_DATA_W, DrvDescription) == 1064);
static_assert(layout::kDriverDetailFixed == 1576);
static_assert(sizeof(SP_DRVINFO_DETAIL_DATA_W) == 1584);
static_assert(sizeof(SP_DRVINSTALL_PARAMS) == 32);
static_assert(offsetof(SP_DRVINSTALL_PARAMS, PrivateData) == 16);
static_assert(sizeof(MEM_DES) == 32);
static_assert(offsetof(MEM_DES, MD_Alloc_Base) == 8);
static_assert(offsetof(MEM_DES, MD_Alloc_End) == 16);
static_assert(sizeof(IO_DES) == 28);
static_assert(offsetof(IO_DES, IOD_Alloc_End) == 16);
static_assert(sizeof(DMA_DES) == 16);
static_assert(offsetof(DMA_DES, DD_Alloc_Chan) == 12);
static_assert(sizeof(IRQ_DES) == 24);
static_assert(offsetof(IRQ_DES, IRQD_Alloc_Num) == 12);
