#include "ui/ansi_text.h"

#include <algorithm>

namespace {

// 0x80 to 0x9F; the five unassigned codes map to themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

wchar_t FromAnsi(BYTE b) {
  if (b >= 0x80 && b < 0xA0) return static_cast<wchar_t>(kHighControls[b - 0x80]);
  return static_cast<wchar_t>(b);
}

constexpr std::size_t kFixedFieldChars = 20;

}  // namespace

std::wstring WideFromAnsi(const BYTE* bytes, std::size_t count) {
  std::wstring text;
  text.reserve(count);
  for (std::size_t i = 0; i < count; ++i) text += FromAnsi(bytes[i]);
  return text;
}

std::wstring AnsiTextUpToNull(const BYTE* bytes, std::size_t count, std::size_t maxChars) {
  const std::size_t limit = std::min(count, maxChars);
  const std::size_t length = static_cast<std::size_t>(std::find(bytes, bytes + limit, BYTE{0}) - bytes);
  return WideFromAnsi(bytes, length);
}

std::wstring FixedFieldText(const BYTE* bytes, std::size_t count) {
  return AnsiTextUpToNull(bytes, count, kFixedFieldChars);
}
