// Checks of quelbrin-cli against real block devices that live_devices.sh has
// built: its answers compared with what lsblk, blkid, findmnt and sfdisk say
// of the same devices. Run only by that script, which tears the devices down.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

std::map<std::string, std::string> ReadManifest() {
  std::map<std::string, std::string> m;
  const char* path = std::getenv("QUELBRIN_LIVE_MANIFEST");
  if (path == nullptr) return m;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) m[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return m;
}

const std::map<std::string, std::string>& Manifest() {
  static const std::map<std::string, std::string> m = ReadManifest();
  return m;
}

std::string Of(const std::string& key) {
  auto it = Manifest().find(key);
  return it != Manifest().end() ? it->second : std::string();
}

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a shell command; stdout and stderr apart.
Result Shell(const std::string& command) {
  Result r;
  const std::string errFile = Of("work") + "/stderr.txt";
  FILE* pipe = ::popen((command + " 2>'" + errFile + "'").c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 65536> chunk{};
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) r.out.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  r.err = text.str();
  return r;
}

std::string Cli(const std::string& args) { return "'" + Of("cli") + "' " + args; }

json RunJson(const std::string& command) {
  const Result r = Shell(command);
  EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
  return json::parse(r.out, nullptr, false);
}

// The program's model of the machine, with every volume.
json Model() { return RunJson(Cli("--all-mount-points json")); }

std::string Mount(const std::string& name) { return Of("work") + "/mnt/" + name; }

// The drive-letter mount point of the volume mounted at `target`.
const json* MountPointAt(const json& model, const std::string& target) {
  for (const json& m : model["mountPoints"]["children"]) {
    if (m.value("name", "").rfind("\\DosDevices\\", 0) != 0) continue;
    for (const json& p : m["volumePathNames"]) {
      if (p == target) return &m;
    }
  }
  return nullptr;
}

// Every mount point of a device, drive letters and volume names.
std::vector<const json*> MountPointsOf(const json& model, const std::string& device) {
  std::vector<const json*> out;
  for (const json& m : model["mountPoints"]["children"]) {
    if (m.value("deviceName", "") == device) out.push_back(&m);
  }
  return out;
}

const json* VolumeNameOf(const json& model, const std::string& device) {
  for (const json* m : MountPointsOf(model, device)) {
    if ((*m).value("name", "").rfind("\\??\\Volume{", 0) == 0) return m;
  }
  return nullptr;
}

const json& ExtentNode(const json& model, const std::string& path) {
  for (const json& e : model["extents"]) {
    if (e.value("path", "") == path) return e;
  }
  static const json none;
  return none;
}

const json* Disk(const json& model, unsigned number) {
  for (const json& d : model["physicalDisks"]["children"]) {
    if (d.value("name", "") == "PhysicalDrive" + std::to_string(number)) return &d;
  }
  return nullptr;
}

struct Placed {
  unsigned disk;
  std::uint64_t offset;
  std::uint64_t length;
  std::string partition;
};

std::vector<Placed> ExtentsOf(const json& model, const json& mountPoint) {
  std::vector<Placed> out;
  for (const json& path : mountPoint["extents"]) {
    const json& e = ExtentNode(model, path.get<std::string>());
    const json& d = e["diskExtent"];
    out.push_back({d["diskNumber"].get<unsigned>(), d["startingOffset"].get<std::uint64_t>(),
                   d["extentLength"].get<std::uint64_t>(), e["partition"].is_string() ? e["partition"].get<std::string>() : ""});
  }
  return out;
}

std::uint64_t Number(const json& v) {
  if (v.is_number_unsigned()) return v.get<std::uint64_t>();
  if (v.is_string()) return std::stoull(v.get<std::string>());
  return 0;
}

// lsblk's facts of one device.
json Lsblk(const std::string& device) {
  const json all = RunJson("lsblk -J -O -b '" + device + "'");
  return all["blockdevices"].empty() ? json() : all["blockdevices"][0];
}

// blkid's low-level probe of one device, as KEY=value pairs.
std::map<std::string, std::string> Blkid(const std::string& device) {
  std::map<std::string, std::string> facts;
  std::istringstream lines(Shell("blkid -p -o export '" + device + "'").out);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) facts[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return facts;
}

class LiveDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Manifest().empty()) GTEST_SKIP() << "run by live_devices.sh, which builds the devices";
  }
};

