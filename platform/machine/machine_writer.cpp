#include "platform/machine/machine_writer.h"

#include <cstdio>
#include <fstream>
#include <optional>

#include <nlohmann/json.hpp>

#include "platform/wide_text.h"

namespace machine {
namespace {

using Json = nlohmann::ordered_json;

std::string Hex32(DWORD v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(v));
  return text;
}

std::string Hex64(ULONGLONG v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(v));
  return text;
}

std::string Byte(BYTE v) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(v));
  return text;
}

std::string HexBytes(const std::vector<BYTE>& bytes) {
  std::string out;
  char pair[4];
  for (BYTE b : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned>(b));
    if (!out.empty()) out += ' ';
    out += pair;
  }
  return out;
}

std::string Utf8(const std::wstring& text) { return Utf8FromWide(text); }
std::string Guid(const GUID& g) { return Utf8FromWide(FormatGuid(g)); }

const char* StyleName(PARTITION_STYLE s) {
  switch (s) {
    case PARTITION_STYLE_GPT:
      return "gpt";
    case PARTITION_STYLE_RAW:
      return "raw";
    case PARTITION_STYLE_MBR:
      break;
  }
  return "mbr";
}

void PutBehaviour(Json& object, const Behaviour& b) {
  if (!b.fail.empty()) {
    Json fail = Json::object();
    for (const auto& [name, code] : b.fail) fail[name] = code;
    object["fail"] = fail;
  }
  if (!b.raw.empty()) {
    Json raw = Json::object();
    for (const auto& [name, bytes] : b.raw) raw[name] = HexBytes(bytes);
    object["raw"] = raw;
  }
}

Json Partition(const PartitionRecord& p) {
  Json j;
  j["style"] = StyleName(p.style);
  j["number"] = p.number;
  j["offset"] = p.offset;
  j["length"] = p.length;
  j["rewrite"] = p.rewrite;
  j["service"] = p.service;
  j["type"] = Byte(p.type);
  j["boot"] = p.boot;
  j["recognized"] = p.recognized;
  j["hiddenSectors"] = p.hiddenSectors;
  j["typeGuid"] = Guid(p.typeGuid);
  j["id"] = Guid(p.id);
  j["attributes"] = Hex64(p.attributes);
  j["name"] = Utf8(p.name);
  return j;
}

Json DriveJson(const machine::Drive& d) {
  Json j;
  j["number"] = d.number;
  j["size"] = d.size;
  j["geometry"] = {{"cylinders", d.geometry.Cylinders.QuadPart},
                   {"mediaType", static_cast<DWORD>(d.geometry.MediaType)},
                   {"tracksPerCylinder", d.geometry.TracksPerCylinder},
                   {"sectorsPerTrack", d.geometry.SectorsPerTrack},
                   {"bytesPerSector", d.geometry.BytesPerSector}};
  const char* detection = d.detection == DetectInt13 ? "int13" : d.detection == DetectExInt13 ? "exInt13" : "none";
  j["detection"] = {{"type", detection},
                    {"int13",
                     {{"driveSelect", d.int13.DriveSelect},
                      {"maxCylinders", d.int13.MaxCylinders},
                      {"sectorsPerTrack", d.int13.SectorsPerTrack},
                      {"maxHeads", d.int13.MaxHeads},
                      {"numberDrives", d.int13.NumberDrives}}},
                    {"exInt13",
                     {{"bufferSize", d.exInt13.ExBufferSize},
                      {"flags", d.exInt13.ExFlags},
                      {"cylinders", d.exInt13.ExCylinders},
                      {"heads", d.exInt13.ExHeads},
                      {"sectorsPerTrack", d.exInt13.ExSectorsPerTrack},
                      {"sectorsPerDrive", d.exInt13.ExSectorsPerDrive},
                      {"sectorSize", d.exInt13.ExSectorSize},
                      {"reserved", d.exInt13.ExReserved}}}};
  Json layout;
  layout["style"] = StyleName(d.layout.style);
  layout["signature"] = Hex32(d.layout.signature);
  layout["checksum"] = Hex32(d.layout.checksum);
  layout["diskId"] = Guid(d.layout.diskId);
  layout["startingUsableOffset"] = d.layout.startingUsableOffset;
  layout["usableLength"] = d.layout.usableLength;
  layout["maxPartitionCount"] = d.layout.maxPartitionCount;
  Json partitions = Json::array();
  for (const PartitionRecord& p : d.layout.partitions) partitions.push_back(Partition(p));
  layout["partitions"] = partitions;
  j["layout"] = layout;
  PutBehaviour(j, d.behaviour);
  return j;
}

