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
  if (!OpenMountPointManager()) return false;
  return RunScan();
}

void CQuelbrinDoc::Refresh(bool showAll) {
  mountPoints.reset();
  physicalDisks.reset();
  adapters.reset();
  currentNode = nullptr;
  showAllMountPoints = showAll;
  allExtents.clear();
  allPartitions.clear();
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
  for (DWORD index = 0;; ++index) {
    HANDLE port = INVALID_HANDLE_VALUE;
    std::wstring path;
    const DWORD code = OpenInterfaceDevice(*this, kStoragePortInterfaceClass, index, port, path);
    if (code == ERROR_NO_MORE_ITEMS) break;
    if (code != 0) continue;
    AttachPortDeviceManagerInfo(*this, kStoragePortInterfaceClass, index, port, path);
    platform.CloseHandle(port);
  }
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
  allExtents.clear();
  allPartitions.clear();
  currentNode = nullptr;
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

DiskExtentNode* CQuelbrinDoc::FindExtent(const DISK_EXTENT& extent) const {
  for (const auto& node : allExtents) {
    const DISK_EXTENT& e = node->diskExtent;
    if (e.DiskNumber == extent.DiskNumber && e.ExtentLength.QuadPart == extent.ExtentLength.QuadPart &&
        e.StartingOffset.QuadPart == extent.StartingOffset.QuadPart)
      return node.get();
  }
  return nullptr;
}

DiskPartitionNode* CQuelbrinDoc::FindPartitionEx(const PARTITION_INFORMATION_EX& info, int diskNumber) const {
  for (const auto& node : allPartitions) {
    if (!node->hasPartitionInfoEx || node->diskNumber != diskNumber) continue;
    const PARTITION_INFORMATION_EX& p = node->partitionInfoEx;
    if (p.PartitionStyle == info.PartitionStyle && p.StartingOffset.QuadPart == info.StartingOffset.QuadPart &&
        p.PartitionNumber == info.PartitionNumber && p.PartitionLength.QuadPart == info.PartitionLength.QuadPart)
      return node.get();
  }
  return nullptr;
}

DiskPartitionNode* CQuelbrinDoc::FindPartition(const PARTITION_INFORMATION& info, int diskNumber) const {
  for (const auto& node : allPartitions) {
    if (node->hasPartitionInfoEx || node->diskNumber != diskNumber) continue;
    const PARTITION_INFORMATION& p = node->partitionInfo;
    if (p.PartitionType == info.PartitionType && p.StartingOffset.QuadPart == info.StartingOffset.QuadPart &&
        p.PartitionNumber == info.PartitionNumber && p.PartitionLength.QuadPart == info.PartitionLength.QuadPart)
      return node.get();
  }
  return nullptr;
}
