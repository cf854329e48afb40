#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/machine/machine_file.h"
#include "tests/support/presentation_fixture.h"
#include "tests/support/recording_progress.h"
#include "ui/disk_tree.h"

namespace {

// A tree control that keeps its items and logs what is done to it.
class FakeTree : public TreeControl {
 public:
  struct Item {
    StorageNode* node;
    TreeItemId parent;
    bool expanded = false;
  };

  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override {
    items[++last] = {&node, parent};
    order.push_back(last);
    return last;
  }
  TreeItemId ParentOf(TreeItemId item) override { return items.at(item).parent; }
  void Expand(TreeItemId item) override {
    items.at(item).expanded = true;
    log.push_back("expand " + Text(item));
  }
  void EnsureVisible(TreeItemId item) override { log.push_back("reveal " + Text(item)); }
  void SelectItem(TreeItemId item) override {
    log.push_back("select " + Text(item));
    selected = item;
    if (view != nullptr) view->OnSelChanging(items.at(item).node);
  }
  void DeleteAllItems() override {
    log.push_back(view != nullptr && view->Clearing() ? "delete all while clearing" : "delete all");
    // The control announces the loss of its selection while items go.
    if (view != nullptr && selected != kTreeTopLevel) view->OnSelChanging(nullptr);
    items.clear();
    order.clear();
    selected = kTreeTopLevel;
  }

  std::string Text(TreeItemId item) const {
    const Item& i = items.at(item);
    const std::string name(i.node->GetName().begin(), i.node->GetName().end());
    return i.parent == kTreeTopLevel ? name : Text(i.parent) + "/" + name;
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (TreeItemId id : order) paths.push_back(Text(id));
    return paths;
  }

  std::map<TreeItemId, Item> items;
  std::vector<TreeItemId> order;
  std::vector<std::string> log;
  TreeItemId last = 0;
  TreeItemId selected = kTreeTopLevel;
  DiskTree* view = nullptr;
};

// A scanned sample shown in a tree pane that listens to its document.
struct ShownTree {
  explicit ShownTree(const std::string& sampleName)
      : sample(sampleName), tree(sample.doc, control, nullptr) {
    control.view = &tree;
    listening = sample.doc.Subscribe(tree);
    tree.ShowNode(sample.doc.GetCurrentNode());
  }

  ScannedSample sample;
  FakeTree control;
  DiskTree tree;
  Subscription listening;
};

// Counts inserted items and progress steps.
class CountingSink : public TreeSink {
 public:
  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override {
    names.push_back(node.GetName());
    parents.push_back(parent);
    return names.size();
  }
  void StepProgress() override { ++steps; }
  std::vector<std::wstring> names;
  std::vector<TreeItemId> parents;
  int steps = 0;
};

}  // namespace

