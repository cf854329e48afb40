// What every fuzz target does with a machine once it has one: everything a
// user can look at, so that a fault anywhere on the way shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/machine/machine.h"
#include "platform/platform.h"
#include "scan/prompt.h"

namespace fuzz {

// A prompt nobody reads.
class SilentPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring&) override {}
  void Diagnostic(const std::wstring&) override {}
};

// Stops the run with `what` on standard error; libFuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

enum class Scans {
  All,                  // one scan keeping every mount point: the most to show
  DriveLettersThenAll,  // the first scan of the programs, then a refresh with every mount point
};

// Scans the machine that `platform` answers for and after each scan prints
// the tree, fills every node's panel, draws its charts as SVG and writes the
// model JSON. Fails when a node's printed path finds another node or none.
void ScanAndShowAll(Platform& platform, Scans scans);

// ScanAndShowAll over the recorded machine; fails when a handle is left open.
void ScanAndShowMachine(const machine::Machine& m, Scans scans);

// The machine written as a machine file must read back, and write the same
// again; fails otherwise.
void CheckRoundTrip(const machine::Machine& m);

// The text of a file of the source tree.
std::string SourceFile(const std::string& relativePath);

}  // namespace fuzz
