#include "platform/linux/volume_identity.h"

#include <array>
#include <cctype>

#include "platform/wide_text.h"

namespace linuxsys {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendLittle(std::vector<BYTE>& out, ULONGLONG value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

std::uint64_t Fnv1a(std::string_view text, std::uint64_t seed) {
  std::uint64_t h = seed;
  for (unsigned char c : text) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

// A final mix in which every input bit reaches every output bit: FNV alone
// leaves names that differ in their last letter ("sda1", "sda2") with GUIDs
// that differ in one or two digits.
std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  return h;
}

}  // namespace

std::optional<GUID> ParseGuid(std::string_view text) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return std::nullopt;
  std::array<BYTE, 16> b{};
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return std::nullopt;
      continue;
    }
    const int hi = HexDigit(text[i]);
    const int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (hi < 0 || lo < 0) return std::nullopt;
    b[n++] = static_cast<BYTE>(hi * 16 + lo);
    ++i;
  }
  if (n != 16) return std::nullopt;
  GUID g{};
  g.Data1 = (DWORD{b[0]} << 24) | (DWORD{b[1]} << 16) | (DWORD{b[2]} << 8) | b[3];
  g.Data2 = static_cast<WORD>((b[4] << 8) | b[5]);
  g.Data3 = static_cast<WORD>((b[6] << 8) | b[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = b[8 + i];
  return g;
}

GUID DeriveGuid(std::string_view identity) {
  const std::uint64_t first = Fnv1a(identity, 0xcbf29ce484222325ull);
  const std::uint64_t a = Mix(first);
  const std::uint64_t b = Mix(Fnv1a(identity, first ^ 0x9e3779b97f4a7c15ull));
  GUID g{};
  g.Data1 = static_cast<DWORD>(a >> 32);
  g.Data2 = static_cast<WORD>(a >> 16);
  g.Data3 = static_cast<WORD>((a & 0x0fff) | 0x5000);  // name-based
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<BYTE>(b >> (8 * (7 - i)));
  g.Data4[0] = static_cast<BYTE>((g.Data4[0] & 0x3f) | 0x80);
  return g;
}

DWORD SerialFromUuid(std::string_view uuid) {
  DWORD serial = 0;
  int digits = 0;
  for (auto it = uuid.rbegin(); it != uuid.rend() && digits < 8; ++it) {
    const int d = HexDigit(*it);
    if (d < 0) continue;
    serial |= static_cast<DWORD>(d) << (4 * digits);
    ++digits;
  }
  return serial;
}

std::vector<BYTE> MbrUniqueId(DWORD signature, ULONGLONG offset) {
  std::vector<BYTE> id;
  AppendLittle(id, signature, 4);
  AppendLittle(id, offset, 8);
  return id;
}

std::vector<BYTE> GptUniqueId(const GUID& partitionId) {
  std::vector<BYTE> id;
  for (char c : std::string_view("DMIO:ID:")) id.push_back(static_cast<BYTE>(c));
  AppendLittle(id, partitionId.Data1, 4);
  AppendLittle(id, partitionId.Data2, 2);
  AppendLittle(id, partitionId.Data3, 2);
  for (BYTE b : partitionId.Data4) id.push_back(b);
  return id;
}

std::vector<BYTE> TextUniqueId(std::string_view devicePath) {
  std::wstring text = WideFromUtf8(devicePath);
  for (wchar_t& c : text) {
    if (c == L'/') c = L'\\';
  }
  if (text.empty() || text.front() != L'\\') text.insert(text.begin(), L'\\');
  std::vector<BYTE> id;
  for (char16_t unit : Utf16FromWide(text)) AppendLittle(id, unit, 2);
  return id;
}

bool IsFilesystem(std::string_view fsType, std::string_view usage) {
  if (fsType.empty() || fsType == "fuseblk") return false;
  if (!usage.empty()) return usage == "filesystem";
  // Without the probe's word on it: what libblkid calls raid members, crypto
  // containers and swap hold no files.
  const auto endsWith = [fsType](std::string_view tail) {
    return fsType.size() >= tail.size() && fsType.substr(fsType.size() - tail.size()) == tail;
  };
  return fsType != "swap" && fsType != "crypto_LUKS" && fsType != "BitLocker" && !endsWith("_member");
}

DWORD FileSystemFlags(std::string_view fsType, std::string_view usage, bool readOnly) {
  DWORD flags = 0;
  if (!IsFilesystem(fsType, usage)) {
    flags = 0;
  } else if (fsType == "vfat" || fsType == "msdos" || fsType == "exfat") {
    flags = kFileCasePreservedNames | kFileUnicodeOnDisk;
  } else if (fsType == "ntfs" || fsType == "ntfs3") {
    flags = kFileCaseSensitiveSearch | kFileCasePreservedNames | kFileUnicodeOnDisk | kFilePersistentAcls |
            kFileSupportsSparseFiles | kFileSupportsReparsePoints | kFileSupportsHardLinks;
  } else if (fsType == "iso9660" || fsType == "udf") {
    flags = kFileCasePreservedNames | kFileUnicodeOnDisk | kFileReadOnlyVolume;
  } else {
    // The Unix filesystems: names are bytes, kept as given and told apart by case.
    flags = kFileCaseSensitiveSearch | kFileCasePreservedNames | kFileSupportsSparseFiles | kFileSupportsHardLinks;
  }
  if (readOnly) flags |= kFileReadOnlyVolume;
  return flags;
}

}  // namespace linuxsys
