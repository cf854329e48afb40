#include "platform/linux/filesystem_size.h"

#include <cstring>

namespace linuxsys {
namespace {

std::uint64_t Little(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

std::uint64_t Big(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

// count × unit, not known when it is zero or does not fit.
std::optional<std::uint64_t> Product(std::uint64_t count, std::uint64_t unit) {
  if (count == 0 || unit == 0 || count > UINT64_MAX / unit) return std::nullopt;
  return count * unit;
}

std::optional<std::uint64_t> Ext(const FileDescriptor& fd) {
  unsigned char sb[0x160] = {};
  if (ReadAt(fd, sb, sizeof sb, 1024) != sizeof sb || Little(sb + 0x38, 2) != 0xEF53) return std::nullopt;
  const std::uint64_t logBlock = Little(sb + 0x18, 4);
  if (logBlock > 6) return std::nullopt;
  std::uint64_t blocks = Little(sb + 0x04, 4);
  if ((Little(sb + 0x60, 4) & 0x80) != 0) blocks |= Little(sb + 0x150, 4) << 32;  // 64-bit block numbers
  return Product(blocks, 1024ull << logBlock);
}

std::optional<std::uint64_t> Xfs(const FileDescriptor& fd) {
  unsigned char sb[16] = {};
  if (ReadAt(fd, sb, sizeof sb, 0) != sizeof sb || std::memcmp(sb, "XFSB", 4) != 0) return std::nullopt;
  return Product(Big(sb + 8, 8), Big(sb + 4, 4));
}

std::optional<std::uint64_t> Btrfs(const FileDescriptor& fd) {
  // The size of the whole filesystem, over all its devices.
  unsigned char sb[0x78] = {};
  if (ReadAt(fd, sb, sizeof sb, 0x10000) != sizeof sb || std::memcmp(sb + 0x40, "_BHRfS_M", 8) != 0)
    return std::nullopt;
  return Product(Little(sb + 0x70, 8), 1);
}

std::optional<std::uint64_t> BootSector(const FileDescriptor& fd, std::string_view fsType) {
  unsigned char bs[512] = {};
  if (ReadAt(fd, bs, sizeof bs, 0) != sizeof bs) return std::nullopt;
  if (fsType == "ntfs") {
    if (std::memcmp(bs + 3, "NTFS    ", 8) != 0) return std::nullopt;
    return Product(Little(bs + 0x28, 8), Little(bs + 0x0B, 2));
  }
  if (fsType == "exfat") {
    if (std::memcmp(bs + 3, "EXFAT   ", 8) != 0 || bs[0x6C] < 9 || bs[0x6C] > 12) return std::nullopt;
    return Product(Little(bs + 0x48, 8), 1ull << bs[0x6C]);
  }
  // FAT: the 16-bit count, else the 32-bit one.
  std::uint64_t sectors = Little(bs + 0x13, 2);
  if (sectors == 0) sectors = Little(bs + 0x20, 4);
  return Product(sectors, Little(bs + 0x0B, 2));
}

}  // namespace

std::optional<std::uint64_t> SuperblockSize(const FileDescriptor& fd, std::string_view fsType) {
  if (fsType == "ext2" || fsType == "ext3" || fsType == "ext4") return Ext(fd);
  if (fsType == "xfs") return Xfs(fd);
  if (fsType == "btrfs") return Btrfs(fd);
  if (fsType == "ntfs" || fsType == "exfat" || fsType == "vfat") return BootSector(fd, fsType);
  return std::nullopt;
}

}  // namespace linuxsys
