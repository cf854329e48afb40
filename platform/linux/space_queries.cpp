#include "platform/linux/space_queries.h"

#include <sys/statvfs.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace linuxsys {

std::optional<FileSystemSpace> StatFileSystem(const std::string& path) {
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return std::nullopt;
  const std::uint64_t unit = st.f_frsize != 0 ? st.f_frsize : st.f_bsize;
  FileSystemSpace s;
  s.freeBytesAvailable = static_cast<std::uint64_t>(st.f_bavail) * unit;
  s.totalBytes = static_cast<std::uint64_t>(st.f_blocks) * unit;
  s.totalFreeBytes = static_cast<std::uint64_t>(st.f_bfree) * unit;
  s.maxNameLength = st.f_namemax > 0xFFFFFFFFul ? 0xFFFFFFFFu : static_cast<std::uint32_t>(st.f_namemax);
  return s;
}

std::vector<SpaceAnswer> AskWithin(const std::vector<SpaceQuestion>& questions, std::chrono::milliseconds limit) {
  // Shared with the threads, which may outlive this call.
  struct Board {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<SpaceAnswer> answers;
    std::size_t pending = 0;
  };
  auto board = std::make_shared<Board>();
  board->answers.resize(questions.size());
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (std::size_t i = 0; i < questions.size(); ++i) {
    {
      std::lock_guard<std::mutex> lock(board->mutex);
      ++board->pending;
    }
    try {
      std::thread([board, i, question = questions[i]] {
        std::optional<FileSystemSpace> space = question ? question() : std::nullopt;
        std::lock_guard<std::mutex> lock(board->mutex);
        board->answers[i].answered = true;
        board->answers[i].space = space;
        --board->pending;
        board->changed.notify_all();
      }).detach();
    } catch (const std::system_error&) {
      // No thread to be had: that figure stays unknown rather than risking a hang here.
      std::lock_guard<std::mutex> lock(board->mutex);
      --board->pending;
    }
  }
  std::unique_lock<std::mutex> lock(board->mutex);
  board->changed.wait_until(lock, deadline, [&board] { return board->pending == 0; });
  return board->answers;
}

}  // namespace linuxsys
