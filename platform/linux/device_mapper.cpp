#include "platform/linux/device_mapper.h"

#include <linux/dm-ioctl.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>

#include <charconv>
#include <cstring>
#include <algorithm>
#include <sstream>
#include <string_view>

namespace linuxsys {
namespace {

bool Number(const std::string& text, std::uint64_t& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// Sector counts of a table, as bytes; false when they cannot be held.
bool SectorBytes(const std::string& text, std::uint64_t& bytes) {
  std::uint64_t sectors = 0;
  if (!Number(text, sectors) || sectors > UINT64_MAX / 512) return false;
  bytes = sectors * 512;
  return true;
}

}  // namespace

std::optional<std::vector<DmSegment>> ParseDmTable(const std::string& text) {
  std::vector<DmSegment> segments;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    if (w.size() < 3) return std::nullopt;
    std::uint64_t length = 0;
    std::uint64_t start = 0;
    if (!SectorBytes(w[0], start) || !SectorBytes(w[1], length)) return std::nullopt;
    const std::string& target = w[2];
    if (target == "linear") {
      DmSegment s;
      if (w.size() != 5 || !SectorBytes(w[4], s.offsetBytes)) return std::nullopt;
      s.startBytes = start;
      s.device = w[3];
      s.lengthBytes = length;
      segments.push_back(s);
    } else if (target == "striped") {
      // striped <stripes> <chunk> (<device> <offset>)*
      std::uint64_t stripes = 0;
      if (w.size() < 5 || !Number(w[3], stripes) || stripes == 0 || stripes > 1024 || w.size() != 5 + 2 * stripes)
        return std::nullopt;
      for (std::uint64_t i = 0; i < stripes; ++i) {
        DmSegment s;
        if (!SectorBytes(w[6 + 2 * i], s.offsetBytes)) return std::nullopt;
        s.startBytes = start;
        s.device = w[5 + 2 * i];
        s.lengthBytes = length / stripes;
        segments.push_back(s);
      }
    } else if (target == "crypt") {
      // crypt <cipher> <key> <iv offset> <device> <offset> [<#options> <option>...]
      DmSegment s;
      if (w.size() < 8 || !SectorBytes(w[7], s.offsetBytes)) return std::nullopt;
      s.startBytes = start;
      s.device = w[6];
      s.lengthBytes = length;
      segments.push_back(s);
    } else {
      return std::nullopt;
    }
  }
  return segments;
}

std::optional<std::string> ReadDmTableFromKernel(SystemFiles& files, unsigned major, unsigned minor) {
  FileDescriptor control = files.OpenDevice("/dev/mapper/control");
  if (!control.valid()) return std::nullopt;
  std::size_t size = 16 * 1024;
  for (int attempt = 0; attempt < 6; ++attempt, size *= 4) {
    std::vector<char> buffer(size, 0);
    // Some targets carry secrets in their tables; leave none behind.
    struct Wipe {
      std::vector<char>& bytes;
      ~Wipe() { explicit_bzero(bytes.data(), bytes.size()); }
    } wipe{buffer};
    auto* io = reinterpret_cast<dm_ioctl*>(buffer.data());
    io->version[0] = DM_VERSION_MAJOR;
    io->version[1] = 0;
    io->version[2] = 0;
    io->data_size = static_cast<std::uint32_t>(size);
    io->data_start = sizeof(dm_ioctl);
    io->flags = DM_STATUS_TABLE_FLAG;
    io->dev = makedev(major, minor);
    // A status query: it reads the table and changes nothing.
    if (::ioctl(control.get(), DM_TABLE_STATUS, io) != 0) return std::nullopt;
    if ((io->flags & DM_BUFFER_FULL_FLAG) != 0) continue;
    const std::size_t used = io->data_size < size ? io->data_size : size;
    std::size_t at = io->data_start;
    std::string table;
    for (std::uint32_t i = 0; i < io->target_count; ++i) {
      if (at > used || used - at < sizeof(dm_target_spec)) return std::nullopt;
      dm_target_spec entry{};
      std::memcpy(&entry, buffer.data() + at, sizeof entry);
      const char* params = buffer.data() + at + sizeof entry;
      const std::size_t room = used - at - sizeof entry;
      const std::string type(entry.target_type, strnlen(entry.target_type, sizeof entry.target_type));
      table += std::to_string(entry.sector_start) + " " + std::to_string(entry.length) + " " + type;
      // Only the targets that place data on devices are copied out, and of
      // an encrypted one neither cipher nor key.
      const std::string_view text(params, strnlen(params, room));
      if (type == "linear" || type == "striped") {
        table += " ";
        table += text;
      } else if (type == "crypt") {
        // Words are read in place, in the buffer that is wiped.
        std::vector<std::string_view> words;
        for (std::size_t from = 0; from < text.size() && words.size() < 5;) {
          const std::size_t begin = text.find_first_not_of(' ', from);
          if (begin == std::string_view::npos) break;
          const std::size_t end = std::min(text.find(' ', begin), text.size());
          words.push_back(text.substr(begin, end - begin));
          from = end;
        }
        if (words.size() == 5) {
          table += " - - ";
          table += words[2];
          table += " ";
          table += words[3];
          table += " ";
          table += words[4];
        }
      }
      table += "\n";
      const std::size_t next = io->data_start + std::size_t{entry.next};
      if (next <= at) break;  // the last one, or a broken chain
      at = next;
    }
    return table;
  }
  return std::nullopt;
}

}  // namespace linuxsys
