// The parts of a capture, each filling its sections of the machine description.
#pragma once

#include <vector>

#include "platform/capture/answer_reader.h"

namespace capture {

// Mount points, volumes, the drives their extents name and the ports of those drives.
void CaptureStorage(Asker& asker, machine::Machine& m);
// The storage-port interfaces and what the device manager records about their devices.
void CaptureDeviceManager(Asker& asker, machine::Machine& m);

// The buses and logical units of an inquiry answer.
std::vector<machine::Bus> ReadBuses(const Answer& answer);

}  // namespace capture
