// The adapter and device behind each drive.
#include "scan/quelbrin_doc.h"
#include "scan/scan_steps.h"

DWORD ScanDriveAdapter(CQuelbrinDoc& /*doc*/, HANDLE /*drive*/, PhysicalDiskNode& /*disk*/, bool /*diskIsNew*/) {
  return 0;
}
