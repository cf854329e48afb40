// Small machines for the adapter and device-manager tests, built in code, and
// a scan of them with a prompt that records what the user would see.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"
#include "tests/support/recording_prompt.h"

namespace adapter_test {

using nlohmann::json;

inline json NewMachine() { return {{"format", "quelbrin-machine"}, {"version", 1}}; }

// A drive with `volumes` partitions, each a volume mounted at the next letter
// from `letter`.
inline void AddDrive(json& m, int number, char letter, const json& adapter, const json& device, int volumes = 1) {
  json partitions = json::array();
  for (int i = 0; i < volumes; ++i)
    partitions.push_back({{"number", i + 1}, {"offset", 1048576ull + i * 1073741824ull}, {"length", 1073741824ull}});
  json drive = {{"number", number},
                {"size", 64424509440ull},
                {"layout", {{"style", "mbr"}, {"signature", 0x1000 + number}, {"partitions", partitions}}}};
  if (!adapter.is_null()) drive["adapter"] = adapter;
  if (!device.is_null()) drive["device"] = device;
  m["drives"].push_back(drive);
  for (int i = 0; i < volumes; ++i) {
    const std::string id = "v" + std::to_string(number) + "_" + std::to_string(i);
    m["volumes"].push_back({{"id", id}, {"fileSystem", "NTFS"}, {"partition", {{"disk", number}, {"number", i + 1}}}});
    m["mountPoints"].push_back(
        {{"name", std::string("\\DosDevices\\") + static_cast<char>(letter + i) + ":"}, {"volume", id}});
  }
}

inline json Port(int number, const std::string& busType, json extra = json::object()) {
  json p = {{"port", number}, {"descriptor", {{"busType", busType}}}};
  for (auto& [k, v] : extra.items()) p[k] = v;
  return p;
}

struct Scan {
  explicit Scan(const json& m, bool run = true)
      : platform(std::make_unique<RecordedPlatform>(ParseMachine(m.dump(), "test machine"))),
        doc(std::make_unique<CQuelbrinDoc>(*platform, prompt, nullptr)) {
    platform->KeepCallRecords();
    if (run) scanned = doc->InitialScan();
  }
  ScsiAdapterNode* Adapter(const std::wstring& name) const {
    for (const auto& a : doc->Model().Adapters()->children) {
      if (a->GetName() == name) return a.get();
    }
    return nullptr;
  }
  PhysicalDiskNode* Disk(int number) const { return doc->Model().PhysicalDisks()->FindPhysicalDisk(number); }
  // Every handle the scan opened is closed again once the document is gone.
  std::size_t HandlesLeftAfterClose() {
    doc.reset();
    return platform->OpenHandleCount();
  }

  RecordingPrompt prompt;
  std::unique_ptr<RecordedPlatform> platform;
  std::unique_ptr<CQuelbrinDoc> doc;
  bool scanned = false;
};

}  // namespace adapter_test
