#include "platform/linux/stacked_extents.h"

#include <algorithm>

namespace linuxsys {
namespace {

// Deeper than any real stack; a loop in a broken sysfs ends here.
constexpr int kMaxDepth = 16;

}  // namespace

StackedExtents::StackedExtents(SystemFiles& files, const std::vector<BlockDevice>& devices,
                               const std::map<std::string, DWORD>& driveNumbers, TableSource tables)
    : files_(files), devices_(devices), driveNumbers_(driveNumbers), tables_(std::move(tables)) {
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    byName_[devices_[i].name] = i;
    if (devices_[i].major && devices_[i].minor)
      byNumber_[std::to_string(*devices_[i].major) + ":" + std::to_string(*devices_[i].minor)] = i;
  }
}

const BlockDevice* StackedExtents::Find(const std::string& name) const {
  auto it = byName_.find(name);
  return it != byName_.end() ? &devices_[it->second] : nullptr;
}

const BlockDevice* StackedExtents::FromTableName(const std::string& device) const {
  if (auto it = byNumber_.find(device); it != byNumber_.end()) return &devices_[it->second];
  const std::string prefix = "/dev/";
  if (device.rfind(prefix, 0) == 0) return Find(device.substr(prefix.size()));
  return nullptr;
}

const std::optional<std::vector<DmSegment>>& StackedExtents::Table(const BlockDevice& d) {
  auto it = tableCache_.find(d.name);
  if (it != tableCache_.end()) return it->second;
  std::optional<std::vector<DmSegment>> segments;
  if (d.major && d.minor) {
    const std::optional<std::string> text =
        tables_ ? tables_(*d.major, *d.minor) : ReadDmTableFromKernel(files_, *d.major, *d.minor);
    if (text) segments = ParseDmTable(*text);
  }
  return tableCache_[d.name] = std::move(segments);
}

std::vector<machine::Extent> StackedExtents::Of(const std::string& name, ULONGLONG offset, ULONGLONG length) {
  std::vector<machine::Extent> out;
  Walk(name, offset, length, 0, out);
  return out;
}

void StackedExtents::Walk(const std::string& name, ULONGLONG offset, ULONGLONG length, int depth,
                          std::vector<machine::Extent>& out) {
  const BlockDevice* d = Find(name);
  if (d == nullptr || depth > kMaxDepth || length == 0) return;
  if (auto it = driveNumbers_.find(name); it != driveNumbers_.end()) {
    out.push_back(machine::Extent{it->second, offset, length});
    return;
  }
  switch (d->kind) {
    case BlockKind::Partition: {
      auto it = driveNumbers_.find(d->parent);
      if (it != driveNumbers_.end() && d->startBytes && *d->startBytes <= UINT64_MAX - offset)
        out.push_back(machine::Extent{it->second, *d->startBytes + offset, length});
      return;
    }
    case BlockKind::DeviceMapper:
      if (WalkTable(*d, offset, length, depth, out)) return;
      // Without its table: the whole of every device it is built on.
      for (const std::string& slave : d->slaves) {
        if (const BlockDevice* lower = Find(slave)) Walk(slave, 0, lower->sizeBytes, depth + 1, out);
      }
      return;
    case BlockKind::Md:
      WalkArray(*d, offset, length, depth, out);
      return;
    default:
      return;
  }
}

bool StackedExtents::WalkTable(const BlockDevice& d, ULONGLONG offset, ULONGLONG length, int depth,
                               std::vector<machine::Extent>& out) {
  const auto& segments = Table(d);
  if (!segments) return false;
  // A partial picture is never taken for the whole one.
  for (const DmSegment& s : *segments) {
    if (FromTableName(s.device) == nullptr) return false;
  }
  const ULONGLONG end = length > UINT64_MAX - offset ? UINT64_MAX : offset + length;
  for (const DmSegment& s : *segments) {
    const ULONGLONG segmentEnd = s.lengthBytes > UINT64_MAX - s.startBytes ? UINT64_MAX : s.startBytes + s.lengthBytes;
    const ULONGLONG from = std::max(offset, s.startBytes);
    const ULONGLONG to = std::min(end, segmentEnd);
    if (from >= to) continue;
    const ULONGLONG into = from - s.startBytes;
    if (into > UINT64_MAX - s.offsetBytes) continue;
    Walk(FromTableName(s.device)->name, s.offsetBytes + into, to - from, depth + 1, out);
  }
  return true;
}

void StackedExtents::WalkArray(const BlockDevice& d, ULONGLONG offset, ULONGLONG length, int depth,
                               std::vector<machine::Extent>& out) {
  // A mirror holds the same bytes on every member, at the member's data
  // offset; any other level spreads them, and each member's data area is shown whole.
  const bool mirror = files_.ReadAttribute(d.sysPath + "/md/level").value_or("") == "raid1";
  for (const std::string& slave : d.slaves) {
    const BlockDevice* lower = Find(slave);
    if (lower == nullptr) continue;
    ULONGLONG dataOffset = 0;
    ULONGLONG dataLength = lower->sizeBytes;
    const std::string member = d.sysPath + "/md/dev-" + slave;
    if (auto o = files_.ReadNumber(member + "/offset"); o && *o <= UINT64_MAX / 512 && *o * 512 <= dataLength) {
      dataOffset = *o * 512;
      dataLength -= dataOffset;
    }
    if (auto kib = files_.ReadNumber(member + "/size"); kib && *kib <= dataLength / 1024) dataLength = *kib * 1024;
    if (mirror) {
      if (offset >= dataLength) continue;
      Walk(slave, dataOffset + offset, std::min(length, dataLength - offset), depth + 1, out);
    } else {
      Walk(slave, dataOffset, dataLength, depth + 1, out);
    }
  }
}

}  // namespace linuxsys
