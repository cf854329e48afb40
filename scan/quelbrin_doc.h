// The single document: owner of the storage model of the last scan, of the
// current node, and of the mount point manager handle.
#pragma once

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "model/disk_extent_node.h"
#include "model/disk_partition_node.h"
#include "model/first_by_key.h"
#include "model/list_nodes.h"
#include "platform/platform.h"
#include "scan/document_listener.h"
#include "scan/progress_sink.h"
#include "scan/prompt.h"

class CQuelbrinDoc {
 public:
  // `progress` is null when the application has no main window to show progress in.
  CQuelbrinDoc(Platform& platform, Prompt& prompt, ProgressSink* progress);
  ~CQuelbrinDoc();
  CQuelbrinDoc(const CQuelbrinDoc&) = delete;
  CQuelbrinDoc& operator=(const CQuelbrinDoc&) = delete;

  bool InitialScan();
  void Refresh(bool showAll);
  bool GetShowAllMountPoints() const { return showAllMountPoints; }
  StorageNode* GetCurrentNode() const { return currentNode; }
  void SetCurrentNode(StorageNode* node);
  void OnCloseDocument();

  void AddListener(DocumentListener* listener);
  void RemoveListener(DocumentListener* listener);
  void UpdateAllViews(UpdateHint hint, StorageNode* object);

  const std::wstring& GetTitle() const { return title; }
  void SetTitle(const std::wstring& text) { title = text; }

  // Lookups that keep extents and partitions unique within one scan.
  DiskExtentNode* FindExtent(const DISK_EXTENT& extent) const;
  DiskPartitionNode* FindPartitionEx(const PARTITION_INFORMATION_EX& info, int diskNumber) const;
  DiskPartitionNode* FindPartition(const PARTITION_INFORMATION& info, int diskNumber) const;
  // Lookups that keep adapters unique within one scan.
  ScsiAdapterNode* FindUsbStorageAdapter() const;
  ScsiAdapterNode* Find1394StorageAdapter() const;
  // The SCSI port adapter (neither pseudo-adapter) with the probe's port number.
  ScsiAdapterNode* FindScsiPortAdapter(const ScsiAdapterNode& probe) const;

  Platform& platform;
  Prompt& prompt;
  ProgressSink* progress;

  HANDLE mountPointManager = INVALID_HANDLE_VALUE;
  std::unique_ptr<MountPointList> mountPoints;
  std::unique_ptr<AdapterList> adapters;
  std::unique_ptr<PhysicalDiskList> physicalDisks;
  std::vector<std::unique_ptr<DiskExtentNode>> allExtents;
  std::vector<std::unique_ptr<DiskPartitionNode>> allPartitions;
  StorageNode* currentNode = nullptr;
  bool showAllMountPoints = false;
  // The code the last scan ended with (0, 8, or the error of the query that stopped it).
  DWORD lastScanResult = 0;

 private:
  bool OpenMountPointManager();
  bool RunScan();
  void StoragePortStage();
  void DeleteModel();

  // Empties both flat arrays and forgets their lookups.
  void DeleteExtentsAndPartitions();

  std::wstring title;
  std::vector<DocumentListener*> listeners;

  using ExtentKey = std::tuple<DWORD, LONGLONG, LONGLONG>;
  // Whether the record is the extended one, disk number, partition style or
  // type, starting offset, partition number, length.
  using PartitionKey = std::tuple<bool, int, int, LONGLONG, DWORD, LONGLONG>;
  static ExtentKey KeyOf(const DiskExtentNode& node);
  static PartitionKey KeyOf(const DiskPartitionNode& node);
  FirstByKey<DiskExtentNode, ExtentKey> extentLookup{&KeyOf};
  FirstByKey<DiskPartitionNode, PartitionKey> partitionLookup{&KeyOf};
};
