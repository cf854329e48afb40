#include "model/mount_point_node.h"

#include <algorithm>
#include <cstring>

#include "platform/wide_text.h"

void MountPointNode::SetBinaryUniqueId(const BYTE* id, std::size_t length) {
  binaryUniqueIdBytes_ = static_cast<std::uint8_t>(std::min(length, binaryUniqueId_.size()));
  binaryUniqueId_.fill(0);
  std::copy_n(id, binaryUniqueIdBytes_, binaryUniqueId_.begin());
}

std::wstring MountPointNode::UniqueIdLine() const {
  if (binaryUniqueIdBytes_ == 0) return {};
  // Bytes beyond a short id read as zero, as the array holds them.
  const BYTE* id = binaryUniqueId_.data();
  auto word32 = [id](std::size_t i) -> DWORD {
    return id[i] | (id[i + 1] << 8) | (id[i + 2] << 16) | (static_cast<DWORD>(id[i + 3]) << 24);
  };
  if (binaryUniqueIdBytes_ >= 8 && std::memcmp(id, "DMIO:ID:", 8) == 0) {
    GUID guid{};
    guid.Data1 = word32(8);
    guid.Data2 = static_cast<WORD>(id[12] | (id[13] << 8));
    guid.Data3 = static_cast<WORD>(id[14] | (id[15] << 8));
    std::copy_n(id + 16, 8, guid.Data4);
    return L"DMIO:ID:" + FormatGuid(guid);
  }
  return FormatWide(L"BASIC:Signature %x - Offset %x - Length %x", word32(0), word32(4), word32(8));
}
