// What long layout answers linked. Every extent asks its drive for the whole
// layout; on a disk of thousands of partitions, looking up each entry again for
// each of its volumes made the scan quadratic in lookups. An answer that
// repeats the one a drive gave before links nothing new: each entry finds the
// node it found then, so only the extent's own partition is left to find.
#pragma once

#include <cstddef>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/win_types.h"
#include "scan/answer_buffer.h"

class DiskPartitionNode;

class LayoutLinks {
 public:
  // Layouts of fewer entries are linked again for less than keeping them costs.
  static constexpr std::size_t kWorthKeeping = 16;

  // Forgets every answer; at the start of a scan, whose model starts empty.
  void Reset();
  // True when `answer` repeats, byte for byte, the one kept for the drive in
  // that form; `partition` is then the last node of its entries that starts
  // at `offset`, as a walk of them would leave it, or null.
  bool Repeats(int diskNumber, bool extended, const AnswerBuffer& answer, ULONGLONG offset,
               DiskPartitionNode*& partition);
  // Keeps `answer`, of `entries` entries, when it is long and its drive gave
  // an answer in that form before: a drive of one volume keeps nothing. The
  // nodes of its entries follow by Add. False when it is not kept, memory
  // running out included.
  bool Keep(int diskNumber, bool extended, const AnswerBuffer& answer, std::size_t entries) noexcept;
  // The node the next entry of the answer being kept found or made.
  void Add(DiskPartitionNode& partition) noexcept;

 private:
  struct Kept {
    std::vector<BYTE> bytes;  // empty: the drive was only seen
    std::vector<DiskPartitionNode*> nodes;
    // Made from `nodes` when an extent first asks.
    std::unordered_map<ULONGLONG, DiskPartitionNode*> byOffset;
  };
  std::map<std::pair<int, bool>, Kept> kept_;
  Kept* filling_ = nullptr;
};
