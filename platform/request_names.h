// The names under which requests are made to fail or answered raw in machine
// files, and the control codes they stand for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"

// "IOCTL_DISK_GET_DRIVE_LAYOUT_EX" for 0x70050; empty for a code without a name.
std::string ControlCodeName(DWORD code);
std::optional<DWORD> ControlCodeByName(std::string_view name);
