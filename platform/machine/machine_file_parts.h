// Pieces of the machine file reader shared by its files.
#pragma once

#include <string>
#include <vector>

#include "platform/machine/json_field.h"
#include "platform/machine/machine.h"

namespace machine {

// The "fail" and "raw" members of an object that answers `requests`.
Behaviour ReadBehaviour(const JsonField& object, const std::vector<std::string>& requests);

// A drive's "adapter", "device" and "identifiers".
void ReadDrivePlacement(const JsonField& f, Drive& d);
// "adapters", "storagePortInterfaces", "deviceInstances" and "deviceManager",
// read after the drives.
void ReadAdapterSections(const JsonField& top, Machine& m);

extern const std::vector<std::string> kDriveAdapterRequests;

}  // namespace machine