TEST(TreeWalk, WorkstationTreeItemsAndSteps) {
  ScannedSample sample("workstation.json");
  FakeTree tree;
  TreeItemMap map;
  RecordingProgress progress;
  struct Forward : TreeSink {
    FakeTree& t;
    RecordingProgress& p;
    Forward(FakeTree& tree, RecordingProgress& progress) : t(tree), p(progress) {}
    TreeItemId InsertItem(StorageNode& n, TreeItemId parent) override { return t.InsertItem(n, parent); }
    void StepProgress() override { p.StepProgress(); }
  } sink(tree, progress);
  WalkStorageTree(sample.doc.Model(), sink, map);

  const std::vector<std::string> paths = tree.Paths();
  ASSERT_EQ(paths.size(), 73u);
  // A mount point's branch reaches down to the device that carries it.
  const std::string c = "Mountpoints/\\DosDevices\\C:";
  const std::string cDisk = c + "/Disk Extent 0 1f500000-3200000000/DP(2)1f500000-3200000000/PhysicalDrive0";
  const std::vector<std::string> first = {"Mountpoints", c, c + "/Disk Extent 0 1f500000-3200000000",
                                          c + "/Disk Extent 0 1f500000-3200000000/DP(2)1f500000-3200000000",
                                          cDisk, cDisk + "/Scsi2", cDisk + "/Scsi2/Bus0,Target0,Lun0",
                                          "Mountpoints/\\DosDevices\\D:"};
  EXPECT_EQ(std::vector<std::string>(paths.begin(), paths.begin() + 8), first);
  // The CD-ROM drive has no extent.
  const auto e = std::find(paths.begin(), paths.end(), "Mountpoints/\\DosDevices\\E:");
  ASSERT_NE(e, paths.end());
  EXPECT_EQ(*(e + 1), "Mountpoints/\\DosDevices\\U:");
  // Under the second and third roots.
  const auto disks = std::find(paths.begin(), paths.end(), "Physical Disks");
  ASSERT_NE(disks, paths.end());
  EXPECT_EQ(std::vector<std::string>(disks + 1, disks + 4),
            (std::vector<std::string>{"Physical Disks/PhysicalDrive0", "Physical Disks/PhysicalDrive0/Scsi2",
                                      "Physical Disks/PhysicalDrive0/Scsi2/Bus0,Target0,Lun0"}));
  const std::vector<std::string> adapters = {"Adapters",
                                             "Adapters/Scsi2",
                                             "Adapters/Scsi2/Bus0,Target0,Lun0",
                                             "Adapters/Scsi2/Bus0,Target1,Lun0",
                                             "Adapters/Scsi3",
                                             "Adapters/Scsi3/Bus0,Target0,Lun0",
                                             "Adapters/Scsi3/Bus0,Target1,Lun0",
                                             "Adapters/UsbStorage",
                                             "Adapters/UsbStorage/Usb Disk",
                                             "Adapters/1394Storage",
                                             "Adapters/1394Storage/1394 Disk"};
  EXPECT_EQ(std::vector<std::string>(paths.end() - 11, paths.end()), adapters);
  // Seven mount points and below them seven extents, partitions, disks and
  // devices; six disks with their devices under "Physical Disks"; one step for
  // each of the four adapters.
  EXPECT_EQ(std::count(progress.calls.begin(), progress.calls.end(), "step"), 7 * 5 + 6 * 2 + 4);
  // Disks, adapters and devices end registered under the later roots.
  EXPECT_EQ(tree.Text(map.at(&sample.Disk(0))), "Physical Disks/PhysicalDrive0");
  EXPECT_EQ(tree.Text(map.at(sample.Disk(0).device)), "Adapters/Scsi2/Bus0,Target0,Lun0");
  EXPECT_EQ(map.size(), 40u);  // three roots and 37 distinct nodes
}

TEST(TreeWalk, AVolumeUnderTwoMountPointsIsRegisteredUnderTheLater) {
  ScannedSample sample("workstation.json", true);
  FakeTree tree;
  TreeItemMap map;
  struct Forward : TreeSink {
    FakeTree& t;
    explicit Forward(FakeTree& tree) : t(tree) {}
    TreeItemId InsertItem(StorageNode& n, TreeItemId parent) override { return t.InsertItem(n, parent); }
  } sink(tree);
  WalkStorageTree(sample.doc.Model(), sink, map);
  DiskExtentNode* extent = sample.MountPoint(L"\\DosDevices\\C:").extents[0];
  EXPECT_EQ(extent, sample.MountPoint(L"\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}").extents[0]);
  std::size_t places = 0;
  for (const auto& [id, item] : tree.items) places += item.node == extent;
  EXPECT_EQ(places, 2u);
  EXPECT_EQ(tree.Text(map.at(extent)),
            "Mountpoints/\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}/Disk Extent 0 1f500000-3200000000");
}

