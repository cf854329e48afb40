#include "app/cli/watch_command.h"

#include <unistd.h>

#include <iostream>

#include "app/common/console_prompt.h"
#include "app/common/machine_source.h"
#include "app/common/machine_watch.h"
#include "scan/quelbrin_doc.h"
#include "ui/text/model_json.h"
#include "ui/text/tree_printer.h"

namespace {

// Reads the machine afresh and prints it after `separator`; false, with
// nothing printed, when it cannot be read.
bool PrintMachine(const SharedOptions& options, bool json, const char* separator, std::ostream& out,
                  std::ostream& err) {
  std::string error;
  auto platform = OpenMachine(options.source, error, [&err](const std::string& line) {
    err << "quelbrin-cli: " << line << "\n";
  });
  if (!platform) {
    err << "quelbrin-cli: " << error << "\n";
    return false;
  }
  ConsolePrompt prompt;
  CQuelbrinDoc doc(*platform, prompt, nullptr);
  doc.SetShowAllMountPoints(options.allMountPoints);
  doc.InitialScan();
  out << separator;
  if (json)
    out << BuildModelJson(doc).dump() << "\n";
  else
    PrintStorageTree(doc, out);
  out.flush();
  return true;
}

}  // namespace

int WatchCommand(const SharedOptions& options, const std::string& format, std::ostream& out, std::ostream& err) {
  const bool json = format == "json";
  std::string error;
  // Watching starts before the first reading, so that nothing that changes
  // while it is printed goes unseen.
  const std::unique_ptr<MachineWatch> watch = MachineWatch::Open(options.source, error);
  if (!watch) {
    err << "quelbrin-cli: cannot watch for changes: " << error << "\n";
    return 2;
  }
  const bool terminal = !json && isatty(STDOUT_FILENO) && &out == &std::cout;
  // A terminal shows the latest tree alone; a pipe gets a blank line between
  // trees, and one JSON document a line needs nothing.
  const char* const separator = json ? "" : terminal ? "\033[H\033[2J" : "\n";
  for (bool first = true;; first = false) {
    // A file caught half written is read again at its next change.
    if (!PrintMachine(options, json, first ? "" : separator, out, err) && first) return 2;
    if (!out) {
      err << "quelbrin-cli: cannot write to standard output\n";
      return 1;
    }
    if (!watch->WaitForChange()) return 0;
  }
}
