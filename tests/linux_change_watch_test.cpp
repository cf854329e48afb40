// Seeing changes as they happen: which kernel messages count, a machine file
// replaced under a watch, bursts told as one change, and `quelbrin-cli watch`
// printing again for each change.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/linux/change_watch.h"

namespace {

using linuxsys::ChangeWatch;

std::string ScratchDir(const std::string& name) {
  const std::string dir = testing::TempDir() + "/" + name + "-" + std::to_string(getpid());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

void Replace(const std::string& path, const std::string& text) {
  std::ofstream(path + ".new", std::ios::binary) << text;
  std::filesystem::rename(path + ".new", path);
}

// Waits for the next change, or reports none once `afterMs` has passed
// without one (the watch is interrupted then).
ChangeWatch::Outcome NextChange(ChangeWatch& watch, int afterMs) {
  std::mutex mutex;
  std::condition_variable returned;
  bool done = false;
  std::thread stopper([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (!returned.wait_for(lock, std::chrono::milliseconds(afterMs), [&] { return done; })) watch.Interrupt();
  });
  const ChangeWatch::Outcome outcome = watch.WaitForChange(100, 1000);
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  returned.notify_one();
  stopper.join();
  return outcome;
}

TEST(ChangeWatch, OnlyBlockDeviceUeventsCount) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::string message;
    bool block;
  };
  const Case cases[] = {
      {"a partition added", "add@/devices/virtual/block/loop0/loop0p1\0ACTION=add\0SUBSYSTEM=block\0DEVTYPE=partition\0"s,
       true},
      {"the last line without its NUL", "change@/devices/virtual/block/loop0\0ACTION=change\0SUBSYSTEM=block"s, true},
      {"a backing device", "add@/devices/virtual/bdi/7:0\0ACTION=add\0SUBSYSTEM=bdi\0"s, false},
      {"a longer subsystem name", "add@/x\0SUBSYSTEM=blockish\0"s, false},
      {"the header naming block only", "add@/devices/virtual/block/loop0\0SUBSYSTEM=queues\0"s, false},
      {"nothing", ""s, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(linuxsys::IsBlockUevent(c.message.data(), c.message.size()), c.block) << c.what;
}

TEST(ChangeWatch, AReplacedMachineFileIsOneChangeAndItsNeighboursAreNone) {
  const std::string dir = ScratchDir("watch-file");
  const std::string path = dir + "/machine.json";
  Replace(path, "{}");
  std::string error;
  const std::unique_ptr<ChangeWatch> watch = ChangeWatch::ForFile(path, error);
  ASSERT_TRUE(watch) << error;

  // A burst of writes while nobody waits is one change.
  for (int i = 0; i < 5; ++i) Replace(path, std::to_string(i));
  std::ofstream(path, std::ios::app) << "written in place";
  EXPECT_EQ(NextChange(*watch, 5000), ChangeWatch::Outcome::Changed);
  EXPECT_EQ(NextChange(*watch, 400), ChangeWatch::Outcome::Interrupted);

  std::ofstream(dir + "/other.json") << "{}";
  Replace(dir + "/other.json", "[]");
  EXPECT_EQ(NextChange(*watch, 400), ChangeWatch::Outcome::Interrupted);

  std::filesystem::remove(path);
  EXPECT_EQ(NextChange(*watch, 5000), ChangeWatch::Outcome::Changed);
  std::filesystem::remove_all(dir);
}

TEST(ChangeWatch, ARootWithoutAMountTableCannotBeWatched) {
  const std::string dir = ScratchDir("watch-root");
  std::string error;
  EXPECT_FALSE(ChangeWatch::ForSystem(dir, error));
  EXPECT_NE(error.find(dir + "/proc/self/mountinfo"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

// `watch json` prints one document a line: the machine, then the machine
// again after the file was replaced. A broken file in between prints nothing.
TEST(ChangeWatch, CliWatchPrintsOneJsonDocumentPerChange) {
  const std::string dir = ScratchDir("watch-cli");
  const std::string path = dir + "/machine.json";
  const std::string samples = std::string(QUELBRIN_SOURCE_DIR) + "/samples/";
  std::filesystem::copy_file(samples + "workstation.json", path);
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    // The broken file's message is expected; it is no output of the test.
    dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
    close(out[0]);
    close(out[1]);
    execl(QUELBRIN_CLI, QUELBRIN_CLI, "--machine", path.c_str(), "watch", "json", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  // A watch that never prints again must not hang the tests: it is stopped,
  // and the missing document fails them. The child goes whatever happens.
  struct Stopper {
    pid_t child;
    std::atomic<bool> done{false};
    std::thread guard;
    explicit Stopper(pid_t c) : child(c), guard([this] {
      for (int i = 0; i < 600 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      kill(child, SIGKILL);
    }) {}
    ~Stopper() {
      done = true;
      guard.join();
      int status = 0;
      waitpid(child, &status, 0);
    }
  };
  FILE* lines = fdopen(out[0], "r");
  nlohmann::json first;
  nlohmann::json second;
  {
    Stopper stopper(child);
    auto nextDocument = [lines]() -> nlohmann::json {
      std::string line;
      for (int c; (c = fgetc(lines)) != EOF && c != '\n';) line.push_back(static_cast<char>(c));
      return nlohmann::json::parse(line, nullptr, false);
    };
    first = nextDocument();
    Replace(path, "{\"format\": ");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::ifstream in(samples + "server.json");
    Replace(path, std::string(std::istreambuf_iterator<char>(in), {}));
    second = nextDocument();
  }
  fclose(lines);
  ASSERT_FALSE(first.is_discarded());
  ASSERT_FALSE(second.is_discarded());
  EXPECT_NE(first, second);
  EXPECT_EQ(first["physicalDisks"]["children"].size(), 6u);
  EXPECT_NE(second["physicalDisks"]["children"].size(), first["physicalDisks"]["children"].size());
  std::filesystem::remove_all(dir);
}

}  // namespace
