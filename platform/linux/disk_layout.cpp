#include "platform/linux/disk_layout.h"

#include <cerrno>
#include <cstdlib>

#include "platform/linux/udev_database.h"
#include "platform/linux/volume_identity.h"
#include "platform/wide_text.h"

namespace linuxsys {
namespace {

constexpr std::size_t kGptNameUnits = 36;

std::optional<unsigned long long> ParseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || end == nullptr || *end != '\0' || text.front() == '-') return std::nullopt;
  return v;
}

std::string Get(const Properties& p, const char* key) {
  auto it = p.find(key);
  return it != p.end() ? it->second : std::string();
}

PARTITION_STYLE StyleOf(const std::string& tableType) {
  if (tableType == "gpt") return PARTITION_STYLE_GPT;
  if (tableType == "dos") return PARTITION_STYLE_MBR;
  // Tables the platform does not know show as unpartitioned space.
  return PARTITION_STYLE_RAW;
}

// A GPT name fits the record's 36 UTF-16 units, shown on one line.
std::wstring GptName(const std::string& utf8) {
  std::wstring name = VisibleText(WideFromUtf8(utf8));
  while (Utf16FromWide(name).size() > kGptNameUnits) name.pop_back();
  return name;
}

DWORD SectorsOf(ULONGLONG bytes, unsigned blockSize) {
  const ULONGLONG sectors = bytes / (blockSize == 0 ? 512 : blockSize);
  return sectors > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(sectors);
}

machine::PartitionRecord FromTable(const ProbedPartition& p, PARTITION_STYLE style, unsigned blockSize) {
  machine::PartitionRecord r;
  r.style = style;
  r.number = static_cast<DWORD>(p.number > 0 ? p.number : 0);
  r.offset = p.startBytes;
  r.length = p.sizeBytes;
  if (style == PARTITION_STYLE_GPT) {
    r.typeGuid = ParseGuid(p.typeString).value_or(GUID{});
    r.id = ParseGuid(p.uuid).value_or(GUID{});
    r.attributes = p.flags;
    r.name = GptName(p.name);
    r.type = 0;
  } else if (style == PARTITION_STYLE_MBR) {
    r.type = static_cast<BYTE>(p.type);
    r.boot = (p.flags & 0x80) != 0;
    r.recognized = IsRecognizedType(r.type);
    // Sectors before the partition, counted from the table that holds it.
    const ULONGLONG base = p.tableOffsetBytes <= p.startBytes ? p.tableOffsetBytes : 0;
    r.hiddenSectors = SectorsOf(p.startBytes - base, blockSize);
  } else {
    r.type = 0;
  }
  return r;
}

machine::PartitionRecord FromUdev(const BlockDevice& d, const Properties& u, PARTITION_STYLE style) {
  machine::PartitionRecord r;
  r.style = style;
  r.number = d.partitionNumber;
  r.offset = d.startBytes.value_or(0);
  r.length = d.sizeBytes;
  if (style == PARTITION_STYLE_GPT) {
    r.typeGuid = ParseGuid(Get(u, "ID_PART_ENTRY_TYPE")).value_or(GUID{});
    r.id = ParseGuid(Get(u, "ID_PART_ENTRY_UUID")).value_or(GUID{});
    r.attributes = ParseNumber(Get(u, "ID_PART_ENTRY_FLAGS")).value_or(0);
    r.name = GptName(DecodeUdevString(Get(u, "ID_PART_ENTRY_NAME")));
    r.type = 0;
  } else if (style == PARTITION_STYLE_MBR) {
    r.type = static_cast<BYTE>(ParseNumber(Get(u, "ID_PART_ENTRY_TYPE")).value_or(0));
    r.boot = (ParseNumber(Get(u, "ID_PART_ENTRY_FLAGS")).value_or(0) & 0x80) != 0;
    r.recognized = IsRecognizedType(r.type);
    // Where a logical partition's boot record lies is not recorded; count from the disk's start.
    r.hiddenSectors = SectorsOf(r.offset, d.logicalBlockSize);
  } else {
    r.type = 0;
  }
  return r;
}

// What sysfs alone tells: number, start and size.
machine::PartitionRecord FromSysfs(const BlockDevice& d) {
  machine::PartitionRecord r;
  r.style = PARTITION_STYLE_RAW;
  r.number = d.partitionNumber;
  r.offset = d.startBytes.value_or(0);
  r.length = d.sizeBytes;
  r.type = 0;
  return r;
}

