#include "platform/linux/block_probe.h"

#include <cerrno>

#include <blkid/blkid.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/linux/filesystem_size.h"

namespace linuxsys {
namespace {

struct ProbeDeleter {
  void operator()(blkid_probe p) const { blkid_free_probe(p); }
};
using Probe = std::unique_ptr<std::remove_pointer_t<blkid_probe>, ProbeDeleter>;

std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }

std::uint64_t Little(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// The figures of the GPT header that libblkid does not hand out.
void ReadGptHeader(const FileDescriptor& fd, unsigned logicalBlockSize, ProbedTable& table) {
  unsigned char header[92] = {};
  if (ReadAt(fd, header, sizeof header, logicalBlockSize) != sizeof header) return;
  if (std::memcmp(header, "EFI PART", 8) != 0) return;
  table.firstUsableLba = Little(header + 40, 8);
  table.lastUsableLba = Little(header + 48, 8);
  table.entryCount = static_cast<std::uint32_t>(Little(header + 80, 4));
}

// The platform's check sum of the master boot record: the two's complement of
// the sum of its 128 little-endian words.
void ReadMbrCheckSum(const FileDescriptor& fd, ProbedTable& table) {
  unsigned char sector[512] = {};
  if (ReadAt(fd, sector, sizeof sector, 0) != sizeof sector) return;
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < sizeof sector; i += 4) sum += static_cast<std::uint32_t>(Little(sector + i, 4));
  table.mbrCheckSum = ~sum + 1;
}

// The extended boot records of the chain in the extended container, in bytes
// from the disk's start. libblkid does not say which record holds which
// logical partition, and the platform counts a logical partition's hidden
// sectors from its own record.
void PlaceLogicalPartitions(const FileDescriptor& fd, unsigned blockSize, ProbedTable& table) {
  const ProbedPartition* container = nullptr;
  for (const ProbedPartition& p : table.partitions) {
    if (p.extended && !p.logical) container = &p;
  }
  if (container == nullptr) return;
  const std::uint64_t base = container->startBytes;
  std::vector<std::uint64_t> records;
  std::uint64_t next = base;
  // A chain is at most as long as there can be partitions; a loop ends it.
  for (int i = 0; i < 256; ++i) {
    if (std::find(records.begin(), records.end(), next) != records.end()) break;
    unsigned char sector[512] = {};
    if (ReadAt(fd, sector, sizeof sector, next) != sizeof sector || sector[510] != 0x55 || sector[511] != 0xAA) break;
    records.push_back(next);
    const unsigned char* link = sector + 446 + 16;
    const std::uint64_t relative = Little(link + 8, 4);
    if (relative == 0 || (link[4] != 0x05 && link[4] != 0x0f && link[4] != 0x85)) break;
    if (relative > (UINT64_MAX - base) / blockSize) break;
    next = base + relative * blockSize;
  }
  for (ProbedPartition& p : table.partitions) {
    if (!p.logical) continue;
    for (std::uint64_t record : records) {
      if (record < p.startBytes && record >= p.tableOffsetBytes) p.tableOffsetBytes = record;
    }
  }
}

std::optional<ProbedTable> ReadTable(blkid_probe probe, const FileDescriptor& fd, unsigned logicalBlockSize) {
  if (blkid_probe_enable_partitions(probe, 1) != 0) return std::nullopt;
  blkid_partlist list = blkid_probe_get_partitions(probe);
  if (list == nullptr) return std::nullopt;
  blkid_parttable root = blkid_partlist_get_table(list);
  if (root == nullptr) return std::nullopt;
  ProbedTable table;
  table.type = Text(blkid_parttable_get_type(root));
  table.id = Text(blkid_parttable_get_id(root));
  const int count = blkid_partlist_numof_partitions(list);
  for (int i = 0; i < count; ++i) {
    blkid_partition par = blkid_partlist_get_partition(list, i);
    if (par == nullptr) continue;
    ProbedPartition p;
    p.number = blkid_partition_get_partno(par);
    const blkid_loff_t start = blkid_partition_get_start(par);
    const blkid_loff_t size = blkid_partition_get_size(par);
    if (start < 0 || size < 0) continue;
    // libblkid counts 512-byte sectors whatever the device's block size.
    p.startBytes = static_cast<std::uint64_t>(start) * 512;
    p.sizeBytes = static_cast<std::uint64_t>(size) * 512;
    p.type = blkid_partition_get_type(par);
    p.typeString = Text(blkid_partition_get_type_string(par));
    p.uuid = Text(blkid_partition_get_uuid(par));
    p.name = Text(blkid_partition_get_name(par));
    p.flags = blkid_partition_get_flags(par);
    p.extended = blkid_partition_is_extended(par) != 0;
    p.logical = blkid_partition_is_logical(par) != 0;
    table.partitions.push_back(std::move(p));
  }
  if (table.type == "gpt") ReadGptHeader(fd, logicalBlockSize, table);
  if (table.type == "dos") {
    ReadMbrCheckSum(fd, table);
    PlaceLogicalPartitions(fd, logicalBlockSize, table);
  }
  return table;
}

std::optional<ProbedFilesystem> ReadFilesystem(blkid_probe probe, const FileDescriptor& fd) {
  blkid_probe_enable_partitions(probe, 0);
  blkid_probe_enable_superblocks(probe, 1);
  blkid_probe_set_superblocks_flags(probe,
                                    BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_USAGE);
  if (blkid_do_safeprobe(probe) != 0) return std::nullopt;
  auto value = [probe](const char* name) {
    const char* data = nullptr;
    std::size_t length = 0;
    if (blkid_probe_lookup_value(probe, name, &data, &length) != 0 || data == nullptr) return std::string();
    // The length counts the terminating zero.
    return std::string(data, strnlen(data, length));
  };
  ProbedFilesystem fs;
  fs.type = value("TYPE");
  if (fs.type.empty()) return std::nullopt;
  fs.label = value("LABEL");
  fs.uuid = value("UUID");
  fs.usage = value("USAGE");
  // Newer libblkid reads the size itself; otherwise the superblock is read here.
  const std::string size = value("FSSIZE");
  if (!size.empty() && size.size() < 20 && size.find_first_not_of("0123456789") == std::string::npos) {
    fs.sizeBytes = std::stoull(size);
  } else {
    fs.sizeBytes = SuperblockSize(fd, fs.type);
  }
  return fs;
}

}  // namespace

DeviceProbe ProbeDevice(SystemFiles& files, const std::string& devicePath, bool withTable,
                        unsigned logicalBlockSize) {
  DeviceProbe result;
  int error = 0;
  FileDescriptor fd = files.OpenDevice(devicePath, &error);
  if (!fd.valid()) {
    result.denied = error == EACCES || error == EPERM;
    return result;
  }
  result.opened = true;
  Probe probe(blkid_new_probe());
  if (!probe || blkid_probe_set_device(probe.get(), fd.get(), 0, 0) != 0) return result;
  if (withTable) result.table = ReadTable(probe.get(), fd, logicalBlockSize == 0 ? 512 : logicalBlockSize);
  blkid_reset_probe(probe.get());
  result.filesystem = ReadFilesystem(probe.get(), fd);
  return result;
}

}  // namespace linuxsys
