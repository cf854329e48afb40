#include "app/common/model_printer.h"

#include <algorithm>

#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"

namespace {
std::string Name(const StorageNode& node) { return Utf8FromWide(node.GetName()); }

// What a device calls itself: the product id of its descriptor, else of its inquiry data.
std::string Product(const ScsiDeviceNode& device) {
  const STORAGE_DEVICE_DESCRIPTOR d = device.DeviceDescriptorFields();
  std::string text;
  if (!device.deviceDescriptor.empty() && d.ProductIdOffset != 0)
    text = std::string(StringAt(device.deviceDescriptor, d.ProductIdOffset));
  if (text.empty() && device.InquiryLength() > 16) {
    const std::size_t end = std::min<std::size_t>(32, device.InquiryLength());
    text.assign(reinterpret_cast<const char*>(device.inquiryData) + 16, end - 16);
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
  }
  return text;
}

void PrintLines(std::ostream& out, const char* label, const std::vector<std::wstring>& lines) {
  for (const auto& line : lines) out << "    " << label << ": " << Utf8FromWide(line) << "\n";
}
}  // namespace

void PrintModelTree(const CQuelbrinDoc& doc, std::ostream& out) {
  if (doc.mountPoints) {
    out << Name(*doc.mountPoints) << "\n";
    for (const auto& mp : doc.mountPoints->children) {
      out << "  " << Name(*mp);
      if (!mp->volumeName.empty() || !mp->fileSystemName.empty())
        out << "  [" << Utf8FromWide(mp->volumeName) << (mp->volumeName.empty() ? "" : ", ")
            << Utf8FromWide(mp->fileSystemName) << "]";
      out << "\n";
      for (const DiskExtentNode* extent : mp->extents) {
        out << "    " << Name(*extent);
        if (extent->partition != nullptr) {
          out << " -> " << Name(*extent->partition);
          if (extent->partition->disk != nullptr) out << " on " << Name(*extent->partition->disk);
        }
        out << "\n";
      }
    }
  }
  if (doc.physicalDisks) {
    out << Name(*doc.physicalDisks) << "\n";
    for (const auto& disk : doc.physicalDisks->children) {
      out << "  " << Name(*disk);
      if (disk->adapter != nullptr) out << "  on " << Name(*disk->adapter);
      if (disk->device != nullptr) out << " / " << Name(*disk->device);
      out << "\n";
      for (const DiskPartitionNode* partition : disk->partitions) out << "    " << Name(*partition) << "\n";
    }
  }
  if (doc.adapters) {
    out << Name(*doc.adapters) << "\n";
    for (const auto& adapter : doc.adapters->children) {
      out << "  " << Name(*adapter);
      if (!adapter->portDeviceName.empty()) out << "  [" << Utf8FromWide(adapter->portDeviceName) << "]";
      if (adapter->numberOfBuses > 0) out << "  " << adapter->numberOfBuses << (adapter->numberOfBuses == 1 ? " bus" : " buses");
      out << "\n";
      for (const auto& device : adapter->devices) {
        out << "    " << Name(*device);
        const std::string product = Product(*device);
        if (!product.empty()) out << "  [" << product << "]";
        if (doc.physicalDisks) {
          for (const auto& disk : doc.physicalDisks->children) {
            if (disk->device == device.get()) out << "  " << Name(*disk);
          }
        }
        out << "\n";
      }
      if (adapter->hasDeviceManagerInfo) {
        const DeviceManagerInfo& info = adapter->deviceManagerInfo;
        PrintLines(out, "hardware id", info.hardwareIds);
        PrintLines(out, "compatible id", info.compatibleIds);
        PrintLines(out, "resource", info.hardwareResources);
        PrintLines(out, "driver node", info.driverNodes);
        PrintLines(out, "driver file", info.driverFiles);
      }
    }
  }
}
