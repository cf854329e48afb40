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
#include <vector>

#include "platform/machine/machine_file.h"
#include "tests/support/presentation_fixture.h"
#include "ui/text/model_json.h"
#include "ui/text/tree_printer.h"

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

  struct Run {
    long peak;             // kB
    long outputKilobytes;
  };
  auto run = [&dir, &machineFile](std::vector<std::string> arguments) {
    const std::string out = (dir / arguments.back()).string();
    arguments.insert(arguments.begin(), {"--machine", machineFile});
    const ChildRun child = RunCliChild(arguments, out);
    EXPECT_EQ(child.status, 0) << arguments.back();
    return Run{child.peakKilobytes, static_cast<long>(std::filesystem::file_size(out) / 1024)};
  };
  const long tree = run({"--all-mount-points", "tree"}).peak;
  const Run json = run({"--all-mount-points", "json"});
  const Run capture = run({"capture"});
  const long paths = run({"--all-mount-points", "paths"}).peak;
  ASSERT_GT(json.outputKilobytes, 30L << 10) << "every node written";
  ASSERT_GT(capture.outputKilobytes, 20L << 10) << "every record written";
  // What each command may hold beyond the tree's peak, whose description
  // and model the others hold too (capture: the description only). A
  // document of the output, or the output itself, held before writing would
  // add several times a quarter of it; the paths of the 100,000 places in
  // the tree, spelt out, more than a quarter of the tree.
  const struct {
    const char* command;
    long peak, bound;
  } kCases[] = {
      {"json", json.peak, json.outputKilobytes / 4},
      {"capture", capture.peak, capture.outputKilobytes / 4},
      {"paths", paths, tree / 4},
  };
  for (const auto& c : kCases)
    EXPECT_LT(c.peak - tree, c.bound) << c.command << " peak " << c.peak << " kB, tree peak " << tree << " kB";
  {
    // For a file this large the program maps its heap ahead on another core:
    // it prints what the same machine prints when scanned here. Scanned after
    // the runs, as a child's peak starts from its parent's.
    RecordedPlatform platform{ParseMachine(ManyVolumes(10000), machineFile)};
    RecordingPrompt prompt;
    CQuelbrinDoc doc(platform, prompt, nullptr);
    doc.SetShowAllMountPoints(true);
    ASSERT_TRUE(doc.InitialScan());
    std::ostringstream expected;
    PrintStorageTree(doc, expected);
    std::ostringstream printed;
    printed << std::ifstream(dir / "tree").rdbuf();
    EXPECT_TRUE(printed.str() == expected.str()) << "the program's tree differs from the scan's";
  }
}

#endif

}  // namespace
