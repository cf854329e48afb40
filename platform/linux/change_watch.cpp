#include "platform/linux/change_watch.h"

#include "platform/linux/system_files.h"

#include <linux/netlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace linuxsys {

namespace {

using Clock = std::chrono::steady_clock;

int OpenUeventSocket() {
  const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
  if (fd < 0) return -1;
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = 1;  // the kernel's own messages; udev's go to group 2
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool IsBlockUevent(const char* message, std::size_t length) {
  // Lines are NUL-terminated; the last one may lack its NUL in a short read.
  std::size_t at = 0;
  while (at < length) {
    const char* line = message + at;
    const std::size_t size = strnlen(line, length - at);
    if (std::string_view(line, size) == "SUBSYSTEM=block") return true;
    at += size + 1;
  }
  return false;
}

ChangeWatch::ChangeWatch() = default;

ChangeWatch::~ChangeWatch() {
  for (const Watched& w : watched)
    if (w.fd >= 0) close(w.fd);
}

std::unique_ptr<ChangeWatch> ChangeWatch::ForSystem(const std::string& systemRoot, std::string& error) {
  std::unique_ptr<ChangeWatch> watch(new ChangeWatch);
  watch->root = systemRoot;
  // Opened as everything the collector reads: for reading only.
  SystemFiles files(systemRoot);
  int openError = 0;
  FileDescriptor mounts = files.OpenDevice("/proc/self/mountinfo", &openError);
  if (!mounts.valid()) {
    error = files.PathOf("/proc/self/mountinfo") + ": " + std::strerror(openError);
    return nullptr;
  }
  watch->watched.push_back({mounts.Release(), Kind::MountTable});
  watch->sources.push_back("mount table");
  // Uevents are the machine's own, not a copy's: only for the real root.
  if (systemRoot == "/") {
    if (const int fd = OpenUeventSocket(); fd >= 0) {
      watch->watched.push_back({fd, Kind::Uevents});
      watch->sources.push_back("uevents");
    }
  }
  // A container may bind the uevent socket and still be sent nothing, so the
  // device nodes the kernel itself makes in /dev are watched too.
  const int inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotifyFd >= 0) {
    const std::string dev = files.PathOf("/dev");
    if (inotify_add_watch(inotifyFd, dev.c_str(), IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM) >= 0) {
      watch->watched.push_back({inotifyFd, Kind::DeviceDir});
      watch->sources.push_back("/dev");
    } else {
      close(inotifyFd);
    }
  }
  if (!watch->AddWake(error)) return nullptr;
  return watch;
}

bool ChangeWatch::AddWake(std::string& error) {
  const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    error = std::string("eventfd: ") + std::strerror(errno);
    return false;
  }
  watched.push_back({wake, Kind::Wake});
  wakeFd = wake;
  return true;
}

std::unique_ptr<ChangeWatch> ChangeWatch::ForFile(const std::string& path, std::string& error) {
  std::unique_ptr<ChangeWatch> watch(new ChangeWatch);
  const std::filesystem::path file(path);
  std::filesystem::path dir = file.parent_path();
  if (dir.empty()) dir = ".";
  watch->fileName = file.filename().string();
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0) {
    error = std::string("inotify: ") + std::strerror(errno);
    return nullptr;
  }
  watch->watched.push_back({fd, Kind::FileDir});
  if (inotify_add_watch(fd, dir.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM) < 0) {
    error = dir.string() + ": " + std::strerror(errno);
    return nullptr;
  }
  watch->sources.push_back(path);
  if (!watch->AddWake(error)) return nullptr;
  return watch;
}

void ChangeWatch::Interrupt() {
  const std::uint64_t one = 1;
  // Kept by the descriptor until a wait reads it: an interrupt that comes
  // between two waits ends the next one.
  [[maybe_unused]] const ssize_t written = write(wakeFd, &one, sizeof one);
}

bool ChangeWatch::Consume(std::size_t index) {
  Watched& w = watched[index];
  switch (w.kind) {
    case Kind::MountTable:
      // Polling the table clears the mark; there is nothing to read.
      return true;
    case Kind::Uevents: {
      bool block = false;
      char buffer[8192];
      for (;;) {
        const ssize_t got = recv(w.fd, buffer, sizeof buffer, 0);
        if (got >= 0) {
          block = block || IsBlockUevent(buffer, static_cast<std::size_t>(got));
          continue;
        }
        // Messages were dropped: what they said is unknown, so read again.
        if (errno == ENOBUFS) block = true;
        if (errno == EINTR || errno == ENOBUFS) continue;
        return block;
      }
    }
    case Kind::DeviceDir:
    case Kind::FileDir: {
      bool relevant = false;
      alignas(inotify_event) char buffer[8192];
      for (;;) {
        const ssize_t got = read(w.fd, buffer, sizeof buffer);
        if (got <= 0) {
          if (got < 0 && errno == EINTR) continue;
          return relevant;
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
          const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
          at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
          if (at > got) break;
          if (event->mask & IN_Q_OVERFLOW) {
            relevant = true;
            continue;
          }
          const std::string name = event->len > 0 ? std::string(event->name, strnlen(event->name, event->len)) : "";
          if (w.kind == Kind::FileDir) {
            relevant = relevant || name == fileName;
          } else if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
            // Only block devices: /dev also sees terminals, sockets and the like.
            relevant = relevant || SystemFiles(root).Exists("/sys/class/block/" + name);
          } else {
            // A removed node's sysfs entry is already gone, so there is no
            // telling whether it was a disk's: removals in /dev are rare
            // enough that a rescan is the safe answer.
            relevant = true;
          }
        }
      }
    }
    case Kind::Wake:
      return false;
  }
  return false;
}

bool ChangeWatch::WaitOnce(int ms, bool& interrupted) {
  std::vector<pollfd> fds;
  for (const Watched& w : watched)
    fds.push_back({w.fd, static_cast<short>(w.kind == Kind::MountTable ? POLLPRI : POLLIN), 0});
  const int ready = poll(fds.data(), fds.size(), ms);
  if (ready <= 0) return false;
  bool changed = false;
  for (std::size_t i = 0; i < fds.size(); ++i) {
    if (fds[i].revents == 0) continue;
    if (watched[i].kind == Kind::Wake) {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(wakeFd, &count, sizeof count);
      interrupted = true;
      return false;
    }
    if (fds[i].revents & POLLNVAL) {
      watched[i].fd = -1;  // poll skips it from now on
      continue;
    }
    changed = Consume(i) || changed;
  }
  return changed;
}

ChangeWatch::Outcome ChangeWatch::WaitForChange(int quietMs, int longestMs) {
  bool interrupted = false;
  while (!WaitOnce(-1, interrupted))
    if (interrupted) return Outcome::Interrupted;
  const Clock::time_point first = Clock::now();
  const Clock::time_point latest = first + std::chrono::milliseconds(longestMs);
  Clock::time_point quietUntil = first + std::chrono::milliseconds(quietMs);
  for (;;) {
    const Clock::time_point now = Clock::now();
    const Clock::time_point end = std::min(quietUntil, latest);
    if (now >= end) return Outcome::Changed;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
    if (WaitOnce(static_cast<int>(left) + 1, interrupted)) quietUntil = Clock::now() + std::chrono::milliseconds(quietMs);
    if (interrupted) return Outcome::Interrupted;
  }
}

}  // namespace linuxsys
