#include "scan/quelbrin_doc.h"

#include "scan/scan_steps.h"

namespace {
constexpr const wchar_t* kMountPointManagerPath = L"\\\\.\\MountPointManager";
constexpr const wchar_t* kDocumentTitle = L"Zav Volume Viewer V1.0";
}  // namespace

CQuelbrinDoc::CQuelbrinDoc(Platform& platform, Prompt& prompt, ProgressSink* progress)
    : scan(ScanContext{platform, prompt, progress, model}) {}

void CQuelbrinDoc::UsePlatform(Platform& platform) {
  if (mountPointManager != INVALID_HANDLE_VALUE) scan->platform.CloseHandle(mountPointManager);
  mountPointManager = INVALID_HANDLE_VALUE;
  scan.emplace(ScanContext{platform, scan->prompt, scan->progress, model});
}

CQuelbrinDoc::~CQuelbrinDoc() {
  if (mountPointManager != INVALID_HANDLE_VALUE) scan->platform.CloseHandle(mountPointManager);
}

bool CQuelbrinDoc::OpenMountPointManager() {
  mountPointManager = scan->platform.CreateFileW(kMountPointManagerPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                OPEN_EXISTING, 0, nullptr);
  return mountPointManager != INVALID_HANDLE_VALUE;
}

bool CQuelbrinDoc::InitialScan() {
  title = kDocumentTitle;
  // Started again, the scan begins from nothing: extents and partitions kept
  // from before would be found again and lead to disks that are gone. The
  // manager already open is used rather than opened a second time.
  OnCloseDocument();
  if (mountPointManager == INVALID_HANDLE_VALUE && !OpenMountPointManager()) return false;
  return RunScan();
}

void CQuelbrinDoc::Refresh(bool showAll) {
  OnCloseDocument();
  showAllMountPoints = showAll;
  if (scan->progress != nullptr) scan->progress->RestartSplash();
  // A manager that could not be opened at start may be reachable now; without
  // it every refresh would show an empty machine for the life of the program.
  if (mountPointManager == INVALID_HANDLE_VALUE) OpenMountPointManager();
  if (RunScan())
    UpdateAllViews(HintRebuild, model.MountPoints());
  else
    UpdateAllViews(HintModelGone, nullptr);
}

bool CQuelbrinDoc::RunScan() {
  lastScanResult = StorageScan(*scan, mountPointManager, showAllMountPoints);
  if (lastScanResult != 0) return false;
  StoragePortStage(*scan);
  currentNode = model.MountPoints();
  return true;
}

void CQuelbrinDoc::SetCurrentNode(StorageNode* node) {
  if (node == currentNode) return;
  currentNode = node;
  UpdateAllViews(HintSelectNode, node);
}

void CQuelbrinDoc::OnCloseDocument() {
  currentNode = nullptr;
  model.Clear();
}
