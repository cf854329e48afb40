// Which machine the programs view: a machine file, or the machine they run on.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/machine/machine.h"
#include "platform/platform.h"

// Where the machine comes from.
struct MachineSource {
  // A machine file to view.
  std::optional<std::string> machineFile;
  // The directory that stands for "/" when reading the running system (a
  // copy or a fake of one, for tests); "/" is the machine itself.
  std::string systemRoot = "/";
};

// Told each line about what reading the running machine left unknown (a
// filesystem that did not answer, devices it was not allowed to open).
using CollectNote = std::function<void(const std::string& line)>;

// Reads the machine the source names: the machine file when one is given,
// otherwise the running machine (under its system root). False, with `error`
// saying why, when the file cannot be read or this build cannot read the
// machine it runs on.
bool LoadMachine(const MachineSource& source, machine::Machine& out, std::string& error,
                 const CollectNote& note = {});

// The platform the scan asks, answering from the machine LoadMachine reads;
// null, with `error` set as LoadMachine sets it, when there is none.
// `description`, when given, receives the machine's own description.
std::unique_ptr<Platform> OpenMachine(const MachineSource& source, std::string& error, const CollectNote& note = {},
                                      std::string* description = nullptr);

// A note collector that joins the notes into `line`, "; " between them, for
// a viewer's status bar.
CollectNote JoinNotes(std::string& line);

// What a viewer says when the machine it was asked to show cannot be read.
std::string MachineNotReadMessage(const MachineSource& source, const std::string& error);

// The running machine's own name (its host name), empty when it gives none.
std::string LiveMachineName(const MachineSource& source);
