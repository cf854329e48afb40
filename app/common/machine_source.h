// Which machine the programs view: a machine file, or the machine they run on.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

// Opens the platform the scan asks: the machine file when one is given.
// Returns null with `error` set when that cannot be done.
std::unique_ptr<Platform> OpenMachine(const std::optional<std::string>& machineFile, std::string& error);
