// The storage-port stage: matches each storage-port interface to the adapter
// it belongs to and attaches the device manager's text to that adapter.
#include "scan/adapter_steps.h"
#include "scan/device_manager.h"
#include "scan/scan_steps.h"

void StoragePortStage(ScanContext& scan) {
  for (DWORD index = 0;; ++index) {
    HANDLE port = INVALID_HANDLE_VALUE;
    std::wstring path;
    const DWORD code = OpenInterfaceDevice(scan, kStoragePortInterfaceClass, index, port, path);
    if (code == ERROR_NO_MORE_ITEMS) break;
    if (code != 0) continue;
    AttachPortDeviceManagerInfo(scan, kStoragePortInterfaceClass, index, port, path);
    scan.platform.CloseHandle(port);
  }
}

void AttachPortDeviceManagerInfo(ScanContext& scan, const GUID& interfaceClass, DWORD index, HANDLE port,
                                 const std::wstring& /*path*/) {
  AdapterList* adapters = scan.model.Adapters();
  if (adapters == nullptr) return;
  ScsiAdapterNode probe;
  QueryAdapterDescriptor(scan.platform, port, probe);
  AnswerBuffer inquiry;
  if (!QueryInquiryData(scan.platform, port, inquiry)) return;
  const int buses = InquiryBusCount(inquiry);
  for (const auto& adapter : adapters->children) {
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
      GatherDeviceManagerInfo(scan.platform, interfaceClass, index, adapter->deviceManagerInfo);
      adapter->hasDeviceManagerInfo = true;
    }
  }
}
