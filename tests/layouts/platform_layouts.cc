// Compiled with the Windows cross compiler: the size and offset checks in the
// record headers then hold against the platform's own declarations.
#include "platform/storage_records.h"
#include "platform/port_records.h"
#include "platform/device_manager_records.h"
