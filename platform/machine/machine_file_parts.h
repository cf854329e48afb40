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
  mutable std::size_t nextVolume_ = 0;  // where VolumePosition looks first
  std::unordered_map<DWORD, std::size_t> ports_;
  std::unordered_map<std::string, std::size_t> instances_;
};

// The "fail" and "raw" members of an object that answers `requests`.
Behaviour ReadBehaviour(const JsonField& object, const std::vector<std::string>& requests);

// A drive's "adapter", "device" and "identifiers".
void ReadDrivePlacement(const JsonField& f, Drive& d);
// The top level's own fields: its members' names, "format", "version",
// "description" and "mountPointManager".
void ReadTopLevel(const JsonField& top, Machine& m);
// One entry of "drives", "volumes" or "mountPoints", checked against those read
// before it and added to the machine and the index. Volumes refer to drives
// and mount points to volumes, so the lists are read in that order.
void ReadDriveEntry(const JsonField& d, Machine& m, MachineIndex& index);
void ReadVolumeEntry(const JsonField& v, Machine& m, MachineIndex& index);
void ReadMountPointEntry(const JsonField& mp, Machine& m, const MachineIndex& index);
// "adapters", read after the drives; then, once the drives' ports are checked
// against it, "storagePortInterfaces", "deviceInstances" and "deviceManager".
void ReadPortSection(const JsonField& top, Machine& m, MachineIndex& index);
void ReadDeviceSections(const JsonField& top, Machine& m, MachineIndex& index);

// The whole machine from the document's top level, in reading order whatever
// the file's order.
Machine ReadMachineDocument(const JsonField& top);
// The machine read through the quick parser. Empty for any file it does not
// take: one with an error of any kind, or one that the library's parser reads
// otherwise; the full reader then reads it and reports what is wrong.
std::optional<Machine> ReadMachineQuickly(const std::string& text, const std::string& sourceName);

extern const std::vector<std::string> kDriveAdapterRequests;

}  // namespace machine
