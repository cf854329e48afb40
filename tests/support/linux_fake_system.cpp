#include "tests/support/linux_fake_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fake {
namespace {

namespace fs = std::filesystem;

void PutLe(Bytes& b, std::size_t at, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutGuid(Bytes& b, std::size_t at, const GUID& g) {
  PutLe(b, at, g.Data1, 4);
  PutLe(b, at + 4, g.Data2, 2);
  PutLe(b, at + 6, g.Data3, 2);
  std::memcpy(b.data() + at + 8, g.Data4, 8);
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

int Hex(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

}  // namespace

FakeSystem::FakeSystem(const std::string& name) {
  char pattern[] = "/tmp/quelbrin-linux-XXXXXX";
  const char* dir = ::mkdtemp(pattern);
  if (dir == nullptr) throw std::runtime_error("cannot make a temporary directory");
  root_ = dir;
  fs::copy(fs::path(QUELBRIN_SOURCE_DIR) / "tests" / "linux_trees" / name, root_,
           fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

FakeSystem::~FakeSystem() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void FakeSystem::WriteImage(const std::string& device, std::uint64_t size, const Writes& writes) const {
  const std::string path = root_ + "/dev/" + device;
  fs::create_directories(fs::path(path).parent_path());
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot write " + path);
  bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
  for (const auto& [offset, bytes] : writes)
    ok = ok && ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) == static_cast<ssize_t>(bytes.size());
  ::close(fd);
  if (!ok) throw std::runtime_error("cannot write " + path);
}

void FakeSystem::Write(const std::string& path, const std::string& text, bool append) const {
  const fs::path file = root_ + path;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, append ? std::ios::app : std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

void FakeSystem::Link(const std::string& path, const std::string& target) const {
  const fs::path link = root_ + path;
  fs::create_directories(link.parent_path());
  fs::create_symlink(target, link);
}

void FakeSystem::Remove(const std::string& path) const { fs::remove(root_ + path); }

Bytes BootRecord(std::uint32_t signature, const std::vector<MbrEntry>& entries) {
  Bytes b(512, 0);
  PutLe(b, 440, signature, 4);
  for (std::size_t i = 0; i < entries.size() && i < 4; ++i) {
    const std::size_t at = 446 + 16 * i;
    b[at] = entries[i].boot ? 0x80 : 0;
    b[at + 1] = 0xFE;
    b[at + 2] = 0xFF;
    b[at + 3] = 0xFF;
    b[at + 4] = entries[i].type;
    b[at + 5] = 0xFE;
    b[at + 6] = 0xFF;
    b[at + 7] = 0xFF;
    PutLe(b, at + 8, entries[i].start, 4);
    PutLe(b, at + 12, entries[i].sectors, 4);
  }
  b[510] = 0x55;
  b[511] = 0xAA;
  return b;
}

Writes GptDisk(const GUID& diskId, std::uint64_t sectors, const std::vector<GptEntry>& entries) {
  Bytes table(128 * 128, 0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t at = i * 128;
    PutGuid(table, at, entries[i].type);
    PutGuid(table, at + 16, entries[i].id);
    PutLe(table, at + 32, entries[i].firstLba, 8);
    PutLe(table, at + 40, entries[i].lastLba, 8);
    PutLe(table, at + 48, entries[i].attributes, 8);
    for (std::size_t c = 0; c < entries[i].name.size() && c < 36; ++c) PutLe(table, at + 56 + 2 * c, entries[i].name[c], 2);
  }
  Bytes header(512, 0);
  std::memcpy(header.data(), "EFI PART", 8);
  PutLe(header, 8, 0x00010000, 4);
  PutLe(header, 12, 92, 4);
  PutLe(header, 24, 1, 8);
  PutLe(header, 32, sectors - 1, 8);
  PutLe(header, 40, 34, 8);
  PutLe(header, 48, sectors - 34, 8);
  PutGuid(header, 56, diskId);
  PutLe(header, 72, 2, 8);
  PutLe(header, 80, 128, 4);
  PutLe(header, 84, 128, 4);
  PutLe(header, 88, Crc32(table.data(), table.size()), 4);
  PutLe(header, 16, Crc32(header.data(), 92), 4);
  const std::uint64_t protective = sectors - 1 > 0xFFFFFFFFull ? 0xFFFFFFFFull : sectors - 1;
  Bytes mbr = BootRecord(0, {MbrEntry{false, 0xEE, 1, static_cast<std::uint32_t>(protective)}});
  return {{0, mbr}, {512, header}, {1024, table}};
}

Writes ExtSuperblock(const std::string& label, const Bytes& uuid) {
  Bytes sb(1024, 0);
  PutLe(sb, 0x00, 1024, 4);    // inodes
  PutLe(sb, 0x04, 65536, 4);   // blocks
  PutLe(sb, 0x14, 1, 4);       // first data block
  PutLe(sb, 0x20, 8192, 4);    // blocks per group
  PutLe(sb, 0x28, 1024, 4);    // inodes per group
  PutLe(sb, 0x38, 0xEF53, 2);  // magic
  PutLe(sb, 0x3A, 1, 2);       // clean
  PutLe(sb, 0x4C, 1, 4);       // dynamic revision
  PutLe(sb, 0x54, 11, 4);      // first inode
  PutLe(sb, 0x58, 256, 2);     // inode size
  std::memcpy(sb.data() + 0x68, uuid.data(), uuid.size() < 16 ? uuid.size() : 16);
  std::memcpy(sb.data() + 0x78, label.data(), label.size() < 16 ? label.size() : 16);
  return {{1024, sb}};
}

Bytes UuidBytes(const char* text) {
  Bytes out;
  for (const char* p = text; *p != 0 && p[1] != 0;) {
    if (*p == '-' || *p == '{' || *p == '}') {
      ++p;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(Hex(p[0]) * 16 + Hex(p[1])));
    p += 2;
  }
  return out;
}

GUID Guid(const char* text) {
  const Bytes b = UuidBytes(text);
  GUID g{};
  g.Data1 = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
  g.Data2 = static_cast<WORD>((b[4] << 8) | b[5]);
  g.Data3 = static_cast<WORD>((b[6] << 8) | b[7]);
  std::memcpy(g.Data4, b.data() + 8, 8);
  return g;
}

}  // namespace fake
