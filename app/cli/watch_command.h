// quelbrin-cli watch [tree|json]: prints the machine, then again after each
// change to its storage (or to its machine file), until stopped or until
// the output can no longer be written.
#pragma once

#include <ostream>
#include <string>

#include "app/common/program_options.h"

// `format` is "tree" or "json"; json prints one compact document a line, so
// that a script reads one line per change. Returns the exit status: 1 when
// the output cannot be written, 2 when the machine cannot be read or watched.
int WatchCommand(const SharedOptions& options, const std::string& format, std::ostream& out, std::ostream& err);
