// Space figures of mounted filesystems, asked so that none can hang the
// program: a FUSE daemon that stopped or a network server that went away
// makes statvfs wait for ever, and no timeout can be given to it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace linuxsys {

struct FileSystemSpace {
  std::uint64_t freeBytesAvailable = 0;
  std::uint64_t totalBytes = 0;
  std::uint64_t totalFreeBytes = 0;
  std::uint32_t maxNameLength = 0;
};

// One filesystem's figures; not known when the call fails.
using SpaceQuestion = std::function<std::optional<FileSystemSpace>()>;

struct SpaceAnswer {
  bool answered = false;  // false: still waiting when the time ran out
  std::optional<FileSystemSpace> space;
};

// Asks every question on a thread of its own and waits at most `limit` for
// all of them together. A question still unanswered then is left running on
// its thread, which ends whenever its call returns (or with the program).
std::vector<SpaceAnswer> AskWithin(const std::vector<SpaceQuestion>& questions, std::chrono::milliseconds limit);

// statvfs of a path, as the figures above.
std::optional<FileSystemSpace> StatFileSystem(const std::string& path);

}  // namespace linuxsys
