#include "platform/linux/device_facts.h"

#include <cctype>

#include "platform/linux/udev_database.h"
#include "platform/linux/volume_identity.h"

namespace linuxsys {
namespace {

// "c0ffee00-02": an MBR partition's UUID, the disk signature and the entry number.
bool IsMbrEntryUuid(const std::string& text) {
  if (text.size() != 11 || text[8] != '-') return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != 8 && std::isxdigit(static_cast<unsigned char>(text[i])) == 0) return false;
  }
  return true;
}

}  // namespace

const DeviceFacts::LinkMap& DeviceFacts::Links(const std::string& kind) {
  auto found = links_.find(kind);
  if (found != links_.end()) return found->second;
  LinkMap& map = links_[kind];
  const std::string dir = "/dev/disk/" + kind;
  for (const std::string& name : files_.List(dir)) {
    const auto target = files_.LinkTarget(dir + "/" + name);
    if (!target) continue;
    const std::size_t slash = target->rfind('/');
    map[slash == std::string::npos ? *target : target->substr(slash + 1)] = DecodeUdevString(name);
  }
  return map;
}

Properties DeviceFacts::Of(const BlockDevice& d, bool fillIn, bool* inDatabase) {
  Properties p;
  if (d.major && d.minor) p = ReadUdevProperties(files_, *d.major, *d.minor);
  if (inDatabase != nullptr) *inDatabase = !p.empty();
  if (!fillIn) return p;
  auto fill = [&p](const char* key, const std::string& value) {
    if (!value.empty() && p.count(key) == 0) p[key] = value;
  };
  auto linked = [this, &d](const char* kind) {
    const LinkMap& map = Links(kind);
    auto it = map.find(d.name);
    return it != map.end() ? it->second : std::string();
  };
  fill("ID_FS_UUID", linked("by-uuid"));
  fill("ID_FS_LABEL", linked("by-label"));
  if (d.kind == BlockKind::Partition) {
    Properties uevent;
    if (auto text = files_.ReadFile(d.sysPath + "/uevent", 64 * 1024)) {
      std::size_t pos = 0;
      while (pos < text->size()) {
        std::size_t end = text->find('\n', pos);
        if (end == std::string::npos) end = text->size();
        const std::string line = text->substr(pos, end - pos);
        pos = end + 1;
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos && eq > 0) uevent[line.substr(0, eq)] = line.substr(eq + 1);
      }
    }
    fill("ID_PART_ENTRY_UUID", linked("by-partuuid"));
    fill("ID_PART_ENTRY_UUID", uevent["PARTUUID"]);
    fill("ID_PART_ENTRY_NAME", uevent["PARTNAME"]);
  }
  return p;
}

void InferPartitionTable(Properties& disk, const std::vector<const Properties*>& partitions) {
  if (disk.count("ID_PART_TABLE_TYPE") != 0) return;
  for (const Properties* p : partitions) {
    auto it = p->find("ID_PART_ENTRY_UUID");
    if (it == p->end()) continue;
    if (ParseGuid(it->second)) {
      disk["ID_PART_TABLE_TYPE"] = "gpt";
      return;
    }
    if (IsMbrEntryUuid(it->second)) {
      disk["ID_PART_TABLE_TYPE"] = "dos";
      disk["ID_PART_TABLE_UUID"] = it->second.substr(0, 8);
      return;
    }
  }
}

}  // namespace linuxsys
