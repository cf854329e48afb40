#include "app/gui/change_listener.h"

#include "app/common/machine_watch.h"

wxDEFINE_EVENT(EVT_MACHINE_CHANGED, wxThreadEvent);

ChangeListener::ChangeListener(const MachineSource& source, wxEvtHandler& window)
    : watch(MachineWatch::Open(source, error)) {
  if (!watch) return;
  thread = std::thread([w = watch.get(), &window] {
    while (w->WaitForChange()) wxQueueEvent(&window, new wxThreadEvent(EVT_MACHINE_CHANGED));
  });
}

ChangeListener::~ChangeListener() {
  if (!watch) return;
  watch->Interrupt();
  thread.join();
}