TEST(TreeWalk, AdaptersUnderDisksAndUnderTheirRoot) {
  MountPointList mountPoints;
  PhysicalDiskList disks;
  AdapterList adapters;
  auto addAdapter = [&adapters](const wchar_t* name) {
    adapters.children.push_back(std::make_unique<ScsiAdapterNode>());
    adapters.children.back()->name = name;
    return adapters.children.back().get();
  };
  auto addDevice = [](ScsiAdapterNode* adapter, const wchar_t* name) {
    adapter->devices.push_back(std::make_unique<ScsiDeviceNode>());
    adapter->devices.back()->name = name;
    return adapter->devices.back().get();
  };
  ScsiAdapterNode* scsi1 = addAdapter(L"Scsi1");
  ScsiDeviceNode* lun0 = addDevice(scsi1, L"Bus0,Target0,Lun0");
  addDevice(scsi1, L"Bus0,Target1,Lun0");
  addAdapter(L"UsbStorage");
  for (int n = 0; n < 3; ++n) {
    disks.children.push_back(std::make_unique<PhysicalDiskNode>());
    disks.children.back()->SetDiskNumber(n);
  }
  disks.children[0]->SetAdapter(scsi1);
  disks.children[0]->SetDevice(lun0);
  disks.children[1]->SetAdapter(scsi1);  // an adapter but no device

  CountingSink sink;
  TreeItemMap map;
  WalkStorageTree(&mountPoints, &disks, &adapters, sink, map);
  const std::vector<std::wstring> names = {L"Mountpoints",
                                           L"Physical Disks",
                                           L"PhysicalDrive0",
                                           L"Scsi1",
                                           L"Bus0,Target0,Lun0",
                                           L"PhysicalDrive1",
                                           L"Scsi1",
                                           L"PhysicalDrive2",
                                           L"Adapters",
                                           L"Scsi1",
                                           L"Bus0,Target0,Lun0",
                                           L"Bus0,Target1,Lun0",
                                           L"UsbStorage"};
  EXPECT_EQ(sink.names, names);
  // Only the disk's own device stands under an adapter placed below a disk.
  EXPECT_EQ(sink.parents[4], 4u);
  EXPECT_EQ(sink.parents[6], 6u);
  // Three disks and one device below them; one step per adapter under "Adapters".
  EXPECT_EQ(sink.steps, 3 + 1 + 2);
  EXPECT_EQ(map.at(scsi1), 10u);
  EXPECT_EQ(map.at(lun0), 11u);
}

TEST(TreeWalk, ANullEntryEndsItsArray) {
  MountPointList mountPoints;
  mountPoints.children.push_back(std::make_unique<MountPointNode>());
  mountPoints.children.back()->symbolicLinkName = L"\\DosDevices\\C:";
  mountPoints.children.push_back(nullptr);
  mountPoints.children.push_back(std::make_unique<MountPointNode>());
  AdapterList adapters;
  adapters.children.push_back(std::make_unique<ScsiAdapterNode>());
  adapters.children[0]->devices.push_back(nullptr);
  adapters.children.push_back(std::make_unique<ScsiAdapterNode>());
  CountingSink sink;
  TreeItemMap map;
  WalkStorageTree(&mountPoints, nullptr, &adapters, sink, map);
  // A null device ends the whole remaining adapter branch, without its step.
  EXPECT_EQ(sink.names.size(), 4u);
  EXPECT_EQ(sink.steps, 1);
}

TEST(TreeWalk, NoRootsNoItems) {
  CountingSink sink;
  TreeItemMap map;
  EXPECT_EQ(WalkStorageTree(nullptr, nullptr, nullptr, sink, map), kTreeTopLevel);
  EXPECT_TRUE(sink.names.empty());
}

TEST(DiskTree, FirstBuildSelectsMountpointsAndExpandsNothing) {
  RecordingProgress progress;
  RecordedPlatform platform(LoadMachineFile(SamplePath("workstation.json")));
  RecordingPrompt prompt;
  CQuelbrinDoc doc(platform, prompt, &progress);
  FakeTree control;
  DiskTree tree(doc, control, &progress);
  control.view = &tree;
  const Subscription listening = doc.Subscribe(tree);
  tree.OnInitialUpdate();
  EXPECT_EQ(control.items.size(), 73u);
  EXPECT_EQ(control.Text(control.selected), "Mountpoints");
  EXPECT_EQ(control.log, (std::vector<std::string>{"select Mountpoints"}));
  // After the scan's own progress: the build's text, its range, and one step per
  // row of the step table.
  const auto build = std::find(progress.calls.begin(), progress.calls.end(), "text Building Tree");
  ASSERT_NE(build, progress.calls.end());
  EXPECT_EQ(*(build + 1), "range 0 100");
  EXPECT_EQ(std::count(build, progress.calls.end(), "step"), 51);
  EXPECT_EQ(doc.GetCurrentNode(), doc.Model().MountPoints());
}