void FillTableFacts(machine::Layout& layout, const ProbedTable& t, unsigned blockSize) {
  if (layout.style == PARTITION_STYLE_MBR) {
    layout.signature = static_cast<DWORD>(ParseNumber("0x" + t.id).value_or(0));
    layout.checksum = t.mbrCheckSum.value_or(0);
  } else if (layout.style == PARTITION_STYLE_GPT) {
    layout.diskId = ParseGuid(t.id).value_or(GUID{});
    layout.maxPartitionCount = t.entryCount.value_or(128);
    if (t.firstUsableLba && t.lastUsableLba && *t.lastUsableLba >= *t.firstUsableLba &&
        *t.lastUsableLba < UINT64_MAX / blockSize) {
      layout.startingUsableOffset = *t.firstUsableLba * blockSize;
      layout.usableLength = (*t.lastUsableLba - *t.firstUsableLba + 1) * blockSize;
    }
  }
}

}  // namespace

bool IsExtendedType(int type) { return type == 0x05 || type == 0x0f || type == 0x85; }

bool IsRecognizedType(BYTE type) {
  // The platform's rule: the FAT and installable-filesystem types, also with
  // the fault-tolerance bit (0x80) and the bit beside it set.
  const auto plain = [](BYTE t) {
    return t == 0x01 || t == 0x04 || t == 0x06 || t == 0x07 || t == 0x0b || t == 0x0c || t == 0x0e;
  };
  if (plain(type)) return true;
  const BYTE base = static_cast<BYTE>(type & ~0xC0);
  return (type & 0x80) != 0 && base != 0x04 && plain(base);
}

DiskLayout BuildDiskLayout(const BlockDevice& disk, const std::vector<PartitionSource>& partitions,
                           const DeviceProbe& probe, const Properties& diskUdev) {
  DiskLayout result;
  machine::Layout& layout = result.layout;
  const unsigned blockSize = disk.logicalBlockSize;

  if (probe.table) {
    // The table itself: every entry, the extended container as an entry without a number.
    result.tableKnown = true;
    const ProbedTable& t = *probe.table;
    layout.style = StyleOf(t.type);
    FillTableFacts(layout, t, blockSize);
    for (const ProbedPartition& p : t.partitions) {
      machine::PartitionRecord r = FromTable(p, layout.style, blockSize);
      const bool container = layout.style == PARTITION_STYLE_MBR && p.extended && !p.logical;
      if (container && p.number > 0) result.containers.insert(static_cast<unsigned>(p.number));
      if (layout.style == PARTITION_STYLE_MBR && p.extended) r.number = 0;
      if (!container && p.extended) continue;  // the links between boot records are no partitions
      if (!container && p.number > 0) result.records[static_cast<unsigned>(p.number)] = r;
      layout.partitions.push_back(r);
    }
    // Partitions the kernel knows and the table no longer shows keep what sysfs says.
    for (const PartitionSource& s : partitions) {
      const unsigned n = s.device->partitionNumber;
      if (result.records.count(n) != 0 || result.containers.count(n) != 0) continue;
      machine::PartitionRecord r = FromSysfs(*s.device);
      r.style = layout.style;
      result.records[n] = r;
      layout.partitions.push_back(r);
    }
    return result;
  }

  const std::string udevTable = Get(diskUdev, "ID_PART_TABLE_TYPE");
  if (!udevTable.empty()) {
    result.tableKnown = true;
    layout.style = StyleOf(udevTable);
    ProbedTable facts;
    facts.type = udevTable;
    facts.id = Get(diskUdev, "ID_PART_TABLE_UUID");
    FillTableFacts(layout, facts, blockSize);
    for (const PartitionSource& s : partitions) {
      machine::PartitionRecord r = FromUdev(*s.device, s.udev, layout.style);
      if (layout.style == PARTITION_STYLE_MBR && IsExtendedType(r.type)) {
        result.containers.insert(s.device->partitionNumber);
        // The kernel shows a container as a stub; its true length is not recorded.
        r.number = 0;
        layout.partitions.push_back(r);
        continue;
      }
      result.records[s.device->partitionNumber] = r;
      layout.partitions.push_back(r);
    }
    return result;
  }

  // Nothing tells the table: the partitions as sysfs lists them.
  layout.style = PARTITION_STYLE_RAW;
  for (const PartitionSource& s : partitions) {
    machine::PartitionRecord r = FromSysfs(*s.device);
    result.records[s.device->partitionNumber] = r;
    layout.partitions.push_back(r);
  }
  return result;
}

}  // namespace linuxsys
