// Checks on a scanned model that hold whatever the scan met.
#pragma once

#include <string>
#include <vector>

class CQuelbrinDoc;

// Every link between nodes (mount point to extent, extent to partition,
// partition to disk, disk to partition, disk to adapter and device) that does
// not lead to a node the document still owns, described one per line. Empty
// for a sound model.
std::vector<std::string> DanglingLinks(const CQuelbrinDoc& doc);
