// PathNameList: the path names of a volume, held once for every mount point
// of that volume. A machine can mount one volume thousands of times, and each
// of those mount points lists all of its paths: copies would grow with the
// square of the mounts.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class PathNameList {
 public:
  PathNameList() = default;
  PathNameList(std::vector<std::wstring> names)  // NOLINT: a list of names reads as one
      : names_(names.empty() ? nullptr : std::make_shared<const std::vector<std::wstring>>(std::move(names))) {}
  PathNameList(std::initializer_list<std::wstring> names) : PathNameList(std::vector<std::wstring>(names)) {}

  const std::vector<std::wstring>& Names() const { return names_ ? *names_ : Empty(); }
  auto begin() const { return Names().begin(); }
  auto end() const { return Names().end(); }
  std::size_t size() const { return Names().size(); }
  const std::wstring& operator[](std::size_t i) const { return Names()[i]; }
  bool empty() const { return Names().empty(); }
  // Whether both lists are one held list (or both empty).
  bool SharesNamesWith(const PathNameList& other) const { return names_ == other.names_; }

  friend bool operator==(const PathNameList& a, const std::vector<std::wstring>& b) { return a.Names() == b; }

 private:
  static const std::vector<std::wstring>& Empty() {
    static const std::vector<std::wstring> none;
    return none;
  }
  std::shared_ptr<const std::vector<std::wstring>> names_;
};
