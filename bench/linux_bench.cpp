// The live machine viewed by quelbrin-cli against lsblk listing the same
// machine, both as whole program runs; and the collection and scan alone,
// in this process.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/common/console_prompt.h"
#include "platform/linux/linux_collector.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"

namespace {

// quelbrin-cli sits beside the bench folder of the build; QUELBRIN_CLI overrides it.
std::string CliPath() {
  if (const char* env = std::getenv("QUELBRIN_CLI")) return env;
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "quelbrin-cli";
  std::string path(self, static_cast<std::size_t>(n));
  path = path.substr(0, path.rfind('/'));
  return path.substr(0, path.rfind('/')) + "/quelbrin-cli";
}

// Runs a command to its end, reading all it prints. False when it failed.
bool RunToEnd(const std::string& command, std::size_t& bytes) {
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return false;
  std::array<char, 65536> chunk{};
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) bytes += n;
  const int status = ::pclose(pipe);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RunProgram(benchmark::State& state, const std::string& command) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    if (!RunToEnd(command, bytes)) {
      state.SkipWithError(("cannot run " + command).c_str());
      return;
    }
  }
  state.counters["output_bytes"] = benchmark::Counter(static_cast<double>(bytes) / static_cast<double>(state.iterations()));
}

void BM_QuelbrinCliTreeLive(benchmark::State& state) { RunProgram(state, "'" + CliPath() + "' tree"); }
void BM_LsblkJsonAll(benchmark::State& state) { RunProgram(state, "lsblk -J -O"); }

void BM_CollectAndScanInProcess(benchmark::State& state) {
  for (auto _ : state) {
    linuxsys::SystemFiles files("/");
    RecordedPlatform platform(linuxsys::CollectMachine(files));
    ConsolePrompt prompt;
    CQuelbrinDoc doc(platform, prompt, nullptr);
    benchmark::DoNotOptimize(doc.InitialScan());
  }
}

}  // namespace

BENCHMARK(BM_QuelbrinCliTreeLive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LsblkJsonAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollectAndScanInProcess)->Unit(benchmark::kMicrosecond);
