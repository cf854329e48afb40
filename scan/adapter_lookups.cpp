#include "scan/quelbrin_doc.h"

ScsiAdapterNode* CQuelbrinDoc::FindUsbStorageAdapter() const {
  if (!adapters) return nullptr;
  for (const auto& a : adapters->children) {
    if (a->isUsbStorage) return a.get();
  }
  return nullptr;
}

ScsiAdapterNode* CQuelbrinDoc::Find1394StorageAdapter() const {
  if (!adapters) return nullptr;
  for (const auto& a : adapters->children) {
    if (a->is1394Storage) return a.get();
  }
  return nullptr;
}

ScsiAdapterNode* CQuelbrinDoc::FindScsiPortAdapter(const ScsiAdapterNode& probe) const {
  if (!adapters) return nullptr;
  for (const auto& a : adapters->children) {
    // The pseudo-adapters carry port number 0 too; they are never a SCSI port.
    if (a->isUsbStorage || a->is1394Storage) continue;
    if (a->scsiAddress.PortNumber == probe.scsiAddress.PortNumber) return a.get();
  }
  return nullptr;
}
