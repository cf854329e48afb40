#include "app/common/program_options.h"

namespace {

constexpr unsigned kCli = static_cast<unsigned>(Program::Cli);
constexpr unsigned kGui = static_cast<unsigned>(Program::Gui);

constexpr OptionInfo kOptions[] = {
    {OptionId::Machine, "--machine", "", "FILE", "a file name", true, kCli | kGui,
     "view the machine described in FILE (see docs/machine-file.md);\n"
     "without it, the machine this runs on",
     ""},
    {OptionId::Root, "--root", "", "DIR", "a directory", false, kCli | kGui,
     "read the running system's files under DIR instead of /\n"
     "(a copied or fake system tree, for tests); not together\n"
     "with a machine file",
     "read the running system's files under DIR instead of /"},
    {OptionId::AllMountPoints, "--all-mount-points", "", "", "", false, kCli | kGui,
     "keep mount points named by a volume name, not only drive letters",
     "start with mount points named by a volume name too"},
    {OptionId::Output, "--output", "-o", "FILE", "a file name", false, kCli,
     "with capture or report: write to FILE instead of stdout", ""},
    {OptionId::Help, "--help", "-h", "", "", false, kCli | kGui, "show this help and exit", ""},
    {OptionId::Version, "--version", "", "", "", false, kCli | kGui, "show the version and exit", ""},
    // An option of one command, described with it.
    {OptionId::Svg, "--svg", "", "DIR", "a directory", true, kCli, "", ""},
    // For scripts; not in the help.
    {OptionId::ListOptions, "--list-options", "", "", "", false, kCli, "", ""},
};

// Where the help text of an entry starts; longer names put it on a line of its own.
constexpr std::size_t kHelpColumn = 24;

}  // namespace

std::span<const OptionInfo> AllOptions() { return kOptions; }

Argument ReadArgument(Program program, const std::vector<std::string>& args, std::size_t& i) {
  const std::string& a = args[i];
  Argument result;
  if (a.empty() || a[0] != '-') {
    result.value = a;
    return result;
  }
  for (const OptionInfo& entry : kOptions) {
    if (!entry.TakenBy(program)) continue;
    if (a == entry.name || (!entry.shortName.empty() && a == entry.shortName)) {
      result.option = &entry;
      if (!entry.TakesValue()) {
        result.kind = Argument::Kind::Option;
      } else if (i + 1 >= args.size()) {
        result.kind = Argument::Kind::MissingValue;
        result.error = a + " needs " + std::string(entry.valueWanted);
      } else {
        result.kind = Argument::Kind::Option;
        result.value = args[++i];
      }
      return result;
    }
    const std::string prefix = std::string(entry.name) + "=";
    if (entry.equalsForm && a.compare(0, prefix.size(), prefix) == 0) {
      result.kind = Argument::Kind::Option;
      result.option = &entry;
      result.value = a.substr(prefix.size());
      return result;
    }
  }
  result.kind = Argument::Kind::Unknown;
  result.value = a;
  return result;
}

bool TakeSharedOption(const Argument& argument, SharedOptions& out) {
  if (argument.kind != Argument::Kind::Option) return false;
  switch (argument.option->id) {
    case OptionId::Machine:
      out.source.machineFile = argument.value;
      return true;
    case OptionId::Root:
      out.source.systemRoot = argument.value;
      out.rootGiven = true;
      return true;
    case OptionId::AllMountPoints:
      out.allMountPoints = true;
      return true;
    default:
      return false;
  }
}

std::string SharedOptionsConflict(const SharedOptions& options) {
  // Either would be silently ignored: a machine file is read as it is.
  if (options.rootGiven && options.source.machineFile)
    return "--root and --machine cannot go together: --root reads a running system, --machine a machine file";
  return {};
}

std::string OptionsHelp(Program program) {
  std::string text;
  for (const OptionInfo& entry : kOptions) {
    if (!entry.TakenBy(program) || entry.help.empty()) continue;
    std::string names = "  ";
    if (!entry.shortName.empty()) names += std::string(entry.shortName) + ", ";
    names += entry.name;
    if (entry.TakesValue()) names += " " + std::string(entry.valueName);
    if (entry.equalsForm) names += ", " + std::string(entry.name) + "=" + std::string(entry.valueName);
    const std::string_view help = program == Program::Gui && !entry.guiHelp.empty() ? entry.guiHelp : entry.help;
    // The first line of help beside the names when they leave room, else below.
    if (names.size() + 2 <= kHelpColumn) {
      text += names + std::string(kHelpColumn - names.size(), ' ');
    } else {
      text += names + "\n" + std::string(kHelpColumn, ' ');
    }
    for (char c : help) {
      text += c;
      if (c == '\n') text += std::string(kHelpColumn, ' ');
    }
    text += "\n";
  }
  return text;
}

void ListOptions(std::ostream& out) {
  for (const OptionInfo& entry : kOptions) {
    const char* programs = entry.TakenBy(Program::Cli) ? (entry.TakenBy(Program::Gui) ? "cli,gui" : "cli") : "gui";
    for (std::string_view name : {entry.shortName, entry.name}) {
      if (name.empty()) continue;
      out << name << ' ' << (entry.TakesValue() ? "value" : "flag") << ' ' << programs << '\n';
    }
  }
}
