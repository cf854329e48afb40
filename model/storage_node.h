// The base of every node of the storage model: a kind code and a display name.
#pragma once

#include <string>

enum NodeKind : int {
  KindMountPointList = 1,
  KindPhysicalDiskList = 2,
  KindAdapterList = 3,
  KindMountPoint = 4,
  KindDiskExtent = 5,
  KindDiskPartition = 6,
  KindPhysicalDisk = 7,
  KindScsiAdapter = 8,
  KindScsiDevice = 9,
};

class StorageNode {
 public:
  StorageNode(const StorageNode&) = delete;
  StorageNode& operator=(const StorageNode&) = delete;
  virtual ~StorageNode() = default;

  // Nodes are never stored; kept so that every node answers the same operations.
  virtual void Serialize() {}
  virtual const std::wstring& GetName() const { return name; }

  const NodeKind kind;
  std::wstring name;

 protected:
  explicit StorageNode(NodeKind nodeKind) : kind(nodeKind) {}
};
