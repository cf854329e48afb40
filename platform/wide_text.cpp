#include "platform/wide_text.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// Rewrites the platform's conversions into the C library's: "%I64" becomes
// "%ll", and "%s" and "%c" without a length become "%ls" and "%lc", since the
// ISO wide printf (glibc's, and MinGW's) reads a narrow string for "%s".
// `narrow` tells whether the format is plain ASCII and takes numbers only, so
// that the narrow printf, several times quicker than the wide one, gives the
// same text.
template <class Text>
void TranslateFormat(const wchar_t* format, Text& out, bool& narrow) {
  narrow = true;
  for (const wchar_t* p = format; *p != 0;) {
    if (*p != L'%') {
      if (static_cast<unsigned long>(*p) >= 0x80) narrow = false;
      out += *p++;
      continue;
    }
    out += *p++;
    if (*p == L'%') {
      out += *p++;
      continue;
    }
    while (*p != 0 && std::wcschr(L"-+ #0123456789.*", *p) != nullptr) out += *p++;
    bool hasLength = false;
    if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
      out += L'l';
      out += L'l';
      p += 3;
      hasLength = true;
    }
    while (*p != 0 && std::wcschr(L"hlLqjzt", *p) != nullptr) {
      out += *p++;
      hasLength = true;
    }
    if (*p == 0) break;
    if (std::wcschr(L"diouxXeEfFgGaA", *p) == nullptr) narrow = false;
    if (!hasLength && (*p == L's' || *p == L'c')) out += L'l';
    out += *p++;
  }
}

// A translated format on the stack, for the narrow printf: most names are
// formatted from a short literal, and two allocations for each cost more than
// the printing. Full, it says so, and the wide path takes over.
class NarrowFormat {
 public:
  NarrowFormat& operator+=(wchar_t c) {
    if (length_ + 1 < sizeof text_) {
      text_[length_++] = static_cast<char>(c);
    } else {
      full_ = true;
    }
    return *this;
  }
  const char* c_str() {
    text_[length_] = 0;
    return text_;
  }
  bool full() const { return full_; }

 private:
  char text_[128];
  std::size_t length_ = 0;
  bool full_ = false;
};

// The names of a large machine's many nodes come from formats that take
// plain numbers only ("DP(%u)%I64x-%I64x"). Written here, they skip the C
// library's printf, which reads the format and its flags again on every call;
// anything else (flags, widths, texts) is left to it, with the arguments from
// the start, and this gives nothing.
bool FormatPlainly(const wchar_t* format, va_list args, wchar_t (&out)[256], std::size_t& length) {
  length = 0;
  for (const wchar_t* p = format; *p != 0; ++p) {
    if (*p != L'%' || *++p == L'%') {
      if (length == std::size(out)) return false;
      out[length++] = *p;
      continue;
    }
    const bool wide = p[0] == L'I' && p[1] == L'6' && p[2] == L'4';
    if (wide) p += 3;
    char digits[24];
    std::to_chars_result r{};
    if (*p == L'd') {
      r = wide ? std::to_chars(digits, std::end(digits), va_arg(args, long long))
               : std::to_chars(digits, std::end(digits), va_arg(args, int));
    } else if (*p == L'u' || *p == L'x') {
      const int base = *p == L'x' ? 16 : 10;
      r = wide ? std::to_chars(digits, std::end(digits), va_arg(args, unsigned long long), base)
               : std::to_chars(digits, std::end(digits), va_arg(args, unsigned), base);
    } else {
      return false;
    }
    const auto count = static_cast<std::size_t>(r.ptr - digits);
    if (std::size(out) - length < count) return false;
    length = std::copy(digits, r.ptr, out + length) - out;
  }
  return true;
}

}  // namespace

std::wstring FormatWide(const wchar_t* format, ...) {
  {
    wchar_t local[256];
    std::size_t length = 0;
    va_list args;
    va_start(args, format);
    const bool plain = FormatPlainly(format, args, local, length);
    va_end(args);
    if (plain) return std::wstring(local, length);
  }
  bool narrow = false;
  NarrowFormat narrowFormat;
  TranslateFormat(format, narrowFormat, narrow);
  if (narrow && !narrowFormat.full()) {
    char local[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(local, std::size(local), narrowFormat.c_str(), args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < std::size(local)) return std::wstring(local, local + n);
  }
  std::wstring translated;
  TranslateFormat(format, translated, narrow);
  // Most texts are short: a buffer on the stack saves an allocation and its
  // zeroing on every one of the many names a large machine brings.
  wchar_t local[256];
  {
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(local, std::size(local), translated.c_str(), args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < std::size(local)) return std::wstring(local, static_cast<std::size_t>(n));
  }
  std::vector<wchar_t> buffer(std::size(local) * 4);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(buffer.data(), buffer.size(), translated.c_str(), args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) return std::wstring(buffer.data(), static_cast<std::size_t>(n));
    if (buffer.size() > (1u << 24)) return std::wstring();
    buffer.resize(buffer.size() * 4);
  }
}

