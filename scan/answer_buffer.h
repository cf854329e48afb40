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
  // Returns false when the memory cannot be had. Room already had is kept: a
  // layout request starts small and doubles for each extent of a drive, and
  // fresh zeroed memory for every step cost more than the answers.
  bool Allocate(std::size_t size) {
    Clear();
    if (size > bytes_.size() && !AllocateZeroed(bytes_, size)) {
      size_ = 0;
      return false;
    }
    size_ = size;
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
  DWORD size() const { return static_cast<DWORD>(size_); }
  DWORD* returnedPtr() { return &returned_; }
  // The bytes that may be read: what the platform said it returned, never more
  // than the buffer holds.
  std::size_t valid() const { return returned_ < size_ ? returned_ : size_; }

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
  // Zero but for the last answer; `size_` of it is offered.
  std::vector<BYTE> bytes_;
  std::size_t size_ = 0;
  DWORD returned_ = 0;
  bool written_ = false;
};
