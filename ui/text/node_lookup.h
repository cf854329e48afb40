// Naming a node on the command line: by its path in the tree from a root
// ("Physical Disks/PhysicalDrive0", "Adapters/Scsi1/Bus0,Target1,Lun0"), or by a
// display name that only one node has ("PhysicalDrive0", "Mountpoints").
#pragma once

#include <functional>
#include <string>
#include <vector>

class CQuelbrinDoc;
class StorageNode;

struct NamedNode {
  std::wstring path;  // unique: "#2" and so on follow a path that several nodes share
  StorageNode* node;
};

// One entry per node that can be named, in tree order, each with the path the
// tree registers it under. A disk's partitions that lie under no volume are
// named below the disk ("Physical Disks/PhysicalDrive0/DP(1)100000-1f400000").
std::vector<NamedNode> NameableNodes(CQuelbrinDoc& doc);
// The same, one at a time: each path is spelt out as it is visited, so that a
// machine of a hundred thousand nodes never has all of them in memory at once.
void ForEachNameableNode(CQuelbrinDoc& doc, const std::function<void(const std::wstring& path, StorageNode* node)>& visit);

struct NodeLookup {
  StorageNode* node = nullptr;
  std::string error;  // when no node: what went wrong and the close matches, UTF-8
};

NodeLookup FindNode(CQuelbrinDoc& doc, const std::string& name);
