// Pieces of the machine file reader shared by its files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/machine/json_field.h"
#include "platform/machine/machine.h"

namespace machine {

// The parts of the machine read so far, by the keys a file refers to them by.
// A walk of the lists per reference would make a large file quadratic to read.
// Each key finds its first entry, as a walk would.
class MachineIndex {
 public:
  explicit MachineIndex(const Machine& m) : m_(m) {}

  // Take in the entry just appended to the machine's list.
  void AddDrive();
  void AddVolume();
  void AddStoragePort();
  void AddInstance();

  const Drive* FindDrive(DWORD number) const;
  // The first layout entry with this non-zero number on the first drive of that number.
  const PartitionRecord* FindPartition(DWORD disk, DWORD number) const;
  std::optional<std::size_t> VolumePosition(const std::string& id) const;
  std::optional<std::size_t> PortPosition(DWORD number) const;
  const Port* FindPort(DWORD number) const {
    const auto at = PortPosition(number);
    return at ? &m_.ports[*at] : nullptr;
  }
  const DeviceInstance* FindInstance(const std::string& id) const;

 private:
  const Machine& m_;
  std::unordered_map<DWORD, std::size_t> drives_;
  std::unordered_map<std::uint64_t, std::pair<std::size_t, std::size_t>> partitions_;  // drive, entry
  std::unordered_map<std::string, std::size_t> volumes_;
  std::unordered_map<DWORD, std::size_t> ports_;
  std::unordered_map<std::string, std::size_t> instances_;
};

// The "fail" and "raw" members of an object that answers `requests`.
Behaviour ReadBehaviour(const JsonField& object, const std::vector<std::string>& requests);

// A drive's "adapter", "device" and "identifiers".
void ReadDrivePlacement(const JsonField& f, Drive& d);
// "adapters", "storagePortInterfaces", "deviceInstances" and "deviceManager",
// read after the drives.
void ReadAdapterSections(const JsonField& top, Machine& m, MachineIndex& index);

extern const std::vector<std::string> kDriveAdapterRequests;

}  // namespace machine
