#include "ui/text/markup_text.h"

#include <cstdio>

#include "platform/wide_text.h"

namespace {

bool IsNoncharacter(char32_t c) { return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE; }

// The code point that starts at text[i] and its length in bytes; the text is
// the well-formed UTF-8 that Utf8FromWide makes.
char32_t Decode(const std::string& text, std::size_t i, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[i]);
  length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (i + length > text.size()) length = text.size() - i;
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return c;
}

}  // namespace

std::string MarkupText(std::wstring_view text) {
  const std::string utf8 = VisibleUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t length = 1;
    const char32_t c = Decode(utf8, i, length);
    char escape[16];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        if (IsNoncharacter(c)) {
          std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
          out += escape;
        } else {
          out.append(utf8, i, length);
        }
    }
    i += length;
  }
  return out;
}

std::string IdFragment(std::wstring_view text, std::size_t limit) {
  std::string out;
  for (wchar_t c : text) {
    if (out.size() >= limit) break;
    if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) {
      out += static_cast<char>(c);
    } else if (c >= L'A' && c <= L'Z') {
      out += static_cast<char>(c - L'A' + L'a');
    } else if (!out.empty() && out.back() != '-') {
      out += '-';
    }
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}
