// Device paths and what each opens, compared without regard to case. A large
// machine names tens of thousands of paths and the scan opens several per
// volume: a hash map of wide strings took a node and a heap copy per path,
// more room than the described volumes themselves, and three or four cache
// misses per lookup. Here the folded paths share one byte buffer and the slots
// one array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The upper-case form of one unit of a path, as the table compares it.
wchar_t UpperUnit(wchar_t c);

class FoldedPaths {
 public:
  // Room for `count` paths without growing.
  void Reserve(std::size_t count);
  // Adds `path`, or finds it; returns its entry number and whether it is new.
  std::pair<std::size_t, bool> Add(std::wstring_view path);
  // The entry number of `path`, or npos.
  std::size_t Find(std::wstring_view path);
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  // 32-bit places: the paths of a machine file of at most 64 MiB fit many times over.
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t entry = 0;  // 0: empty; entry number + 1 otherwise
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  // Folds `path` into `scratch_` and returns its hash.
  std::uint32_t Fold(std::wstring_view path);
  // The slot that holds the folded path in `scratch_`, or the empty slot where it would go.
  Slot& Probe(std::uint32_t hash);
  void Rehash(std::size_t slots);

  std::vector<Slot> slots_;
  std::string keys_;     // every folded path, one after another
  std::string scratch_;  // the folded form of the path being looked up
  // The last path looked up, as given, and what it found.
  std::wstring lastPath_;
  std::size_t lastEntry_ = npos;
  bool lastValid_ = false;
  std::size_t count_ = 0;
};

// FoldedPaths with a value per path.
template <class Value>
class PathTable {
 public:
  void Reserve(std::size_t count) {
    paths_.Reserve(count);
    values_.reserve(count);
  }
  // The first value given for a path stays unless `replace`.
  void Insert(std::wstring_view path, const Value& value, bool replace) {
    const auto [entry, added] = paths_.Add(path);
    if (added) {
      values_.push_back(value);
    } else if (replace) {
      values_[entry] = value;
    }
  }
  const Value* Find(std::wstring_view path) {
    const std::size_t entry = paths_.Find(path);
    return entry == FoldedPaths::npos ? nullptr : &values_[entry];
  }

 private:
  FoldedPaths paths_;
  std::vector<Value> values_;
};
