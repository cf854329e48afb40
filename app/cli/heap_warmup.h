// A large machine file becomes tens of megabytes of small records, and the
// kernel maps and zeroes each of their pages when it is first written: a sixth
// of the run. Another core can map them ahead of the reader.
#pragma once

#include <string>

// Starts mapping, on a thread of its own, pages of the heap that reading and
// scanning `machineFile` will take. Does nothing for a small file, or where the
// allocator or the kernel offers no way to map pages without writing them.
void WarmHeapFor(const std::string& machineFile);