// Partitions as the tables hold them, mounts as the kernel lists them,
// labels and types as libblkid probes them.
TEST_F(LiveDevices, AgreesWithSfdiskFindmntAndBlkid) {
  const json model = Model();
  for (const char* key : {"a", "b"}) {
    const std::string disk = Of(key);
    SCOPED_TRACE(disk);
    const json table = RunJson("sfdisk -J '" + disk + "'")["partitiontable"];
    const std::uint64_t sector = table.value("sectorsize", 512u);
    for (const json& p : table["partitions"]) {
      const std::string node = p["node"];
      // The extended container has no volume, and a further btrfs member is its first member's.
      if (p.value("type", "") == "5" || node == Of("b") + "p1") continue;
      const json* m = VolumeNameOf(model, node);
      ASSERT_NE(m, nullptr) << node;
      const auto extents = ExtentsOf(model, *m);
      ASSERT_FALSE(extents.empty()) << node;
      EXPECT_EQ(extents[0].offset, p["start"].get<std::uint64_t>() * sector) << node;
      if (extents.size() == 1) {
        EXPECT_EQ(extents[0].length, p["size"].get<std::uint64_t>() * sector) << node;
      }
      const auto probe = Blkid(node);
      const bool mounted = !(*m)["volumePathNames"].empty();
      if (probe.count("TYPE") != 0) {
        EXPECT_EQ((*m)["fileSystemName"], probe.at("TYPE")) << node;
      }
      if (!mounted && probe.count("LABEL") != 0 && probe.at("LABEL").find('\n') == std::string::npos) {
        EXPECT_EQ((*m)["volumeName"], probe.at("LABEL")) << node;
      }
    }
  }
  const json mounts = RunJson("findmnt -J -l -o TARGET,SOURCE,FSTYPE");
  int ours = 0;
  for (const json& fs : mounts["filesystems"]) {
    const std::string target = fs.value("target", "");
    if (target.rfind(Of("work") + "/", 0) != 0) continue;
    ++ours;
    const json* m = MountPointAt(model, target);
    ASSERT_NE(m, nullptr) << target;
    const std::string source = fs.value("source", "");
    // A bind mount names the directory it shows: "/dev/loop0p1[/sub]".
    EXPECT_EQ((*m)["deviceName"], source.substr(0, source.find('['))) << target;
  }
  EXPECT_EQ(ours, 8);
}

TEST_F(LiveDevices, FuseMountsGoByWhatTheyMount) {
  const json model = Model();
  const struct {
    const char* mount;
    const char* type;
    unsigned flags;
  } cases[] = {{"exfat", "exfat", 0x6}, {"ntfs", "ntfs", 0x4000cf}};
  for (const auto& c : cases) {
    const json* m = MountPointAt(model, Mount(c.mount));
    ASSERT_NE(m, nullptr) << c.mount;
    EXPECT_EQ(Blkid((*m)["deviceName"])["TYPE"], c.type) << "the probe and the program agree";
    EXPECT_EQ((*m)["fileSystemName"], c.type);
    EXPECT_EQ((*m)["fileSystemFlags"].get<unsigned>(), c.flags) << c.mount;
  }
}

TEST_F(LiveDevices, FilesystemOverSeveralDevicesHasAnExtentOnEach) {
  const json model = Model();
  const std::string a5 = Of("a") + "p5";
  const std::string b1 = Of("b") + "p1";
  const struct {
    const char* mount;
    std::vector<std::string> members;
  } cases[] = {{"btrfs", {a5, b1}}, {"btrfs-whole", {Of("e"), Of("f")}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mount);
    const json* m = MountPointAt(model, Mount(c.mount));
    ASSERT_NE(m, nullptr);
    const auto extents = ExtentsOf(model, *m);
    ASSERT_EQ(extents.size(), c.members.size());
    std::set<unsigned> disks;
    for (std::size_t i = 0; i < extents.size(); ++i) {
      const json facts = Lsblk(c.members[i]);
      EXPECT_EQ(extents[i].offset, Number(facts["start"]) * 512) << c.members[i];
      EXPECT_EQ(extents[i].length, Number(facts["size"])) << c.members[i];
      EXPECT_FALSE(extents[i].partition.empty()) << "every extent leads to a partition and its disk";
      ASSERT_NE(Disk(model, extents[i].disk), nullptr) << "every member disk is listed";
      disks.insert(extents[i].disk);
    }
    EXPECT_EQ(disks.size(), c.members.size());
    // The further member is no volume of its own.
    EXPECT_TRUE(MountPointsOf(model, c.members[1]).empty());
  }
}

