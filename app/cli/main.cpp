// quelbrin-cli: the storage viewer in a terminal.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/heap_warmup.h"
#include "app/cli/paths_command.h"
#include "app/cli/report_command.h"
#include "app/cli/watch_command.h"
#include "app/common/console_prompt.h"
#include "app/common/machine_source.h"
#include "app/common/program_io.h"
#include "app/common/program_options.h"
#include "app/common/show_command.h"
#include "app/common/terminal_progress.h"
#include "platform/machine/machine_writer.h"
#include "scan/quelbrin_doc.h"
#include "ui/text/model_json.h"
#include "ui/text/tree_printer.h"

namespace {

constexpr const char* kUsageHead =
    "Usage: quelbrin-cli [OPTIONS] COMMAND\n"
    "\n"
    "Shows the storage topology of a machine: mount points and volumes, their\n"
    "disk extents, the physical drives with their partitions, and the adapters\n"
    "behind them. Nothing on any disk or setting is changed.\n"
    "\n"
    "Commands:\n"
    "  tree                  print the tree of mount points, physical disks and adapters\n"
    "  show [--svg DIR] NODE\n"
    "                        print the panel of one node; NODE is its path in the tree\n"
    "                        ('Physical Disks/PhysicalDrive0') or a name only it has;\n"
    "                        given a DIR, its charts also go there as SVG files\n"
    "  json                  print the whole model as JSON for scripts: every node and\n"
    "                        field, records decoded, links by node name or path\n"
    "  capture [-o FILE]     write this machine's storage as a machine file (to stdout\n"
    "                        by default); --machine FILE then views it again\n"
    "  report [-o FILE]      write the whole machine as one HTML page (to stdout by\n"
    "                        default): the tree, and every node's panel with its lists\n"
    "                        and charts; the page loads nothing and runs no script\n"
    "  paths                 print the path of every node, one a line, as show takes it\n"
    "\n"
    "Options:\n";
constexpr const char* kUsageTail =
    "\n"
    "Diagnostic lines of the scan (interfaces being opened) and messages go to\n"
    "stderr, so that stdout holds only what the command prints. On a terminal,\n"
    "stderr also shows the progress of work that takes more than half a second,\n"
    "on one line that is wiped when the work is done.\n"
    "\n"
    "Exit status: 0 when the scan ran to its end, 1 when the mount point manager\n"
    "cannot be opened or a drive query stopped the scan (what was scanned is still\n"
    "printed) or the output cannot be written, 2 for a usage or machine file error\n"
    "or a --root that is not the root of a system.\n";

struct Options : SharedOptions {
  std::optional<std::string> outputFile;
  std::string command;
  std::vector<std::string> operands;
  std::optional<std::string> svgDir;
};

// What reading the live machine left unknown, on stderr.
void Note(const std::string& line) { std::cerr << "quelbrin-cli: " << line << "\n"; }

int UsageError(const std::string& message) {
  std::cerr << "quelbrin-cli: " << message << "\nTry 'quelbrin-cli --help'.\n";
  return 2;
}

// What was printed must have reached its reader: a full disk or a closed pipe
// is not a success.
int OutputWritten(int status) {
  std::cout.flush();
  if (std::cout) return status;
  std::cerr << "quelbrin-cli: cannot write to standard output\n";
  return status != 0 ? status : 1;
}

// Writes the machine being viewed — the live one, or a machine file read
// back — as a machine file.
int Capture(const Options& options) {
  machine::Machine m;
  std::string error;
  if (!LoadMachine(options.source, m, error, Note)) {
    std::cerr << "quelbrin-cli: " << error << "\n";
    return 2;
  }
  // A machine of 100,000 volumes takes seconds to write: show how much has gone.
  TerminalProgress progress(std::cerr, StandardErrorIsTerminal());
  if (!options.outputFile || *options.outputFile == "-") {
    {
      CountedStandardOutput counted(progress);
      WriteMachine(m, std::cout);
    }
    progress.Clear();
    return OutputWritten(0);
  }
  const bool saved = SaveMachineFile(
      *options.outputFile,
      [&m, &progress](std::ostream& out) {
        CountedOutput counted(out, progress);
        WriteMachine(m, out);
      },
      error);
  progress.Clear();
  if (!saved) {
    std::cerr << "quelbrin-cli: " << error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__) && !defined(QUELBRIN_MIMALLOC)
  // Where glibc allocates (the sanitizer builds): a run reads a file, builds
  // its model, prints and ends. Memory freed on the way (the file's text, the
  // parsed document) is kept for the model instead of being given back and
  // faulted in again page by page.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  UseUtf8StandardStreams();
  Options options;
  const std::vector<std::string> args = ProgramArguments(argc, argv);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Argument a = ReadArgument(Program::Cli, args, i);
    switch (a.kind) {
      case Argument::Kind::MissingValue:
        return UsageError(a.error);
      case Argument::Kind::Unknown:
        return UsageError("unknown option '" + a.value + "'");
      case Argument::Kind::Word:
        if (options.command.empty()) {
          options.command = a.value;
        } else {
          options.operands.push_back(a.value);
        }
        continue;
      case Argument::Kind::Option:
        break;
    }
    if (TakeSharedOption(a, options)) continue;
    switch (a.option->id) {
      case OptionId::Help:
        std::cout << kUsageHead << OptionsHelp(Program::Cli) << kUsageTail;
        return 0;
      case OptionId::Version:
        std::cout << "quelbrin-cli " << QUELBRIN_VERSION << "\n";
        return 0;
      case OptionId::ListOptions:
        ListOptions(std::cout);
        return 0;
      case OptionId::Svg:
        options.svgDir = a.value;
        break;
      case OptionId::Output:
        options.outputFile = a.value;
        break;
      default:
        break;
    }
  }
  if (const std::string conflict = SharedOptionsConflict(options); !conflict.empty()) return UsageError(conflict);
  if (options.command.empty()) return UsageError("no command given");
  if (options.command != "tree" && options.command != "show" && options.command != "json" &&
      options.command != "capture" && options.command != "report" && options.command != "paths" &&
      options.command != "watch")
    return UsageError("unknown command '" + options.command + "'");
  // Once the command line is known to be sound. Not for capture: it holds the
  // description alone, less than is mapped ahead.
  const auto warmHeap = [&options] {
    if (options.source.machineFile && options.command != "capture") WarmHeapFor(*options.source.machineFile);
  };
  if (options.command == "watch") {
    if (options.operands.size() > 1) return UsageError("unexpected argument '" + options.operands[1] + "'");
    const std::string format = options.operands.empty() ? "tree" : options.operands[0];
    if (format != "tree" && format != "json") return UsageError("watch prints a tree or json, not '" + format + "'");
    if (options.svgDir) return UsageError("--svg goes with show");
    if (options.outputFile) return UsageError("-o goes with capture and report");
    warmHeap();
    return WatchCommand(options, format, std::cout, std::cerr);
  }
  const std::size_t operandsWanted = options.command == "show" ? 1 : 0;
  if (options.operands.size() > operandsWanted)
    return UsageError("unexpected argument '" + options.operands[operandsWanted] + "'");
  if (options.operands.size() < operandsWanted) return UsageError(options.command + " needs a node name");
  if (options.svgDir && options.command != "show") return UsageError("--svg goes with show");
  if (options.outputFile && options.command != "capture" && options.command != "report")
    return UsageError("-o goes with capture and report");
  warmHeap();
  if (options.command == "capture") return Capture(options);
  if (options.command == "report") return ReportCommand(options, options.outputFile);

