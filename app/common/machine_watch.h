// Waits for the machine a source names to change: the running machine's
// mounts and block devices, or a machine file being written again.
#pragma once

#include <memory>
#include <string>

#include "app/common/machine_source.h"

class MachineWatch {
 public:
  // Null, with `error` saying why, where this system cannot watch the source.
  static std::unique_ptr<MachineWatch> Open(const MachineSource& source, std::string& error);
  virtual ~MachineWatch() = default;

  // Blocks until a change (true; a burst of events is one change) or until
  // Interrupt is called (false), before or during the wait.
  virtual bool WaitForChange() = 0;
  // Safe to call from any thread.
  virtual void Interrupt() = 0;
};
