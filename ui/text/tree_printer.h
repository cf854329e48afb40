// Prints the storage tree exactly as the tree pane shows it, indented.
#pragma once

#include <ostream>

class CQuelbrinDoc;

void PrintStorageTree(CQuelbrinDoc& doc, std::ostream& out);
