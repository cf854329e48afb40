// Reading the running system's files — sysfs, procfs, the udev database and
// device nodes — under a root directory, so that the same collector reads the
// live machine ("/") or a fake tree kept for tests.
//
// Every file, directory and device is opened here and nowhere else, and only
// for reading; each open is recorded so that this can be checked. A file that
// is missing or cannot be read is "not known" (an empty optional), never an
// error: attributes come and go between kernels, and an ordinary user may not
// read everything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace linuxsys {

// An open file descriptor, closed when it goes.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Hands the descriptor to a new owner.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_ = -1;
};

class SystemFiles {
 public:
  // `root` is the directory that stands for "/" ("/" for the live machine).
  explicit SystemFiles(std::string root = "/");

  const std::string& root() const { return root_; }
  // The path under the root of an absolute system path.
  std::string PathOf(std::string_view systemPath) const;

  // Whole file, at most `limit` bytes. Not known when it cannot be opened or read.
  std::optional<std::string> ReadFile(std::string_view systemPath, std::size_t limit = 1 << 20);
  // A sysfs-style attribute: the first line, trailing blanks removed.
  std::optional<std::string> ReadAttribute(std::string_view systemPath);
  // An attribute holding one unsigned decimal number; not known when it holds anything else.
  std::optional<std::uint64_t> ReadNumber(std::string_view systemPath);
  // Names in a directory (without "." and ".."), sorted; empty when unreadable.
  std::vector<std::string> List(std::string_view systemPath);
  bool Exists(std::string_view systemPath) const;
  // The target of a symbolic link, as stored; not known for anything else.
  std::optional<std::string> LinkTarget(std::string_view systemPath) const;

  // A device node opened for reading (non-blocking, so that a removable drive
  // without a medium or a special file cannot hang the scan). Invalid when it
  // cannot be opened; then `error`, when given, tells why (an errno value).
  FileDescriptor OpenDevice(std::string_view systemPath, int* error = nullptr);

  struct OpenRecord {
    std::string path;  // as opened, under the root
    int flags;
    bool opened;
  };
  // Every open tried through this object, in order.
  const std::vector<OpenRecord>& opens() const { return opens_; }

 private:
  std::optional<std::string> Read(std::string_view systemPath, std::size_t limit, bool firstLine);
  // The only place that opens anything.
  FileDescriptor OpenReadOnly(const std::string& path, int extraFlags, int* error = nullptr);

  std::string root_;
  std::vector<OpenRecord> opens_;
};

// Reads up to `size` bytes at `offset`; the number of bytes read (short at the end of the file, 0 on error).
std::size_t ReadAt(const FileDescriptor& fd, void* buffer, std::size_t size, std::uint64_t offset);

}  // namespace linuxsys
