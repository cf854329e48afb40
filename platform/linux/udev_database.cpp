#include "platform/linux/udev_database.h"

#include <cctype>

namespace linuxsys {

std::map<std::string, std::string> ReadUdevProperties(SystemFiles& files, unsigned major, unsigned minor) {
  std::map<std::string, std::string> properties;
  const auto text =
      files.ReadFile("/run/udev/data/b" + std::to_string(major) + ":" + std::to_string(minor), 256 * 1024);
  if (!text) return properties;
  std::size_t pos = 0;
  while (pos < text->size()) {
    std::size_t end = text->find('\n', pos);
    if (end == std::string::npos) end = text->size();
    const std::string_view line(text->data() + pos, end - pos);
    pos = end + 1;
    if (line.size() < 2 || line.substr(0, 2) != "E:") continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq <= 2) continue;
    properties[std::string(line.substr(2, eq - 2))] = std::string(line.substr(eq + 1));
  }
  return properties;
}

std::string DecodeUdevString(std::string_view text) {
  std::string out;
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hex(text[i + 2]) >= 0 &&
        hex(text[i + 3]) >= 0) {
      out.push_back(static_cast<char>(hex(text[i + 2]) * 16 + hex(text[i + 3])));
      i += 3;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace linuxsys
