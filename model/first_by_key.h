// The first node with a given key in an array that only grows at its end, found
// without walking the array: the scan looks every disk, extent and partition up
// before it creates one, and a walk would make large machines quadratic.
#pragma once

#include <cstddef>
#include <map>

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
    for (; indexed_ < nodes.size(); ++indexed_) first_.emplace(keyOf_(*nodes[indexed_]), nodes[indexed_].get());
    auto it = first_.find(key);
    return it == first_.end() ? nullptr : it->second;
  }
  // Forgets every node; for when the array is emptied.
  void Reset() const {
    first_.clear();
    indexed_ = 0;
  }

 private:
  KeyOf keyOf_;
  mutable std::map<Key, Node*> first_;
  mutable std::size_t indexed_ = 0;
};
