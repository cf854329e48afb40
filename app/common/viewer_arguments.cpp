#include "app/common/viewer_arguments.h"

#include <optional>

const char* const kViewerUsageHead =
    "Usage: quelbrin [OPTIONS] [FILE]\n"
    "\n"
    "Shows the storage topology of a machine in a window: mount points and\n"
    "volumes, their disk extents, the physical drives with their partitions,\n"
    "and the adapters behind them. Nothing on any disk or setting is changed.\n"
    "A FILE given is a machine file to view, as with --machine FILE.\n"
    "\n"
    "Options:\n";

ViewerArguments ReadViewerArguments(const std::vector<std::string>& args) {
  ViewerArguments out;
  auto usageError = [&out](std::string message) {
    out.action = ViewerArguments::Action::UsageError;
    out.error = std::move(message);
    return out;
  };
  std::optional<std::string> fileArgument;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Argument a = ReadArgument(Program::Gui, args, i);
    if (a.kind == Argument::Kind::MissingValue) return usageError(a.error);
    if (a.kind == Argument::Kind::Word && !fileArgument) {
      fileArgument = a.value;
      continue;
    }
    if (a.kind != Argument::Kind::Option) return usageError("unknown argument '" + a.value + "'");
    if (TakeSharedOption(a, out.shared)) continue;
    if (a.option->id == OptionId::Help) {
      out.action = ViewerArguments::Action::Help;
      return out;
    }
    if (a.option->id == OptionId::Version) {
      out.action = ViewerArguments::Action::Version;
      return out;
    }
  }
  if (fileArgument) {
    if (out.shared.source.machineFile) return usageError("a machine file and --machine cannot go together");
    out.shared.source.machineFile = fileArgument;
  }
  if (std::string conflict = SharedOptionsConflict(out.shared); !conflict.empty()) return usageError(conflict);
  return out;
}
