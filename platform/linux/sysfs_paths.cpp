#include "platform/linux/sysfs_paths.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace linuxsys {
namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// A run of decimal digits at `at`; false when there is none.
bool Digits(std::string_view s, std::size_t& at) {
  const std::size_t start = at;
  while (at < s.size() && IsDigit(s[at])) ++at;
  return at > start;
}

// "1" or "1.4.2": USB port numbers down the hubs.
bool PortChain(std::string_view s, std::size_t& at) {
  if (!Digits(s, at)) return false;
  while (at < s.size() && s[at] == '.') {
    ++at;
    if (!Digits(s, at)) return false;
  }
  return true;
}

}  // namespace

std::string NormalizePath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t end = path.find('/', at);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string out;
  for (std::string_view p : parts) {
    out.push_back('/');
    out.append(p.data(), p.size());
  }
  return out.empty() ? "/" : out;
}

std::string ResolveLink(const SystemFiles& files, const std::string& systemPath) {
  const auto target = files.LinkTarget(systemPath);
  if (!target || target->empty()) return NormalizePath(systemPath);
  if (target->front() == '/') return NormalizePath(*target);
  return NormalizePath(std::string(DirName(systemPath)) + "/" + *target);
}

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view DirName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsPciAddress(std::string_view name) {
  // dddd:bb:dd.f, the domain possibly longer than four digits.
  const std::size_t colon = name.find(':');
  if (colon == std::string_view::npos || colon < 4) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    if (!IsHex(name[i])) return false;
  }
  const std::string_view rest = name.substr(colon + 1);
  return rest.size() == 7 && IsHex(rest[0]) && IsHex(rest[1]) && rest[2] == ':' && IsHex(rest[3]) && IsHex(rest[4]) &&
         rest[5] == '.' && rest[6] >= '0' && rest[6] <= '7';
}

bool IsUsbInterface(std::string_view name) {
  std::size_t at = 0;
  if (!Digits(name, at) || at >= name.size() || name[at] != '-') return false;
  ++at;
  if (!PortChain(name, at) || at >= name.size() || name[at] != ':') return false;
  ++at;
  if (!Digits(name, at) || at >= name.size() || name[at] != '.') return false;
  ++at;
  return Digits(name, at) && at == name.size();
}

bool IsUsbDevice(std::string_view name) {
  if (NumberAfter(name, "usb")) return true;
  std::size_t at = 0;
  if (!Digits(name, at) || at >= name.size() || name[at] != '-') return false;
  ++at;
  return PortChain(name, at) && at == name.size();
}

std::optional<std::array<unsigned long, 4>> ParseScsiAddress(std::string_view name) {
  std::array<unsigned long, 4> out{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at >= name.size() || name[at] != ':') return std::nullopt;
      ++at;
    }
    const auto [ptr, ec] = std::from_chars(name.data() + at, name.data() + name.size(), out[i]);
    if (ec != std::errc() || ptr == name.data() + at) return std::nullopt;
    at = static_cast<std::size_t>(ptr - name.data());
  }
  if (at != name.size()) return std::nullopt;
  return out;
}

std::optional<unsigned long> NumberAfter(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return std::nullopt;
  unsigned long n = 0;
  const char* begin = name.data() + prefix.size();
  const char* end = name.data() + name.size();
  const auto [ptr, ec] = std::from_chars(begin, end, n);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return n;
}

}  // namespace linuxsys
