// quelbrin-cli paths: every node's path, one a line, as `show` takes it; the
// shell's completion of node names reads this.
#pragma once

#include <ostream>

class CQuelbrinDoc;

void PrintNodePaths(CQuelbrinDoc& doc, std::ostream& out);
