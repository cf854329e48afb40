// The model's JSON written node by node: the same bytes as the whole document
// dumped at once, and without the memory such a document takes; a machine
// file written entry by entry, and node paths one at a time, likewise.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/presentation_fixture.h"
#include "ui/text/model_json.h"

namespace {

std::string Written(const CQuelbrinDoc& doc) {
  std::ostringstream out;
  WriteModelJson(doc, out);
  return out.str();
}

TEST(ModelJson, WrittenNodeByNodeIsTheWholeDocumentDumped) {
  // Every sample, with and without the volume-name mount points: empty device
  // lists, null descriptors and links, adapters with and without devices.
  for (const std::string& sample : AllSampleNames()) {
    for (const bool all : {false, true}) {
      SCOPED_TRACE(sample + (all ? " --all-mount-points" : ""));
      ScannedSample s(sample, all);
      EXPECT_EQ(Written(s.doc), BuildModelJson(s.doc).dump(2));
    }
  }
  // Before any scan: no roots (null), no extents or partitions (empty arrays).
  RecordedPlatform platform{machine::Machine{}};
  RecordingPrompt prompt;
  CQuelbrinDoc empty(platform, prompt, nullptr);
  EXPECT_EQ(Written(empty), BuildModelJson(empty).dump(2));
}

#ifndef _WIN32
// The child's peak memory is what the kernel reports when it is reaped.
extern "C" char** environ;

// A machine file of `count` volumes, each on its own MBR disk, mounted by volume name.
std::string ManyVolumes(int count) {
  std::string text = R"({"format": "quelbrin-machine", "version": 1, "drives": [)";
  char entry[512];
  for (int i = 0; i < count; ++i) {
    std::snprintf(entry, sizeof entry,
                  R"(%s{"number": %d, "size": 2147483648, "layout": {"style": "mbr", "signature": "0x%08x",)"
                  R"( "partitions": [{"number": 1, "offset": 1048576, "length": 1073741824, "hiddenSectors": 2048}]}})",
                  i ? "," : "", i, 0x10000000 + i);
    text += entry;
  }
  text += R"(], "volumes": [)";
  for (int i = 0; i < count; ++i) {
    std::snprintf(entry, sizeof entry,
                  R"(%s{"id": "v%d", "label": "Volume %d", "fileSystem": "NTFS", "serialNumber": "0x%08x",)"
                  R"( "totalFreeBytes": 536870912, "partition": {"disk": %d, "number": 1}})",
                  i ? "," : "", i, i, 0x20000000 + i, i);
    text += entry;
  }
  text += R"(], "mountPoints": [)";
  for (int i = 0; i < count; ++i) {
    std::snprintf(entry, sizeof entry, R"(%s{"name": "\\??\\Volume{%08x-0000-0000-0000-000000000000}", "volume": "v%d"})",
                  i ? "," : "", i, i);
    text += entry;
  }
  return text + "]}\n";
}

struct ChildRun {
  int status = -1;
  long peakKilobytes = 0;
};

// Runs quelbrin-cli with stdout to `outPath`, and reads the child's own peak
// resident size as the kernel reports it when the child is reaped.
ChildRun RunCliChild(const std::vector<std::string>& arguments, const std::string& outPath) {
  std::vector<std::string> argv = {QUELBRIN_CLI};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  ChildRun run;
  const int spawned = posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peakKilobytes = usage.ru_maxrss;
  return run;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(QuelbrinCli, OutputsOfTenThousandVolumesAreWrittenAsTheyAreMade) {
  // The sanitizer's shadow memory and quarantine of freed blocks make peak
  // sizes say nothing about what the program holds.
  if (kAddressSanitizer) GTEST_SKIP() << "peak memory means nothing under AddressSanitizer";
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("quelbrin-json-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  struct Cleanup {
    std::filesystem::path dir;
    ~Cleanup() { std::filesystem::remove_all(dir); }
  } cleanup{dir};
  const std::string machineFile = (dir / "machine.json").string();
  std::ofstream(machineFile) << ManyVolumes(10000);

  const ChildRun tree = RunCliChild({"--machine", machineFile, "--all-mount-points", "tree"}, (dir / "tree").string());
  const ChildRun json = RunCliChild({"--machine", machineFile, "--all-mount-points", "json"}, (dir / "json").string());
  ASSERT_EQ(tree.status, 0);
  ASSERT_EQ(json.status, 0);
  const auto outputBytes = static_cast<long>(std::filesystem::file_size(dir / "json"));
  ASSERT_GT(outputBytes, 30L << 20) << "every node written";
  // The tree holds the same model; a document of the output, or the output
  // itself, held before writing would add several times its size.
  EXPECT_LT(json.peakKilobytes - tree.peakKilobytes, outputBytes / 1024 / 4)
      << "json peak " << json.peakKilobytes << " kB, tree peak " << tree.peakKilobytes << " kB, output "
      << outputBytes / 1024 << " kB";

  // A capture of the file writes it again entry by entry: it holds the
  // description the tree holds too, but no model, and no document of its output.
  const ChildRun capture = RunCliChild({"--machine", machineFile, "capture"}, (dir / "capture").string());
  ASSERT_EQ(capture.status, 0);
  const auto capturedBytes = static_cast<long>(std::filesystem::file_size(dir / "capture"));
  ASSERT_GT(capturedBytes, 20L << 20) << "every record written";
  EXPECT_LT(capture.peakKilobytes - tree.peakKilobytes, capturedBytes / 1024 / 4)
      << "capture peak " << capture.peakKilobytes << " kB, tree peak " << tree.peakKilobytes << " kB, output "
      << capturedBytes / 1024 << " kB";

  // The paths of the 100,000 places in the tree are spelt out one at a time:
  // beside the model the tree holds too, their index keeps a few words a place.
  const ChildRun paths = RunCliChild({"--machine", machineFile, "--all-mount-points", "paths"}, (dir / "paths").string());
  ASSERT_EQ(paths.status, 0);
  EXPECT_LT(paths.peakKilobytes, tree.peakKilobytes + tree.peakKilobytes / 4)
      << "paths peak " << paths.peakKilobytes << " kB, tree peak " << tree.peakKilobytes << " kB";
}

#endif

}  // namespace
