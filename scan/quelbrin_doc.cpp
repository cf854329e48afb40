#include "scan/quelbrin_doc.h"

#include <algorithm>

#include "scan/scan_steps.h"

namespace {
constexpr const wchar_t* kMountPointManagerPath = L"\\\\.\\MountPointManager";
constexpr const wchar_t* kDocumentTitle = L"Zav Volume Viewer V1.0";
}  // namespace

CQuelbrinDoc::CQuelbrinDoc(Platform& p, Prompt& pr, ProgressSink* sink) : platform(p), prompt(pr), progress(sink) {}

CQuelbrinDoc::~CQuelbrinDoc() {
  DeleteModel();
  if (mountPointManager != INVALID_HANDLE_VALUE) platform.CloseHandle(mountPointManager);
}

bool CQuelbrinDoc::OpenMountPointManager() {
  mountPointManager = platform.CreateFileW(kMountPointManagerPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
  return mountPointManager != INVALID_HANDLE_VALUE;
}

bool CQuelbrinDoc::InitialScan() {
  SetTitle(kDocumentTitle);
  // Started again, the scan begins from nothing: extents and partitions kept
  // from before would be found again and lead to disks that are gone. The
  // manager already open is used rather than opened a second time.
  DeleteModel();
  if (mountPointManager == INVALID_HANDLE_VALUE && !OpenMountPointManager()) return false;
  return RunScan();
}

void CQuelbrinDoc::Refresh(bool showAll) {
  mountPoints.reset();
  physicalDisks.reset();
  adapters.reset();
  currentNode = nullptr;
  showAllMountPoints = showAll;
  DeleteExtentsAndPartitions();
  if (progress != nullptr) progress->RestartSplash();
  // A manager that could not be opened at start may be reachable now; without
  // it every refresh would show an empty machine for the life of the program.
  if (mountPointManager == INVALID_HANDLE_VALUE) OpenMountPointManager();
  if (RunScan())
    UpdateAllViews(HintRebuild, mountPoints.get());
  else
    UpdateAllViews(HintModelGone, nullptr);
}

bool CQuelbrinDoc::RunScan() {
  lastScanResult = StorageScan(*this);
  if (lastScanResult != 0) return false;
  StoragePortStage();
  currentNode = mountPoints.get();
  return true;
}

void CQuelbrinDoc::StoragePortStage() {
  std::vector<PortInterfaceMatch> matches;
  for (DWORD index = 0;; ++index) {
    HANDLE port = INVALID_HANDLE_VALUE;
    std::wstring path;
    const DWORD code = OpenInterfaceDevice(*this, kStoragePortInterfaceClass, index, port, path);
    if (code == ERROR_NO_MORE_ITEMS) break;
    if (code != 0) continue;
    MatchPortInterface(*this, index, port, path, matches);
    platform.CloseHandle(port);
  }
  AttachPortDeviceManagerInfo(*this, kStoragePortInterfaceClass, matches);
}

void CQuelbrinDoc::SetCurrentNode(StorageNode* node) {
  if (node == currentNode) return;
  currentNode = node;
  UpdateAllViews(HintSelectNode, node);
}

void CQuelbrinDoc::OnCloseDocument() { DeleteModel(); }

void CQuelbrinDoc::DeleteModel() {
  mountPoints.reset();
  physicalDisks.reset();
  adapters.reset();
  DeleteExtentsAndPartitions();
  currentNode = nullptr;
}

void CQuelbrinDoc::DeleteExtentsAndPartitions() {
  allExtents.clear();
  allPartitions.clear();
  extentLookup.Reset();
  partitionLookup.Reset();
}

void CQuelbrinDoc::AddListener(DocumentListener* listener) { listeners.push_back(listener); }

void CQuelbrinDoc::RemoveListener(DocumentListener* listener) {
  listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

void CQuelbrinDoc::UpdateAllViews(long hint, StorageNode* object) {
  // A listener may register or leave while being told; walk a copy.
  const std::vector<DocumentListener*> current = listeners;
  for (DocumentListener* listener : current) listener->OnUpdate(hint, object);
}

CQuelbrinDoc::ExtentKey CQuelbrinDoc::KeyOf(const DiskExtentNode& node) {
  const DISK_EXTENT& e = node.diskExtent;
  return {e.DiskNumber, e.ExtentLength.QuadPart, e.StartingOffset.QuadPart};
}

CQuelbrinDoc::PartitionKey CQuelbrinDoc::KeyOf(const DiskPartitionNode& node) {
  if (node.hasPartitionInfoEx) {
    const PARTITION_INFORMATION_EX& p = node.partitionInfoEx;
    return {true, node.diskNumber, p.PartitionStyle, p.StartingOffset.QuadPart, p.PartitionNumber,
            p.PartitionLength.QuadPart};
  }
  const PARTITION_INFORMATION& p = node.partitionInfo;
  return {false, node.diskNumber, p.PartitionType, p.StartingOffset.QuadPart, p.PartitionNumber,
          p.PartitionLength.QuadPart};
}

// Each lookup answers as a walk of its array in order of creation would: the
// first node with equal disk number, length and offset (extents), or equal
// form, disk number, style or type, offset, number and length (partitions).
DiskExtentNode* CQuelbrinDoc::FindExtent(const DISK_EXTENT& extent) const {
  return extentLookup.Find(allExtents,
                           ExtentKey{extent.DiskNumber, extent.ExtentLength.QuadPart, extent.StartingOffset.QuadPart});
}

DiskPartitionNode* CQuelbrinDoc::FindPartitionEx(const PARTITION_INFORMATION_EX& info, int diskNumber) const {
  return partitionLookup.Find(allPartitions, PartitionKey{true, diskNumber, info.PartitionStyle,
                                                          info.StartingOffset.QuadPart, info.PartitionNumber,
                                                          info.PartitionLength.QuadPart});
}

DiskPartitionNode* CQuelbrinDoc::FindPartition(const PARTITION_INFORMATION& info, int diskNumber) const {
  return partitionLookup.Find(allPartitions, PartitionKey{false, diskNumber, info.PartitionType,
                                                          info.StartingOffset.QuadPart, info.PartitionNumber,
                                                          info.PartitionLength.QuadPart});
}
