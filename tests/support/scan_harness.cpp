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
  doc->showAllMountPoints = showAll;
  doc->AddListener(&listener);
}

MountPointNode* ScanHarness::MountPoint(const std::wstring& symbolicLink) const {
  if (!doc->mountPoints) return nullptr;
  for (const auto& mp : doc->mountPoints->children) {
    if (mp->symbolicLinkName == symbolicLink) return mp.get();
  }
  return nullptr;
}

PhysicalDiskNode* ScanHarness::Disk(int number) const {
  return doc->physicalDisks ? doc->physicalDisks->FindPhysicalDisk(number) : nullptr;
}
