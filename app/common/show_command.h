// quelbrin-cli show: the panel of one node, and optionally its charts as SVG.
#pragma once

#include <optional>
#include <ostream>
#include <string>

class CQuelbrinDoc;

// Prints the panel of the node `name` names to `out`. With `svgDir`, also writes
// the panel's charts there as SVG files and names each on `err`. Returns 0, or
// 2 when no single node has that name or a file cannot be written (the reason
// on `err`).
int ShowNodeCommand(CQuelbrinDoc& doc, const std::string& name, const std::optional<std::string>& svgDir,
                    std::ostream& out, std::ostream& err);
