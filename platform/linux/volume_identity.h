// How the running system's volumes are named in the platform's terms: volume
// GUIDs, unique ids, serial numbers and file system flags.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace linuxsys {

// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", braces and case free; not known for
// anything else.
std::optional<GUID> ParseGuid(std::string_view text);

// A GUID that stays the same for the same identity text (name-based, with the
// version and variant bits of one).
GUID DeriveGuid(std::string_view identity);

// The low 32 bits of a filesystem UUID as the volume's serial number: the last
// eight hexadecimal digits ("ABCD-1234" gives 0xabcd1234). 0 when it has none.
DWORD SerialFromUuid(std::string_view uuid);

// The platform's unique ids of a basic disk's volume.
std::vector<BYTE> MbrUniqueId(DWORD signature, ULONGLONG offset);
std::vector<BYTE> GptUniqueId(const GUID& partitionId);
// Any other volume: its device path as text. Text ids begin with a backslash,
// so the path is written with the platform's separators ("\dev\dm-0").
std::vector<BYTE> TextUniqueId(std::string_view devicePath);

// Whether what a device holds is a filesystem at all, by its type and
// libblkid's usage word ("filesystem", "raid", "crypto", "other"; empty when
// not known). Swap, volume-manager members and encrypted containers are not.
bool IsFilesystem(std::string_view fsType, std::string_view usage);

// File system flags as the platform reports them, for a filesystem named as
// the kernel or the probe names it; none for what is no filesystem.
DWORD FileSystemFlags(std::string_view fsType, std::string_view usage, bool readOnly);

constexpr DWORD kFileCaseSensitiveSearch = 0x00000001;
constexpr DWORD kFileCasePreservedNames = 0x00000002;
constexpr DWORD kFileUnicodeOnDisk = 0x00000004;
constexpr DWORD kFilePersistentAcls = 0x00000008;
constexpr DWORD kFileSupportsSparseFiles = 0x00000040;
constexpr DWORD kFileSupportsReparsePoints = 0x00000080;
constexpr DWORD kFileReadOnlyVolume = 0x00080000;
constexpr DWORD kFileSupportsHardLinks = 0x00400000;

}  // namespace linuxsys
