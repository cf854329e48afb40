// The adapter and device descriptors of a drive or port, read in two steps:
// the header tells the size, then the whole descriptor is read.
#include <cstring>

#include "model/zeroed_buffer.h"
#include "scan/adapter_steps.h"

namespace {

// A descriptor larger than this is not believed; the query then fails as if
// the memory could not be had.
constexpr DWORD kLargestDescriptor = 1u << 20;

bool Tolerated(DWORD error, bool invalidParameterToo) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_MORE_DATA ||
         (invalidParameterToo && error == ERROR_INVALID_PARAMETER);
}

// One property: false on an error that is not tolerated; otherwise `out` holds
// the descriptor of the announced size (zeroed after a tolerated failure), or
// nothing when the size is 0.
bool QueryProperty(Platform& platform, HANDLE device, STORAGE_PROPERTY_ID property, bool invalidParameterToo,
                   RecordBytes& out) {
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = property;
  query.QueryType = PropertyStandardQuery;
  STORAGE_DESCRIPTOR_HEADER header{};
  DWORD returned = 0;
  if (!platform.DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &header, sizeof header,
                                &returned, nullptr)) {
    if (!Tolerated(platform.GetLastError(), invalidParameterToo)) return false;
    header = STORAGE_DESCRIPTOR_HEADER{};
  }
  out.clear();
  if (header.Size == 0) return true;
  if (header.Size > kLargestDescriptor) return false;
  if (!AllocateZeroed(out, header.Size)) return false;
  if (!platform.DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, out.data(),
                                static_cast<DWORD>(out.size()), &returned, nullptr)) {
    if (!Tolerated(platform.GetLastError(), invalidParameterToo)) {
      out.clear();
      return false;
    }
    std::memset(out.data(), 0, out.size());
  }
  return true;
}

}  // namespace

bool QueryAdapterDescriptor(Platform& platform, HANDLE device, ScsiAdapterNode& adapter) {
  RecordBytes descriptor;
  if (!QueryProperty(platform, device, StorageAdapterProperty, false, descriptor)) return false;
  if (!descriptor.empty()) adapter.SetAdapterDescriptor(std::move(descriptor));
  return true;
}

bool QueryDeviceDescriptors(Platform& platform, HANDLE device, ScsiDeviceNode& node) {
  RecordBytes descriptor;
  RecordBytes identifiers;
  if (!QueryProperty(platform, device, StorageDeviceProperty, true, descriptor)) return false;
  if (!QueryProperty(platform, device, StorageDeviceIdProperty, true, identifiers)) return false;
  if (!descriptor.empty()) node.deviceDescriptor = std::move(descriptor);
  if (!identifiers.empty()) node.deviceIdDescriptor = std::move(identifiers);
  return true;
}
