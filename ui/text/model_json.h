// The whole scanned model as JSON for scripts: every node with every field,
// the platform's records decoded into named fields, and links between nodes
// given by name or path ("PhysicalDrive0/DP(2)...", "Scsi2/Bus0,Target0,Lun0").
#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

class CQuelbrinDoc;

nlohmann::json BuildModelJson(const CQuelbrinDoc& doc);
// Writes the same model as BuildModelJson(doc).dump(2), byte for byte, node by
// node as it is made: the whole document is never held, so that a machine of
// many thousands of volumes prints in little memory.
void WriteModelJson(const CQuelbrinDoc& doc, std::ostream& out);
