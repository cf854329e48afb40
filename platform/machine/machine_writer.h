// Writes a described machine as a machine file that LoadMachineFile reads back
// to the same machine: every record in full, nothing left to defaults.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "platform/machine/machine.h"

// The machine file text (JSON, version 1).
std::string WriteMachine(const machine::Machine& m);
// The same text, written to `out` as it is made.
void WriteMachine(const machine::Machine& m, std::ostream& out);

// Writes the text to `path`. False, with `error` set, when it cannot be
// written; a file that was at `path` then stays as it was.
bool SaveMachineFile(const machine::Machine& m, const std::string& path, std::string& error);
// The same, with the text that `write` puts on the file's stream (a writer
// that watches how much has gone, say).
bool SaveMachineFile(const std::string& path, const std::function<void(std::ostream&)>& write, std::string& error);
