#include "scan/layout_links.h"

#include <cstring>
#include <new>

#include "model/disk_partition_node.h"

void LayoutLinks::Reset() {
  kept_.clear();
  filling_ = nullptr;
}

bool LayoutLinks::Repeats(int diskNumber, bool extended, const AnswerBuffer& answer, ULONGLONG offset,
                          DiskPartitionNode*& partition) {
  if (kept_.empty()) return false;
  const auto it = kept_.find({diskNumber, extended});
  if (it == kept_.end()) return false;
  Kept& kept = it->second;
  if (kept.bytes.empty() || answer.valid() != kept.bytes.size() ||
      std::memcmp(answer.At(0), kept.bytes.data(), kept.bytes.size()) != 0)
    return false;
  try {
    if (kept.byOffset.empty()) {
      // In the entries' order: the last node at an offset stays.
      for (DiskPartitionNode* node : kept.nodes) kept.byOffset[node->StartingOffset()] = node;
    }
  } catch (const std::bad_alloc&) {
    kept_.erase(it);
    return false;
  }
  const auto found = kept.byOffset.find(offset);
  partition = found != kept.byOffset.end() ? found->second : nullptr;
  return true;
}

bool LayoutLinks::Keep(int diskNumber, bool extended, const AnswerBuffer& answer, std::size_t entries) noexcept {
  filling_ = nullptr;
  if (entries < kWorthKeeping) return false;
  try {
    const auto [it, first] = kept_.try_emplace({diskNumber, extended});
    if (first) return false;
    Kept& kept = it->second;
    kept.nodes.clear();
    kept.byOffset.clear();
    kept.bytes.assign(answer.At(0), answer.At(0) + answer.valid());
    kept.nodes.reserve(entries);
    filling_ = &kept;
    return true;
  } catch (const std::bad_alloc&) {
    // Without the memory, every extent links its layout in full, as it would anyway.
    kept_.erase({diskNumber, extended});
    return false;
  }
}

void LayoutLinks::Add(DiskPartitionNode& partition) noexcept {
  if (filling_ == nullptr) return;
  try {
    filling_->nodes.push_back(&partition);
  } catch (const std::bad_alloc&) {
    filling_->bytes.clear();
    filling_ = nullptr;
  }
}