TEST(DiskTree, ANodeChosenElsewhereIsRevealedAtItsRegisteredItem) {
  ShownTree shown("workstation.json");
  ScannedSample& sample = shown.sample;
  FakeTree& control = shown.control;
  control.log.clear();

  sample.doc.SetCurrentNode(&sample.Disk(0));
  EXPECT_EQ(control.log, (std::vector<std::string>{"expand Physical Disks", "reveal Physical Disks/PhysicalDrive0",
                                                   "select Physical Disks/PhysicalDrive0"}));
  // Selecting the item of the current node again broadcasts nothing.
  control.log.clear();
  control.SelectItem(control.selected);
  EXPECT_EQ(control.log.size(), 1u);
}

TEST(DiskTree, ANodeWithoutAnItemRebuildsOnceAndSelectsIt) {
  ShownTree shown("workstation.json");
  ScannedSample& sample = shown.sample;
  FakeTree& control = shown.control;
  DiskTree& tree = shown.tree;

  // A partition on no volume has no item: the tree is rebuilt, not doubled,
  // and the document keeps the partition current.
  DiskPartitionNode& lonely = sample.Partition(0, L"DP(1)100000-1f400000");
  sample.doc.SetCurrentNode(&lonely);
  EXPECT_EQ(control.items.size(), 73u);
  EXPECT_EQ(sample.doc.GetCurrentNode(), &lonely);
  EXPECT_EQ(control.selected, kTreeTopLevel);

  // A node that has an item after the rebuild is selected there.
  tree.ShowNode(sample.doc.GetCurrentNode());
  control.log.clear();
  sample.doc.SetCurrentNode(sample.doc.Model().Adapters());
  EXPECT_EQ(control.log.back(), "select Adapters");
}

TEST(DiskTree, RefreshClearsWithoutTellingTheDocumentAndRebuilds) {
  ShownTree shown("workstation.json");
  ScannedSample& sample = shown.sample;
  FakeTree& control = shown.control;
  DiskTree& tree = shown.tree;
  sample.doc.SetCurrentNode(&sample.Disk(1));
  control.log.clear();

  sample.doc.Refresh(true);
  ASSERT_FALSE(control.log.empty());
  EXPECT_EQ(control.log[0], "delete all while clearing");
  EXPECT_EQ(control.log.back(), "select Mountpoints");
  EXPECT_EQ(sample.doc.GetCurrentNode(), sample.doc.Model().MountPoints());
  EXPECT_EQ(tree.ItemOfNode(sample.doc.Model().MountPoints()), control.selected);
  // Nine mount points now, each with its branch.
  EXPECT_EQ(control.Text(control.order[1]), "Mountpoints/\\DosDevices\\C:");
  EXPECT_FALSE(tree.Clearing());

  // Updates without a node change nothing.
  const auto items = control.items.size();
  tree.OnUpdate(HintRebuild, nullptr);
  tree.OnUpdate(HintInitialUpdate, nullptr);
  EXPECT_EQ(control.items.size(), items);
}

TEST(DiskTree, AFailedRefreshEmptiesTheTree) {
  ShownTree shown("failing-layout.json");
  ScannedSample& sample = shown.sample;
  FakeTree& control = shown.control;
  DiskTree& tree = shown.tree;
  ASSERT_FALSE(control.items.empty());
  sample.doc.Refresh(false);
  EXPECT_TRUE(control.items.empty());
  EXPECT_EQ(tree.ItemOfNode(sample.doc.Model().MountPoints()), kTreeTopLevel);
}

