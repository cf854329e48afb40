// The viewer on the running machine while a loop device is attached,
// partitioned, mounted and removed: each change appears without Refresh,
// and the selection stays. Run by live_refresh.sh, which provides a scratch
// folder and takes down whatever is left; the test also takes down what it
// made itself.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gui_support.h"
#include "model/mount_point_node.h"
#include "platform/wide_text.h"

#include <wx/utils.h>

namespace {

using gui::ItemAt;
using gui::Pump;
using gui::SelectedPath;
using Clock = std::chrono::steady_clock;


// Runs a shell command; its standard output without the last newline.
std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  std::array<char, 4096> chunk{};
  for (std::size_t n; pipe != nullptr && (n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0;) out.append(chunk.data(), n);
  const int raw = pipe != nullptr ? pclose(pipe) : -1;
  if (status != nullptr) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}


// Lets the viewer run until `done` holds; the time that took, or -1 when it
// never did (after a minute: a missed change must fail, not hang).
double RunUntil(const std::function<bool()>& done) {
  const Clock::time_point start = Clock::now();
  while (!done()) {
    if (Clock::now() - start > std::chrono::seconds(60)) return -1;
    Pump(0);
    wxMilliSleep(2);
  }
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the test attached and mounted, taken down whatever happens.
struct LoopDevice {
  std::string work;
  std::string device;
  ~LoopDevice() {
    Shell("umount '" + work + "/mnt' 2>/dev/null");
    if (!device.empty()) Shell("partx -d " + device + " 2>/dev/null; losetup -d " + device);
  }
};

TEST(LiveRefresh, ALoopDeviceAppearsWithoutRefreshAndTheSelectionStays) {
  const char* workDir = std::getenv("QUELBRIN_LIVE_WORK");
  if (workDir == nullptr)
    GTEST_SKIP() << "run by tests/gui/live_refresh.sh, which makes the loop devices as root and removes them";
  LoopDevice loop{workDir, ""};
  std::filesystem::create_directories(loop.work + "/mnt");
  Shell("truncate -s 64M '" + loop.work + "/disk.img'");

  FrameOptions options;
  options.helpBook = std::string(QUELBRIN_BINARY_DIR) + "/help/quelbrin.hhp";
  options.readsSource = true;
  std::string error;
  std::unique_ptr<Platform> platform = OpenMachine(options.source, error);
  ASSERT_TRUE(platform) << error;
  RecordingPrompt prompt;
  auto* frame = new CMainFrame(*platform, &prompt, options);
  frame->InitialUpdate();
  Pump(50);
  CDiskTreeView& tree = *frame->TreeView();
  ASSERT_TRUE(frame->AutoRefresh());
  ASSERT_TRUE(frame->WatchingForChanges());

  // A disk that stays; its path in the tree is what stays selected.
  const std::vector<std::string> kept = {"Physical Disks", "PhysicalDrive0"};
  ASSERT_TRUE(ItemAt(tree, kept).IsOk());
  tree.SelectItem(ItemAt(tree, kept));
  Pump(5);

  // Attached, partitioned and formatted: the viewer refreshes for each (an
  // unused loop device is no drive of the machine) and the selection stays.
  int status = 0;
  loop.device = Shell("losetup -f --show '" + loop.work + "/disk.img'", &status);
  ASSERT_EQ(status, 0) << loop.device;
  Shell("echo 'type=83' | sfdisk -q " + loop.device, &status);
  ASSERT_EQ(status, 0);
  // Without the kernel's table parsers the partition is added from user space.
  Shell("partx -a " + loop.device + " || partx -u " + loop.device);
  const std::string output = Shell("mkfs.ext4 -q -F " + loop.device + "p1", &status);
  ASSERT_EQ(status, 0) << output;
  Pump(1000);
  EXPECT_EQ(SelectedPath(tree), kept);

  // The mount point whose volume is mounted at the scratch folder.
  const std::wstring target = WideFromUtf8(loop.work + "/mnt");
  auto mountItem = [&]() -> wxTreeItemId {
    const MountPointList* list = frame->Document().Model().MountPoints();
    if (list == nullptr) return {};
    for (const auto& child : list->children) {
      const MountPointNode* m = child.get();
      if (m != nullptr && std::find(m->volumePathNames.begin(), m->volumePathNames.end(), target) !=
                              m->volumePathNames.end())
        return tree.ItemOfNode(m);
    }
    return {};
  };

  // Mounted and unmounted several times: each mount appears, and the time
  // from the mount's return to the tree showing it is what a user waits.
  std::vector<double> delays;
  for (int round = 0; round < 7; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Shell("mount " + loop.device + "p1 '" + loop.work + "/mnt'", &status);
    ASSERT_EQ(status, 0);
    const double delay = RunUntil([&] { return mountItem().IsOk() && (tree.Update(), true); });
    ASSERT_GE(delay, 0) << "the mount did not appear";
    delays.push_back(delay);
    EXPECT_EQ(SelectedPath(tree), kept);
    if (round == 6) {
      // Its own item selected, the mount goes: the nearest parent is selected.
      tree.SelectItem(mountItem());
      Pump(5);
    }
    Shell("umount '" + loop.work + "/mnt'", &status);
    ASSERT_EQ(status, 0);
    ASSERT_GE(RunUntil([&] { return !mountItem().IsOk() && frame->Document().Model().MountPoints() != nullptr; }), 0)
        << "the unmount did not show";
  }
  EXPECT_EQ(SelectedPath(tree), std::vector<std::string>{"Mountpoints"});
  EXPECT_EQ(frame->Document().GetCurrentNode(), frame->Document().Model().MountPoints());
  std::sort(delays.begin(), delays.end());
  const double median = delays[delays.size() / 2];
  std::printf("mount to repaint: median %.0f ms over %zu mounts (from %.0f to %.0f ms)\n", median, delays.size(),
              delays.front(), delays.back());
  RecordProperty("mount_to_repaint_median_ms", static_cast<int>(median));
  EXPECT_TRUE(prompt.messages.empty());
  frame->Destroy();
  Pump();
}

}  // namespace
