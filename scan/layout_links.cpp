#include "scan/layout_links.h"

#include <cstring>
#include <new>

#include "model/disk_partition_node.h"

void LayoutLinks::Reset() {
  kept_ = false;
  bytes_.clear();
  byOffset_.clear();
}

bool LayoutLinks::Repeats(int diskNumber, bool extended, const AnswerBuffer& answer) const {
  return kept_ && diskNumber == diskNumber_ && extended == extended_ && answer.valid() == bytes_.size() &&
         std::memcmp(answer.At(0), bytes_.data(), bytes_.size()) == 0;
}

void LayoutLinks::Keep(int diskNumber, bool extended, const AnswerBuffer& answer) noexcept {
  Reset();
  // Without the memory, every extent links its layout in full, as it would anyway.
  try {
    bytes_.assign(answer.At(0), answer.At(0) + answer.valid());
  } catch (const std::bad_alloc&) {
    return;
  }
  diskNumber_ = diskNumber;
  extended_ = extended;
  kept_ = true;
}

void LayoutLinks::Add(DiskPartitionNode& partition) noexcept {
  if (!kept_) return;
  try {
    byOffset_[partition.StartingOffset()] = &partition;
  } catch (const std::bad_alloc&) {
    Reset();
  }
}

DiskPartitionNode* LayoutLinks::StartingAt(ULONGLONG offset) const {
  const auto it = byOffset_.find(offset);
  return it != byOffset_.end() ? it->second : nullptr;
}
