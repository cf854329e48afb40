#include "platform/recorded/path_table.h"

#include <cwctype>
#include <functional>

wchar_t UpperUnit(wchar_t c) {
  // Paths are mostly ASCII, and every lookup goes through here.
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - L'a' + L'A');
  if (c >= 0x80) return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return c;
}

namespace {

// At most two slots in three are taken, which keeps probes short.
constexpr std::size_t SlotsFor(std::size_t count) {
  std::size_t slots = 16;
  while (slots < count + count / 2 + 1) slots *= 2;
  return slots;
}

}  // namespace

void FoldedPaths::Reserve(std::size_t count) {
  if (SlotsFor(count) > slots_.size()) Rehash(SlotsFor(count));
}

std::uint32_t FoldedPaths::Fold(std::wstring_view path) {
  // Seven bits a byte, the last byte of each unit below 0x80: ASCII paths take
  // a byte a character, and no two paths fold to the same bytes unless they
  // differ only in case.
  scratch_.resize(path.size());
  std::size_t at = 0;
  for (; at < path.size() && static_cast<std::uint32_t>(path[at]) < 0x80; ++at)
    scratch_[at] = static_cast<char>(UpperUnit(path[at]));
  scratch_.resize(at);
  for (; at < path.size(); ++at) {
    auto unit = static_cast<std::uint32_t>(UpperUnit(path[at]));
    for (; unit >= 0x80; unit >>= 7) scratch_.push_back(static_cast<char>(0x80 | (unit & 0x7F)));
    scratch_.push_back(static_cast<char>(unit));
  }
  return static_cast<std::uint32_t>(std::hash<std::string_view>{}(scratch_));
}

FoldedPaths::Slot& FoldedPaths::Probe(std::uint32_t hash) {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.entry == 0) return slot;
    if (slot.hash == hash && std::string_view(keys_).substr(slot.offset, slot.length) == scratch_) return slot;
  }
}

void FoldedPaths::Rehash(std::size_t slots) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(slots, Slot{});
  const std::size_t mask = slots - 1;
  for (const Slot& s : old) {
    if (s.entry == 0) continue;
    std::size_t at = s.hash & mask;
    while (slots_[at].entry != 0) at = (at + 1) & mask;
    slots_[at] = s;
  }
}

std::pair<std::size_t, bool> FoldedPaths::Add(std::wstring_view path) {
  lastValid_ = false;
  if (SlotsFor(count_ + 1) > slots_.size()) Rehash(SlotsFor(count_ + 1));
  const std::uint32_t hash = Fold(path);
  Slot& slot = Probe(hash);
  if (slot.entry != 0) return {slot.entry - 1, false};
  slot = Slot{hash, static_cast<std::uint32_t>(++count_), static_cast<std::uint32_t>(keys_.size()),
              static_cast<std::uint32_t>(scratch_.size())};
  keys_ += scratch_;
  return {count_ - 1, true};
}

std::size_t FoldedPaths::Find(std::wstring_view path) {
  // The scan asks about one volume several times in a row, by the same path.
  if (lastValid_ && path == lastPath_) return lastEntry_;
  if (slots_.empty()) return npos;
  const Slot& slot = Probe(Fold(path));
  lastPath_.assign(path);
  lastEntry_ = slot.entry == 0 ? npos : slot.entry - 1;
  lastValid_ = true;
  return lastEntry_;
}
