// Building raw platform answers byte by byte for machine files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"

// Appends `value` as `size` little-endian bytes.
inline void PutLE(std::vector<BYTE>& bytes, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// Appends `text` as UTF-16LE without a terminator.
inline void PutUtf16(std::vector<BYTE>& bytes, const std::u16string& text) {
  for (char16_t c : text) PutLE(bytes, c, 2);
}

// "0a 1b 2c", as the "raw" maps of a machine file take it.
inline std::string HexText(const std::vector<BYTE>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (BYTE b : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}
