#include "tests/support/scan_harness.h"

#include <fstream>
#include <sstream>

std::string MachineJson(const std::string& body) {
  return R"({"format": "quelbrin-machine", "version": 1, )" + body + "}";
}

std::string SourceFile(const std::string& relativePath) {
  std::ifstream in(std::string(QUELBRIN_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ScanHarness::ScanHarness(const std::string& json, bool showAll, bool withProgress)
    : recorded(ParseMachine(json, "inline.json")),
      doc(std::make_unique<CQuelbrinDoc>(faults, prompt, withProgress ? &progress : nullptr)) {
  recorded.KeepCallRecords();
  doc->SetShowAllMountPoints(showAll);
  listening = doc->Subscribe(listener);
}

MountPointNode* ScanHarness::MountPoint(const std::wstring& symbolicLink) const {
  if (!doc->Model().MountPoints()) return nullptr;
  for (const auto& mp : doc->Model().MountPoints()->children) {
    if (mp->symbolicLinkName == symbolicLink) return mp.get();
  }
  return nullptr;
}

PhysicalDiskNode* ScanHarness::Disk(int number) const {
  return doc->Model().PhysicalDisks() ? doc->Model().PhysicalDisks()->FindPhysicalDisk(number) : nullptr;
}
