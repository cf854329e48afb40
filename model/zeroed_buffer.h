// Room for an answer whose size the platform, a port or a file decided: a size
// the memory cannot hold ends that one query, never the program.
#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

// Makes `buffer` hold `count` zero elements. False, with the buffer empty,
// when the memory cannot be had.
template <class T>
bool AllocateZeroed(std::vector<T>& buffer, std::size_t count) noexcept {
  try {
    buffer.assign(count, T{});
    return true;
  } catch (const std::bad_alloc&) {
    buffer.clear();
    return false;
  } catch (const std::length_error&) {
    buffer.clear();
    return false;
  }
}
