// Prints the scanned model as an indented tree with the links between nodes.
#pragma once

#include <ostream>

class CQuelbrinDoc;

void PrintModelTree(const CQuelbrinDoc& doc, std::ostream& out);
