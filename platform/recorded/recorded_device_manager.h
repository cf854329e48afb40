// Pieces shared by the files of the recorded device manager: the classes it
// describes, handle keys, and the UTF-16 forms its answers take.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/device_manager_records.h"
#include "platform/wide_text.h"

namespace recorded {

inline const GUID kStoragePortClass = {0x2ACCFE60, 0xC130, 0x11D2, {0xB0, 0x82, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
// The setup class of SCSI and RAID controllers.
inline const GUID kScsiAdapterSetupClass = {0x4D36E97B, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

inline bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline std::uintptr_t Key(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// UTF-16 with its terminator.
inline std::vector<BYTE> Utf16Z(const std::wstring& text) {
  std::vector<BYTE> out = Utf16LeBytes(text);
  out.insert(out.end(), {0, 0});
  return out;
}

// Each string with its terminator, then the empty string that ends the list.
inline std::vector<BYTE> MultiSz(const std::vector<std::wstring>& strings) {
  std::vector<BYTE> out;
  for (const std::wstring& s : strings) {
    const std::vector<BYTE> one = Utf16Z(s);
    out.insert(out.end(), one.begin(), one.end());
  }
  out.insert(out.end(), {0, 0});
  return out;
}

// Copies text into a fixed record field, cut to fit with its terminator.
template <std::size_t N>
void PutText(WCHAR (&field)[N], const std::wstring& text) {
  const std::u16string units = Utf16FromWide(text);
  const std::size_t n = std::min(units.size(), N - 1);
  std::copy_n(units.begin(), n, field);
  field[n] = 0;
}

}  // namespace recorded
