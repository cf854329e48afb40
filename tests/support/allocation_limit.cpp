#include "tests/support/allocation_limit.h"

#include <cstdlib>
#include <limits>
#include <new>

namespace {
thread_local std::size_t largestAllowed = std::numeric_limits<std::size_t>::max();
}  // namespace

AllocationLimit::AllocationLimit(std::size_t largestBytes) : previous_(largestAllowed) { largestAllowed = largestBytes; }
AllocationLimit::~AllocationLimit() { largestAllowed = previous_; }

// The test program's own allocation functions, so that the limit applies to
// every allocation the code under test makes.
void* operator new(std::size_t size) {
  if (size > largestAllowed) throw std::bad_alloc();
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
