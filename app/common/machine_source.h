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

// Whether this build can read the machine it runs on.
bool HasLiveMachine();

// Told each line about what reading the running machine left unknown (a
// filesystem that did not answer, devices it was not allowed to open).
using CollectNote = std::function<void(const std::string& line)>;

// Reads the running machine (under `systemRoot`). False, with `error` set, on
// a system this build cannot read.
bool CollectLiveMachine(const std::string& systemRoot, machine::Machine& out, std::string& error,
                        const CollectNote& note = {});

// Opens the platform the scan asks: the machine file when one is given,
// otherwise the live machine where there is one. Returns null with `error`
// set when that cannot be done.
std::unique_ptr<Platform> OpenMachine(const MachineSource& source, std::string& error, const CollectNote& note = {});
std::unique_ptr<Platform> OpenMachine(const std::optional<std::string>& machineFile, std::string& error);
