// The first node with a given key in an array that only grows at its end, found
// without walking the array: the scan looks every disk, extent and partition up
// before it creates one, and a walk would make large machines quadratic.
#pragma once

#include <cstddef>
#include <functional>
#include <tuple>
#include <vector>

template <class Node, class Key>
class FirstByKey {
 public:
  using KeyOf = Key (*)(const Node&);
  explicit FirstByKey(KeyOf keyOf) : keyOf_(keyOf) {}

  // `nodes` is an array of owning pointers, appended to at its end only and
  // each node filled before it is appended. Nodes appended since the last call
  // are taken in first; an earlier node keeps its key, so the result is the
  // first match in the order of the array, as a walk would find.
  template <class Array>
  Node* Find(const Array& nodes, const Key& key) const {
    if (nodes.size() < indexed_) Reset();
    for (; indexed_ < nodes.size(); ++indexed_) Insert(nodes[indexed_].get());
    if (slots_.empty()) return nullptr;
    const std::size_t hash = HashOf(key);
    for (std::size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      const Slot& slot = slots_[i];
      if (slot.node == nullptr) return nullptr;
      if (slot.hash == hash && keyOf_(*slot.node) == key) return slot.node;
    }
  }
  // Forgets every node; for when the array is emptied.
  void Reset() const {
    slots_.clear();
    used_ = 0;
    indexed_ = 0;
  }

 private:
  // A node and its key's hash, which settles most comparisons without reading
  // the node. A tree of keys took about twice the room and a cache miss per
  // level on each lookup.
  struct Slot {
    Node* node = nullptr;
    std::size_t hash = 0;
  };

  std::size_t Mask() const { return slots_.size() - 1; }

  static std::size_t Mix(std::size_t h) {
    // The keys' own hashes are often the numbers themselves; spread them over
    // the bits the mask keeps.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
  }
  template <class T>
  static std::size_t HashOf(const T& value) {
    return Mix(std::hash<T>{}(value));
  }
  template <class... T>
  static std::size_t HashOf(const std::tuple<T...>& key) {
    std::size_t h = 0;
    std::apply([&h](const T&... part) { ((h = Mix(h * 31 + std::hash<T>{}(part))), ...); }, key);
    return h;
  }

  void Insert(Node* node) const {
    // At most half the slots are taken, so every probe ends at an empty one.
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    const Key key = keyOf_(*node);
    const std::size_t hash = HashOf(key);
    for (std::size_t i = hash & Mask();; i = (i + 1) & Mask()) {
      Slot& slot = slots_[i];
      if (slot.node == nullptr) {
        slot = {node, hash};
        ++used_;
        return;
      }
      // The first node of a key keeps it.
      if (slot.hash == hash && keyOf_(*slot.node) == key) return;
    }
  }
  void Grow() const {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.node == nullptr) continue;
      std::size_t i = slot.hash & Mask();
      while (slots_[i].node != nullptr) i = (i + 1) & Mask();
      slots_[i] = slot;
    }
  }

  KeyOf keyOf_;
  mutable std::vector<Slot> slots_;
  mutable std::size_t used_ = 0;
  mutable std::size_t indexed_ = 0;
};
