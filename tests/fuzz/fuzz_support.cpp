#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/machine/machine_file.h"
#include "platform/machine/machine_writer.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/detailed_form.h"
#include "ui/text/form_printer.h"
#include "ui/text/model_json.h"
#include "ui/text/node_lookup.h"
#include "ui/text/tree_printer.h"

namespace fuzz {
namespace {

constexpr std::size_t kLookupsPerTree = 16;

void ShowAll(CQuelbrinDoc& doc) {
  std::ostringstream out;
  PrintStorageTree(doc, out);
  DetailedForm view(doc, nullptr);
  const std::vector<NamedNode> nodes = NameableNodes(doc);
  // Each lookup walks the whole tree: of a large tree, an even spread of the
  // paths and the first few told apart by a "#" count are looked up.
  const std::size_t spread = nodes.size() / kLookupsPerTree + 1;
  std::size_t numbered = 0;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const NamedNode& named = nodes[i];
    const bool firstNumbered = named.path.find(L'#') != std::wstring::npos && numbered++ < kLookupsPerTree / 2;
    if (i % spread == 0 || firstNumbered) {
      const std::string path = Utf8FromWide(named.path);
      if (FindNode(doc, path).node != named.node) Fail("the printed path \"" + path + "\" does not find its node");
    }
    view.OnUpdate(HintSelectNode, named.node);
    PrintForm(view.Form(), out);
    for (const ChartFile& chart : RenderPanelCharts(view.Form())) out << chart.svg;
  }
  out << BuildModelJson(doc).dump();
}

}  // namespace

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz: %s\n", what.c_str());
  std::abort();
}

void ScanAndShowAll(Platform& platform, Scans scans) {
  SilentPrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  if (scans == Scans::DriveLettersThenAll) {
    doc.InitialScan();
    ShowAll(doc);
    doc.Refresh(true);
  } else {
    doc.Refresh(true);
  }
  ShowAll(doc);
  doc.OnCloseDocument();
}

void ScanAndShowMachine(const machine::Machine& m, Scans scans) {
  RecordedPlatform platform(m);
  ScanAndShowAll(platform, scans);
  if (platform.OpenHandleCount() != 0)
    Fail(std::to_string(platform.OpenHandleCount()) + " handles left open after the document closed");
}

void CheckRoundTrip(const machine::Machine& m) {
  const std::string written = WriteMachine(m);
  machine::Machine again;
  try {
    again = ParseMachine(written, "written");
  } catch (const MachineFileError& e) {
    Fail(std::string("a written machine file does not read back: ") + e.what());
  }
  if (WriteMachine(again) != written) Fail("a machine file read back writes otherwise");
}

std::string SourceFile(const std::string& relativePath) {
  std::ifstream in(std::string(QUELBRIN_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
  if (!in) Fail("cannot read " + relativePath);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace fuzz
