// Writes the form state of every node of each machine file as text, one file
// per machine, for comparing with the Windows build's detail form read back
// from its controls (build-windows/form-dumps/).
//   quelbrin_form_dumps OUTPUT_DIR MACHINE.json...
#include <filesystem>
#include <fstream>
#include <iostream>

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"
#include "ui/detailed_form.h"
#include "ui/text/form_dump.h"

namespace {

class SilentPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring&) override {}
  void Diagnostic(const std::wstring&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: quelbrin_form_dumps OUTPUT_DIR MACHINE.json...\n";
    return 2;
  }
  const std::filesystem::path outDir = argv[1];
  std::filesystem::create_directories(outDir);
  for (int i = 2; i < argc; ++i) {
    const std::filesystem::path machine = argv[i];
    RecordedPlatform platform(LoadMachineFile(machine.string()));
    SilentPrompt prompt;
    CQuelbrinDoc doc(platform, prompt, nullptr);
    // A scan that stops still shows what it found, as the pane does.
    doc.InitialScan();
    DetailedForm form(doc, nullptr);
    const Subscription subscription = doc.Subscribe(form);
    form.OnInitialUpdate();
    std::ofstream out(outDir / (machine.stem().string() + ".txt"), std::ios::binary);
    out << DumpEveryNode(doc, [&form](const std::wstring&) { return DumpFormState(form.Form()); });
    if (!out) {
      std::cerr << "cannot write the dump of " << machine.string() << "\n";
      return 1;
    }
  }
  return 0;
}
