// The disk step: the physical drive, extent and partitions behind one extent.
#include <memory>

#include "platform/wide_text.h"
#include "scan/answer_buffer.h"
#include "scan/growing_request.h"
#include "scan/scan_steps.h"
#include "scan/scoped_handle.h"

namespace {

constexpr std::size_t kLayoutExHeader = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
constexpr std::size_t kLayoutHeader = offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry);

// A stop must carry a code; a platform that fails without one still stops the scan.
DWORD StopCode(Platform& platform) {
  const DWORD code = platform.GetLastError();
  return code != 0 ? code : ERROR_GEN_FAILURE;
}

bool ExtentStartsPartition(const DiskPartitionNode& partition, const DiskExtentNode& extent) {
  return static_cast<ULONGLONG>(extent.diskExtent.StartingOffset.QuadPart) == partition.StartingOffset();
}

// The entries of a layout answer that it really holds.
std::size_t EntriesHeld(const AnswerBuffer& answer, std::size_t header, std::size_t entrySize) {
  const std::size_t count = answer.Read<DWORD>(header == kLayoutExHeader ? 4 : 0);
  const std::size_t held = answer.valid() > header ? (answer.valid() - header) / entrySize : 0;
  return count < held ? count : held;
}

template <class Record, class Find>
void LinkLayoutEntries(ScanContext& scan, const AnswerBuffer& answer, std::size_t header, PhysicalDiskNode& disk,
                       DiskExtentNode& extent, int diskNumber, Find find) {
  StorageModel& model = scan.model;
  LayoutLinks& links = scan.layoutLinks;
  const bool extended = header == kLayoutExHeader;
  DiskPartitionNode* known = nullptr;
  if (links.Repeats(diskNumber, extended, answer, static_cast<ULONGLONG>(extent.diskExtent.StartingOffset.QuadPart),
                    known)) {
    if (known != nullptr) extent.partition = known;
    return;
  }
  const std::size_t count = EntriesHeld(answer, header, sizeof(Record));
  const bool keep = links.Keep(diskNumber, extended, answer, count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto record = answer.Read<Record>(header + i * sizeof(Record));
    if (record.PartitionNumber == 0) continue;
    DiskPartitionNode* partition = find(record, diskNumber);
    if (partition == nullptr) {
      auto created = std::make_unique<DiskPartitionNode>();
      created->Fill(record, diskNumber);
      created->SetDisk(&disk);
      partition = &model.AddPartition(std::move(created));
      disk.AddPartition(partition);
    }
    if (keep) links.Add(*partition);
    if (ExtentStartsPartition(*partition, extent)) extent.partition = partition;
  }
}

// Reads the drive layout in the chosen form and links its partitions. False
// when the query failed.
bool ScanLayout(ScanContext& scan, HANDLE drive, PhysicalDiskNode& disk, DiskExtentNode& extent, int diskNumber,
                bool useExtendedLayout) {
  // One buffer serves every drive: on a machine of thousands, a fresh one each
  // time cost more than the request (the heap gave its pages back in between).
  thread_local AnswerBuffer answer;
  if (!answer.Allocate(layout::kDriveLayoutExBytes)) return false;
  // The layout answers do not say how much room they need; the buffer doubles.
  const NeededBytes unknown;
  if (useExtendedLayout) {
    if (!SendGrowingRequest(scan.platform, drive, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, answer, unknown))
      return false;
    LinkLayoutEntries<PARTITION_INFORMATION_EX>(
        scan, answer, kLayoutExHeader, disk, extent, diskNumber,
        [&scan](const PARTITION_INFORMATION_EX& r, int n) { return scan.model.FindPartitionEx(r, n); });
  } else {
    if (!SendGrowingRequest(scan.platform, drive, IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, answer, unknown))
      return false;
    LinkLayoutEntries<PARTITION_INFORMATION>(
        scan, answer, kLayoutHeader, disk, extent, diskNumber,
        [&scan](const PARTITION_INFORMATION& r, int n) { return scan.model.FindPartition(r, n); });
  }
  return true;
}

