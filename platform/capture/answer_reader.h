// What capture needs to ask the platform: open a path, send a control request,
// and read an answer's bytes without ever reaching past what was returned.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/machine/machine.h"
#include "platform/platform.h"

namespace capture {

// The bytes of one answer. Every read is checked against them.
class Answer {
 public:
  Answer() = default;
  explicit Answer(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

  std::size_t size() const { return bytes_.size(); }
  const std::vector<BYTE>& bytes() const { return bytes_; }
  bool Contains(std::size_t offset, std::size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  // The record at `offset`, or nothing when the answer ends before it does.
  template <class T>
  std::optional<T> Read(std::size_t offset) const {
    if (!Contains(offset, sizeof(T))) return std::nullopt;
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return value;
  }
  // The record at `offset` with what the answer lacks of it left zero.
  template <class T>
  T ReadPadded(std::size_t offset) const {
    T value{};
    if (offset < bytes_.size()) std::memcpy(&value, bytes_.data() + offset, std::min(sizeof(T), bytes_.size() - offset));
    return value;
  }
  std::vector<BYTE> Bytes(std::size_t offset, std::size_t length) const {
    if (!Contains(offset, length)) return {};
    return std::vector<BYTE>(bytes_.begin() + static_cast<std::ptrdiff_t>(offset),
                             bytes_.begin() + static_cast<std::ptrdiff_t>(offset + length));
  }
  // `units` UTF-16 code units at `offset`, as many as the answer holds.
  std::wstring Utf16(std::size_t offset, std::size_t units) const;
  // The zero-terminated single-byte text at `offset`, ended by the answer too.
  std::string Text(std::size_t offset) const;

 private:
  std::vector<BYTE> bytes_;
};

// Asks through one platform and notes refusals in a machine's behaviours.
class Asker {
 public:
  explicit Asker(Platform& platform) : p_(platform) {}
  Platform& platform() { return p_; }

  // Opens `path`; a refusal is noted as the behaviour's "open" failure.
  HANDLE Open(const std::wstring& path, DWORD access, DWORD share, machine::Behaviour& behaviour);
  // Sends `code` with `in`, into a buffer of `outSize` bytes. On success the
  // bytes returned; on failure nothing, with the error noted under `name`
  // (which may be the property's name of a property query).
  std::optional<Answer> Ask(HANDLE handle, DWORD code, const void* in, DWORD inSize, DWORD outSize,
                            machine::Behaviour& behaviour, const std::string& name);
  // A storage property query as the scan makes it: the header first, then the
  // size the header announces.
  std::optional<Answer> QueryProperty(HANDLE handle, STORAGE_PROPERTY_ID property, machine::Behaviour& behaviour);
  // The platform's last error, or `fallback` when it says none.
  DWORD LastError(DWORD fallback = ERROR_GEN_FAILURE);

 private:
  Platform& p_;
};

}  // namespace capture
