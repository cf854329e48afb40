// The adapter and device behind each drive: USB and 1394 drives gather under
// their pseudo-adapters, every other drive under the SCSI port its port driver
// reports. Repeated passes over one drive (one per volume on it) add nothing new.
#include <memory>

#include "platform/wide_text.h"
#include "scan/adapter_steps.h"
#include "scan/scan_steps.h"
#include "scan/scoped_handle.h"

namespace {

constexpr DWORD kPortDeviceNameChars = 256;

// Files a USB or 1394 drive under its pseudo-adapter; devices there carry no
// SCSI address, so only their descriptors tell them apart.
void FilePseudoDevice(StorageModel& model, std::unique_ptr<ScsiAdapterNode> newAdapter,
                      std::unique_ptr<ScsiDeviceNode> newDevice, PhysicalDiskNode& disk, bool usb) {
  ScsiAdapterNode* adapter = usb ? model.FindUsbStorageAdapter() : model.Find1394StorageAdapter();
  if (adapter == nullptr) {
    if (usb) {
      newAdapter->MakeUsbStorage();
    } else {
      newAdapter->Make1394Storage();
    }
    adapter = newAdapter.get();
    model.Adapters()->children.push_back(std::move(newAdapter));
  }
  disk.SetAdapter(adapter);
  if (usb) {
    newDevice->MakeUsbDisk();
  } else {
    newDevice->Make1394Disk();
  }
  if (ScsiDeviceNode* listed = adapter->FindDeviceByDescriptor(*newDevice)) {
    disk.SetDevice(listed);
    return;
  }
  disk.SetDevice(newDevice.get());
  adapter->devices.push_back(std::move(newDevice));
}

std::wstring QueryPortDeviceName(Platform& platform, BYTE portNumber) {
  const std::wstring dosName = FormatWide(L"Scsi%d:", portNumber);
  wchar_t target[kPortDeviceNameChars] = {};
  platform.QueryDosDeviceW(dosName.c_str(), target, kPortDeviceNameChars);
  target[kPortDeviceNameChars - 1] = 0;
  return target;
}

}  // namespace

DWORD ScanDriveAdapter(ScanContext& scan, HANDLE drive, PhysicalDiskNode& disk, bool diskIsNew) {
  Platform& platform = scan.platform;
  auto newAdapter = std::make_unique<ScsiAdapterNode>();
  auto newDevice = std::make_unique<ScsiDeviceNode>();
  QueryAdapterDescriptor(platform, drive, *newAdapter);
  QueryDeviceDescriptors(platform, drive, *newDevice);

  // An adapter without a descriptor reads bus type 0 and is taken as a SCSI port.
  const BYTE busType = newAdapter->GetBusType();
  if (busType == BusType1394 || busType == BusTypeUsb) {
    FilePseudoDevice(scan.model, std::move(newAdapter), std::move(newDevice), disk, busType == BusTypeUsb);
    return 0;
  }

  SCSI_ADDRESS address{};
  DWORD returned = 0;
  if (!platform.DeviceIoControl(drive, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address, &returned,
                                nullptr)) {
    DWORD code = platform.GetLastError();
    if (code == 0) code = ERROR_GEN_FAILURE;  // a stop must carry a code
    scan.prompt.ShowMessageBox(L"IOCTL_SCSI_GET_ADDRESS Error");
    return code;
  }
  newAdapter->SetScsiAddress(address);

  ScsiAdapterNode* adapter = scan.model.FindScsiPortAdapter(*newAdapter);
  const bool adapterIsNew = adapter == nullptr;
  if (adapterIsNew) {
    adapter = newAdapter.get();
    scan.model.Adapters()->children.push_back(std::move(newAdapter));
  } else {
    newAdapter.reset();
  }

  const std::wstring portPath = FormatWide(L"\\\\.\\Scsi%d:", address.PortNumber);
  if (adapterIsNew) adapter->portDeviceName = QueryPortDeviceName(platform, address.PortNumber);

  ScopedHandle port(platform, platform.CreateFileW(portPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                   nullptr, OPEN_EXISTING, 0, nullptr));
  if (port.valid()) {
    IO_SCSI_CAPABILITIES capabilities{};
    if (platform.DeviceIoControl(port.get(), IOCTL_SCSI_GET_CAPABILITIES, nullptr, 0, &capabilities,
                                 sizeof capabilities, &returned, nullptr) &&
        adapterIsNew)
      adapter->SetScsiCapabilities(capabilities);
  }

  newDevice->SetScsiAddress(address);
  ScsiDeviceNode* device = adapter->FindDeviceByDescriptorAndAddress(*newDevice);
  if (device != nullptr) {
    newDevice.reset();
    disk.SetDevice(device);
  } else {
    // Where a device with this address but another descriptor is listed, the
    // disk refers to that one, so that no disk refers to a device no adapter owns.
    device = &adapter->AddDevice(std::move(newDevice));
    if (diskIsNew) disk.SetDevice(device);
  }
  if (diskIsNew) disk.SetAdapter(adapter);

  if (!port.valid()) return 0;
  AnswerBuffer inquiry;
  if (!QueryInquiryData(platform, port.get(), inquiry)) return 0;
  if (adapterIsNew) adapter->SetNumberOfBuses(InquiryBusCount(inquiry));
  // The last matching record wins, as the walk does not stop at a match.
  WalkInquiryRecords(inquiry, [&](std::size_t offset, const SCSI_INQUIRY_DATA& header) {
    SCSI_ADDRESS probe{};
    probe.PortNumber = device->scsiAddress.PortNumber;
    probe.PathId = header.PathId;
    probe.TargetId = header.TargetId;
    probe.Lun = header.Lun;
    if (device->HasAddress(probe)) device->SetInquiryData(inquiry.At(offset), inquiry.valid() - offset);
  });
  return 0;
}
