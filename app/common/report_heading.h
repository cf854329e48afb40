// What a report or a printed page says about the machine it shows: its name,
// where it was read from, and when.
#pragma once

#include <string>

#include "app/common/machine_source.h"
#include "ui/text/html_report.h"

// The machine file's name, or the host name of the machine read.
std::wstring MachineName(const MachineSource& source);
// Now, or the time SOURCE_DATE_EPOCH gives, in UTC, so that a page can be
// made again byte for byte.
std::wstring ReportTime();
// The heading of the whole-machine page; `description` is the machine's own.
ReportHeading MakeReportHeading(const MachineSource& source, const std::string& description, bool allMountPoints);
