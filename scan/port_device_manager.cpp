// Matches a storage-port interface to the adapter it belongs to and attaches
// the device manager's text to that adapter.
#include "scan/adapter_steps.h"
#include "scan/device_manager.h"
#include "scan/quelbrin_doc.h"
#include "scan/scan_steps.h"

void AttachPortDeviceManagerInfo(CQuelbrinDoc& doc, const GUID& interfaceClass, DWORD index, HANDLE port,
                                 const std::wstring& /*path*/) {
  if (!doc.adapters) return;
  ScsiAdapterNode probe;
  QueryAdapterDescriptor(doc.platform, port, probe);
  AnswerBuffer inquiry;
  if (!QueryInquiryData(doc.platform, port, inquiry)) return;
  const int buses = InquiryBusCount(inquiry);
  for (const auto& adapter : doc.adapters->children) {
    // Pseudo-adapters have no buses, so an interface must report buses to match one.
    if (adapter->GetBusType() != probe.GetBusType() || adapter->numberOfBuses != buses ||
        !SameAdapterDescriptor(*adapter, probe))
      continue;
    bool matches = false;
    WalkInquiryRecords(inquiry, [&](std::size_t, const SCSI_INQUIRY_DATA& header) {
      SCSI_ADDRESS address{};
      address.PathId = header.PathId;
      address.TargetId = header.TargetId;
      address.Lun = header.Lun;
      if (adapter->FindDeviceByPathTargetLun(address) != nullptr) matches = true;
    });
    // Filled at most once: a second gathering would repeat every line.
    if (matches && !adapter->hasDeviceManagerInfo) {
      GatherDeviceManagerInfo(doc, interfaceClass, index, adapter->deviceManagerInfo);
      adapter->hasDeviceManagerInfo = true;
    }
  }
}