  std::string error;
  auto platform = OpenMachine(options.source, error, Note);
  if (!platform) {
    std::cerr << "quelbrin-cli: " << error << "\n";
    return 2;
  }
  TerminalProgress progress(std::cerr, StandardErrorIsTerminal());
  ConsolePrompt console;
  ProgressPrompt prompt(console, progress);
  CQuelbrinDoc doc(*platform, prompt, &progress);
  doc.SetShowAllMountPoints(options.allMountPoints);
  const bool scanned = doc.InitialScan();
  progress.Clear();
  int shown = 0;
  {
    CountedStandardOutput counted(progress);
    if (options.command == "show") {
      shown = ShowNodeCommand(doc, options.operands[0], options.svgDir, std::cout, std::cerr);
    } else if (options.command == "paths") {
      PrintNodePaths(doc, std::cout);
    } else if (options.command == "json") {
      WriteModelJson(doc, std::cout);
      std::cout << "\n";
    } else {
      PrintStorageTree(doc, std::cout);
    }
  }
  progress.Clear();
  if (shown != 0) return OutputWritten(shown);
  int status = 0;
  if (!scanned) {
    // An empty listing must not pass for a machine without storage.
    if (!doc.MountPointManagerOpen()) {
      std::cerr << "quelbrin-cli: the mount point manager cannot be opened\n";
    } else {
      std::cerr << "quelbrin-cli: the scan stopped with error " << doc.LastScanResult() << "\n";
    }
    status = 1;
  }
  // Freeing the model and the machine of a large machine node by node takes
  // longer than printing them; the system takes the whole process back at once.
  std::exit(OutputWritten(status));
}
