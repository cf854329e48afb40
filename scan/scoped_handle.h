#pragma once

#include "platform/platform.h"

// Closes a platform handle on every way out of a scan step.
class ScopedHandle {
 public:
  ScopedHandle(Platform& platform, HANDLE handle) : platform_(platform), handle_(handle) {}
  ~ScopedHandle() {
    if (valid()) platform_.CloseHandle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

 private:
  Platform& platform_;
  HANDLE handle_;
};
