// quelbrin-cli: the storage viewer in a terminal.
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/common/console_prompt.h"
#include "app/common/machine_source.h"
#include "app/common/model_json.h"
#include "app/common/model_printer.h"
#include "scan/quelbrin_doc.h"

namespace {

constexpr const char* kUsage =
    "Usage: quelbrin-cli [OPTIONS] COMMAND\n"
    "\n"
    "Shows the storage topology of a machine: mount points and volumes, their\n"
    "disk extents, the physical drives with their partitions, and the adapters\n"
    "behind them. Nothing on any disk or setting is changed.\n"
    "\n"
    "Commands:\n"
    "  tree                  print the mount points, physical disks and adapters\n"
    "  json                  print the whole model as JSON for scripts: every node and\n"
    "                        field, records decoded, links by node name or path\n"
    "\n"
    "Options:\n"
    "  --machine FILE        view the machine described in FILE (see docs/machine-file.md)\n"
    "  --all-mount-points    keep mount points named by a volume name, not only drive letters\n"
    "  --help                show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Diagnostic lines of the scan (interfaces being opened) and messages go to\n"
    "stderr, so that stdout holds only what the command prints.\n"
    "\n"
    "Exit status: 0 when the scan ran to its end, 1 when a drive query stopped it\n"
    "(what was scanned is still printed), 2 for a usage or machine file error.\n";

struct Options {
  std::optional<std::string> machineFile;
  bool allMountPoints = false;
  std::string command;
};

int UsageError(const std::string& message) {
  std::cerr << "quelbrin-cli: " << message << "\nTry 'quelbrin-cli --help'.\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (a == "--version") {
      std::cout << "quelbrin-cli " << QUELBRIN_VERSION << "\n";
      return 0;
    }
    if (a == "--machine") {
      if (i + 1 >= args.size()) return UsageError("--machine needs a file name");
      options.machineFile = args[++i];
    } else if (a.rfind("--machine=", 0) == 0) {
      options.machineFile = a.substr(std::strlen("--machine="));
    } else if (a == "--all-mount-points") {
      options.allMountPoints = true;
    } else if (!a.empty() && a[0] == '-') {
      return UsageError("unknown option '" + a + "'");
    } else if (options.command.empty()) {
      options.command = a;
    } else {
      return UsageError("unexpected argument '" + a + "'");
    }
  }
  if (options.command.empty()) return UsageError("no command given");
  if (options.command != "tree" && options.command != "json") return UsageError("unknown command '" + options.command + "'");

  std::string error;
  auto platform = OpenMachine(options.machineFile, error);
  if (!platform) {
    std::cerr << "quelbrin-cli: " << error << "\n";
    return 2;
  }
  ConsolePrompt prompt;
  CQuelbrinDoc doc(*platform, prompt, nullptr);
  doc.showAllMountPoints = options.allMountPoints;
  const bool scanned = doc.InitialScan();
  if (options.command == "json") {
    std::cout << BuildModelJson(doc).dump(2) << "\n";
  } else {
    PrintModelTree(doc, std::cout);
  }
  if (!scanned && doc.lastScanResult != 0) {
    std::cerr << "quelbrin-cli: the scan stopped with error " << doc.lastScanResult << "\n";
    return 1;
  }
  return 0;
}
