// A std::map that takes the room of one pointer until its first entry. Nearly
// no drive or volume of a large machine makes a request fail, yet three empty
// maps took 144 bytes of each.
#pragma once

#include <map>
#include <memory>

template <class Key, class Value>
class LazyMap {
 public:
  using Map = std::map<Key, Value>;
  using iterator = typename Map::iterator;
  using const_iterator = typename Map::const_iterator;
  using key_type = Key;
  using mapped_type = Value;
  using value_type = typename Map::value_type;

  LazyMap() = default;
  LazyMap(const LazyMap& other) : map_(other.empty() ? nullptr : std::make_unique<Map>(*other.map_)) {}
  LazyMap(LazyMap&&) noexcept = default;
  LazyMap& operator=(const LazyMap& other) {
    if (this != &other) map_ = other.empty() ? nullptr : std::make_unique<Map>(*other.map_);
    return *this;
  }
  LazyMap& operator=(LazyMap&&) noexcept = default;

  bool empty() const { return !map_ || map_->empty(); }
  std::size_t size() const { return map_ ? map_->size() : 0; }
  Value& operator[](const Key& key) { return Held()[key]; }
  // Without entries, every search ends at the end of one shared empty map.
  const_iterator begin() const { return map_ ? map_->cbegin() : None().cbegin(); }
  const_iterator end() const { return map_ ? map_->cend() : None().cend(); }
  template <class K>
  const_iterator find(const K& key) const {
    return map_ ? map_->find(key) : None().cend();
  }
  template <class K>
  std::size_t count(const K& key) const {
    return map_ ? map_->count(key) : 0;
  }
  friend bool operator==(const LazyMap& a, const LazyMap& b) {
    return a.size() == b.size() && (a.empty() || *a.map_ == *b.map_);
  }

 private:
  Map& Held() {
    if (!map_) map_ = std::make_unique<Map>();
    return *map_;
  }
  static const Map& None() {
    static const Map none;
    return none;
  }
  std::unique_ptr<Map> map_;
};
