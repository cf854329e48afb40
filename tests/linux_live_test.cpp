// The live backend end to end: quelbrin-cli on a fake system and on this
// machine, capture replayed with --machine, and the live answers compared
// with what lsblk, findmnt and blkid report.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/common/console_prompt.h"
#include "platform/linux/linux_collector.h"
#include "platform/machine/machine_file.h"
#include "platform/machine/machine_writer.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "tests/support/linux_fake_system.h"

namespace {

struct Result {
  int status = -1;
  std::string out;
};

Result RunCommand(const std::string& command) {
  Result r;
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> chunk{};
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) r.out.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string Cli() { return std::string("'") + QUELBRIN_CLI + "'"; }

bool HaveTool(const char* tool) { return RunCommand(std::string("command -v ") + tool).status == 0; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string WithoutFreeSpace(const std::string& text) {
  std::istringstream lines(text);
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"freeBytesAvailable\"") == std::string::npos && line.find("\"totalFreeBytes\"") == std::string::npos)
      out += line + "\n";
  }
  return out;
}

// The capture of a system, viewed again from the file, prints the same tree
// and the same json, adapters and device-manager text included.
void ExpectReplayMatches(const std::string& sourceArgs, const std::string& file) {
  const Result capture = RunCommand(Cli() + " " + sourceArgs + " capture -o '" + file + "'");
  ASSERT_EQ(capture.status, 0);
  EXPECT_TRUE(capture.out.empty()) << "capture -o writes only the file";
  for (const char* command : {" tree", " json"}) {
    for (const char* extra : {"", " --all-mount-points"}) {
      const Result live = RunCommand(Cli() + " " + sourceArgs + extra + command);
      const Result replay = RunCommand(Cli() + " --machine '" + file + "'" + extra + command);
      ASSERT_EQ(live.status, 0);
      ASSERT_EQ(replay.status, 0);
      // Free space may move between two looks at a live machine.
      EXPECT_EQ(WithoutFreeSpace(replay.out), WithoutFreeSpace(live.out)) << extra << command;
      if (std::string(command) == " tree") {
        EXPECT_NE(live.out.find("\\DosDevices\\C:"), std::string::npos) << live.out;
      }
    }
  }
  // To stdout without -o, the same text as the file (free space may move in between).
  EXPECT_EQ(WithoutFreeSpace(RunCommand(Cli() + " " + sourceArgs + " capture").out), WithoutFreeSpace(ReadFile(file)));
}

TEST(LinuxCli, FakeSystemCaptureReplaysToTheSameTree) {
  fake::FakeSystem sys("server");
  sys.WriteImage("vdb", 41943040ull * 512, fake::ExtSuperblock("data", fake::UuidBytes("00112233-4455-6677-8899-aabbccddeeff")));
  ExpectReplayMatches("--root '" + sys.root() + "'", sys.root() + "/captured.json");
  const Result tree = RunCommand(Cli() + " --root '" + sys.root() + "' tree");
  EXPECT_NE(tree.out.find("\n  \\DosDevices\\F:\n"), std::string::npos) << tree.out;
  const Result f = RunCommand(Cli() + " --root '" + sys.root() + "' show '\\DosDevices\\F:'");
  EXPECT_NE(f.out.find("Volume Label:         data\n"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("FS Name:              ext4\n"), std::string::npos) << f.out;
  EXPECT_NE(tree.out.find("PhysicalDrive3"), std::string::npos) << tree.out;
  // The controller's device-manager text reaches the model.
  const Result json = RunCommand(Cli() + " --root '" + sys.root() + "' json");
  EXPECT_NE(json.out.find("PCI\\\\VEN_8086&DEV_2922&SUBSYS_11001AF4&REV_02"), std::string::npos) << json.out;

  fake::FakeSystem laptop("laptop");
  ExpectReplayMatches("--root '" + laptop.root() + "'", laptop.root() + "/captured.json");
}

TEST(LinuxCli, CaptureOptionsAreChecked) {
  EXPECT_EQ(RunCommand(Cli() + " tree -o x.json").status, 2);
  EXPECT_EQ(RunCommand(Cli() + " capture -o").status, 2);
  EXPECT_EQ(RunCommand(Cli() + " --root").status, 2);
  EXPECT_EQ(RunCommand(Cli() + " capture -o /nonexistent-dir/x.json").status, 1);
  EXPECT_NE(RunCommand(Cli() + " --help").out.find("capture [-o FILE]"), std::string::npos);
  // A machine file captured again comes out in full, as read.
  const std::string sample = std::string(QUELBRIN_SOURCE_DIR) + "/samples/workstation.json";
  const Result again = RunCommand(Cli() + " --machine '" + sample + "' capture");
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out, WriteMachine(LoadMachineFile(sample)));
  EXPECT_EQ(RunCommand(Cli() + " --machine /nonexistent.json capture").status, 2);
}

