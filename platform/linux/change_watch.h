// Tells when the storage of the running machine changes: a mount or unmount
// (the mount table, polled for POLLPRI), a block device or partition that
// comes or goes (the kernel's uevents, or where no uevent socket can be
// bound, new and removed nodes in /dev). Needs no udev. A machine file is
// watched for being written or replaced.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace linuxsys {

class ChangeWatch {
 public:
  // Watches the system under `systemRoot` ("/" for this machine). Null, with
  // `error` set, when not even the mount table can be watched.
  static std::unique_ptr<ChangeWatch> ForSystem(const std::string& systemRoot, std::string& error);
  // Watches one file, through its directory: editors and `capture -o`
  // replace a file rather than write into it.
  static std::unique_ptr<ChangeWatch> ForFile(const std::string& path, std::string& error);

  ~ChangeWatch();
  ChangeWatch(const ChangeWatch&) = delete;
  ChangeWatch& operator=(const ChangeWatch&) = delete;

  enum class Outcome { Changed, Interrupted };
  // Blocks until something changes or Interrupt is called. A change is
  // reported once the events have been quiet for `quietMs` (or `longestMs`
  // after the first, for a burst that does not end), so that one mount or
  // one partitioning, which the kernel reports as several events, is one
  // change.
  Outcome WaitForChange(int quietMs = 100, int longestMs = 1000);
  // Wakes a WaitForChange in another thread, or the next one to start, which
  // returns Interrupted. Safe to call from any thread.
  void Interrupt();

  // What is being watched, for a status line: "mount table", "uevents", ...
  const std::vector<std::string>& Sources() const { return sources; }

 private:
  // The descriptor Interrupt writes to, watched with the others.
  bool AddWake(std::string& error);
  ChangeWatch();
  // Reads what one descriptor has waiting; true when it tells of a change
  // this watch cares about.
  bool Consume(std::size_t index);
  // Waits up to `ms` (-1: for ever) for any descriptor; true when a change
  // was read, false on timeout. Sets `interrupted` when woken by Interrupt.
  bool WaitOnce(int ms, bool& interrupted);

  enum class Kind { MountTable, Uevents, DeviceDir, FileDir, Wake };
  struct Watched {
    int fd;
    Kind kind;
  };
  std::vector<Watched> watched;
  std::vector<std::string> sources;
  std::string fileName;  // ForFile: the name within its directory
  std::string root;      // ForSystem: where /sys is found
  int wakeFd = -1;
};

// Whether a kernel uevent message (NUL-separated "KEY=value" lines after an
// "action@devpath" header) is about a block device or partition.
bool IsBlockUevent(const char* message, std::size_t length);

}  // namespace linuxsys
