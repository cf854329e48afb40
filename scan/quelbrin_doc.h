// The single document: owner of the storage model of the last scan, of the
// current node, and of the mount point manager handle.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/storage_model.h"
#include "platform/platform.h"
#include "scan/document_listener.h"
#include "scan/progress_sink.h"
#include "scan/prompt.h"
#include "scan/scan_context.h"

class CQuelbrinDoc {
 public:
  // `progress` is null when the application has no main window to show progress in.
  CQuelbrinDoc(Platform& platform, Prompt& prompt, ProgressSink* progress);
  ~CQuelbrinDoc();
  CQuelbrinDoc(const CQuelbrinDoc&) = delete;
  CQuelbrinDoc& operator=(const CQuelbrinDoc&) = delete;

  bool InitialScan();
  void Refresh(bool showAll);
  // Asks `platform` from now on (another machine, or the same one read
  // again); the next scan is up to the caller. The old platform must outlive
  // this call: the mount point manager opened on it is closed here.
  void UsePlatform(Platform& platform);
  bool GetShowAllMountPoints() const { return showAllMountPoints; }
  // The setting the first scan starts with; each refresh is given its own.
  void SetShowAllMountPoints(bool showAll) { showAllMountPoints = showAll; }
  StorageNode* GetCurrentNode() const { return currentNode; }
  void SetCurrentNode(StorageNode* node);
  void OnCloseDocument();

  // The model of the last scan; empty before the first and after a close.
  const StorageModel& Model() const { return model; }
  // Whether the mount point manager could be opened.
  bool MountPointManagerOpen() const { return mountPointManager != INVALID_HANDLE_VALUE; }
  // The code the last scan ended with (0, 8, or the error of the query that stopped it).
  DWORD LastScanResult() const { return lastScanResult; }

  // The listener is told of every change until the subscription ends.
  [[nodiscard]] Subscription Subscribe(DocumentListener& listener) { return Subscription(listeners, listener); }

  const std::wstring& GetTitle() const { return title; }

 private:
  bool OpenMountPointManager();
  bool RunScan();
  void UpdateAllViews(UpdateHint hint, StorageNode* object) { listeners->Notify(hint, object); }

  StorageModel model;
  // Rebuilt when the platform changes: the context holds it by reference.
  std::optional<ScanContext> scan;
  HANDLE mountPointManager = INVALID_HANDLE_VALUE;
  StorageNode* currentNode = nullptr;
  bool showAllMountPoints = false;
  DWORD lastScanResult = 0;
  std::wstring title;
  std::shared_ptr<ListenerRegistry> listeners = std::make_shared<ListenerRegistry>();
};
