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

// The capture of a system, viewed again from the file, prints the same tree.
void ExpectReplayMatches(const std::string& sourceArgs, const std::string& file) {
  const Result capture = RunCommand(Cli() + " " + sourceArgs + " capture -o '" + file + "'");
  ASSERT_EQ(capture.status, 0);
  EXPECT_TRUE(capture.out.empty()) << "capture -o writes only the file";
  for (const char* extra : {"", " --all-mount-points"}) {
    const Result live = RunCommand(Cli() + " " + sourceArgs + extra + " tree");
    const Result replay = RunCommand(Cli() + " --machine '" + file + "'" + extra + " tree");
    ASSERT_EQ(live.status, 0);
    ASSERT_EQ(replay.status, 0);
    EXPECT_EQ(replay.out, live.out) << extra;
    EXPECT_NE(live.out.find("\\DosDevices\\C:"), std::string::npos) << live.out;
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

TEST(LinuxLive, AgreesWithLsblkFindmntAndBlkid) {
  if (!HaveTool("lsblk") || !HaveTool("findmnt")) GTEST_SKIP() << "lsblk or findmnt missing";
  const Result lsblk = RunCommand("lsblk -J -O -b");
  const Result findmnt = RunCommand("findmnt -J -l -o TARGET,SOURCE,FSTYPE,MAJ:MIN");
  if (lsblk.status != 0 || findmnt.status != 0) GTEST_SKIP() << "lsblk or findmnt cannot read this machine";
  std::map<std::string, BlockFacts> blocks;
  CollectLsblk(nlohmann::json::parse(lsblk.out)["blockdevices"], "", blocks);

  linuxsys::SystemFiles files("/");
  const machine::Machine m = linuxsys::CollectMachine(files);
  RecordedPlatform platform{machine::Machine(m)};
  ConsolePrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  doc.showAllMountPoints = true;
  ASSERT_TRUE(doc.InitialScan());

  int compared = 0;
  const nlohmann::json mounts = nlohmann::json::parse(findmnt.out);
  for (const auto& fsEntry : mounts["filesystems"]) {
    const std::string devno = fsEntry.value("maj:min", "");
    auto block = blocks.find(devno);
    if (block == blocks.end() || block->second.type == "rom") continue;
    const BlockFacts& b = block->second;
    const std::string target = fsEntry.value("target", "");
    SCOPED_TRACE(b.name + " at " + target);
    const machine::Volume* v = m.FindVolume(b.name);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(Utf8FromWide(v->fileSystem), fsEntry.value("fstype", ""));
    bool listed = false;
    for (const auto& p : v->mountPaths) listed |= Utf8FromWide(p) == target;
    EXPECT_TRUE(listed);

    // The scanned mount point of that device, with its extents where lsblk places the device.
    const MountPointNode* node = nullptr;
    for (const auto& mp : doc.mountPoints->children) {
      if (mp->deviceName == WideFromUtf8("/dev/" + b.name)) node = mp.get();
    }
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(Utf8FromWide(node->fileSystemName), fsEntry.value("fstype", ""));
    if (b.type == "part" || b.type == "disk" || b.type == "loop") {
      ASSERT_EQ(node->extents.size(), 1u);
      const DISK_EXTENT& e = node->extents[0]->diskExtent;
      EXPECT_EQ(static_cast<std::uint64_t>(e.ExtentLength.QuadPart), b.size);
      EXPECT_EQ(static_cast<std::uint64_t>(e.StartingOffset.QuadPart), b.start.value_or(0) * 512);
      const PhysicalDiskNode* disk = doc.physicalDisks->FindPhysicalDisk(static_cast<int>(e.DiskNumber));
      ASSERT_NE(disk, nullptr);
      const std::string diskName = b.type == "part" ? b.parent : b.name;
      for (const auto& [number, facts] : blocks) {
        if (facts.name == diskName) {
          EXPECT_EQ(disk->diskSize, facts.size);
        }
      }
      if (b.type == "part") {
        ASSERT_NE(node->extents[0]->partition, nullptr);
        EXPECT_EQ(node->extents[0]->partition->StartingOffset(), *b.start * 512);
      }
    }
    ++compared;
  }

  // blkid, where it can read the devices, names the same filesystems and labels.
  if (HaveTool("blkid")) {
    std::istringstream lines(RunCommand("blkid -o export").out);
    std::map<std::string, std::string> entry;
    auto check = [&m, &entry, &compared]() {
      auto dev = entry.find("DEVNAME");
      if (dev == entry.end() || dev->second.rfind("/dev/", 0) != 0) return;
      const machine::Volume* v = m.FindVolume(dev->second.substr(5));
      if (v == nullptr || !v->mountPaths.empty()) return;  // mounted ones go by the kernel's name
      EXPECT_EQ(Utf8FromWide(v->fileSystem), entry["TYPE"]) << dev->second;
      EXPECT_EQ(Utf8FromWide(v->label), entry["LABEL"]) << dev->second;
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