TEST(LinuxLive, CaptureReplaysToTheSameTree) {
  if (RunCommand("test -r /proc/self/mountinfo").status != 0) GTEST_SKIP() << "no mount table to read";
  ExpectReplayMatches("", ::testing::TempDir() + "live-capture.json");
}

// Devices of this machine as lsblk lists them, by "major:minor".
struct BlockFacts {
  std::string name;
  std::string type;
  std::uint64_t size = 0;
  std::optional<std::uint64_t> start;
  std::string parent;
};

std::uint64_t Number(const nlohmann::json& v) {
  if (v.is_number_unsigned()) return v.get<std::uint64_t>();
  if (v.is_string()) return std::stoull(v.get<std::string>());
  return 0;
}

void CollectLsblk(const nlohmann::json& devices, const std::string& parent, std::map<std::string, BlockFacts>& out) {
  if (!devices.is_array()) return;
  for (const auto& d : devices) {
    BlockFacts f;
    f.name = d.value("name", "");
    f.type = d.value("type", "");
    f.size = d.contains("size") ? Number(d["size"]) : 0;
    if (d.contains("start") && !d["start"].is_null()) f.start = Number(d["start"]);
    f.parent = parent;
    out[d.value("maj:min", "")] = f;
    if (d.contains("children")) CollectLsblk(d["children"], f.name, out);
  }
}

// The json command's nodes by name or path, as its links refer to them.
struct ModelIndex {
  explicit ModelIndex(const nlohmann::json& model) {
    for (const auto& e : model["extents"]) extents[e.value("path", "")] = &e;
    for (const auto& p : model["partitions"]) partitions[p.value("path", "")] = &p;
    for (const auto& d : model["physicalDisks"]["children"]) disks[d.value("name", "")] = &d;
    for (const auto& m : model["mountPoints"]["children"]) byDevice[m.value("deviceName", "")].push_back(&m);
  }
  std::map<std::string, const nlohmann::json*> extents;
  std::map<std::string, const nlohmann::json*> partitions;
  std::map<std::string, const nlohmann::json*> disks;
  std::map<std::string, std::vector<const nlohmann::json*>> byDevice;
};

