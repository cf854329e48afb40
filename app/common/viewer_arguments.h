// The desktop viewer's command line, read alike on every system; each program
// only says the outcome its own way (a terminal, a message box).
#pragma once

#include <string>
#include <vector>

#include "app/common/program_options.h"

struct ViewerArguments {
  enum class Action { Run, Help, Version, UsageError };
  Action action = Action::Run;
  // With a FILE argument as the machine file.
  SharedOptions shared;
  // What is wrong, for UsageError.
  std::string error;
};

ViewerArguments ReadViewerArguments(const std::vector<std::string>& args);

// The head of --help, before the options' lines.
extern const char* const kViewerUsageHead;
