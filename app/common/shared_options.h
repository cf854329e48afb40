// The options both programs take, read the same way by each.
#pragma once

#include <string>
#include <vector>

#include "app/common/machine_source.h"

struct SharedOptions {
  MachineSource source;
  bool allMountPoints = false;
  bool rootGiven = false;
};

enum class SharedOption {
  NotShared,  // args[i] is none of them; the program reads it itself
  Taken,      // read (with its value, if it has one)
  Help,       // --help or -h
  Version,    // --version
  Error,      // a value is missing; `error` says which
};

// Reads args[i] if it is a shared option, moving `i` past its value.
SharedOption TakeSharedOption(const std::vector<std::string>& args, std::size_t& i, SharedOptions& out,
                              std::string& error);
// Options that were each read well but cannot go together; empty when none.
std::string SharedOptionsConflict(const SharedOptions& options);
