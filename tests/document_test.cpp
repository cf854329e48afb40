// The document: current node, refresh, and what the views are told.
#include <gtest/gtest.h>

#include "tests/support/model_checks.h"
#include "tests/support/scan_harness.h"

namespace {

const std::string kMachine = MachineJson(R"(
    "drives": [{"number": 0, "size": 107374182400,
                "layout": {"partitions": [{"number": 1, "offset": 1048576, "length": 524288000}]}}],
    "volumes": [{"id": "c", "label": "C", "partition": {"disk": 0, "number": 1}}],
    "mountPoints": [{"name": "\\DosDevices\\C:", "volume": "c"},
                    {"name": "\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}", "volume": "c"}])");

}  // namespace

TEST(Document, SetCurrentNodeTellsTheViewsOnlyOfAChange) {
  ScanHarness h(kMachine);
  ASSERT_TRUE(h.InitialScan());
  // The first scan sends nothing: its caller builds the tree itself.
  EXPECT_TRUE(h.listener.updates.empty());
  StorageNode* list = h.doc->Model().MountPoints();
  ASSERT_EQ(h.doc->GetCurrentNode(), list);

  h.doc->SetCurrentNode(list);
  EXPECT_TRUE(h.listener.updates.empty());

  StorageNode* disk = h.Disk(0);
  h.doc->SetCurrentNode(disk);
  ASSERT_EQ(h.listener.updates.size(), 1u);
  EXPECT_EQ(h.listener.updates[0], std::make_pair(HintSelectNode, disk));
  EXPECT_EQ(h.doc->GetCurrentNode(), disk);
  h.doc->SetCurrentNode(disk);
  EXPECT_EQ(h.listener.updates.size(), 1u);

  // A listener that leaves is told nothing more.
  h.listening.Reset();
  h.doc->SetCurrentNode(list);
  EXPECT_EQ(h.listener.updates.size(), 1u);
}

TEST(Document, RefreshRebuildsAndTogglesShowAll) {
  ScanHarness h(kMachine);
  ASSERT_TRUE(h.InitialScan());
  EXPECT_FALSE(h.doc->GetShowAllMountPoints());
  EXPECT_EQ(h.doc->Model().MountPoints()->children.size(), 1u);
  h.progress.calls.clear();

  // "All Mount Points" passes the negation of the flag.
  h.doc->Refresh(!h.doc->GetShowAllMountPoints());
  EXPECT_TRUE(h.doc->GetShowAllMountPoints());
  ASSERT_EQ(h.listener.updates.size(), 1u);
  EXPECT_EQ(h.listener.updates[0].first, HintRebuild);
  EXPECT_EQ(h.listener.updates[0].second, h.doc->Model().MountPoints());
  EXPECT_EQ(h.doc->GetCurrentNode(), h.doc->Model().MountPoints());
  EXPECT_EQ(h.doc->Model().MountPoints()->children.size(), 2u);
  ASSERT_FALSE(h.progress.calls.empty());
  EXPECT_EQ(h.progress.calls[0], "restart");
  EXPECT_EQ(h.progress.calls[1], "text Getting Mount Points");

  // "Refresh" keeps the flag; the old model is gone and a new one built.
  h.doc->Refresh(h.doc->GetShowAllMountPoints());
  EXPECT_TRUE(h.doc->GetShowAllMountPoints());
  EXPECT_EQ(h.listener.updates.size(), 2u);
  EXPECT_EQ(h.doc->Model().MountPoints()->children.size(), 2u);
  EXPECT_EQ(h.doc->Model().Extents().size(), 1u);
  EXPECT_EQ(h.doc->Model().Partitions().size(), 1u);
  EXPECT_TRUE(DanglingLinks(*h.doc).empty());
  // The mount point manager stays open for the document's life, and only it.
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);
  const auto& opens = h.recorded.opens();
  EXPECT_EQ(std::count_if(opens.begin(), opens.end(),
                          [](const auto& o) { return o.path == L"\\\\.\\MountPointManager"; }),
            1);
  // Read and write access, as the mount point manager asks.
  EXPECT_EQ(opens[0].access, GENERIC_READ | GENERIC_WRITE);
}

