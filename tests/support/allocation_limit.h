// Makes the memory a platform answer asks for unobtainable: while an
// AllocationLimit lives, every allocation on its thread larger than the limit
// fails with std::bad_alloc, as it would on a machine without that memory.
#pragma once

#include <cstddef>

class AllocationLimit {
 public:
  explicit AllocationLimit(std::size_t largestBytes);
  ~AllocationLimit();
  AllocationLimit(const AllocationLimit&) = delete;
  AllocationLimit& operator=(const AllocationLimit&) = delete;

 private:
  std::size_t previous_;
};
