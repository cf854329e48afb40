#include "platform/linux/scsi_inquiry.h"

#include <algorithm>
#include <cctype>

namespace linuxsys {
namespace {

constexpr BYTE kSerialPage = 0x80;
constexpr BYTE kIdentificationPage = 0x83;
constexpr std::size_t kPageHeader = 4;
constexpr std::size_t kDescriptorHeader = 4;

std::size_t PageEnd(std::string_view page) {
  const std::size_t declared = (static_cast<std::size_t>(static_cast<BYTE>(page[2])) << 8) | static_cast<BYTE>(page[3]);
  return std::min(page.size(), kPageHeader + declared);
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<BYTE> StandardInquiry(const InquiryFields& f) {
  std::vector<BYTE> b(36, 0);
  b[0] = f.deviceType & 0x1F;
  b[1] = f.removable ? 0x80 : 0;
  b[2] = f.version;
  b[3] = 2;  // response data format
  b[4] = static_cast<BYTE>(b.size() - 5);
  b[7] = f.commandQueueing ? 0x02 : 0;
  auto put = [&b](std::size_t at, std::size_t width, const std::string& text) {
    const std::string shown = Printable(text);
    for (std::size_t i = 0; i < width; ++i) b[at + i] = i < shown.size() ? static_cast<BYTE>(shown[i]) : ' ';
  };
  put(8, 8, f.vendor);
  put(16, 16, f.product);
  put(32, 4, f.revision);
  return b;
}

std::string InquiryText(const std::vector<BYTE>& inquiry, std::size_t at, std::size_t width) {
  if (at >= inquiry.size()) return {};
  const std::size_t end = std::min(inquiry.size(), at + width);
  return Printable(std::string_view(reinterpret_cast<const char*>(inquiry.data()) + at, end - at));
}

std::string Printable(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
  }
  return out;
}

std::vector<machine::Identifier> ParseIdentificationPage(std::string_view page) {
  std::vector<machine::Identifier> out;
  if (page.size() < kPageHeader || static_cast<BYTE>(page[1]) != kIdentificationPage) return out;
  const std::size_t end = PageEnd(page);
  std::size_t at = kPageHeader;
  while (at + kDescriptorHeader <= end) {
    const BYTE codeSet = static_cast<BYTE>(page[at]) & 0x0F;
    const BYTE flags = static_cast<BYTE>(page[at + 1]);
    const std::size_t length = static_cast<BYTE>(page[at + 3]);
    if (length > end - at - kDescriptorHeader) break;
    machine::Identifier id;
    id.codeSet = static_cast<STORAGE_IDENTIFIER_CODE_SET>(codeSet);
    id.type = static_cast<STORAGE_IDENTIFIER_TYPE>(flags & 0x0F);
    id.association = static_cast<STORAGE_ASSOCIATION_TYPE>((flags >> 4) & 0x03);
    const auto* first = reinterpret_cast<const BYTE*>(page.data()) + at + kDescriptorHeader;
    id.bytes.assign(first, first + length);
    out.push_back(std::move(id));
    at += kDescriptorHeader + length;
  }
  return out;
}

std::optional<std::string> ParseSerialPage(std::string_view page) {
  if (page.size() < kPageHeader || static_cast<BYTE>(page[1]) != kSerialPage) return std::nullopt;
  const std::string_view serial = Trim(page.substr(kPageHeader, PageEnd(page) - kPageHeader));
  if (serial.empty()) return std::nullopt;
  return Printable(serial);
}

std::string NvmeRevision(std::string_view firmware) {
  std::string kept;
  for (char c : firmware) {
    if (c != ' ' && c != '\0') kept.push_back(c);
  }
  return kept.size() <= 4 ? kept : kept.substr(kept.size() - 4);
}

std::optional<std::vector<BYTE>> HexDigits(std::string_view text) {
  std::vector<BYTE> out;
  int high = -1;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == ':') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<BYTE>(high * 16 + v));
      high = -1;
    }
  }
  if (high >= 0 || out.empty()) return std::nullopt;
  return out;
}

}  // namespace linuxsys
