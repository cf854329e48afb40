#include "platform/machine/machine_file_parts.h"

namespace machine {
namespace {

std::uint64_t PartitionKey(DWORD disk, DWORD number) { return (std::uint64_t{disk} << 32) | number; }

template <class Map, class Key>
std::optional<std::size_t> Position(const Map& map, const Key& key) {
  const auto it = map.find(key);
  if (it == map.end()) return std::nullopt;
  return it->second;
}

}  // namespace

// The reader gives each list its room before its first entry: the tables take
// theirs then too, rather than rehashing every entry as they grow.
void MachineIndex::AddDrive() {
  const std::size_t at = m_.drives.size() - 1;
  if (at == 0) {
    drives_.reserve(m_.drives.capacity());
    partitions_.reserve(m_.drives.capacity());
  }
  const Drive& d = m_.drives[at];
  if (!drives_.emplace(d.number, at).second) return;
  // Entry 0 is no partition of the layout; a volume never refers to it.
  for (std::size_t i = 0; i < d.layout.partitions.size(); ++i) {
    const DWORD number = d.layout.partitions[i].number;
    if (number != 0) partitions_.emplace(PartitionKey(d.number, number), std::pair{at, i});
  }
}

void MachineIndex::AddVolume() {
  if (m_.volumes.size() == 1) volumes_.reserve(m_.volumes.capacity());
  volumes_.emplace(m_.volumes.back().id, m_.volumes.size() - 1);
}
void MachineIndex::AddStoragePort() { ports_.emplace(m_.ports.back().number, m_.ports.size() - 1); }
void MachineIndex::AddInstance() { instances_.emplace(m_.deviceInstances.back().id, m_.deviceInstances.size() - 1); }

const Drive* MachineIndex::FindDrive(DWORD number) const {
  const auto at = Position(drives_, number);
  return at ? &m_.drives[*at] : nullptr;
}

const PartitionRecord* MachineIndex::FindPartition(DWORD disk, DWORD number) const {
  const auto it = partitions_.find(PartitionKey(disk, number));
  if (it == partitions_.end()) return nullptr;
  return &m_.drives[it->second.first].layout.partitions[it->second.second];
}

std::optional<std::size_t> MachineIndex::VolumePosition(const std::string& id) const {
  // Mount points mostly come in the order of their volumes: the volume after
  // the one found last is compared first, which spares the table's lookup.
  // Ids are unique, so a match there is the match.
  if (nextVolume_ < m_.volumes.size() && m_.volumes[nextVolume_].id == id) return nextVolume_++;
  const auto at = Position(volumes_, id);
  if (at) nextVolume_ = *at + 1;
  return at;
}
std::optional<std::size_t> MachineIndex::PortPosition(DWORD number) const { return Position(ports_, number); }

const DeviceInstance* MachineIndex::FindInstance(const std::string& id) const {
  const auto at = Position(instances_, id);
  return at ? &m_.deviceInstances[*at] : nullptr;
}

}  // namespace machine