Json VolumeJson(const machine::Volume& v) {
  Json j;
  j["id"] = v.id;
  Json paths = Json::array();
  for (const std::wstring& p : v.paths) paths.push_back(Utf8(p));
  j["paths"] = paths;
  j["label"] = Utf8(v.label);
  j["serialNumber"] = Hex32(v.serialNumber);
  j["fileSystem"] = Utf8(v.fileSystem);
  j["fileSystemFlags"] = Hex32(v.fileSystemFlags);
  j["maxComponentLength"] = v.maxComponentLength;
  j["freeBytesAvailable"] = v.freeBytesAvailable;
  j["totalBytes"] = v.totalBytes;
  j["totalFreeBytes"] = v.totalFreeBytes;
  if (v.partition) j["partition"] = Partition(*v.partition);
  Json extents = Json::array();
  for (const Extent& e : v.extents) extents.push_back({{"disk", e.disk}, {"offset", e.offset}, {"length", e.length}});
  j["extents"] = extents;
  Json mounts = Json::array();
  for (const std::wstring& p : v.mountPaths) mounts.push_back(Utf8(p));
  j["mountPaths"] = mounts;
  PutBehaviour(j, v.behaviour);
  return j;
}

// A unique id is written as text when it is text to the scan (UTF-16 starting
// with a backslash) and reads back to the same bytes.
std::optional<std::wstring> TextOf(const std::vector<BYTE>& id) {
  if (id.size() < 2 || id.size() % 2 != 0 || id[0] != '\\' || id[1] != 0) return std::nullopt;
  const std::wstring text = WideFromUtf16(id.data(), id.size() / 2);
  // The file holds UTF-8: what cannot be written as such is kept as bytes.
  if (WideFromUtf8(Utf8FromWide(text)) != text) return std::nullopt;
  const std::u16string units = Utf16FromWide(text);
  if (units.size() * 2 != id.size()) return std::nullopt;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (static_cast<BYTE>(units[i]) != id[2 * i] || static_cast<BYTE>(units[i] >> 8) != id[2 * i + 1])
      return std::nullopt;
  }
  return text;
}

Json MountPointJson(const machine::MountPoint& mp) {
  Json j;
  j["name"] = Utf8(mp.symbolicLink);
  j["volume"] = mp.volume;
  j["deviceName"] = Utf8(mp.deviceName);
  if (auto text = TextOf(mp.uniqueId)) {
    j["uniqueId"] = {{"text", Utf8(*text)}};
  } else {
    j["uniqueId"] = {{"hex", HexBytes(mp.uniqueId)}};
  }
  return j;
}

}  // namespace
}  // namespace machine

std::string WriteMachine(const machine::Machine& m) {
  using namespace machine;
  Json j;
  j["format"] = "quelbrin-machine";
  j["version"] = Machine::kVersion;
  j["description"] = m.description;
  if (!m.mountPointManager.fail.empty() || !m.mountPointManager.raw.empty()) {
    Json manager = Json::object();
    PutBehaviour(manager, m.mountPointManager);
    j["mountPointManager"] = manager;
  }
  Json drives = Json::array();
  for (const machine::Drive& d : m.drives) drives.push_back(DriveJson(d));
  j["drives"] = drives;
  Json volumes = Json::array();
  for (const machine::Volume& v : m.volumes) volumes.push_back(VolumeJson(v));
  j["volumes"] = volumes;
  Json mounts = Json::array();
  for (const machine::MountPoint& mp : m.mountPoints) mounts.push_back(MountPointJson(mp));
  j["mountPoints"] = mounts;
  // Text the platform gave that is not UTF-8 is written with replacement characters.
  return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool SaveMachineFile(const machine::Machine& m, const std::string& path, std::string& error) {
  const std::string text = WriteMachine(m);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    error = path + ": cannot create the machine file";
    return false;
  }
  out << text;
  out.flush();
  if (!out) {
    error = path + ": cannot write the machine file";
    return false;
  }
  return true;
}
