// Machine files: the JSON form of a described machine.
#pragma once

#include <cstddef>
#include <string>

#include "platform/machine/machine.h"
#include "platform/machine/machine_file_error.h"

// A machine file larger than this is refused unread; the largest real
// machines take a few megabytes.
constexpr std::size_t kMaxMachineFileBytes = std::size_t{64} << 20;

// Reads a machine file. Throws MachineFileError naming the file and the field or
// position when the file cannot be read, is not valid JSON, or does not
// describe a consistent machine.
machine::Machine LoadMachineFile(const std::string& path);
machine::Machine ParseMachine(const std::string& text, const std::string& sourceName);