TEST_F(LiveDevices, WholeDiskFilesystemLeadsToItsDisk) {
  const json model = Model();
  const json* m = MountPointAt(model, Mount("whole"));
  ASSERT_NE(m, nullptr);
  const auto extents = ExtentsOf(model, *m);
  ASSERT_EQ(extents.size(), 1u);
  EXPECT_EQ(extents[0].offset, 0u);
  EXPECT_EQ(extents[0].length, Number(Lsblk(Of("c"))["size"]));
  ASSERT_FALSE(extents[0].partition.empty());
  const json* disk = Disk(model, extents[0].disk);
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ((*disk)["partitions"].size(), 1u);
  // In the tree: under the extent its partition, under that its disk.
  const Result tree = Shell(Cli("tree"));
  const std::string letter = "\n  " + (*m)["name"].get<std::string>() + "\n";
  const std::size_t at = tree.out.find(letter);
  ASSERT_NE(at, std::string::npos) << tree.out;
  std::istringstream below(tree.out.substr(at + letter.size()));
  std::string extentLine, partitionLine, diskLine;
  std::getline(below, extentLine);
  std::getline(below, partitionLine);
  std::getline(below, diskLine);
  EXPECT_EQ(extentLine.rfind("    Disk Extent 0 ", 0), 0u) << extentLine;
  EXPECT_EQ(partitionLine.rfind("      DP(1)0-", 0), 0u) << partitionLine;
  EXPECT_EQ(diskLine, "        PhysicalDrive" + std::to_string(extents[0].disk));
}

TEST_F(LiveDevices, AnUnansweringFilesystemHoldsUpNothing) {
  const std::string pid = Of("exfat_daemon");
  ASSERT_FALSE(pid.empty());
  const std::string target = Mount("exfat");
  // A leak check at exit would wait for the thread still inside the
  // filesystem, which cannot be stopped there; the program itself does not.
  const std::string noLeakCheck = "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 ";
  ASSERT_EQ(::kill(std::stoi(pid), SIGSTOP), 0);
  const Result tree = Shell(noLeakCheck + Cli("tree"));
  const Result asJson = Shell(noLeakCheck + Cli("json"));
  ::kill(std::stoi(pid), SIGCONT);
  EXPECT_EQ(tree.status, 0);
  const std::string said = "quelbrin-cli: " + target + " (" + Of("a") + "p3) did not answer";
  EXPECT_NE(tree.err.find(said), std::string::npos) << tree.err;
  const nlohmann::json model = nlohmann::json::parse(asJson.out, nullptr, false);
  const nlohmann::json* m = MountPointAt(model, target);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ((*m)["totalBytes"], 0u) << "sizes unknown";
  EXPECT_EQ((*m)["fileSystemName"], "exfat");
  const nlohmann::json* other = MountPointAt(model, Mount("ext4"));
  ASSERT_NE(other, nullptr);
  EXPECT_GT((*other)["totalBytes"].get<std::uint64_t>(), 0u);
}

// The udev database as udev would have written it for our devices.
std::string UdevDatabaseScript() {
  std::string script = "mkdir -p /run/udev/data";
  for (const char* key : {"a", "b", "c", "e", "f"}) {
    const std::string disk = Of(key);
    for (const std::string& device : {disk, disk + "p1", disk + "p2", disk + "p3", disk + "p4", disk + "p5", disk + "p6",
                                      disk + "p7", disk + "p8"}) {
      const std::string name = device.substr(device.rfind('/') + 1);
      script += "; [ -b " + device + " ] && blkid -p -o udev " + device +
                " | sed 's/^/E:/' > /run/udev/data/b$(cat /sys/class/block/" + name + "/dev)";
    }
  }
  return script;
}

std::string AsNobody(const std::string& args) {
  return "setpriv --reuid=nobody --regid=nogroup --clear-groups " + Cli(args);
}

TEST_F(LiveDevices, OrdinaryUserNamesVolumesAsRootDoes) {
  const json root = Model();
  // Without a udev database (none here, or hidden), what cannot be read is said, once.
  const Result bare = Shell("unshare -m sh -c \"mount -t tmpfs tmpfs /run && " + AsNobody("--all-mount-points json") + "\"");
  ASSERT_EQ(bare.status, 0) << bare.err;
  std::size_t said = 0;
  for (std::size_t at = 0; (at = bare.err.find("not allowed to open", at)) != std::string::npos; ++at) ++said;
  EXPECT_EQ(said, 1u) << bare.err;

  // With the database udev keeps, the names are root's.
  const std::string inner = UdevDatabaseScript() + "; " + AsNobody("--all-mount-points json");
  const json user = RunJson("unshare -m sh -c \"mount -t tmpfs tmpfs /run && " + inner + "\"");
  int compared = 0;
  for (const char* key : {"a", "b", "c", "e"}) {
    const std::string disk = Of(key);
    for (const std::string& device : {disk, disk + "p1", disk + "p2", disk + "p3", disk + "p4", disk + "p5", disk + "p6",
                                      disk + "p7", disk + "p8"}) {
      const json* r = VolumeNameOf(root, device);
      if (r == nullptr) continue;
      const json* u = VolumeNameOf(user, device);
      ASSERT_NE(u, nullptr) << device;
      EXPECT_EQ((*u)["name"], (*r)["name"]) << device;
      EXPECT_EQ((*u)["uniqueIdText"], (*r)["uniqueIdText"]) << device;
      ++compared;
    }
  }
  EXPECT_GE(compared, 12);
}

