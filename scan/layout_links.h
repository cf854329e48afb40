// What the last long layout answer linked. Every extent asks its drive for the
// whole layout; on a disk of thousands of partitions, looking up each entry
// again for each of its volumes made the scan quadratic in lookups. An answer
// that repeats the one linked last links nothing new: each entry finds the
// node it found then, so only the extent's own partition is left to find.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "platform/win_types.h"
#include "scan/answer_buffer.h"

class DiskPartitionNode;

class LayoutLinks {
 public:
  // Layouts of fewer entries are linked again for less than keeping them costs.
  static constexpr std::size_t kWorthKeeping = 16;

  // Forgets the answer kept; at the start of a scan, whose model starts empty.
  void Reset();
  // Whether `answer` is, byte for byte, the last answer kept, for the same
  // drive and in the same form.
  bool Repeats(int diskNumber, bool extended, const AnswerBuffer& answer) const;
  // Keeps `answer` in place of the last; its entries' nodes follow by Add.
  // Where memory runs out, nothing is kept.
  void Keep(int diskNumber, bool extended, const AnswerBuffer& answer) noexcept;
  // The node an entry of the kept answer found or made, in the answer's order.
  void Add(DiskPartitionNode& partition) noexcept;
  // The last node added that starts at `offset`, as a walk of the entries
  // would leave it; null when none does.
  DiskPartitionNode* StartingAt(ULONGLONG offset) const;

 private:
  bool kept_ = false;
  int diskNumber_ = 0;
  bool extended_ = false;
  std::vector<BYTE> bytes_;
  std::unordered_map<ULONGLONG, DiskPartitionNode*> byOffset_;
};
