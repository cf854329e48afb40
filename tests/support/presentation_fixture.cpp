#include "tests/support/presentation_fixture.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/machine/machine_file.h"

std::string SamplePath(const std::string& sampleName) {
  return std::string(QUELBRIN_SOURCE_DIR) + "/samples/" + sampleName;
}

std::vector<std::string> AllSampleNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(QUELBRIN_SOURCE_DIR) + "/samples"))
    if (entry.path().extension() == ".json") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

ScannedSample::ScannedSample(const std::string& sampleName, bool allMountPoints, ProgressSink* progress)
    : platform(LoadMachineFile(SamplePath(sampleName))), doc(platform, prompt, progress) {
  doc.SetShowAllMountPoints(allMountPoints);
  scanned = doc.InitialScan();
}

MountPointNode& ScannedSample::MountPoint(const std::wstring& symbolicLinkName) {
  for (const auto& mp : doc.Model().MountPoints()->children)
    if (mp->symbolicLinkName == symbolicLinkName) return *mp;
  throw std::out_of_range("no such mount point in the sample");
}

PhysicalDiskNode& ScannedSample::Disk(int diskNumber) {
  PhysicalDiskNode* disk = doc.Model().PhysicalDisks()->FindPhysicalDisk(diskNumber);
  if (disk == nullptr) throw std::out_of_range("no such disk in the sample");
  return *disk;
}

DiskPartitionNode& ScannedSample::Partition(int diskNumber, const std::wstring& name, bool extended) {
  for (const auto& p : doc.Model().Partitions())
    if (p->diskNumber == diskNumber && p->GetName() == name && p->hasPartitionInfoEx == extended) return *p;
  throw std::out_of_range("no such partition in the sample");
}
