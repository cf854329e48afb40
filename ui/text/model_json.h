// The whole scanned model as JSON for scripts: every node with every field,
// the platform's records decoded into named fields, and links between nodes
// given by name or path ("PhysicalDrive0/DP(2)...", "Scsi2/Bus0,Target0,Lun0").
#pragma once

#include <nlohmann/json.hpp>

class CQuelbrinDoc;

nlohmann::json BuildModelJson(const CQuelbrinDoc& doc);