TEST_F(LiveDevices, ContainersAndSwapAreNoFilesystems) {
  const json model = Model();
  const struct {
    std::string device;
    const char* type;
  } cases[] = {{Of("a") + "p6", "crypto_LUKS"}, {Of("b") + "p6", "swap"}};
  for (const auto& c : cases) {
    const json* m = VolumeNameOf(model, c.device);
    ASSERT_NE(m, nullptr) << c.device;
    EXPECT_EQ((*m)["fileSystemName"], c.type);
    EXPECT_EQ((*m)["fileSystemFlags"].get<unsigned>(), 0u) << c.device;
  }
}

TEST_F(LiveDevices, ControlCharactersInLabelsAreEscaped) {
  const json model = Model();
  const json* m = MountPointAt(model, Mount("ext4"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ((*m)["volumeName"], "li\\x0ane");
  const Result shown = Shell(Cli("show '" + (*m)["name"].get<std::string>() + "'"));
  EXPECT_NE(shown.out.find("li\\x0ane\n"), std::string::npos) << shown.out;
  EXPECT_EQ(shown.out.find("\nne\n"), std::string::npos) << shown.out;
}

TEST_F(LiveDevices, VolumeSizeIsTheFilesystemsOwn) {
  const json model = Model();
  for (const char* mount : {"ext4", "xfs", "whole", "btrfs", "ntfs"}) {
    const json* m = MountPointAt(model, Mount(mount));
    ASSERT_NE(m, nullptr) << mount;
    std::uint64_t extents = 0;
    for (const Placed& e : ExtentsOf(model, *m)) extents += e.length;
    const std::uint64_t total = (*m)["totalBytes"];
    const std::uint64_t free = (*m)["totalFreeBytes"];
    // At most 100% of the volume lies in its extents, and the total holds the free space.
    EXPECT_LE(total, extents) << mount;
    EXPECT_GE(total * 100, extents * 90) << mount << ": the filesystem fills most of its extents";
    EXPECT_GE(total, free) << mount;
  }
}

TEST_F(LiveDevices, RecognizedPartitionsFollowThePlatformsRule) {
  const json model = Model();
  const json table = RunJson("sfdisk -J '" + Of("b") + "'")["partitiontable"];
  int checked = 0;
  for (const json& p : table["partitions"]) {
    const std::string type = p.value("type", "");
    if (type == "5" || p["node"] == Of("b") + "p1") continue;  // the container; a further btrfs member
    const json* m = VolumeNameOf(model, p["node"]);
    ASSERT_NE(m, nullptr) << p["node"];
    const json& info = (*m)["partitionInfoEx"];
    EXPECT_EQ(info["mbr"]["partitionType"].get<unsigned>(), std::stoul(type, nullptr, 16)) << p["node"];
    EXPECT_EQ(info["mbr"]["recognizedPartition"].get<bool>(), type == "c") << p["node"] << " type " << type;
    ++checked;
  }
  EXPECT_EQ(checked, 4);
}

TEST_F(LiveDevices, GeneratedVolumeGuidsAreEasyToTellApart) {
  const json model = Model();
  const json* x = VolumeNameOf(model, Of("b") + "p7");
  const json* y = VolumeNameOf(model, Of("b") + "p8");
  ASSERT_NE(x, nullptr);
  ASSERT_NE(y, nullptr);
  const std::string gx = (*x)["name"];
  const std::string gy = (*y)["name"];
  ASSERT_EQ(gx.size(), gy.size());
  int differing = 0;
  for (std::size_t i = 0; i < gx.size(); ++i) differing += gx[i] != gy[i] ? 1 : 0;
  EXPECT_GE(differing, 20) << gx << " " << gy;
  // and stay the same from one run to the next.
  EXPECT_EQ((*VolumeNameOf(Model(), Of("b") + "p7"))["name"], gx);
}

}  // namespace
