#include "platform/linux/system_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace linuxsys {

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

SystemFiles::SystemFiles(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  if (root_.empty()) root_.push_back('/');
}

std::string SystemFiles::PathOf(std::string_view systemPath) const {
  if (root_ == "/") return std::string(systemPath);
  std::string path;
  path.reserve(root_.size() + systemPath.size() + 1);
  path.append(root_.data(), root_.size());
  if (systemPath.empty() || systemPath.front() != '/') path.push_back('/');
  path.append(systemPath.data(), systemPath.size());
  return path;
}

FileDescriptor SystemFiles::OpenReadOnly(const std::string& path, int extraFlags, int* error) {
  // Nothing here may ever ask for more than reading.
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (extraFlags & (O_NONBLOCK | O_DIRECTORY));
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  if (error != nullptr) *error = fd < 0 ? errno : 0;
  opens_.push_back(OpenRecord{path, flags, fd >= 0});
  return FileDescriptor(fd);
}

std::optional<std::string> SystemFiles::ReadFile(std::string_view systemPath, std::size_t limit) {
  return Read(systemPath, limit, false);
}

std::optional<std::string> SystemFiles::Read(std::string_view systemPath, std::size_t limit, bool firstLine) {
  // Non-blocking: a FIFO in place of an attribute must not stop the scan.
  FileDescriptor fd = OpenReadOnly(PathOf(systemPath), O_NONBLOCK);
  if (!fd.valid()) return std::nullopt;
  std::string text;
  char chunk[4096];
  // Only the first line wanted: once it is whole, asking for the end of the file costs a call for nothing.
  while (text.size() < limit && !(firstLine && text.find('\n') != std::string::npos)) {
    const ssize_t n = ::read(fd.get(), chunk, std::min(sizeof chunk, limit - text.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    text.append(chunk, static_cast<std::size_t>(n));
  }
  return text;
}

std::optional<std::string> SystemFiles::ReadAttribute(std::string_view systemPath) {
  auto text = Read(systemPath, 64 * 1024, true);
  if (!text) return std::nullopt;
  const std::size_t end = text->find('\n');
  if (end != std::string::npos) text->resize(end);
  while (!text->empty() && (text->back() == ' ' || text->back() == '\t' || text->back() == '\r')) text->pop_back();
  return text;
}

std::optional<std::uint64_t> SystemFiles::ReadNumber(std::string_view systemPath) {
  const auto text = ReadAttribute(systemPath);
  if (!text || text->empty()) return std::nullopt;
  std::uint64_t value = 0;
  const char* end = text->data() + text->size();
  const auto [ptr, ec] = std::from_chars(text->data(), end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::vector<std::string> SystemFiles::List(std::string_view systemPath) {
  std::vector<std::string> names;
  FileDescriptor fd = OpenReadOnly(PathOf(systemPath), O_DIRECTORY);
  if (!fd.valid()) return names;
  DIR* dir = ::fdopendir(fd.get());
  if (dir == nullptr) return names;
  fd.Release();  // the directory stream owns it now
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool SystemFiles::Exists(std::string_view systemPath) const {
  struct stat st {};
  return ::stat(PathOf(systemPath).c_str(), &st) == 0;
}

std::optional<std::string> SystemFiles::LinkTarget(std::string_view systemPath) const {
  char buffer[4096];
  const ssize_t n = ::readlink(PathOf(systemPath).c_str(), buffer, sizeof buffer);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof buffer) return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(n));
}

FileDescriptor SystemFiles::OpenDevice(std::string_view systemPath, int* error) {
  return OpenReadOnly(PathOf(systemPath), O_NONBLOCK, error);
}

std::size_t ReadAt(const FileDescriptor& fd, void* buffer, std::size_t size, std::uint64_t offset) {
  if (!fd.valid()) return 0;
  std::size_t done = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (done < size) {
    const ssize_t n = ::pread(fd.get(), bytes + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace linuxsys