// Reads the geometry; stores it on a disk seen for the first time. False when
// both forms of the query failed.
bool ScanGeometry(Platform& platform, HANDLE drive, PhysicalDiskNode& disk, bool diskIsNew) {
  BYTE answer[layout::kGeometryExBufferBytes] = {};
  DWORD returned = 0;
  if (platform.DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, answer, sizeof answer, &returned,
                               nullptr)) {
    if (diskIsNew) disk.SetGeometryEx(answer, returned < sizeof answer ? returned : sizeof answer);
    return true;
  }
  DISK_GEOMETRY plain{};
  if (platform.DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &plain, sizeof plain, &returned,
                               nullptr)) {
    if (diskIsNew) disk.SetGeometry(plain);
    return true;
  }
  return false;
}

// A stop deletes the disk created in this run; partitions already kept in the
// model must not point at it afterwards.
DWORD Stop(StorageModel& model, std::unique_ptr<PhysicalDiskNode>& newDisk, DWORD code) {
  if (newDisk) {
    for (const auto& partition : model.Partitions()) {
      if (partition->disk == newDisk.get()) partition->disk = nullptr;
    }
    newDisk.reset();
  }
  return code;
}

}  // namespace

DWORD ScanVolumeExtent(ScanContext& scan, MountPointNode& mountPoint, const DISK_EXTENT& extentRecord,
                       int extentIndex, bool useExtendedLayout) {
  Platform& platform = scan.platform;
  StorageModel& model = scan.model;
  const int diskNumber = static_cast<int>(extentRecord.DiskNumber);

  std::unique_ptr<PhysicalDiskNode> newDisk;
  PhysicalDiskNode* disk = model.PhysicalDisks()->FindPhysicalDisk(diskNumber);
  const bool diskIsNew = disk == nullptr;
  if (diskIsNew) {
    newDisk = std::make_unique<PhysicalDiskNode>();
    disk = newDisk.get();
  }

  DiskExtentNode* extent = model.FindExtent(extentRecord);
  if (extent == nullptr) {
    auto created = std::make_unique<DiskExtentNode>();
    created->Fill(extentRecord, extentIndex);
    extent = &model.AddExtent(std::move(created));
  }

  if (diskIsNew) disk->SetDiskNumber(diskNumber);

  const std::wstring drivePath = FormatWide(L"\\\\.\\PhysicalDrive%u", static_cast<unsigned>(diskNumber));
  ScopedHandle drive(platform, platform.CreateFileW(drivePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, 0, nullptr));
  if (!drive.valid()) {
    // The layout cannot be read from a drive that did not open. No request is
    // sent through the invalid handle (on the platform it names the current
    // process); the scan stops as a failed layout query does, with the code
    // that says why the drive did not open.
    const DWORD code = StopCode(platform);
    scan.prompt.ShowMessageBox(L"No Physical Drive");
    scan.prompt.ShowMessageBox(L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error");
    return Stop(model, newDisk, code);
  }
  if (!ScanLayout(scan, drive.get(), *disk, *extent, diskNumber, useExtendedLayout)) {
    const DWORD code = StopCode(platform);
    scan.prompt.ShowMessageBox(L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error");
    return Stop(model, newDisk, code);
  }
  if (!ScanGeometry(platform, drive.get(), *disk, diskIsNew)) {
    const DWORD code = StopCode(platform);
    scan.prompt.ShowMessageBox(L"IOCTL_DISK_GET_DRIVE_GEOMETRY_EX Error");
    return Stop(model, newDisk, code);
  }
  const DWORD adapterCode = ScanDriveAdapter(scan, drive.get(), *disk, diskIsNew);
  if (adapterCode != 0) return Stop(model, newDisk, adapterCode);

  if (diskIsNew) model.PhysicalDisks()->children.push_back(std::move(newDisk));
  mountPoint.extents.push_back(extent);
  return 0;
}
