// quelbrin-cli report: the whole machine as one HTML page.
#pragma once

#include <optional>
#include <string>

#include "app/common/program_options.h"

// Scans the machine the options name and writes its report to `outputFile`
// ("-" or none: stdout). Returns the program's exit status: 0, 1 when the scan
// stopped or the page cannot be written, 2 when the machine cannot be read.
int ReportCommand(const SharedOptions& options, const std::optional<std::string>& outputFile);