std::wstring WideFromUtf16(const void* bytes, std::size_t count) {
  const auto* b = static_cast<const unsigned char*>(bytes);
  auto unit = [b](std::size_t i) { return static_cast<char32_t>(b[2 * i] | (b[2 * i + 1] << 8)); };
  // Units up to the first high surrogate, which is as far as nearly every name
  // goes, are written one for one; the scan converts every name it reads.
  std::wstring out(count, L'\0');
  std::size_t i = 0;
  for (; i < count && (unit(i) < 0xD800 || unit(i) >= 0xDC00); ++i) out[i] = static_cast<wchar_t>(unit(i));
  if (i == count) return out;
  out.resize(i);
  for (; i < count; ++i) {
    char32_t c = unit(i);
    if constexpr (sizeof(wchar_t) >= 4) {
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
        const char32_t low = unit(i + 1);
        if (low >= 0xDC00 && low < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    out += static_cast<wchar_t>(c);
  }
  return out;
}

std::u16string Utf16FromWide(std::wstring_view text) {
  // Characters of the first plane, nearly every name, are written one for one.
  std::u16string out(text.size(), u'\0');
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const auto c = static_cast<char32_t>(text[i]);
    if (c >= 0x10000) break;
    out[i] = static_cast<char16_t>(c);
  }
  if (i == text.size()) return out;
  out.resize(i);
  for (const wchar_t wc : text.substr(i)) {
    const auto c = static_cast<char32_t>(wc);
    if (c >= 0x10000 && c <= 0x10FFFF) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else if (c > 0x10FFFF) {
      // Only a 32-bit wchar_t holds these, from raw answer bytes. Cut to 16
      // bits, 0x110005 would become a control character past VisibleText.
      out += u'\uFFFD';
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::vector<unsigned char> Utf16LeBytes(std::wstring_view text) {
  std::vector<unsigned char> out;
  const std::u16string units = Utf16FromWide(text);
  out.reserve(units.size() * 2);
  for (char16_t c : units) {
    out.push_back(static_cast<unsigned char>(c & 0xFF));
    out.push_back(static_cast<unsigned char>(c >> 8));
  }
  return out;
}

std::string Utf8FromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  // The code points of the UTF-16 that Utf16FromWide gives, without building
  // it: every name printed passes here.
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<char32_t>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && static_cast<char32_t>(text[i + 1]) >= 0xDC00 &&
        static_cast<char32_t>(text[i + 1]) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
      c = 0xFFFD;  // a lone surrogate has no UTF-8 form; past Unicode, see Utf16FromWide
    }
    if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring WideFromUtf8(std::string_view text) {
  // ASCII, as far as it goes, is written one for one: every name of a machine
  // file passes here.
  std::wstring out(text.size(), L'\0');
  std::size_t i = 0;
  for (; i < text.size() && static_cast<unsigned char>(text[i]) < 0x80; ++i) out[i] = static_cast<wchar_t>(text[i]);
  if (i == text.size()) return out;
  out.resize(i);
  for (; i < text.size();) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    char32_t c = 0xFFFD;
    std::size_t len = 1;
    if (b0 < 0x80) {
      c = b0;
    } else if ((b0 >> 5) == 0x6) {
      len = 2;
    } else if ((b0 >> 4) == 0xE) {
      len = 3;
    } else if ((b0 >> 3) == 0x1E) {
      len = 4;
    }
    if (len > 1) {
      if (i + len > text.size()) {
        len = 1;
      } else {
        c = b0 & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
          const auto b = static_cast<unsigned char>(text[i + k]);
          if ((b & 0xC0) != 0x80) {
            c = 0xFFFD;
            len = 1;
            break;
          }
          c = (c << 6) | (b & 0x3F);
        }
      }
    }
    i += len;
    if constexpr (sizeof(wchar_t) < 4) {
      if (c >= 0x10000) {
        out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        continue;
      }
    }
    out += static_cast<wchar_t>(c);
  }
  return out;
}

std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::wstring FormatGuid(const GUID& g) {
  return FormatWide(L"{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", static_cast<unsigned>(g.Data1),
                    static_cast<unsigned>(g.Data2), static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1],
                    g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
}

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

void AppendVisibleUtf8(std::string& out, std::wstring_view text) {
  // Printable ASCII is copied as it is: a large tree prints tens of thousands
  // of names that are nothing else.
  std::size_t ascii = 0;
  while (ascii < text.size() && static_cast<std::uint32_t>(text[ascii]) - 0x20u < 0x5Fu) ++ascii;
  const std::size_t at = out.size();
  out.resize(at + ascii);
  std::transform(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(ascii), out.begin() + static_cast<std::ptrdiff_t>(at),
                 [](wchar_t c) { return static_cast<char>(c); });
  if (ascii < text.size()) out += Utf8FromWide(VisibleText(text.substr(ascii)));
}

std::string VisibleUtf8(std::wstring_view text) {
  std::string out;
  AppendVisibleUtf8(out, text);
  return out;
}
