// The desktop viewer on a large machine file, on a (virtual) display: the time
// from the frame's creation to the first full paint of tree and form, the
// time to select a tree item and fill its panel (first where that opens a
// parent of 10,000 children, then with the parents open), and a refresh
// against the first scan. Prints one line per measure, each a median of several rounds,
// then each selected node's own time, naming the slowest;
// bench/pipeline_bench.py runs it under xvfb-run beside the terminal runs.
//   quelbrin_viewer_bench MACHINE_FILE [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/gui/main_frame.h"
#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "ui/control_ids.h"
#include "ui/widgets/detailed_view.h"
#include "ui/widgets/disk_tree_view.h"

#include <wx/app.h>
#include <wx/evtloop.h>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

class QuietPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring&) override {}
  void Diagnostic(const std::wstring&) override {}
};

void Drain() {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  while (loop->Pending()) loop->Dispatch();
  wxTheApp->ProcessPendingEvents();
}

class BenchApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// The nodes selected, in order, and what to call each in the breakdown.
constexpr const char* kSelectedNodes[] = {"last mount point", "disk two thirds down", "first mount point's extent",
                                          "root Physical Disks", "root Mountpoints"};
constexpr std::size_t kNodeCount = std::size(kSelectedNodes);

struct Round {
  double load = 0, painted = 0, select = 0, selectOpen = 0, refresh = 0, scan = 0;
  // Each node's select and panel: on the first pass, and with parents open;
  // negative for a node the machine lacks.
  std::vector<double> byNode = std::vector<double>(kNodeCount, -1);
  std::vector<double> byNodeOpen = std::vector<double>(kNodeCount, -1);
};

// The toolkit deletes a frame when it next idles, and the document closes its
// handles then: every platform stays until the program ends.
std::vector<std::unique_ptr<RecordedPlatform>>& Platforms() {
  static std::vector<std::unique_ptr<RecordedPlatform>> platforms;
  return platforms;
}

Round OneRound(const std::string& file) {
  Round r;
  const Clock::time_point start = Clock::now();
  RecordedPlatform& platform = *Platforms().emplace_back(std::make_unique<RecordedPlatform>(LoadMachineFile(file)));
  r.load = MsSince(start);
  QuietPrompt prompt;
  FrameOptions options;
  options.showAllMountPoints = true;
  auto* frame = new CMainFrame(platform, &prompt, options);
  bool treePainted = false, formPainted = false;
  frame->TreeView()->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
    treePainted = true;
    e.Skip();
  });
  wxWindow* list = frame->DetailedView()->Control(ControlId::AllMountPointsList);
  for (wxWindow* part : list->GetChildren())
    part->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
      formPainted = true;
      e.Skip();
    });
  frame->InitialUpdate();
  r.scan = MsSince(start);
  while (!(treePainted && formPainted) && MsSince(start) < 60000) {
    frame->Update();
    Drain();
  }
  r.painted = MsSince(start);

  // Select items spread over the tree: the last mount point, a disk deep in
  // the list, and the roots, each as a user's click does.
  CQuelbrinDoc& doc = frame->Document();
  const auto& mps = doc.Model().MountPoints()->children;
  const auto& disks = doc.Model().PhysicalDisks()->children;
  const StorageNode* nodes[kNodeCount] = {
      mps.empty() ? nullptr : mps.back().get(),
      disks.empty() ? nullptr : disks[disks.size() * 2 / 3].get(),
      mps.empty() || mps.front()->extents.empty() ? nullptr : mps.front()->extents.front(),
      doc.Model().PhysicalDisks(),
      doc.Model().MountPoints(),
  };
  // The first pass opens the two roots of 10,000 children, which the toolkit
  // measures item by item; the second selects under parents already open.
  auto selectEach = [&](std::vector<double>& byNode) {
    double slowest = 0;
    for (std::size_t i = 0; i < kNodeCount; ++i) {
      if (nodes[i] == nullptr) continue;
      const Clock::time_point t = Clock::now();
      doc.SetCurrentNode(const_cast<StorageNode*>(nodes[i]));
      frame->Update();
      Drain();
      byNode[i] = MsSince(t);
      slowest = std::max(slowest, byNode[i]);
    }
    return slowest;
  };
  r.select = selectEach(r.byNode);
  r.selectOpen = selectEach(r.byNodeOpen);

  const Clock::time_point t = Clock::now();
  wxCommandEvent refresh(wxEVT_MENU, ID_REFRESH);
  frame->GetEventHandler()->ProcessEvent(refresh);
  frame->Update();
  Drain();
  r.refresh = MsSince(t);
  frame->Destroy();
  Drain();
  wxTheApp->ProcessIdle();
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s MACHINE_FILE [ROUNDS]\n", argv[0]);
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  wxApp::SetInstance(new BenchApp);
  int wxArgc = 1;
  char* wxArgv[] = {argv[0], nullptr};
  if (!wxEntryStart(wxArgc, wxArgv)) return 1;
  wxTheApp->CallOnInit();
  std::vector<double> load, scan, painted, select, selectOpen, refresh;
  std::vector<std::vector<double>> byNode(kNodeCount), byNodeOpen(kNodeCount);
  {
    wxEventLoop loop;
    wxEventLoopActivator active(&loop);
    for (int i = 0; i < rounds; ++i) {
      const Round r = OneRound(argv[1]);
      load.push_back(r.load);
      scan.push_back(r.scan);
      painted.push_back(r.painted);
      select.push_back(r.select);
      selectOpen.push_back(r.selectOpen);
      refresh.push_back(r.refresh);
      for (std::size_t n = 0; n < kNodeCount; ++n) {
        if (r.byNode[n] >= 0) byNode[n].push_back(r.byNode[n]);
        if (r.byNodeOpen[n] >= 0) byNodeOpen[n].push_back(r.byNodeOpen[n]);
      }
    }
  }
  std::printf("viewer load ms %.1f\n", Median(load));
  std::printf("viewer load, first scan and tree ms %.1f\n", Median(scan));
  std::printf("viewer first full paint ms %.1f\n", Median(painted));
  std::printf("viewer slowest select and panel ms %.1f\n", Median(select));
  std::printf("viewer slowest select and panel, parents open ms %.1f\n", Median(selectOpen));
  std::printf("viewer refresh ms %.1f\n", Median(refresh));
  // Which node each slowest figure above belongs to.
  std::size_t slowest = 0, slowestOpen = 0;
  for (std::size_t i = 0; i < kNodeCount; ++i) {
    if (byNode[i].empty()) continue;
    std::printf("viewer select and panel of the %s ms %.1f, parents open %.1f\n", kSelectedNodes[i],
                Median(byNode[i]), Median(byNodeOpen[i]));
    if (Median(byNode[i]) > Median(byNode[slowest])) slowest = i;
    if (Median(byNodeOpen[i]) > Median(byNodeOpen[slowestOpen])) slowestOpen = i;
  }
  std::printf("viewer slowest node: %s; parents open: %s\n", kSelectedNodes[slowest], kSelectedNodes[slowestOpen]);
  wxTheApp->OnExit();
  wxEntryCleanup();
  return 0;
}
