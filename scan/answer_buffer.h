// A zero-filled buffer for one platform answer, with reads that never leave the
// bytes the platform actually returned.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

#include "model/zeroed_buffer.h"
#include "platform/win_types.h"

class AnswerBuffer {
 public:
  // Returns false when the memory cannot be had.
  bool Allocate(std::size_t size) {
    if (size == bytes_.size()) {
      Clear();
      return true;
    }
    if (!AllocateZeroed(bytes_, size)) return false;
    returned_ = 0;
    written_ = false;
    return true;
  }
  // Zero again what the last answer filled: a buffer of many kilobytes is
  // cleared before each request, most answers fill a few hundred bytes of it,
  // and zeroing all of it cost more than the request. A platform that wrote
  // past what it said it returned leaves bytes that no read reaches.
  void Clear() {
    if (written_) std::fill(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(valid()), BYTE{0});
    written_ = false;
    returned_ = 0;
  }

  // Where the platform writes its answer.
  BYTE* data() {
    written_ = true;
    return bytes_.data();
  }
  DWORD size() const { return static_cast<DWORD>(bytes_.size()); }
  DWORD* returnedPtr() { return &returned_; }
  // The bytes that may be read: what the platform said it returned, never more
  // than the buffer holds.
  std::size_t valid() const { return returned_ < bytes_.size() ? returned_ : bytes_.size(); }

  bool Contains(unsigned long long offset, unsigned long long length) const {
    return offset <= valid() && length <= valid() - offset;
  }
  template <class T>
  T Read(std::size_t offset) const {
    T value{};
    if (Contains(offset, sizeof(T))) std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return value;
  }
  const BYTE* At(std::size_t offset) const { return bytes_.data() + offset; }

 private:
  std::vector<BYTE> bytes_;
  DWORD returned_ = 0;
  bool written_ = false;
};
