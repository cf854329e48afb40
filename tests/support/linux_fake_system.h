// A fake running system for the Linux collector: a copy of one of the trees
// under tests/linux_trees in a temporary directory, with device images that
// the test writes into its /dev (sparse files with hand-made partition tables
// and filesystem superblocks).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win_types.h"

namespace fake {

using Bytes = std::vector<std::uint8_t>;
// Byte runs to place in an image: (offset, bytes).
using Writes = std::vector<std::pair<std::uint64_t, Bytes>>;

class FakeSystem {
 public:
  // Copies tests/linux_trees/<name>.
  explicit FakeSystem(const std::string& name);
  ~FakeSystem();
  FakeSystem(const FakeSystem&) = delete;
  FakeSystem& operator=(const FakeSystem&) = delete;

  const std::string& root() const { return root_; }
  // Writes <root>/dev/<device>: a sparse file of `size` bytes holding `writes`.
  void WriteImage(const std::string& device, std::uint64_t size, const Writes& writes) const;
  // Writes <root><path> (an absolute system path), or appends to it.
  void Write(const std::string& path, const std::string& text, bool append = false) const;
  // Makes <root><path> a symbolic link to `target`, as stored.
  void Link(const std::string& path, const std::string& target) const;
  // Removes <root><path>.
  void Remove(const std::string& path) const;

 private:
  std::string root_;
};

struct MbrEntry {
  bool boot = false;
  std::uint8_t type = 0;
  std::uint32_t start = 0;  // sectors, from the table's own base
  std::uint32_t sectors = 0;
};
// A master (or extended) boot record sector.
Bytes BootRecord(std::uint32_t signature, const std::vector<MbrEntry>& entries);

struct GptEntry {
  GUID type{};
  GUID id{};
  std::uint64_t firstLba = 0;
  std::uint64_t lastLba = 0;
  std::uint64_t attributes = 0;
  std::u16string name;
};
// Protective MBR, primary header and entries of a GPT disk of `sectors` 512-byte sectors.
Writes GptDisk(const GUID& diskId, std::uint64_t sectors, const std::vector<GptEntry>& entries);

// An ext2 superblock (at byte 1024) with a label and a UUID.
Writes ExtSuperblock(const std::string& label, const Bytes& uuid);

GUID Guid(const char* text);
Bytes UuidBytes(const char* text);

}  // namespace fake