namespace {

// A control that shows items as openable and has them filled as they open,
// as the desktop's tree does.
class OpeningTree : public FakeTree {
 public:
  bool FillsChildrenOnOpen() const override { return true; }
  void SetHasChildren(TreeItemId item) override { openable.insert(item); }
  void Expand(TreeItemId item) override {
    if (view != nullptr) view->FillChildren(item);
    FakeTree::Expand(item);
  }
  void DeleteAllItems() override {
    openable.clear();
    FakeTree::DeleteAllItems();
  }
  std::set<TreeItemId> openable;
};

// The items depth first, each parent before its children in the order inserted.
std::vector<std::string> Outline(const FakeTree& tree) {
  std::map<TreeItemId, std::vector<TreeItemId>> children;
  for (TreeItemId id : tree.order) children[tree.items.at(id).parent].push_back(id);
  std::vector<std::string> lines;
  auto visit = [&](auto& self, TreeItemId parent) -> void {
    for (TreeItemId id : children[parent]) {
      lines.push_back(tree.Text(id));
      self(self, id);
    }
  };
  visit(visit, kTreeTopLevel);
  return lines;
}

// Every node of the model: what the tree shows, and the partitions of no volume.
std::vector<StorageNode*> EveryNode(const StorageModel& model) {
  std::vector<StorageNode*> nodes{model.MountPoints(), model.PhysicalDisks(), model.Adapters()};
  for (const auto& mp : model.MountPoints()->children) {
    nodes.push_back(mp.get());
    nodes.insert(nodes.end(), mp->extents.begin(), mp->extents.end());
  }
  for (const auto& partition : model.Partitions()) nodes.push_back(partition.get());
  for (const auto& disk : model.PhysicalDisks()->children) nodes.push_back(disk.get());
  for (const auto& adapter : model.Adapters()->children) {
    nodes.push_back(adapter.get());
    for (const auto& device : adapter->devices) nodes.push_back(device.get());
  }
  return nodes;
}

}  // namespace

// A tree that inserts items as they open must look and act as one given every
// item at once: the same items once filled, and for every node chosen
// elsewhere the same expansions, reveal and selection, by path.
TEST(DiskTree, FillingItemsAsTheyOpenActsAsTheWholeTree) {
  for (const std::string& name : AllSampleNames()) {
    for (const bool all : {false, true}) {
      SCOPED_TRACE(name + (all ? " all mount points" : ""));
      ScannedSample sample(name, all);
      FakeTree whole;
      OpeningTree opening;
      DiskTree wholeView(sample.doc, whole, nullptr), openingView(sample.doc, opening, nullptr);
      whole.view = &wholeView;
      opening.view = &openingView;
      const Subscription a = sample.doc.Subscribe(wholeView), b = sample.doc.Subscribe(openingView);
      wholeView.ShowNode(sample.doc.GetCurrentNode());
      openingView.ShowNode(sample.doc.GetCurrentNode());
      if (whole.items.empty()) continue;
      // Only the roots at first, each openable when something hangs below it.
      EXPECT_EQ(opening.items.size(), 3u);
      EXPECT_EQ(opening.log, whole.log);

      for (StorageNode* node : EveryNode(sample.doc.Model())) {
        SCOPED_TRACE(std::string(node->GetName().begin(), node->GetName().end()));
        whole.log.clear();
        opening.log.clear();
        sample.doc.SetCurrentNode(node);
        EXPECT_EQ(opening.log, whole.log);
        const TreeItemId wholeItem = wholeView.ItemOfNode(node), openingItem = openingView.MakeItemOfNode(node);
        ASSERT_EQ(openingItem == kTreeTopLevel, wholeItem == kTreeTopLevel);
        if (wholeItem != kTreeTopLevel) {
          EXPECT_EQ(opening.Text(openingItem), whole.Text(wholeItem));
        }
      }
      openingView.FillAll();
      EXPECT_EQ(Outline(opening), Outline(whole));
      // Openable exactly where something hangs below.
      std::set<TreeItemId> parents;
      for (const auto& [id, item] : opening.items)
        if (item.parent != kTreeTopLevel) parents.insert(item.parent);
      EXPECT_EQ(opening.openable, parents);
    }
  }
}
