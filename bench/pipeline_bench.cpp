// The whole path through a machine file, stage by stage in this process: read
// the file's text into a description, scan it, walk the tree, fill the panel
// of every node the tree shows, and write the model as JSON. Machines of
// 1,000, 10,000 and 100,000 volumes, each on its own MBR disk, and one of many
// disks on each of a few SAS ports, as bench/generate_machine.py makes them.
// bench/pipeline_bench.py runs the same path as whole program runs against
// Python's json module as the yardstick.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <unistd.h>
#include <unordered_set>
#include <vector>

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"
#include "ui/form_state.h"
#include "ui/panels.h"
#include "ui/text/model_json.h"
#include "ui/tree_walk.h"

namespace {

class SilentPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring&) override {}
  void Diagnostic(const std::wstring&) override {}
};

// The machine file text of the generator, made once per shape.
const std::string& MachineText(int volumes, int ports) {
  static std::map<std::pair<int, int>, std::string> made;
  auto& text = made[{volumes, ports}];
  if (!text.empty()) return text;
  const char* dir = std::getenv("QUELBRIN_BENCH_SOURCE");
  std::string script = std::string(dir != nullptr ? dir : QUELBRIN_SOURCE_DIR) + "/bench/generate_machine.py";
  std::string command = "python3 '" + script + "' ";
  if (ports > 0) command += "--ports " + std::to_string(ports) + " ";
  command += std::to_string(volumes);
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char piece[1 << 16];
    for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, pipe)) > 0;) text.append(piece, n);
    ::pclose(pipe);
  }
  return text;
}

// Counts what it is given and keeps nothing: the output's cost without a device.
class CountingBuffer : public std::streambuf {
 public:
  std::size_t count = 0;

 protected:
  int_type overflow(int_type c) override {
    ++count;
    return c;
  }
  std::streamsize xsputn(const char*, std::streamsize n) override {
    count += static_cast<std::size_t>(n);
    return n;
  }
};

class CountingSink : public TreeSink {
 public:
  TreeItemId InsertItem(StorageNode& node, TreeItemId) override {
    nodes.push_back(&node);
    return nodes.size();
  }
  std::vector<StorageNode*> nodes;
};

enum Stage { kLoad, kScan, kTree, kPanels, kJson, kWhole };

void Pipeline(benchmark::State& state, Stage stage) {
  const int volumes = static_cast<int>(state.range(0));
  const int ports = static_cast<int>(state.range(1));
  const std::string& text = MachineText(volumes, ports);
  if (text.empty()) {
    state.SkipWithError("the generator gave nothing (python3 and bench/generate_machine.py are needed)");
    return;
  }
  SilentPrompt prompt;
  std::unique_ptr<RecordedPlatform> platform;
  std::unique_ptr<CQuelbrinDoc> doc;
  CountingSink tree;
  auto load = [&] { platform = std::make_unique<RecordedPlatform>(ParseMachine(text, "generated.json")); };
  auto scan = [&] {
    doc = std::make_unique<CQuelbrinDoc>(*platform, prompt, nullptr);
    doc->SetShowAllMountPoints(true);
    if (!doc->InitialScan()) state.SkipWithError("the scan failed");
  };
  // Each node's panel once: a node the tree shows under many parents (the
  // adapter of every disk) fills the same panel each time it is selected.
  std::vector<const StorageNode*> distinct;
  auto walk = [&] {
    tree.nodes.clear();
    TreeItemMap items;
    WalkStorageTree(doc->Model(), tree, items);
    std::unordered_set<const StorageNode*> seen;
    distinct.clear();
    for (const StorageNode* node : tree.nodes)
      if (seen.insert(node).second) distinct.push_back(node);
  };
  auto panels = [&] {
    FormState form;
    for (const StorageNode* node : distinct) ShowNodePanel(form, node);
  };
  std::size_t jsonBytes = 0;
  auto json = [&] {
    CountingBuffer buffer;
    std::ostream out(&buffer);
    WriteModelJson(*doc, out);
    jsonBytes = buffer.count;
  };
  // Each stage is timed on what the stages before it made.
  if (stage > kLoad && stage != kWhole) load();
  if (stage > kScan && stage != kWhole) scan();
  if (stage > kTree && stage != kWhole) walk();
  for (auto _ : state) {
    switch (stage) {
      case kLoad:
        load();
        break;
      case kScan:
        doc.reset();
        scan();
        break;
      case kTree:
        walk();
        break;
      case kPanels:
        panels();
        break;
      case kJson:
        json();
        break;
      case kWhole:
        doc.reset();
        load();
        scan();
        walk();
        panels();
        json();
        break;
    }
  }
  state.counters["tree items"] = static_cast<double>(tree.nodes.size());
  if (stage == kPanels || stage == kWhole) state.counters["panels"] = static_cast<double>(distinct.size());
  if (jsonBytes > 0) state.counters["json bytes"] = static_cast<double>(jsonBytes);
  state.SetComplexityN(volumes);
}

void Register() {
  const std::pair<const char*, Stage> stages[] = {{"Load", kLoad},     {"Scan", kScan}, {"TreeWalk", kTree},
                                                  {"Panels", kPanels}, {"Json", kJson}, {"Whole", kWhole}};
  for (const auto& [name, stage] : stages) {
    auto* b = benchmark::RegisterBenchmark((std::string("Pipeline/") + name).c_str(),
                                           [stage = stage](benchmark::State& s) { Pipeline(s, stage); });
    b->ArgNames({"volumes", "ports"})
        ->Args({1000, 0})
        ->Args({10000, 0})
        ->Args({100000, 0})
        ->Args({10000, 16})
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime()
        ->UseRealTime()
        ->Iterations(stage == kWhole ? 2 : 3);
  }
}

const bool registered = (Register(), true);

}  // namespace
