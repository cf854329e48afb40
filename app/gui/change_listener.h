// Watches the machine on view from a thread of its own and tells a window of
// each change (a burst of events is one change) by an event in its queue, so
// that the refresh runs on the toolkit's thread.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "app/common/machine_source.h"

#include <wx/event.h>

class MachineWatch;

// Sent to the window for each change; handled on the toolkit's thread.
wxDECLARE_EVENT(EVT_MACHINE_CHANGED, wxThreadEvent);

class ChangeListener {
 public:
  // Starts watching; Watching() says whether that could be done, and
  // Error() why not.
  ChangeListener(const MachineSource& source, wxEvtHandler& window);
  // Stops the thread and waits for it: no event is queued afterwards.
  ~ChangeListener();
  ChangeListener(const ChangeListener&) = delete;
  ChangeListener& operator=(const ChangeListener&) = delete;

  bool Watching() const { return watch != nullptr; }
  const std::string& Error() const { return error; }

 private:
  std::unique_ptr<MachineWatch> watch;
  std::string error;
  std::thread thread;
};
