#include "app/common/model_printer.h"

#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"

namespace {
std::string Name(const StorageNode& node) { return Utf8FromWide(node.GetName()); }
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
      out << "  " << Name(*adapter) << "\n";
      for (const auto& device : adapter->devices) out << "    " << Name(*device) << "\n";
    }
  }
}
