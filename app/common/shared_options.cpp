#include "app/common/shared_options.h"

SharedOption TakeSharedOption(const std::vector<std::string>& args, std::size_t& i, SharedOptions& out,
                              std::string& error) {
  const std::string& a = args[i];
  auto value = [&](std::string& target, const char* what) {
    if (i + 1 >= args.size()) {
      error = a + " needs " + what;
      return SharedOption::Error;
    }
    target = args[++i];
    return SharedOption::Taken;
  };
  if (a == "--help" || a == "-h") return SharedOption::Help;
  if (a == "--version") return SharedOption::Version;
  if (a == "--machine") {
    std::string file;
    const SharedOption r = value(file, "a file name");
    if (r == SharedOption::Taken) out.source.machineFile = file;
    return r;
  }
  if (a.rfind("--machine=", 0) == 0) {
    out.source.machineFile = a.substr(sizeof("--machine=") - 1);
    return SharedOption::Taken;
  }
  if (a == "--root") {
    out.rootGiven = true;
    return value(out.source.systemRoot, "a directory");
  }
  if (a == "--all-mount-points") {
    out.allMountPoints = true;
    return SharedOption::Taken;
  }
  return SharedOption::NotShared;
}

std::string SharedOptionsConflict(const SharedOptions& options) {
  // Either would be silently ignored: a machine file is read as it is.
  if (options.rootGiven && options.source.machineFile)
    return "--root and --machine cannot go together: --root reads a running system, --machine a machine file";
  return {};
}