TEST(Document, RefreshWhoseScanStopsLeavesNoCurrentNode) {
  ScanHarness h(kMachine);
  ASSERT_TRUE(h.InitialScan());
  h.doc->SetCurrentNode(h.Disk(0));
  h.listener.updates.clear();
  const std::size_t callsOfFirstScan = h.faults.calls().size();

  // Make the drive refuse its layout the next time it is asked.
  ScanHarness probe(kMachine);
  ASSERT_TRUE(probe.InitialScan());
  probe.doc->Refresh(false);
  const auto& calls = probe.faults.calls();
  std::size_t layout = 0;
  for (std::size_t i = callsOfFirstScan; i < calls.size(); ++i) {
    if (calls[i].subject.find(L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX") != std::wstring::npos) {
      layout = i;
      break;
    }
  }
  ASSERT_GT(layout, callsOfFirstScan);
  h.faults.FailCall(layout, ERROR_IO_DEVICE);

  h.doc->Refresh(false);
  EXPECT_EQ(h.doc->GetCurrentNode(), nullptr);
  EXPECT_EQ(h.doc->LastScanResult(), ERROR_IO_DEVICE);
  // No rebuild; the views only learn that the nodes they show are gone.
  ASSERT_EQ(h.listener.updates.size(), 1u);
  EXPECT_EQ(h.listener.updates[0].first, HintModelGone);
  EXPECT_EQ(h.listener.updates[0].second, nullptr);
  EXPECT_EQ(h.prompt.messages, std::vector<std::wstring>{L"IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error"});
  ASSERT_TRUE(h.doc->Model().MountPoints());
  EXPECT_TRUE(h.doc->Model().MountPoints()->children.empty());
  EXPECT_TRUE(DanglingLinks(*h.doc).empty());
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u);

  // Closing the document deletes the model; destroying it closes the manager.
  h.doc->OnCloseDocument();
  EXPECT_FALSE(h.doc->Model().MountPoints());
  EXPECT_TRUE(h.doc->Model().Extents().empty());
  EXPECT_TRUE(h.doc->Model().Partitions().empty());
  h.doc.reset();
  EXPECT_EQ(h.recorded.OpenHandleCount(), 0u);
}

TEST(Document, RefreshReopensAManagerThatDidNotOpenAtFirst) {
  ScanHarness h(kMachine);
  h.faults.FailCall(0, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(h.InitialScan());
  EXPECT_EQ(h.faults.calls().at(0).subject, L"\\\\.\\MountPointManager");
  EXPECT_EQ(h.doc->GetCurrentNode(), nullptr);

  h.doc->Refresh(false);
  ASSERT_TRUE(h.doc->Model().MountPoints());
  EXPECT_EQ(h.doc->Model().MountPoints()->children.size(), 1u);
  EXPECT_EQ(h.doc->GetCurrentNode(), h.doc->Model().MountPoints());
  ASSERT_EQ(h.listener.updates.size(), 1u);
  EXPECT_EQ(h.listener.updates[0].first, HintRebuild);
}

TEST(Document, ASecondInitialScanStartsAfreshOverTheSameManager) {
  ScanHarness h(kMachine);
  ASSERT_TRUE(h.InitialScan());
  ASSERT_TRUE(h.InitialScan());
  EXPECT_TRUE(DanglingLinks(*h.doc).empty());
  ASSERT_NE(h.Disk(0), nullptr);
  EXPECT_EQ(h.Disk(0)->partitions.size(), 1u) << "the new disk has its partition again";
  EXPECT_EQ(h.doc->Model().Extents().size(), 1u);
  EXPECT_EQ(h.doc->Model().Partitions().size(), 1u);
  EXPECT_EQ(h.doc->GetCurrentNode(), h.doc->Model().MountPoints());
  EXPECT_EQ(h.recorded.OpenHandleCount(), 1u) << "one manager handle";
  h.doc.reset();
  EXPECT_EQ(h.recorded.OpenHandleCount(), 0u);
}

// Views subscribe for their lifetime: a subscription ends with its scope, may
// end while the document tells the views, and may outlive the document, as the
// frame's views do.
TEST(Document, SubscriptionsEndThemselves) {
  ScanHarness h(kMachine);
  ASSERT_TRUE(h.InitialScan());
  RecordingListener scoped;
  {
    const Subscription listening = h.doc->Subscribe(scoped);
    h.doc->SetCurrentNode(h.Disk(0));
  }
  h.doc->SetCurrentNode(nullptr);
  EXPECT_EQ(scoped.updates.size(), 1u);
  EXPECT_EQ(h.listener.updates.size(), 2u);

  // A view that leaves while an earlier one is being told is not told.
  struct Leaving : DocumentListener {
    void OnUpdate(UpdateHint, StorageNode*) override { other->Reset(); }
    Subscription* other = nullptr;
  } first;
  RecordingListener second;
  const Subscription firstListening = h.doc->Subscribe(first);
  Subscription secondListening = h.doc->Subscribe(second);
  first.other = &secondListening;
  h.doc->SetCurrentNode(h.Disk(0));
  EXPECT_TRUE(second.updates.empty());

  Subscription outliving = h.doc->Subscribe(scoped);
  h.doc.reset();
  outliving.Reset();
  EXPECT_EQ(scoped.updates.size(), 1u);
}
