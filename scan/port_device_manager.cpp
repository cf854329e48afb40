// Matches the storage-port interfaces to the adapters they belong to and
// attaches the device manager's text to those adapters.
//
// An interface names its port's devices only by bus, target and logical unit,
// so two alike controllers with devices at the same places both look like
// either adapter. The interfaces are therefore all read first; an adapter
// takes the text of the one interface that fits it, or of the one that fits
// it closely (every device of the adapter listed with the same INQUIRY data),
// and otherwise none: another controller's ids, resources and driver would be
// worse than no text.
#include <algorithm>
#include <cstring>

#include "platform/wide_text.h"
#include "scan/adapter_steps.h"
#include "scan/device_manager.h"
#include "scan/scan_steps.h"

namespace {

// The INQUIRY bytes of the record at `offset` are those the device keeps; a
// device that keeps none is no evidence against.
bool SameInquiry(const ScsiDeviceNode& device, const AnswerBuffer& answer, std::size_t offset) {
  if (device.inquiryRecord.size() <= layout::kInquiryRecordHeader) return true;
  ScsiDeviceNode record;
  record.SetInquiryData(answer.At(offset), answer.valid() - offset);
  const auto kept = device.inquiryRecord.begin() + layout::kInquiryRecordHeader;
  if (record.inquiryRecord.size() != device.inquiryRecord.size()) return false;
  return std::equal(kept, device.inquiryRecord.end(), record.inquiryRecord.begin() + layout::kInquiryRecordHeader);
}

}  // namespace

void MatchPortInterface(ScanContext& scan, DWORD index, HANDLE port, const std::wstring& path,
                        std::vector<PortInterfaceMatch>& matches) {
  AdapterList* adapters = scan.model.Adapters();
  if (adapters == nullptr) return;
  ScsiAdapterNode probe;
  QueryAdapterDescriptor(scan.platform, port, probe);
  AnswerBuffer inquiry;
  if (!QueryInquiryData(scan.platform, port, inquiry)) return;
  const int buses = InquiryBusCount(inquiry);
  PortInterfaceMatch match{index, path, {}, {}};
  for (const auto& adapter : adapters->children) {
    // Pseudo-adapters have no buses, so an interface must report buses to match one.
    if (adapter->GetBusType() != probe.GetBusType() || adapter->numberOfBuses != buses ||
        !SameAdapterDescriptor(*adapter, probe))
      continue;
    std::vector<const ScsiDeviceNode*> found;
    bool inquiryAgrees = true;
    WalkInquiryRecords(inquiry, [&](std::size_t offset, const SCSI_INQUIRY_DATA& header) {
      SCSI_ADDRESS address{};
      address.PathId = header.PathId;
      address.TargetId = header.TargetId;
      address.Lun = header.Lun;
      const ScsiDeviceNode* device = adapter->FindDeviceByPathTargetLun(address);
      if (device == nullptr) return;
      if (std::find(found.begin(), found.end(), device) == found.end()) found.push_back(device);
      if (!SameInquiry(*device, inquiry, offset)) inquiryAgrees = false;
    });
    if (found.empty()) continue;
    match.adapters.push_back(adapter.get());
    if (inquiryAgrees && found.size() == adapter->devices.size()) match.closely.push_back(adapter.get());
  }
  if (!match.adapters.empty()) matches.push_back(std::move(match));
}

void AttachPortDeviceManagerInfo(ScanContext& scan, const GUID& interfaceClass,
                                 const std::vector<PortInterfaceMatch>& matches) {
  AdapterList* adapters = scan.model.Adapters();
  if (adapters == nullptr) return;
  for (const auto& adapter : adapters->children) {
    // Filled at most once: a second gathering would repeat every line.
    if (adapter->hasDeviceManagerInfo) continue;
    std::vector<const PortInterfaceMatch*> fitting;
    std::vector<const PortInterfaceMatch*> close;
    for (const PortInterfaceMatch& m : matches) {
      if (std::find(m.adapters.begin(), m.adapters.end(), adapter.get()) != m.adapters.end()) fitting.push_back(&m);
      if (std::find(m.closely.begin(), m.closely.end(), adapter.get()) != m.closely.end()) close.push_back(&m);
    }
    const PortInterfaceMatch* chosen = fitting.size() == 1 ? fitting.front() : close.size() == 1 ? close.front() : nullptr;
    if (chosen != nullptr) {
      GatherDeviceManagerInfo(scan.platform, interfaceClass, chosen->index, adapter->deviceManagerInfo);
      adapter->hasDeviceManagerInfo = true;
    } else if (!fitting.empty()) {
      std::wstring paths;
      for (const PortInterfaceMatch* m : close.empty() ? fitting : close) paths += (paths.empty() ? L"" : L", ") + m->path;
      scan.prompt.Diagnostic(FormatWide(L"No device manager text for %s: the storage-port interfaces %s answer alike\n",
                                       adapter->GetName().c_str(), paths.c_str()));
    }
  }
}

void StoragePortStage(ScanContext& scan) {
  std::vector<PortInterfaceMatch> matches;
  for (DWORD index = 0;; ++index) {
    HANDLE port = INVALID_HANDLE_VALUE;
    std::wstring path;
    const DWORD code = OpenInterfaceDevice(scan, kStoragePortInterfaceClass, index, port, path);
    if (code == ERROR_NO_MORE_ITEMS) break;
    if (code != 0) continue;
    MatchPortInterface(scan, index, port, path, matches);
    scan.platform.CloseHandle(port);
  }
  AttachPortDeviceManagerInfo(scan, kStoragePortInterfaceClass, matches);
}
