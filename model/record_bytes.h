// Bounded reads from a record kept as the platform returned it: what lies
// beyond the bytes held reads as zero, never from outside the buffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

using RecordBytes = std::vector<BYTE>;

// The record type T from `offset`; the part beyond the bytes held is zero.
template <class T>
T ReadRecord(const RecordBytes& bytes, std::size_t offset = 0) {
  T value{};
  if (offset < bytes.size())
    std::memcpy(&value, bytes.data() + offset, std::min(sizeof(T), bytes.size() - offset));
  return value;
}

// The zero-terminated single-byte string at `offset`, ending at the buffer's
// end when no terminator comes first; empty for an offset outside.
inline std::string_view StringAt(const RecordBytes& bytes, std::size_t offset) {
  if (offset >= bytes.size()) return {};
  const char* start = reinterpret_cast<const char*>(bytes.data() + offset);
  const std::size_t room = bytes.size() - offset;
  const void* end = std::memchr(start, 0, room);
  return {start, end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - start) : room};
}
