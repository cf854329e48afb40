#include "ui/text/visible_text.h"

#include <algorithm>
#include <cstdint>

namespace {

// Unsigned: where wchar_t is a signed 32-bit type, a raw answer can hold a
// negative unit, which is no control character and must not index kHex.
bool IsControl(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

}  // namespace

std::wstring VisibleText(std::wstring_view text) {
  if (std::none_of(text.begin(), text.end(), IsControl)) return std::wstring(text);
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring out;
  out.reserve(text.size() + 8);
  for (wchar_t c : text) {
    if (IsControl(c)) {
      const auto code = static_cast<unsigned>(c);
      out += L"\\x";
      out += kHex[code >> 4];
      out += kHex[code & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}