TEST(LinuxLive, JsonAgreesWithLsblkFindmntAndBlkid) {
  if (!HaveTool("lsblk") || !HaveTool("findmnt")) GTEST_SKIP() << "lsblk or findmnt missing";
  const Result lsblk = RunCommand("lsblk -J -O -b");
  const Result findmnt = RunCommand("findmnt -J -l -o TARGET,SOURCE,FSTYPE,MAJ:MIN");
  if (lsblk.status != 0 || findmnt.status != 0) GTEST_SKIP() << "lsblk or findmnt cannot read this machine";
  std::map<std::string, BlockFacts> blocks;
  CollectLsblk(nlohmann::json::parse(lsblk.out)["blockdevices"], "", blocks);

  // What a user of the program sees: the json command's model of this machine.
  const Result quelbrin = RunCommand(Cli() + " --all-mount-points json");
  ASSERT_EQ(quelbrin.status, 0);
  const nlohmann::json model = nlohmann::json::parse(quelbrin.out);
  const ModelIndex index(model);

  int compared = 0;
  const nlohmann::json mounts = nlohmann::json::parse(findmnt.out);
  for (const auto& fsEntry : mounts["filesystems"]) {
    const std::string devno = fsEntry.value("maj:min", "");
    auto block = blocks.find(devno);
    if (block == blocks.end() || block->second.type == "rom") continue;
    const BlockFacts& b = block->second;
    const std::string target = fsEntry.value("target", "");
    SCOPED_TRACE(b.name + " at " + target);
    auto nodes = index.byDevice.find("/dev/" + b.name);
    ASSERT_NE(nodes, index.byDevice.end());
    for (const nlohmann::json* node : nodes->second) {
      // FUSE names only itself; the volume goes by what it mounts.
      if (fsEntry.value("fstype", "") != "fuseblk") {
        EXPECT_EQ((*node)["fileSystemName"], fsEntry.value("fstype", ""));
      }
      bool listed = false;
      for (const auto& p : (*node)["volumePathNames"]) listed |= p == target;
      EXPECT_TRUE(listed);
      if (b.type != "part" && b.type != "disk" && b.type != "loop") continue;
      // Its (first) extent lies where lsblk places the device, on a disk of the size lsblk gives.
      ASSERT_GE((*node)["extents"].size(), 1u);
      const nlohmann::json& extent = *index.extents.at((*node)["extents"][0].get<std::string>());
      EXPECT_EQ(extent["diskExtent"]["extentLength"].get<std::uint64_t>(), b.size);
      EXPECT_EQ(extent["diskExtent"]["startingOffset"].get<std::uint64_t>(), b.start.value_or(0) * 512);
      const std::string diskName = b.type == "part" ? b.parent : b.name;
      const std::string drive = "PhysicalDrive" + std::to_string(extent["diskExtent"]["diskNumber"].get<unsigned>());
      ASSERT_EQ(index.disks.count(drive), 1u);
      for (const auto& [number, facts] : blocks) {
        if (facts.name == diskName) {
          EXPECT_EQ((*index.disks.at(drive))["diskSize"].get<std::uint64_t>(), facts.size);
        }
      }
      if (b.type == "part") {
        ASSERT_TRUE(extent["partition"].is_string());
        const nlohmann::json& partition = *index.partitions.at(extent["partition"].get<std::string>());
        EXPECT_EQ(partition["partitionInfoEx"]["startingOffset"].get<std::uint64_t>(), *b.start * 512);
      }
    }
    ++compared;
  }

  // blkid, where it can read the devices, names the same filesystems and labels.
  if (HaveTool("blkid")) {
    std::istringstream lines(RunCommand("blkid -o export").out);
    std::map<std::string, std::string> entry;
    auto check = [&index, &entry, &compared]() {
      auto dev = entry.find("DEVNAME");
      if (dev == entry.end()) return;
      auto nodes = index.byDevice.find(dev->second);
      if (nodes == index.byDevice.end()) return;
      for (const nlohmann::json* node : nodes->second) {
        if (!(*node)["volumePathNames"].empty()) return;  // mounted ones go by the kernel's name
        EXPECT_EQ((*node)["fileSystemName"], entry["TYPE"]) << dev->second;
        EXPECT_EQ((*node)["volumeName"], entry["LABEL"]) << dev->second;
      }
      ++compared;
    };
    for (std::string line; std::getline(lines, line);) {
      if (line.empty()) {
        check();
        entry.clear();
      } else if (auto eq = line.find('='); eq != std::string::npos) {
        entry[line.substr(0, eq)] = line.substr(eq + 1);
      }
    }
    check();
  }
  if (compared == 0) GTEST_SKIP() << "no filesystem on a block device to compare";
}

}  // namespace
