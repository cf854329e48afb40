#include "platform/linux/block_devices.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace linuxsys {
namespace {

// "8:1" as numbers.
void ReadDeviceNumber(SystemFiles& files, BlockDevice& d) {
  const auto text = files.ReadAttribute(d.sysPath + "/dev");
  if (!text) return;
  const std::size_t colon = text->find(':');
  if (colon == std::string::npos) return;
  unsigned major = 0;
  unsigned minor = 0;
  const char* begin = text->data();
  const char* end = begin + text->size();
  if (std::from_chars(begin, begin + colon, major).ec != std::errc()) return;
  const auto [ptr, ec] = std::from_chars(begin + colon + 1, end, minor);
  if (ec != std::errc() || ptr != end) return;
  d.major = major;
  d.minor = minor;
}

// Sizes in sysfs count 512-byte sectors whatever the device's block size.
std::uint64_t Sectors(std::optional<std::uint64_t> v) {
  if (!v || *v > UINT64_MAX / 512) return 0;
  return *v * 512;
}

void ReadCommon(SystemFiles& files, BlockDevice& d) {
  ReadDeviceNumber(files, d);
  d.sizeBytes = Sectors(files.ReadNumber(d.sysPath + "/size"));
  d.readOnly = files.ReadNumber(d.sysPath + "/ro").value_or(0) != 0;
  d.slaves = files.List(d.sysPath + "/slaves");
}

BlockKind WholeKind(SystemFiles& files, const std::string& sysPath) {
  if (files.Exists(sysPath + "/dm")) return BlockKind::DeviceMapper;
  if (files.Exists(sysPath + "/md")) return BlockKind::Md;
  const auto target = files.LinkTarget(sysPath);
  if (target && target->find("/devices/virtual/") != std::string::npos) return BlockKind::Virtual;
  return BlockKind::Disk;
}

}  // namespace

bool KernelNameLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  while (i < a.size() && j < b.size()) {
    const bool da = isDigit(a[i]);
    const bool db = isDigit(b[j]);
    std::size_t ei = i;
    std::size_t ej = j;
    while (ei < a.size() && isDigit(a[ei]) == da) ++ei;
    while (ej < b.size() && isDigit(b[ej]) == db) ++ej;
    std::string_view ra(a.data() + i, ei - i);
    std::string_view rb(b.data() + j, ej - j);
    if (da != db) return da;  // digits first
    if (da) {
      // Numbers: fewer significant digits is smaller.
      while (ra.size() > 1 && ra.front() == '0') ra.remove_prefix(1);
      while (rb.size() > 1 && rb.front() == '0') rb.remove_prefix(1);
    }
    if (ra.size() != rb.size()) return ra.size() < rb.size();
    if (ra != rb) return ra < rb;
    i = ei;
    j = ej;
  }
  return a.size() - i < b.size() - j;
}

std::vector<BlockDevice> ListBlockDevices(SystemFiles& files) {
  std::vector<BlockDevice> devices;
  std::vector<std::string> wholeNames = files.List("/sys/block");
  std::sort(wholeNames.begin(), wholeNames.end(), KernelNameLess);
  for (const std::string& name : wholeNames) {
    BlockDevice whole;
    whole.name = name;
    whole.sysPath = "/sys/block/" + name;
    whole.kind = WholeKind(files, whole.sysPath);
    ReadCommon(files, whole);
    whole.logicalBlockSize = static_cast<unsigned>(
        std::clamp<std::uint64_t>(files.ReadNumber(whole.sysPath + "/queue/logical_block_size").value_or(512), 512,
                                  65536));
    whole.removable = files.ReadNumber(whole.sysPath + "/removable").value_or(0) != 0;
    if (whole.kind == BlockKind::DeviceMapper) {
      whole.dmName = files.ReadAttribute(whole.sysPath + "/dm/name").value_or("");
      whole.dmUuid = files.ReadAttribute(whole.sysPath + "/dm/uuid").value_or("");
    }

    std::vector<BlockDevice> partitions;
    for (const std::string& entry : files.List(whole.sysPath)) {
      // Partitions are named after their disk ("sda1", "nvme0n1p1"); asking
      // every other attribute directory would cost an open each.
      if (entry.size() <= name.size() || entry.compare(0, name.size(), name) != 0) continue;
      const std::string path = whole.sysPath + "/" + entry;
      const auto number = files.ReadNumber(path + "/partition");
      if (!number || *number == 0 || *number > 0xFFFFFFFFu) continue;
      BlockDevice p;
      p.name = entry;
      p.sysPath = path;
      p.kind = BlockKind::Partition;
      p.parent = name;
      p.partitionNumber = static_cast<unsigned>(*number);
      ReadCommon(files, p);
      if (auto start = files.ReadNumber(path + "/start"); start && *start <= UINT64_MAX / 512) p.startBytes = *start * 512;
      p.logicalBlockSize = whole.logicalBlockSize;
      p.removable = whole.removable;
      partitions.push_back(std::move(p));
    }
    std::sort(partitions.begin(), partitions.end(),
              [](const BlockDevice& x, const BlockDevice& y) { return x.partitionNumber < y.partitionNumber; });
    devices.push_back(std::move(whole));
    for (BlockDevice& p : partitions) devices.push_back(std::move(p));
  }
  return devices;
}

}  // namespace linuxsys
